// The main window's settings file: how its values are read and written, and
// where a restored window goes on the screen.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace korvane {

// The one section of the settings file.
inline constexpr std::string_view kSettingsSection = "sys";

// Reads an integer as written in the file: "0x"/"0X" in front of a longer text
// stands for "$"; "$" marks hexadecimal digits, anything else is a signed
// decimal number; text that is no number gives 0.
int32_t SettingsInteger(std::string_view text);

// A flag is set only when its value reads as the integer 1.
bool SettingsFlag(std::string_view text);

// What the settings file holds.
struct StoredWindow {
    int32_t left = 0;
    int32_t top = 0;
    int32_t width = 0;
    int32_t height = 0;
    bool compact = false;  // Tra: automatic compact view
    bool onTop = false;    // TT: always on top
    bool hotkey = false;   // CNQ: the Ctrl+Q hotkey
};

struct WindowRect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t width = 0;
    int32_t height = 0;
    bool operator==(const WindowRect&) const = default;
};

// What the user is told once at start about the settings file at `iniPath`
// when the program does not use it (code page): too large, no regular file,
// unreadable (each left exactly as it is, and not rewritten at close) or a
// link (not followed; a regular file takes its place at close, the link's
// target is untouched); the defaults are used. Empty when the file is used
// or there is none yet.
std::string SettingsFileNotice(const std::string& iniPath);

// The language of the texts the program shows.
enum class UiLanguage { Chinese, English };

// The section and key of the language setting: "en", "zh" or "auto" (the
// default: the system's language, see platform::UserLanguageName).
inline constexpr std::string_view kLanguageSection = "ui";
inline constexpr std::string_view kLanguageKey = "language";

// The language from the setting's value and the system's language name. An
// explicit "en" or "zh" (any letter case) wins over the system; otherwise
// (auto, absent or unknown) a system language name starting with "en" gives
// English; Chinese stays the default for every other one.
UiLanguage ChooseUiLanguage(std::string_view setting, std::string_view systemLanguage);

// The language setting of the file at `iniPath` applied to `systemLanguage`.
UiLanguage LoadUiLanguage(const std::string& iniPath, std::string_view systemLanguage);

// Missing keys and unreadable values read as 0.
StoredWindow LoadWindowSettings(const std::string& iniPath);

// Writes the keys L, T, W, H, Tra, TT, CNQ in that order, each at once; stops
// at the first key that cannot be written and returns false then.
bool SaveWindowSettings(const std::string& iniPath, const StoredWindow& values);

// The bounds a show gives the window, from the stored values, the primary
// screen's size and the window's current width. A stored 0 (or a negative
// size) counts as absent: the left edge then goes to the screen's right edge,
// the width stays, the height is the screen height less 33. A window running
// past the right edge is pulled left, one running past the bottom gets top 20.
// Nothing is to be applied (neither bounds nor options) when no usable size
// results.
std::optional<WindowRect> RestoreGeometry(const StoredWindow& stored, int32_t screenWidth,
                                          int32_t screenHeight, int32_t currentWidth);

// A window whose bounds lie wholly outside every display is brought back to
// the top right corner of the primary display, keeping its size; any other
// window stays where it is.
WindowRect KeepOnDisplays(const WindowRect& bounds, const std::vector<WindowRect>& displays,
                          const WindowRect& primary);

// Limits restored bounds to what a display can show, so that a settings file
// with sizes far beyond the screens cannot make a window the page engine
// fails on. The display is the one holding the window's centre, else the one
// it overlaps most, else the primary; `available` lists each display's area
// free of panels. The size is cut to that area (never below the minimum) and
// the window is moved inside it.
WindowRect FitOnDisplay(const WindowRect& bounds, const std::vector<WindowRect>& available,
                        const WindowRect& primaryAvailable, int32_t minWidth, int32_t minHeight);

}  // namespace korvane
