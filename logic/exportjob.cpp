#include "logic/exportjob.h"

#include <algorithm>
#include <set>
#include <vector>

#include "base/ansitext.h"
#include "exchange/filenames.h"
#include "exchange/htmlexport.h"
#include "exchange/markdown.h"
#include "platform/apppaths.h"
#include "platform/codepage.h"
#include "platform/files.h"
#include "platform/uitext.h"
#include "render/storetexts.h"
#include "store/listrows.h"
#include "store/notebook.h"

namespace korvane {
namespace {

constexpr std::string_view kStaging = ".korvane-export.partial";
constexpr std::string_view kReplaced = ".korvane-export.old";
constexpr std::string_view kPictureFolder = "emoticons";
constexpr uint64_t kPictureLimit = uint64_t{1} << 20;

std::string Within(const std::string& folder, std::string_view name) {
    std::string path = folder;
    if (!path.empty() && platform::LastSeparator(path) != path.size() - 1) {
        path += platform::PathSeparator();
    }
    return path.append(name);
}

// A folder may take the export when it is new, empty, or holds an earlier
// export; what a killed export left behind does not count.
bool MayTakeExport(const std::string& folder) {
    const std::vector<std::string> names = platform::FileNamesIn(folder);
    const bool marked = std::find(names.begin(), names.end(), kExportMark) != names.end();
    return marked || std::all_of(names.begin(), names.end(), [](const std::string& name) {
               return name == kStaging || name == kReplaced;
           });
}

// The emoticon numbers the notes use, from their {EM<n>EM} tags.
std::set<int> EmoticonsUsed(const std::vector<ListRow>& notes) {
    std::set<int> used;
    for (const ListRow& note : notes) {
        const std::string& text = note.content;
        for (size_t at = text.find("{EM"); at != std::string::npos; at = text.find("{EM", at + 3)) {
            const size_t end = text.find("EM}", at + 3);
            if (end == std::string::npos || end - at - 3 > 2) continue;
            const std::string digits = text.substr(at + 3, end - at - 3);
            const std::optional<int32_t> n = ParseInt32(digits);
            if (IsDecimalDigits(digits) && n && *n < 30 && std::to_string(*n) == digits) {
                used.insert(*n);
            }
        }
    }
    return used;
}

// True when every byte of the code-page text belongs to a character: none
// comes back from the conversion as a stand-in (U+F800 to U+F87F).
bool AllCharacters(std::string_view text) {
    const std::string utf8 = platform::FromCodePage(text);
    for (size_t at = utf8.find('\xEF'); at != std::string::npos; at = utf8.find('\xEF', at + 1)) {
        if (at + 1 < utf8.size() && (utf8[at + 1] == '\xA0' || utf8[at + 1] == '\xA1'))
            return false;
    }
    return true;
}

// The bytes of a picture the page names ("icons/3.gif"), from the program's
// page folder.
std::string PagePicture(std::string_view address) {
    if (address.find("..") != std::string_view::npos) return {};
    platform::FileRead read =
        platform::ReadRegularFile(AppPath("hd\\" + std::string(address)), kPictureLimit);
    return read ? std::move(read.bytes) : std::string();
}

// Steps told to the progress callback at most about two hundred times.
class Steps {
  public:
    Steps(size_t total, const ExchangeProgress& progress) : total_(total), progress_(progress) {}
    // False when the user cancelled.
    bool Done(size_t count = 1) {
        done_ += count;
        const size_t stride = std::max<size_t>(1, total_ / 200);
        if (!progress_ || (done_ / stride == told_ / stride && done_ != total_)) return true;
        told_ = done_;
        return progress_(done_, total_);
    }

  private:
    size_t total_;
    size_t done_ = 0;
    size_t told_ = 0;
    const ExchangeProgress& progress_;
};

struct Notebook {
    std::vector<ListRow> notes;
    std::vector<int64_t> noteNumbers;  // beside `notes`
    std::vector<ExchangedContact> contacts;
};

StoreResult ReadEverything(Notebook& book) {
    return ReadNotebookAtOnce([&book] {
        for (StoredRecord& record : ReadAllRecords()) {
            if (record.kind == RecordKind::Note) {
                book.noteNumbers.push_back(record.number);
                book.notes.push_back(std::move(record.row));
            } else {
                book.contacts.push_back({record.number, std::move(record.row.title),
                                         std::move(record.row.tel), std::move(record.row.content),
                                         std::move(record.row.date)});
            }
        }
    });
}

// Writes the export into the staging folder; the outcome and, on failure, the path.
class Writer {
  public:
    Writer(const std::string& staging, const ExchangeProgress& progress, size_t total)
        : staging_(staging), steps_(total, progress) {}

    ExportResult Write(const Notebook& book, VCardVersion version) {
        if (!Folder(staging_) || !Folder(Within(staging_, kNotesFolder))) return result_;
        if (!Notes(book) || !Pictures(book.notes)) return result_;
        if (!File(Within(staging_, kNotesPage), NotesToHtml(book.notes, PagePicture)))
            return result_;
        if (!steps_.Done()) return Cancel();
        std::string cards;
        for (const ExchangedContact& contact : book.contacts) {
            cards += WriteVCard(contact, version);
            if (!steps_.Done()) return Cancel();
        }
        if (!File(Within(staging_, kContactsFile), cards)) return result_;
        if (!File(Within(staging_, kExportMark), "Korvane\n")) return result_;
        result_.notes = book.notes.size();
        result_.contacts = book.contacts.size();
        return result_;
    }

  private:
    bool Notes(const Notebook& book) {
        const std::vector<ListRow>& notes = book.notes;
        // A title the system cannot spell in a file name, or one holding
        // bytes that are no character, names its file by the record's number.
        std::vector<std::string> titles;
        titles.reserve(notes.size());
        for (size_t i = 0; i < notes.size(); ++i) {
            const bool spelt =
                platform::NativePathHolds(notes[i].title) && AllCharacters(notes[i].title);
            titles.push_back(spelt ? notes[i].title
                                   : "note " + std::to_string(book.noteNumbers[i]));
        }
        const std::vector<std::string> names = ExportFileNames(titles, ".md");
        const std::string folder = Within(staging_, kNotesFolder);
        for (size_t i = 0; i < notes.size(); ++i) {
            const std::string path = Within(folder, platform::ToCodePage(names[i]));
            const ListRow& row = notes[i];
            const ExchangedNote note{book.noteNumbers[i], row.title, row.content, row.date};
            if (!File(path, NoteToMarkdown(note))) return false;
            if (!steps_.Done()) {
                Cancel();
                return false;
            }
        }
        return true;
    }

    // The emoticon pictures the notes show, beside them as their Markdown names them.
    bool Pictures(const std::vector<ListRow>& notes) {
        const std::set<int> used = EmoticonsUsed(notes);
        if (used.empty()) return true;
        const std::string folder = Within(Within(staging_, kNotesFolder), kPictureFolder);
        if (!Folder(folder)) return false;
        for (int n : used) {
            const std::string name = std::to_string(n) + ".bmp";
            platform::FileRead picture =
                platform::ReadRegularFile(AppPath("bmp\\" + name), kPictureLimit);
            if (!picture) continue;  // a missing picture leaves its reference, not the export
            if (!File(Within(folder, name), picture.bytes)) return false;
            ++result_.pictures;
        }
        return true;
    }

    bool Folder(const std::string& path) {
        if (platform::EnsureFolder(path)) return true;
        return Fail(path);
    }

    bool File(const std::string& path, std::string_view bytes) {
        if (platform::WriteNewFile(path, bytes)) return true;
        return Fail(path);
    }

    bool Fail(const std::string& path) {
        result_.outcome = ExportResult::Outcome::NotWritten;
        result_.path = path;
        return false;
    }

    ExportResult Cancel() {
        result_.outcome = ExportResult::Outcome::Cancelled;
        return result_;
    }

    std::string staging_;
    Steps steps_;
    ExportResult result_;
};

// Moves the staged export into the folder; an earlier export's items go
// aside first and come back when a move fails.
bool PutInPlace(const std::string& folder, ExportResult& result) {
    const std::string staging = Within(folder, kStaging);
    const std::string replaced = Within(folder, kReplaced);
    if (!platform::EnsureFolder(replaced)) {
        result.outcome = ExportResult::Outcome::NotWritten;
        result.path = replaced;
        return false;
    }
    for (std::string_view item : {kNotesFolder, kNotesPage, kContactsFile, kExportMark}) {
        const std::string target = Within(folder, item);
        const std::string aside = Within(replaced, item);
        const bool hadOld = platform::FileExists(target) || platform::IsFolder(target);
        if (hadOld && !platform::RenameNoReplace(target, aside)) {
            result.outcome = ExportResult::Outcome::NotWritten;
            result.path = target;
            return false;
        }
        if (!platform::RenameNoReplace(Within(staging, item), target)) {
            if (hadOld) platform::RenameNoReplace(aside, target);
            result.outcome = ExportResult::Outcome::NotWritten;
            result.path = target;
            return false;
        }
    }
    return true;
}

}  // namespace

ExportResult ExportNotebook(const ExportRequest& request, const ExchangeProgress& progress) {
    ExportResult result;
    Notebook book;
    result.read = ReadEverything(book);
    if (!result.read.Ok()) {
        result.outcome = ExportResult::Outcome::NotRead;
        return result;
    }
    const std::string& folder = request.folder;
    if (!platform::EnsureFolder(folder)) {
        result.outcome = ExportResult::Outcome::NotWritten;
        result.path = folder;
        return result;
    }
    if (!MayTakeExport(folder)) {
        result.outcome = ExportResult::Outcome::FolderTaken;
        result.path = folder;
        return result;
    }
    // What a killed export left behind goes first.
    const std::string staging = Within(folder, kStaging);
    const std::string replaced = Within(folder, kReplaced);
    platform::RemoveFolderTree(staging);
    platform::RemoveFolderTree(replaced);
    Writer writer(staging, progress, book.notes.size() + book.contacts.size() + 1);
    result = writer.Write(book, request.vcard);
    if (result.outcome == ExportResult::Outcome::Done) PutInPlace(folder, result);
    platform::RemoveFolderTree(staging);
    platform::RemoveFolderTree(replaced);
    return result;
}

std::string ExportResultText(const ExportResult& result, const std::string& folder) {
    using Outcome = ExportResult::Outcome;
    switch (result.outcome) {
        case Outcome::Done:
            return Ui::tr("导出完成：") + std::to_string(result.notes) + Ui::tr(" 条记事、") +
                   std::to_string(result.contacts) + Ui::tr(" 位联系人，已写入\n") + folder +
                   Ui::tr(
                       "\n\n记事：每条一个 Markdown 文件（notes 文件夹）和一个网页 notes.html；"
                       "联系人：contacts.vcf。");
        case Outcome::Cancelled:
            return Ui::tr("导出已取消，没有写入任何文件：\n") + folder;
        case Outcome::NotRead:
            return Ui::tr("无法读取记事本，没有导出：") + StatusText(result.read);
        case Outcome::FolderTaken:
            return Ui::tr(
                       "这个文件夹里已有别的文件，为免覆盖，没有导出。请选择一个空文件夹或新文件夹"
                       "："
                       "\n") +
                   result.path;
        case Outcome::NotWritten:
            return Ui::tr("无法写入，导出没有完成，文件夹保持原样：\n") + result.path;
    }
    return {};
}

}  // namespace korvane
