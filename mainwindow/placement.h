// Where a show puts the main window, from the settings file's values and the
// screens as they are now.
#pragma once

#include <QRect>
#include <functional>
#include <optional>
#include <string>

#include "logic/settings.h"

class QCheckBox;
class QWidget;

namespace korvane {

// The restored bounds of `window`, kept on a display and limited to what its
// available area can show; none when the values give no usable size (then
// neither bounds nor options are applied).
std::optional<QRect> RestoredGeometry(const StoredWindow& stored, const QWidget& window);

// The options sys.ini keeps, and how a restored option takes effect.
struct StoredOptions {
    QCheckBox* compact;  // CBN
    QCheckBox* onTop;    // CB
    QCheckBox* hotkey;   // CNQ
    std::function<void()> applyOnTop;
    std::function<void()> applyHotkey;
};

// Reads sys.ini at `iniPath` and applies its bounds to `window` and then its
// options. No usable size applies nothing; a file that cannot be used leaves
// the window as it is. Always-on-top and the hotkey are only ever switched on
// here, and applied once more after their box was ticked.
void RestoreWindow(const std::string& iniPath, QWidget& window, const StoredOptions& options);

// Writes the window's bounds and the options to sys.ini; a file that cannot
// be written is let go.
void SaveWindow(const std::string& iniPath, const QWidget& window, const StoredOptions& options);

// Keeps `window` above other windows or lets it go, in place: neither moved,
// resized, hidden nor activated.
void SetStaysOnTop(QWidget& window, bool on);

// Raises and activates the program's modal dialog if one is open, else
// `window`, provided it is visible and enabled.
void BringToFront(QWidget& window);

}  // namespace korvane
