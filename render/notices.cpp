#include "render/notices.h"

#include "platform/apppaths.h"
#include "platform/codepage.h"
#include "platform/fileinfo.h"
#include "platform/uitext.h"
#include "render/storetexts.h"

namespace korvane {
namespace {

// Adds a paragraph to a notice.
void AddParagraph(std::string& notice, const std::string& text) {
    if (!notice.empty()) notice += "\r\n\r\n";
    notice += text;
}

std::string DamagedNotice(const OpenFindings& findings) {
    if (findings.damagedAside.empty()) {
        return Ui::tr("数据库已损坏，且无法另存（文件夹不可写），文件未做任何改动。");
    }
    return Ui::tr("数据库已损坏，已另存为 ") + findings.damagedAside +
           (findings.renewed ? Ui::tr("，并新建了记事本。") : Ui::tr("，但无法新建记事本。"));
}

std::string ReadOnlyNotice(const std::string& path, const std::string& encoding) {
    return Ui::tr("记事本 ") + path + Ui::tr(" 的文字编码是 ") + encoding +
           Ui::tr(
               "，不是本程序使用的 UTF-8，保存会写坏其中的文字。"
               "因此记事本以只读方式打开：可以查看，但不能保存或删除。记事本未做任何改动。");
}

std::string ForeignSchemaNotice(const std::string& path, int64_t count) {
    return Ui::tr("记事本 ") + path + Ui::tr(" 中有 ") + std::to_string(count) +
           Ui::tr(
               " 个不是本程序建立的触发器或视图。为安全起见，它们不会运行，也未被删除；"
               "记事本的其他内容照常使用。");
}

std::string RestoreFailure(const RestoreResult& result) {
    using Outcome = RestoreResult::Outcome;
    const std::string& path = result.path;
    switch (result.outcome) {
        case Outcome::NotWhole:
            return Ui::tr("无法从备份恢复：") + path +
                   Ui::tr(" 不是一个完好的记事本文件。记事本没有改动。");
        case Outcome::NotCopied:
            return Ui::tr("无法从备份恢复：备份文件无法复制到 ") + path +
                   Ui::tr("。记事本没有改动。");
        case Outcome::NotMovedAside:
            return Ui::tr("无法从备份恢复：记事本文件 ") + path +
                   Ui::tr(" 无法移开。记事本没有改动。");
        case Outcome::NotPlaced:
            return Ui::tr("无法从备份恢复：恢复的副本无法放到 ") + path +
                   Ui::tr("。副本已另存，下次启动时会再次询问。");
        default:
            return {};
    }
}

// The take-over notice's first sentence: where the data goes now, and why.
std::string Moved() {
    return Ui::tr("本程序所在的文件夹 ") + ApplicationDirectory() +
           Ui::tr(" 不能写入，程序的数据现在保存在 ") + DataDirectory() + Ui::tr("。");
}

std::string NotCopiedNotice(const TakeOver& takeOver, const std::string& why) {
    return Moved() + Ui::tr("原来的记事本 ") + takeOver.beside + Ui::tr(" 未能复制过来（") + why +
           Ui::tr("），新位置的记事本是新建的；您原来的记录仍完整保存在 ") + takeOver.beside +
           Ui::tr("，该文件未做任何改动。");
}

}  // namespace

std::string OpenNotice(const OpenFindings& findings, const std::string& notebook) {
    std::string notice;
    if (findings.working == OpenFindings::Working::Damaged) {
        AddParagraph(notice, DamagedNotice(findings));
    }
    if (!findings.readOnlyEncoding.empty()) {
        AddParagraph(notice, ReadOnlyNotice(notebook, findings.readOnlyEncoding));
    }
    if (findings.foreignSchema > 0) {
        AddParagraph(notice, ForeignSchemaNotice(notebook, findings.foreignSchema));
    }
    return notice;
}

std::string OpenNotice() {
    return OpenNotice(LastOpenFindings(), NotebookPath());
}

std::string RestoreText(const RestoreResult& result) {
    switch (result.outcome) {
        case RestoreResult::Outcome::StoppedEarly:
            return kStoppedEarly;
        case RestoreResult::Outcome::Restored:
            return result.opened.Ok() ? std::string(texts::kOpen) : StatusText(result.opened);
        default:
            return RestoreFailure(result);
    }
}

std::string BackupNotice(const DailyBackup& backup, DailyBackup::Outcome outcome,
                         std::chrono::system_clock::time_point now) {
    const std::string& folder = backup.Folder();
    const std::string target = backup.PathOf(DailyBackupName(LocalDay(now)));
    const std::string unharmed = Ui::tr("记事本本身没有受到影响，其中的记录完好无损。");
    switch (outcome) {
        case DailyBackup::Outcome::DiskFull:
            return Ui::tr("今天的备份未能写入：磁盘空间已满。") + "\r\n" + folder + "\r\n" +
                   Ui::tr("请腾出空间；") + unharmed;
        case DailyBackup::Outcome::NameTaken: {
            const bool folderTaken = platform::EntryKindOf(folder) != platform::EntryKind::Folder;
            return Ui::tr(
                       "今天的备份未能写入：备份的位置已被一个文件夹或其他不是备份的文件占用。") +
                   "\r\n" + (folderTaken ? folder : target) + "\r\n" + Ui::tr("请将它移走；") +
                   unharmed;
        }
        case DailyBackup::Outcome::Failed:
            return Ui::tr("今天的备份未能写入：") + "\r\n" + target + Cp("\r\n") + unharmed;
        default:
            return {};
    }
}

std::string TakeOverNotice(const TakeOver& takeOver) {
    switch (takeOver.outcome) {
        case TakeOver::Outcome::Copied:
            return Moved() + Ui::tr("原来的记事本 ") + takeOver.beside + Ui::tr("（") +
                   std::to_string(takeOver.records) + Ui::tr(" 条记录）已复制到 ") +
                   takeOver.working +
                   Ui::tr("，您的记录都在，今后的修改保存在新位置；原来的文件未做任何改动。");
        case TakeOver::Outcome::Unreadable:
            return NotCopiedNotice(takeOver, Ui::tr("无法读取"));
        case TakeOver::Outcome::NotWritten:
            return NotCopiedNotice(takeOver, Ui::tr("无法写入新位置"));
        case TakeOver::Outcome::NotPlaced:
            return NotCopiedNotice(takeOver, Ui::tr("无法放到新位置"));
        default:
            return {};
    }
}

}  // namespace korvane
