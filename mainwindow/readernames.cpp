#include "mainwindow/readernames.h"

#include <QCheckBox>
#include <QLabel>
#include <QMenu>
#include <QToolButton>
#include <QWebEngineView>

#include "dialogs/qttext.h"
#include "mainwindow/mainwindow.h"
#include "platform/uitext.h"

namespace korvane {
namespace {

// A description for an option that has no tooltip of its own: a tooltip
// (such as the one saying why Ctrl+Q cannot work here) is read out instead.
void Describe(QWidget* control, const QString& description) {
    if (control->toolTip().isEmpty()) control->setAccessibleDescription(description);
}

}  // namespace

void NameForReaders(TMyHappy& window) {
    window.BitBtn1->setAccessibleDescription(ToQt(Ui::tr("把窗口隐藏到通知区域")));
    window.BitBtn3->setAccessibleDescription(ToQt(Ui::tr("关闭窗口，结束程序")));
    window.Image7->setAccessibleName(QStringLiteral("Korvane"));
    window.PLt->setAccessibleName(ToQt(Ui::tr("选项")));
    Describe(window.Run, ToQt(Ui::tr("登录桌面时启动 Korvane")));
    Describe(window.CBN, ToQt(Ui::tr("窗口失去焦点时缩成精简的一条")));
    Describe(window.CNQ, ToQt(Ui::tr("在任何程序中按 Ctrl+Q 显示这个窗口")));
    window.Panel1->setAccessibleDescription(ToQt(Ui::tr("双击恢复标准窗口")));
    window.MyBody->setAccessibleName(ToQt(Ui::tr("记事和联系人")));
    window.PopupMenu1->setAccessibleName(QStringLiteral("Korvane"));
}

}  // namespace korvane
