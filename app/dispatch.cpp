#include "app/dispatch.h"

#include <algorithm>
#include <optional>

#include "base/ansitext.h"
#include "platform/codepage.h"
#include "render/listpage.h"
#include "store/dbfunc.h"

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
    static const std::string text = Cp("是否真的要删除您所选择的记录？");
    return text;
}

// Why a delete the notebook refused failed.
std::string DeleteFailureReason(StoreStatus why) {
    switch (why) {
        case StoreStatus::Locked:
            return Cp("删除失败：数据库被其他程序锁定，记录未能删除。");
        case StoreStatus::ReadOnly:
            return Cp("删除失败：数据库文件是只读的，记录未能删除。");
        case StoreStatus::DiskFull:
            return Cp("删除失败：磁盘空间已满，记录未能删除。");
        case StoreStatus::Damaged:
            return Cp("删除失败：数据库文件已损坏，记录未能删除。");
        case StoreStatus::Moved:
            return Cp("删除失败：数据库文件已被移走或替换，记录未能删除。");
        default:
            break;
    }
    return Cp("删除失败：数据库未能执行删除，记录未能删除。");
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

// Deletes the record a "DeNo"/"DeCn" URL names after asking. False when the
// command ends here (refused, declined or failed).
bool DeleteRecord(std::string_view url, DispatchHost& host) {
    // Only a plain record number may reach the statement; anything else is a
    // malformed command and is dropped without a question.
    const std::optional<int32_t> id = DeletableRecord(url);
    if (!id) return false;
    if (!host.Ask(DeleteQuestion())) return false;
    const RecordKind kind = HasRecordCode(url, "DeCn") ? RecordKind::Contact : RecordKind::Note;
    const StoreResult result = host.DeleteRecord(kind, *id);
    if (!result.Ok()) {
        host.Notify(DeleteFailedNotice(result, host.NotebookLocation()));
        return false;
    }
    return true;
}

}  // namespace

std::string DeleteFailedNotice(const StoreResult& result, const std::string& notebook) {
    if (!IsWriteFailure(result.status)) return StatusText(result);
    // One line each, the path last: a message box too small for a long path
    // cuts only its end.
    static const std::string kept = Cp("该记录仍在记事本中，未做任何改动。");
    const std::string notice = DeleteFailureReason(result.status) + "\r\n" + kept;
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

bool IsCommandUrl(const std::string& url) {
    static const std::string whole[] = {Command("New0/"), Command("New1/"), NotesListUrl(),
                                        ContactsListUrl()};
    const std::string work = Working(url);
    if (work == kRestoreUrl) return true;
    if (std::find(std::begin(whole), std::end(whole), work) != std::end(whole)) return true;
    for (std::string_view code : {"EdNo", "EdCn", "DeNo", "DeCn", "WiNo", "WiCn", "Find"}) {
        if (HasRecordCode(work, code)) return true;
    }
    return false;
}

bool CommandOpensDialog(const std::string& url) {
    const std::string work = Working(url);
    if (work == Command("New0/") || work == Command("New1/")) return true;
    for (std::string_view code : {"EdNo", "EdCn", "DeNo", "DeCn"}) {
        if (HasRecordCode(work, code)) return true;
    }
    return false;
}

std::optional<ListRequest> WindowRequestFor(const std::string& url) {
    const std::string work = Working(url);
    const bool notes = HasRecordCode(work, "WiNo");
    if (!notes && !HasRecordCode(work, "WiCn")) return std::nullopt;
    std::string_view rest = std::string_view(work).substr(kCommandBase.size() + kCodeLength);
    std::optional<ListRequest> request = WindowNumbers(rest);
    if (!request || !rest.empty()) return std::nullopt;
    request->kind = notes ? kNoteKind : kContactKind;
    return request;
}

std::optional<ListRequest> FindRequestFor(const std::string& url) {
    // Blanks of the query are still encoded here, so trimming takes none.
    const std::string work = Working(url);
    if (!HasRecordCode(work, "Find")) return std::nullopt;
    std::string_view rest = std::string_view(work).substr(kCommandBase.size() + kCodeLength);
    std::optional<ListRequest> request = WindowNumbers(rest);
    if (!request || rest.find('/') != std::string_view::npos) return std::nullopt;
    request->kind = kFoundInListKind;
    request->query = DecodePercent(rest);
    return request;
}

void RunCommand(const std::string& url, DispatchHost& host) {
    if (const std::optional<ListRequest> window = WindowRequestFor(url)) {
        host.ShowList(*window);
        return;
    }
    if (const std::optional<ListRequest> found = FindRequestFor(url)) {
        host.ShowList(*found);
        return;
    }
    // Each step may rewrite the working URL into a list URL that a later step
    // consumes, so a successful change always ends with its list shown. The
    // list the page asked for starts at the top; one shown after a change
    // keeps the page's place.
    std::string work = Working(url);
    ListRequest::Mode mode = ListRequest::Mode::kRefresh;
    if (work == NotesListUrl() || work == ContactsListUrl()) mode = ListRequest::Mode::kShow;
    if (work == kRestoreUrl) {
        host.ShowStandard();
        return;
    }
    if (work == Command("New0/")) {
        if (!host.EditNote(0)) return;
        work = NotesListUrl();
    }
    if (HasRecordCode(work, "EdNo")) {
        if (!host.EditNote(RecordNumber(work))) return;
        work = NotesListUrl();
    }
    if (HasRecordCode(work, "DeNo") || HasRecordCode(work, "DeCn")) {
        const bool contact = HasRecordCode(work, "DeCn");
        if (!DeleteRecord(work, host)) return;
        work = contact ? ContactsListUrl() : NotesListUrl();
    }
    if (work == NotesListUrl()) {
        ShowList(host, kNoteKind, mode);
        return;
    }
    if (work == Command("New1/")) {
        if (!host.EditContact(0)) return;
        work = ContactsListUrl();
    }
    if (HasRecordCode(work, "EdCn")) {
        if (!host.EditContact(RecordNumber(work))) return;
        work = ContactsListUrl();
    }
    if (work == ContactsListUrl()) ShowList(host, kContactKind, mode);
}

ExternalRequest ExternalRequestFor(std::string_view name) {
    if (name == "SHOW") return ExternalRequest::kShowStandard;
    if (name == "UPFS") return ExternalRequest::kUpdate;
    return ExternalRequest::kNone;
}

}  // namespace korvane
