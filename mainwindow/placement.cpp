#include "mainwindow/placement.h"

#include <QApplication>
#include <QCheckBox>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <QWindow>
#include <vector>

#include "mainwindow/windowlog.h"

namespace korvane {
namespace {

WindowRect ToRect(const QRect& r) {
    return {r.x(), r.y(), r.width(), r.height()};
}

}  // namespace

std::optional<QRect> RestoredGeometry(const StoredWindow& stored, const QWidget& window) {
    const QScreen* primary = QGuiApplication::primaryScreen();
    if (!primary) return std::nullopt;
    const QRect screen = primary->geometry();
    const auto bounds = RestoreGeometry(stored, screen.width(), screen.height(), window.width());
    if (!bounds) return std::nullopt;
    std::vector<WindowRect> displays, available;
    for (const QScreen* s : QGuiApplication::screens()) {
        displays.push_back(ToRect(s->geometry()));
        available.push_back(ToRect(s->availableGeometry()));
    }
    const WindowRect r = FitOnDisplay(KeepOnDisplays(*bounds, displays, ToRect(screen)), available,
                                      ToRect(primary->availableGeometry()), window.minimumWidth(),
                                      window.minimumHeight());
    return QRect(r.left, r.top, r.width, r.height);
}

void RestoreWindow(const std::string& iniPath, QWidget& window, const StoredOptions& options) {
    try {
        const StoredWindow stored = LoadWindowSettings(iniPath);
        const std::optional<QRect> bounds = RestoredGeometry(stored, window);
        if (!bounds) return;
        window.setGeometry(*bounds);

        options.compact->setChecked(stored.compact);
        if (stored.onTop) {
            options.onTop->setChecked(true);
            options.applyOnTop();
        }
        if (stored.hotkey) {
            options.hotkey->setChecked(true);
            options.applyHotkey();
        }
    } catch (const std::exception& e) {
        // A settings file that cannot be used leaves the window as it is.
        qCWarning(lcWindow) << "settings not restored:" << e.what();
    }
}

void SaveWindow(const std::string& iniPath, const QWidget& window, const StoredOptions& options) {
    const StoredWindow values{window.x(),
                              window.y(),
                              window.width(),
                              window.height(),
                              options.compact->isChecked(),
                              options.onTop->isChecked(),
                              options.hotkey->isChecked()};
    // A file that cannot be written ends the save quietly; the close goes on.
    SaveWindowSettings(iniPath, values);
}

void SetStaysOnTop(QWidget& window, bool on) {
    // Changing the widget's flags would re-create and hide the window; the
    // native window takes the state as it is, and the widget's copy of the
    // flags is kept in step without touching the window.
    Qt::WindowFlags flags = window.windowFlags();
    flags.setFlag(Qt::WindowStaysOnTopHint, on);
    window.overrideWindowFlags(flags);
    if (QWindow* handle = window.windowHandle()) handle->setFlag(Qt::WindowStaysOnTopHint, on);
}

void BringToFront(QWidget& window) {
    QWidget* target = QApplication::activeModalWidget();
    if (!target) target = &window;
    if (!target->isVisible() || !target->isEnabled()) return;
    target->raise();
    target->activateWindow();
}

}  // namespace korvane
