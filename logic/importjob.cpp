#include "logic/importjob.h"

#include <algorithm>
#include <ctime>
#include <functional>
#include <map>

#include "base/ansitext.h"
#include "exchange/dedup.h"
#include "exchange/markdown.h"
#include "exchange/vcard.h"
#include "exchange/xmlnotes.h"
#include "platform/codepage.h"
#include "platform/files.h"
#include "platform/localtime.h"
#include "platform/uitext.h"
#include "render/storetexts.h"
#include "store/listrows.h"
#include "store/notebook.h"
#include "store/records.h"

namespace korvane {
namespace {

// What one file gave: its records, or why it was refused.
struct FileRecords {
    std::vector<NewRecord> records;
    size_t picturesSkipped = 0;
    std::string error;  // code page; empty when read
};

using Reader = std::function<FileRecords(std::string_view bytes)>;

NewRecord FromNote(const ExchangedNote& note) {
    return {RecordKind::Note, note.id, note.title, note.body, {}, note.date};
}

FileRecords ReadContacts(std::string_view bytes) {
    VCardReadResult read = ReadVCards(bytes);
    FileRecords out;
    out.error = std::move(read.error);
    out.picturesSkipped = static_cast<size_t>(read.skippedBinary);
    for (ExchangedContact& c : read.contacts) {
        out.records.push_back({RecordKind::Contact, c.id, std::move(c.name), std::move(c.remark),
                               std::move(c.tel), std::move(c.date)});
    }
    return out;
}

FileRecords ReadTextNote(std::string_view bytes) {
    FileRecords out;
    if (bytes.find('\0') != std::string_view::npos) {
        out.error = Ui::tr("文件含有空字节（NUL），不是文本文件");
        return out;
    }
    const ExchangedNote note = MarkdownToNote(bytes);
    if (note.title.empty() && Trim(note.body).empty()) {
        out.error = Ui::tr("文件里没有文字");
        return out;
    }
    out.records.push_back(FromNote(note));
    return out;
}

FileRecords FromXmlNotes(XmlNotesResult read) {
    FileRecords out;
    out.error = std::move(read.error);
    out.picturesSkipped = static_cast<size_t>(read.skipped);
    for (const ExchangedNote& note : read.notes) out.records.push_back(FromNote(note));
    return out;
}

FileRecords ReadDesktopNote(std::string_view bytes) {
    return FromXmlNotes(ReadGnoteNote(bytes));
}

FileRecords ReadEvernoteExport(std::string_view bytes) {
    return FromXmlNotes(ReadEnex(bytes));
}

// The reader for a file name's extension; none for a kind import does not read.
const Reader* ReaderFor(const std::string& path) {
    static const std::map<std::string, Reader, std::less<>> readers = {
        {".vcf", ReadContacts},      {".vcard", ReadContacts},      {".md", ReadTextNote},
        {".markdown", ReadTextNote}, {".txt", ReadTextNote},        {".text", ReadTextNote},
        {".note", ReadDesktopNote},  {".enex", ReadEvernoteExport},
    };
    const size_t dot = path.rfind('.');
    const size_t separator = platform::LastSeparator(path);
    if (dot == std::string::npos || (separator != std::string::npos && dot < separator)) {
        return nullptr;
    }
    const auto found = readers.find(LowerAscii(path.substr(dot)));
    return found == readers.end() ? nullptr : &found->second;
}

std::string Within(const std::string& folder, const std::string& name) {
    std::string path = folder;
    if (!path.empty() && platform::LastSeparator(path) != path.size() - 1) {
        path += platform::PathSeparator();
    }
    return path + name;
}

// The files a folder holds of the kinds import reads, and those of its
// folders `depth` levels down; names starting with a dot are left alone.
void CollectFolder(const std::string& folder, int depth, std::vector<std::string>& files) {
    std::vector<std::string> names = platform::FileNamesIn(folder);
    std::sort(names.begin(), names.end());
    for (const std::string& name : names) {
        if (name.empty() || name[0] == '.') continue;
        const std::string path = Within(folder, name);
        if (platform::IsFolder(path)) {
            if (depth > 0) CollectFolder(path, depth - 1, files);
        } else if (ReaderFor(path)) {
            files.push_back(path);
        }
    }
}

std::string ReadFailureText(platform::FileReadFailure failure) {
    using F = platform::FileReadFailure;
    switch (failure) {
        case F::kNotFound:
            return Ui::tr("找不到这个文件");
        case F::kNotRegular:
            return Ui::tr("不是普通文件");
        case F::kLink:
            return Ui::tr("是一个链接，导入不跟随链接");
        case F::kTooLarge:
            return Ui::tr("文件超过 64 MB，导入不读这么大的文件");
        case F::kUnreadable:
        case F::kNone:
            break;
    }
    return Ui::tr("无法读取这个文件");
}

FileRecords ReadOneFile(const std::string& path) {
    FileRecords out;
    const Reader* reader = ReaderFor(path);
    if (!reader) {
        out.error = Ui::tr("不认识的文件类型：导入读取 .vcf、.md、.txt、.note 和 .enex 文件");
        return out;
    }
    platform::FileRead read = platform::ReadRegularFile(path, kImportFileLimit);
    if (!read) {
        out.error = ReadFailureText(read.failure);
        return out;
    }
    out = (*reader)(read.bytes);
    if (!out.error.empty()) out.records.clear();
    return out;
}

std::vector<RecordKey> KeysOf(const std::vector<StoredRecord>& stored) {
    std::vector<RecordKey> keys;
    keys.reserve(stored.size());
    for (const StoredRecord& r : stored) {
        keys.push_back({r.kind, r.row.title, r.row.content, r.row.tel});
    }
    return keys;
}

// Leaves out the records the notebook, or an earlier file of this import,
// already holds; gives undated records the import's time.
std::vector<NewRecord> NewOnes(std::vector<NewRecord> incoming, const std::string& now,
                               ImportResult& result) {
    std::vector<StoredRecord> stored;
    result.stored = ReadNotebookAtOnce([&stored] { stored = ReadAllRecords(); });
    if (!result.stored.Ok()) return {};
    std::vector<RecordKey> keys;
    keys.reserve(incoming.size());
    for (const NewRecord& r : incoming) keys.push_back({r.kind, r.title, r.content, r.tel});
    const std::vector<bool> there = AlreadyThere(KeysOf(stored), keys);
    std::vector<NewRecord> fresh;
    for (size_t i = 0; i < incoming.size(); ++i) {
        if (there[i]) {
            ++result.alreadyThere;
            continue;
        }
        NewRecord& r = incoming[i];
        if (r.date.empty()) r.date = now;
        (r.kind == RecordKind::Note ? result.notes : result.contacts)++;
        fresh.push_back(std::move(r));
    }
    return fresh;
}

}  // namespace

ImportResult ImportFiles(const std::vector<std::string>& paths, const std::string& now,
                         const ExchangeProgress& progress) {
    ImportResult result;
    std::vector<std::string> files;
    for (const std::string& path : paths) {
        if (platform::IsFolder(path)) {
            CollectFolder(path, 1, files);
        } else {
            files.push_back(path);
        }
    }
    std::vector<NewRecord> incoming;
    for (size_t i = 0; i < files.size(); ++i) {
        FileRecords read = ReadOneFile(files[i]);
        if (read.error.empty()) {
            ++result.files;
            result.picturesSkipped += read.picturesSkipped;
            std::move(read.records.begin(), read.records.end(), std::back_inserter(incoming));
        } else {
            result.refused.push_back({files[i], std::move(read.error)});
        }
        if (progress && !progress(i + 1, files.size() + 1)) {
            result.cancelled = true;
            return result;
        }
    }
    const std::vector<NewRecord> fresh = NewOnes(std::move(incoming), now, result);
    if (result.stored.Ok()) result.stored = AddRecords(fresh);
    if (!result.stored.Ok()) result.notes = result.contacts = 0;
    if (progress) progress(files.size() + 1, files.size() + 1);
    return result;
}

std::string ImportResultText(const ImportResult& result) {
    if (result.cancelled) return Ui::tr("导入已取消，记事本没有改动。");
    std::string text;
    if (!result.stored.Ok()) {
        text = Ui::tr("没有导入任何记录，记事本没有改动：") + StatusText(result.stored);
    } else {
        text = Ui::tr("导入完成：新增 ") + std::to_string(result.notes) + Ui::tr(" 条记事、") +
               std::to_string(result.contacts) + Ui::tr(" 位联系人（读了 ") +
               std::to_string(result.files) + Ui::tr(" 个文件）。");
        if (result.alreadyThere > 0) {
            text += Ui::tr("\n记事本中已有、没有重复导入：") + std::to_string(result.alreadyThere) +
                    Ui::tr(" 条。");
        }
    }
    if (result.picturesSkipped > 0) {
        text += Ui::tr("\n照片和附件不能放进记录，跳过了 ") +
                std::to_string(result.picturesSkipped) + Ui::tr(" 个。");
    }
    if (!result.refused.empty()) {
        text += Ui::tr("\n\n没有导入的文件（") + std::to_string(result.refused.size()) +
                Ui::tr(" 个）：");
        for (const ImportResult::Refused& r : result.refused) {
            text += "\n" + r.path + Cp("\n    ") + r.why;
        }
    }
    return text;
}

std::string StoredTimeNow() {
    const std::tm local = platform::LocalTime(std::time(nullptr));
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
    return text;
}

}  // namespace korvane
