#include "render/keepingnotice.h"

#include "platform/codepage.h"
#include "platform/uitext.h"
#include "store/notebook.h"

namespace korvane {
namespace {

bool IsTrash(const std::string& asideName) {
    return asideName.starts_with(kTrashTable);
}

std::string AsideLine(const std::string& asideName, const std::string& notebook) {
    const std::string what = IsTrash(asideName) ? Ui::tr("回收站") : Ui::tr("历史版本");
    return Ui::tr("记事本 ") + notebook + Ui::tr(" 中的") + what + Ui::tr("表无法写入，已改名为 ") +
           asideName + Ui::tr(" 原样留在记事本中，其中的内容没有删除。");
}

std::string CopyLine(const KeepingFindings& findings, KeptChange change) {
    if (change == KeptChange::Deleted) {
        return findings.copyLost ? Ui::tr("这条记录没有放入回收站，这次删除不能撤销。")
                                 : Ui::tr(
                                       "这条记录已放入新的回收站，可以撤销；此前删除的记录只在改名"
                                       "后的表中，回收站里不再显示。");
    }
    return findings.copyLost ? Ui::tr("这条记录被替换的内容没有存入历史版本，无法再找回。")
                             : Ui::tr(
                                   "被替换的内容已存入新的历史版本；此前的历史版本只在改名后的表"
                                   "中，历史版本里不再显示。");
}

}  // namespace

std::string KeepingNotice(const KeepingFindings& findings, KeptChange change,
                          const std::string& notebook) {
    if (!findings.Any()) return {};
    std::string notice =
        change == KeptChange::Deleted ? Ui::tr("记录已删除。") : Ui::tr("记录已保存。");
    for (const std::string& aside : findings.setAside) {
        notice += "\r\n" + AsideLine(aside, notebook);
    }
    return notice + "\r\n" + CopyLine(findings, change);
}

std::string TakeKeepingNotice(KeptChange change) {
    return KeepingNotice(TakeKeepingFindings(), change, NotebookPath());
}

}  // namespace korvane
