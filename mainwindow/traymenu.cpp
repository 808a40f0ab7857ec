#include "mainwindow/traymenu.h"

#include <QEvent>
#include <QWindow>

#include "dialogs/qttext.h"
#include "mainwindow/placement.h"
#include "mainwindow/skin.h"
#include "platform/uitext.h"
#include "platformqt/taskbar.h"

namespace korvane {
namespace {

// Intended: the tray names V2.016 while the caption says V3.016. The tray
// text is part of the program's fixed face and stays as shipped; do not
// bring it in line with the caption.
QString ToolTip() {
    return QStringLiteral("Korvane V2.016");
}

QAction* Item(QMenu* menu, const QString& text, const char* name) {
    QAction* action = menu->addAction(text);
    action->setObjectName(QLatin1String(name));
    return action;
}

}  // namespace

TrayMenu::TrayMenu(QWidget* window) : QObject(window) {
    menu = new QMenu(window);
    menu->setObjectName(QStringLiteral("PopupMenu1"));
    standard = Item(menu, ToQt(Ui::tr("标准窗口")), "N2");
    compact = Item(menu, ToQt(Ui::tr("精简窗口")), "N3");
    menu->addSeparator();
    show = Item(menu, ToQt(Ui::tr("显示窗口")), "N5");
    hide = Item(menu, ToQt(Ui::tr("隐藏窗口")), "N6");
    menu->addSeparator();
    exportAll = Item(menu, ToQt(Ui::tr("导出…")), "ExportItem");
    importFiles = Item(menu, ToQt(Ui::tr("导入…")), "ImportItem");
    sync = Item(menu, ToQt(Ui::tr("同步…")), "SyncItem");
    syncNow = Item(menu, ToQt(Ui::tr("立即同步")), "SyncNowItem");
    menu->addSeparator();
    quit = Item(menu, ToQt(Ui::tr("退　　出")), "N1");

    icon = new QSystemTrayIcon(skin::ProgramIcon(), window);
    icon->setObjectName(QStringLiteral("TrayIcon1"));
    icon->setToolTip(ToolTip());
    icon->setContextMenu(menu);
    connect(icon, &QSystemTrayIcon::activated, this,
            [window](QSystemTrayIcon::ActivationReason reason) {
                // A double-click brings a minimised or covered window up, but
                // does not show one that was hidden on purpose.
                if (reason != QSystemTrayIcon::DoubleClick || !window->isVisible()) return;
                if (window->isMinimized()) window->showNormal();
                BringToFront(*window);
            });
    icon->show();
}

void TrayMenu::ShowSyncState(const QString& line) {
    icon->setToolTip(line.isEmpty() ? ToolTip() : ToolTip() + QLatin1Char('\n') + line);
}

void TaskbarMark::Shown(QWindow* handle) {
    // Without a notification area the taskbar is the only way back.
    if (!QSystemTrayIcon::isSystemTrayAvailable() || !handle) return;
    platform::KeepOffTaskbar(handle);
    handle->installEventFilter(this);
    checkPending_ = true;
}

bool TaskbarMark::eventFilter(QObject* watched, QEvent* event) {
    auto* handle = qobject_cast<QWindow*>(watched);
    if (handle && event->type() == QEvent::Expose && checkPending_ && handle->isExposed()) {
        checkPending_ = false;
        platform::KeepOffTaskbar(handle);
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace korvane
