#include "logic/dispatch.h"

#include <algorithm>
#include <optional>

#include "base/ansitext.h"
#include "platform/codepage.h"
#include "platform/uitext.h"
#include "render/keepingnotice.h"
#include "render/listpage.h"
#include "render/storetexts.h"
#include "store/notebook.h"

namespace korvane {
namespace {

constexpr size_t kCodeLength = 4;
constexpr size_t kRecordTextLength = 20;

std::string Command(std::string_view code) {
    std::string url(kCommandBase);
    url += code;
    return url;
}

const std::string& NotesListUrl() {
    static const std::string url = Command("reNote/");
    return url;
}

const std::string& ContactsListUrl() {
    static const std::string url = Command("reCont/");
    return url;
}

const std::string& TrashListUrl() {
    static const std::string url = Command("reTrash/");
    return url;
}

const std::string& EmptyTrashUrl() {
    static const std::string url = Command("TrEm/");
    return url;
}

// The URL starts with the command base followed by the four-letter code.
bool HasRecordCode(std::string_view url, std::string_view code) {
    return url.size() >= kCommandBase.size() + kCodeLength && url.starts_with(kCommandBase) &&
           url.substr(kCommandBase.size(), kCodeLength) == code;
}

int RecordNumber(std::string_view url) {
    return ParseInt32(RecordNumberText(url)).value_or(0);
}

// A record number fit for a statement: plain decimal digits within range.
std::optional<int32_t> DeletableRecord(std::string_view url) {
    const std::string text = RecordNumberText(url);
    if (!IsDecimalDigits(text)) return std::nullopt;
    return ParseInt32(text);
}

const std::string& DeleteQuestion() {
    static const std::string text = Ui::tr("是否真的要删除您所选择的记录？");
    return text;
}

const std::string& PurgeQuestion() {
    static const std::string text = Ui::tr("是否真的要彻底删除这条记录？彻底删除后将无法恢复。");
    return text;
}

const std::string& EmptyTrashQuestion() {
    static const std::string text =
        Ui::tr("是否真的要清空回收站？回收站中的全部记录将被彻底删除，无法恢复。");
    return text;
}

// Why the notebook refused a statement, as the middle of a sentence.
std::string WriteFailureWhy(StoreStatus why) {
    switch (why) {
        case StoreStatus::Locked:
            return Ui::tr("数据库被其他程序锁定");
        case StoreStatus::ReadOnly:
            return Ui::tr("数据库文件是只读的");
        case StoreStatus::DiskFull:
            return Ui::tr("磁盘空间已满");
        case StoreStatus::Damaged:
            return Ui::tr("数据库文件已损坏");
        case StoreStatus::Moved:
            return Ui::tr("数据库文件已被移走或替换");
        default:
            break;
    }
    return Ui::tr("数据库未能执行此操作");
}

// What a trash command's notice says: its name, what it could not do, what
// is left as it was, and what to say when the copy is gone.
struct TrashWords {
    std::string failed;
    std::string notDone;
    std::string kept;
    std::string gone;
};

const TrashWords& WordsOf(DispatchHost::TrashAction action) {
    using enum DispatchHost::TrashAction;
    static const TrashWords undo{
        Ui::tr("撤销失败："), Ui::tr("，记录未能恢复。"),
        Ui::tr("该记录仍在回收站中，未做任何改动。"),
        Ui::tr("撤销失败：回收站中已没有这条记录，它可能已被恢复或彻底删除。")};
    static const TrashWords restore{
        Ui::tr("恢复失败："), Ui::tr("，记录未能恢复。"),
        Ui::tr("该记录仍在回收站中，未做任何改动。"),
        Ui::tr("恢复失败：回收站中已没有这条记录，它可能已被恢复或彻底删除。")};
    static const TrashWords purge{Ui::tr("彻底删除失败："), Ui::tr("，记录未能删除。"),
                                  Ui::tr("该记录仍在回收站中，未做任何改动。"),
                                  Ui::tr("回收站中已没有这条记录，它可能已被恢复或彻底删除。")};
    static const TrashWords empty{Ui::tr("清空回收站失败："), Ui::tr("，回收站未能清空。"),
                                  Ui::tr("回收站中的记录都还在，未做任何改动。"), ""};
    switch (action) {
        case kUndo:
            return undo;
        case kRestore:
            return restore;
        case kPurge:
            return purge;
        case kEmpty:
            break;
    }
    return empty;
}

// Why a delete the notebook refused failed.
std::string DeleteFailureReason(StoreStatus why) {
    switch (why) {
        case StoreStatus::Locked:
            return Ui::tr("删除失败：数据库被其他程序锁定，记录未能删除。");
        case StoreStatus::ReadOnly:
            return Ui::tr("删除失败：数据库文件是只读的，记录未能删除。");
        case StoreStatus::DiskFull:
            return Ui::tr("删除失败：磁盘空间已满，记录未能删除。");
        case StoreStatus::Damaged:
            return Ui::tr("删除失败：数据库文件已损坏，记录未能删除。");
        case StoreStatus::Moved:
            return Ui::tr("删除失败：数据库文件已被移走或替换，记录未能删除。");
        default:
            break;
    }
    return Ui::tr("删除失败：数据库未能执行删除，记录未能删除。");
}

void ShowList(DispatchHost& host, int kind, ListRequest::Mode mode) {
    ListRequest request;
    request.kind = kind;
    request.mode = mode;
    host.ShowList(request);
}

// The working URL: what the page asked for, decoded and trimmed.
std::string Working(std::string_view url) {
    return Trim(DecodePercent(url));
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// One of the window request's numbers: one to nine decimal digits.
std::optional<int> WindowNumber(std::string_view text) {
    if (text.empty() || text.size() > 9 || !IsDecimalDigits(text)) return std::nullopt;
    return ParseInt32(text);
}

// "/first/count/serial/" at the start of `rest`: four slashes around three
// numbers, count at most the largest window. `rest` keeps what follows.
std::optional<ListRequest> WindowNumbers(std::string_view& rest) {
    if (!rest.starts_with('/')) return std::nullopt;
    rest = rest.substr(1);
    int numbers[3];
    for (int& number : numbers) {
        const size_t slash = rest.find('/');
        if (slash == std::string_view::npos) return std::nullopt;
        const std::optional<int> value = WindowNumber(rest.substr(0, slash));
        if (!value) return std::nullopt;
        number = *value;
        rest = rest.substr(slash + 1);
    }
    if (numbers[1] > kMaxWindowRecords) return std::nullopt;
    return ListRequest{kNoteKind, numbers[0], numbers[1], numbers[2], ListRequest::Mode::kWindow,
                       {}};
}

// The window request of a "WiNo"/"WiCn" URL: the numbers and nothing after.
std::optional<ListRequest> WindowNumbersAfterCode(std::string_view work, int kind) {
    std::string_view rest = work.substr(kCommandBase.size() + kCodeLength);
    std::optional<ListRequest> request = WindowNumbers(rest);
    if (!request || !rest.empty()) return std::nullopt;
    request->kind = kind;
    return request;
}

// The finder's request of a "Find" or "FiTr" URL: the numbers, then the
// query. Blanks of the query are still encoded here, so trimming took none.
std::optional<ListRequest> FindNumbersAfterCode(std::string_view work, int kind) {
    std::string_view rest = work.substr(kCommandBase.size() + kCodeLength);
    std::optional<ListRequest> request = WindowNumbers(rest);
    if (!request || rest.find('/') != std::string_view::npos) return std::nullopt;
    request->kind = kind;
    request->query = DecodePercent(rest);
    return request;
}

// Deletes the record a "DeNo"/"DeCn" command names after asking. False when
// the command ends here (refused, declined or failed).
bool DeleteRecord(const PageCommand& command, DispatchHost& host) {
    // Only a plain record number may reach the statement; anything else is a
    // malformed command and is dropped without a question.
    const std::optional<int32_t>& id = command.deletable;
    if (!id) return false;
    if (!host.Ask(DeleteQuestion())) return false;
    const RecordKind kind = command.kind == kContactKind ? RecordKind::Contact : RecordKind::Note;
    const StoreResult result = host.DeleteRecord(kind, *id);
    if (!result.Ok()) {
        host.Notify(DeleteFailedNotice(result, host.NotebookLocation()));
        return false;
    }
    if (auto kept =
            KeepingNotice(TakeKeepingFindings(), KeptChange::Deleted, host.NotebookLocation());
        !kept.empty())
        host.Notify(kept);
    return true;
}

// Runs a trash command of the page: a plain number first, the question for
// what cannot be undone, then the store. False when the command ends here.
bool ChangeTrash(const PageCommand& command, DispatchHost& host) {
    using Code = PageCommand::Code;
    using Action = DispatchHost::TrashAction;
    Action action = Action::kEmpty;
    if (command.code == Code::kUndo) action = Action::kUndo;
    if (command.code == Code::kTrashRestore) action = Action::kRestore;
    if (command.code == Code::kTrashPurge) action = Action::kPurge;
    if (action != Action::kEmpty && !command.deletable) return false;
    if (action == Action::kPurge && !host.Ask(PurgeQuestion())) return false;
    if (action == Action::kEmpty && !host.Ask(EmptyTrashQuestion())) return false;
    const StoreResult result = host.Trash(action, command.deletable.value_or(0));
    if (!result.Ok()) {
        host.Notify(TrashFailedNotice(action, result, host.NotebookLocation()));
        // A copy already gone leaves a list to bring up to date.
        return result.status == StoreStatus::NotFound;
    }
    return true;
}

}  // namespace

std::string DeleteFailedNotice(const StoreResult& result, const std::string& notebook) {
    if (!IsWriteFailure(result.status)) return StatusText(result);
    // One line each, the path last: a message box too small for a long path
    // cuts only its end.
    static const std::string kept = Ui::tr("该记录仍在记事本中，未做任何改动。");
    const std::string notice = DeleteFailureReason(result.status) + "\r\n" + kept;
    return notebook.empty() ? notice : notice + "\r\n" + notebook;
}

std::string TrashFailedNotice(DispatchHost::TrashAction action, const StoreResult& result,
                              const std::string& notebook) {
    const TrashWords& words = WordsOf(action);
    if (result.status == StoreStatus::NotFound && !words.gone.empty()) return words.gone;
    if (!IsWriteFailure(result.status)) return StatusText(result);
    const std::string notice =
        words.failed + WriteFailureWhy(result.status) + words.notDone + "\r\n" + words.kept;
    return notebook.empty() ? notice : notice + "\r\n" + notebook;
}

std::string RecordNumberText(std::string_view url) {
    const size_t start = std::min(url.size(), kCommandBase.size() + kCodeLength);
    std::string text(url.substr(start, kRecordTextLength));
    text.erase(std::remove(text.begin(), text.end(), '/'), text.end());
    return Trim(text);
}

std::string DecodePercent(std::string_view url) {
    std::string out;
    out.reserve(url.size());
    for (size_t i = 0; i < url.size(); ++i) {
        if (url[i] == '%' && i + 2 < url.size() && HexValue(url[i + 1]) >= 0 &&
            HexValue(url[i + 2]) >= 0) {
            out += static_cast<char>(HexValue(url[i + 1]) * 16 + HexValue(url[i + 2]));
            i += 2;
        } else {
            out += url[i];
        }
    }
    return out;
}

std::optional<ListRequest> WindowRequestFor(const std::string& url) {
    const PageCommand command = ParseCommand(url);
    if (command.code != PageCommand::Code::kWindow) return std::nullopt;
    return command.list;
}

std::optional<ListRequest> FindRequestFor(const std::string& url) {
    const PageCommand command = ParseCommand(url);
    if (command.code != PageCommand::Code::kFind) return std::nullopt;
    return command.list;
}

PageCommand ParseCommand(std::string_view url) {
    using Code = PageCommand::Code;
    const std::string work = Working(url);
    PageCommand command;
    const auto whole = [&](Code code, int kind) {
        command.code = code;
        command.kind = kind;
    };
    if (work == kRestoreUrl) {
        command.code = Code::kRestore;
    } else if (work == Command("New0/") || work == Command("New1/")) {
        whole(Code::kNew, work == Command("New0/") ? kNoteKind : kContactKind);
    } else if (work == NotesListUrl() || work == ContactsListUrl()) {
        whole(Code::kList, work == NotesListUrl() ? kNoteKind : kContactKind);
    } else if (work == TrashListUrl()) {
        whole(Code::kList, kTrashListKind);
    } else if (work == EmptyTrashUrl()) {
        whole(Code::kTrashEmpty, kTrashListKind);
    } else if (HasRecordCode(work, "EdNo") || HasRecordCode(work, "EdCn")) {
        whole(Code::kEdit, HasRecordCode(work, "EdNo") ? kNoteKind : kContactKind);
        command.record = RecordNumber(work);
    } else if (HasRecordCode(work, "DeNo") || HasRecordCode(work, "DeCn")) {
        whole(Code::kDelete, HasRecordCode(work, "DeNo") ? kNoteKind : kContactKind);
        command.deletable = DeletableRecord(work);
    } else if (HasRecordCode(work, "UnNo") || HasRecordCode(work, "UnCn")) {
        whole(Code::kUndo, HasRecordCode(work, "UnNo") ? kNoteKind : kContactKind);
        command.deletable = DeletableRecord(work);
    } else if (HasRecordCode(work, "TrRe") || HasRecordCode(work, "TrPu")) {
        whole(HasRecordCode(work, "TrRe") ? Code::kTrashRestore : Code::kTrashPurge,
              kTrashListKind);
        command.deletable = DeletableRecord(work);
    } else if (HasRecordCode(work, "WiNo") || HasRecordCode(work, "WiCn")) {
        whole(Code::kWindow, HasRecordCode(work, "WiNo") ? kNoteKind : kContactKind);
        command.list = WindowNumbersAfterCode(work, command.kind);
    } else if (HasRecordCode(work, "WiTr")) {
        whole(Code::kWindow, kTrashListKind);
        command.list = WindowNumbersAfterCode(work, command.kind);
    } else if (HasRecordCode(work, "Find") || HasRecordCode(work, "FiTr")) {
        whole(Code::kFind, HasRecordCode(work, "Find") ? kFoundInListKind : kFoundInTrashKind);
        command.list = FindNumbersAfterCode(work, command.kind);
    }
    return command;
}

bool IsCommandUrl(const std::string& url) {
    return static_cast<bool>(ParseCommand(url));
}

bool CommandOpensDialog(const std::string& url) {
    return ParseCommand(url).OpensDialog();
}

void RunCommand(const std::string& url, DispatchHost& host) {
    RunCommand(ParseCommand(url), host);
}

// A successful change always ends with its list shown, keeping the page's
// place; the list the page asked for starts at the top.
void RunCommand(const PageCommand& command, DispatchHost& host) {
    using Code = PageCommand::Code;
    const bool notes = command.kind == kNoteKind;
    switch (command.code) {
        case Code::kNone:
            return;
        case Code::kWindow:
        case Code::kFind:
            if (command.list) host.ShowList(*command.list);
            return;
        case Code::kRestore:
            host.ShowStandard();
            return;
        case Code::kList:
            ShowList(host, command.kind, ListRequest::Mode::kShow);
            return;
        case Code::kNew:
        case Code::kEdit: {
            const int record = command.code == Code::kNew ? 0 : command.record;
            if (!(notes ? host.EditNote(record) : host.EditContact(record))) return;
            ShowList(host, command.kind, ListRequest::Mode::kSaved);
            return;
        }
        case Code::kDelete:
            if (!DeleteRecord(command, host)) return;
            // The list without the record first, then the bar that takes it back.
            ShowList(host, command.kind, ListRequest::Mode::kRefresh);
            host.OfferUndo(notes ? RecordKind::Note : RecordKind::Contact, *command.deletable);
            return;
        case Code::kUndo:
        case Code::kTrashRestore:
        case Code::kTrashPurge:
        case Code::kTrashEmpty:
            if (!ChangeTrash(command, host)) return;
            break;
    }
    ShowList(host, command.kind, ListRequest::Mode::kRefresh);
}

ExternalRequest ExternalRequestFor(std::string_view name) {
    if (name == "SHOW") return ExternalRequest::kShowStandard;
    if (name == "UPFS") return ExternalRequest::kUpdate;
    return ExternalRequest::kNone;
}

}  // namespace korvane
