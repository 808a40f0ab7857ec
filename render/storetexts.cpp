#include "render/storetexts.h"

#include <algorithm>
#include <vector>

#include "platform/codepage.h"
#include "platform/uitext.h"
#include "store/notebook.h"

namespace korvane {
namespace texts {

const std::string& DatabaseMissing() {
    static const std::string text = Ui::tr(
        "<br/><br/>无法找到数据库,请重新安装!<br/><br/>"
        "注意：因数据库的限制，请不要直接复制到桌面上运行<br/><br/>"
        "　　　并且安装的目录不能包含中文字<br/><br/>"
        "　　例如安装到 \"D:\\Brisvale\\\" 下即可正常使用，谢谢！");
    return text;
}

namespace {

// A path put into the page's markup.
std::string EscapedForMarkup(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

}  // namespace

std::string NotebookUnreadable(const std::string& path) {
    return Ui::tr("<br/><br/>无法读取记事本：没有权限打开文件<br/><br/>") + EscapedForMarkup(path) +
           Ui::tr(
               "<br/><br/>这个文件属于其他用户，或您没有进入它所在文件夹的权限。"
               "请以文件的所有者身份运行本程序，或请管理员给您读写它的权限。"
               "<br/><br/>记事本未做任何改动。");
}

std::string ReadOnlySaveRefused(const std::string& path) {
    return Ui::tr("保存失败：记事本 ") + path +
           Ui::tr(
               " 的文字编码不是 UTF-8，以只读方式打开，保存会写坏其中的文字。"
               "记事本未做任何改动，您输入的内容仍保留在编辑窗口中。");
}

const std::string& DatabaseBroken() {
    static const std::string text = Ui::tr("无法完成！数据库有问题！请重新安装");
    return text;
}

const std::string& NoData() {
    static const std::string text = Ui::tr("没有数据,请立即新增！");
    return text;
}

const std::string& SaveFailed(SaveFailure why) {
    static const std::string texts[] = {
        Ui::tr("保存失败：数据库被其他程序锁定。您输入的内容仍保留在编辑窗口中。"),
        Ui::tr("保存失败：数据库文件是只读的，无法写入。您输入的内容仍保留在编辑窗口中。"),
        Ui::tr("保存失败：磁盘空间已满。您输入的内容仍保留在编辑窗口中。"),
        Ui::tr("保存失败：数据库文件已损坏。您输入的内容仍保留在编辑窗口中。"),
        Ui::tr("保存失败：数据库文件已被移走或替换，无法保存。您输入的内容仍保留在编辑窗口中。"),
        Ui::tr("保存失败：数据库未能执行这条语句。您输入的内容仍保留在编辑窗口中。"),
        Ui::tr("保存失败：没有要执行的语句。您输入的内容仍保留在编辑窗口中。"),
    };
    return texts[static_cast<size_t>(why)];
}

}  // namespace texts

namespace {

// The save failure a refused statement's status stands for.
texts::SaveFailure SaveFailureOf(StoreStatus status) {
    switch (status) {
        case StoreStatus::Locked:
            return texts::SaveFailure::Locked;
        case StoreStatus::ReadOnly:
            return texts::SaveFailure::ReadOnly;
        case StoreStatus::DiskFull:
            return texts::SaveFailure::DiskFull;
        case StoreStatus::Damaged:
            return texts::SaveFailure::Damaged;
        case StoreStatus::Moved:
            return texts::SaveFailure::Moved;
        case StoreStatus::Empty:
            return texts::SaveFailure::Empty;
        default:
            return texts::SaveFailure::Failed;
    }
}

}  // namespace

void LoadRecord(const std::string& query, std::array<std::string, 9>& values) {
    std::vector<std::string> fields;
    const StoreResult result = ReadFirstRow(query, fields, values.size());
    switch (result.status) {
        case StoreStatus::Done:
        case StoreStatus::Failed:  // what was read before the failure stays
            std::copy(fields.begin(), fields.end(), values.begin());
            return;
        case StoreStatus::Broken:
        case StoreStatus::NotFound:
            values[0] = texts::kNotFound;
            values[1] = StatusText(result);
            return;
        default:  // the notebook is not open: nothing is written
            return;
    }
}

std::string StatusText(const StoreResult& result) {
    switch (result.status) {
        case StoreStatus::Done:
            return texts::kDone;
        case StoreStatus::Missing:
            return texts::DatabaseMissing();
        case StoreStatus::Unreadable:
            return texts::NotebookUnreadable(result.path);
        case StoreStatus::Broken:
            return texts::DatabaseBroken();
        case StoreStatus::NotFound:
            return texts::NoData();
        case StoreStatus::ReadOnlyEncoding:
            return texts::ReadOnlySaveRefused(result.path);
        default:
            return texts::SaveFailed(SaveFailureOf(result.status));
    }
}

std::string OpenDatabase() {
    const StoreResult opened = OpenNotebook();
    return opened.Ok() ? std::string(texts::kOpen) : StatusText(opened);
}

std::string ExecSql(const std::string& statement) {
    return ExecSql(statement, {});
}

std::string ExecSql(const std::string& statement, const SqlValues& values) {
    return StatusText(RunStatement(statement, values));
}

}  // namespace korvane
