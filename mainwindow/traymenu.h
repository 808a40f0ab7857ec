// The notification-area icon with its menu, and the taskbar mark that keeps
// the window off the taskbar while the icon is the way back to it.
#pragma once

#include <QAction>
#include <QMenu>
#include <QObject>
#include <QSystemTrayIcon>

class QWindow;

namespace korvane {

class TrayMenu : public QObject {
  public:
    // Builds the menu and shows the icon; the items do nothing until the
    // window connects them. A double-click on the icon brings `window` up.
    explicit TrayMenu(QWidget* window);

    QMenu* menu;            // PopupMenu1
    QAction* standard;      // N2
    QAction* compact;       // N3
    QAction* show;          // N5
    QAction* hide;          // N6
    QAction* exportAll;     // the notebook into files
    QAction* importFiles;   // records from files
    QAction* sync;          // 同步…: the sync account
    QAction* syncNow;       // 立即同步
    QAction* quit;          // N1
    QSystemTrayIcon* icon;  // TrayIcon1

    // The icon's tooltip with the last sync's outcome on a second line.
    void ShowSyncState(const QString& line);
};

// Keeps a window off the taskbar. The toolkit replaces the native window on
// the first show after always-on-top changed, so the mark is set again once
// the window is on screen.
class TaskbarMark : public QObject {
  public:
    explicit TaskbarMark(QObject* parent) : QObject(parent) {}

    // At each show of the window whose native window is `handle`.
    void Shown(QWindow* handle);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    bool checkPending_ = false;
};

}  // namespace korvane
