#include "logic/settings.h"

#include <algorithm>

#include "base/ansitext.h"
#include "base/log.h"
#include "platform/codepage.h"
#include "platform/profile.h"
#include "platform/uitext.h"

namespace korvane {
namespace {

constexpr int32_t kTaskbarAllowance = 33;  // screen height minus this is the default height
constexpr int32_t kTopAfterOverflow = 20;

std::string ReadKey(const std::string& iniPath, std::string_view key) {
    return platform::ReadProfileString(iniPath, kSettingsSection, key);
}

bool Overlaps(const WindowRect& a, const WindowRect& b) {
    const int64_t aRight = int64_t{a.left} + a.width, aBottom = int64_t{a.top} + a.height;
    const int64_t bRight = int64_t{b.left} + b.width, bBottom = int64_t{b.top} + b.height;
    return a.left < bRight && b.left < aRight && a.top < bBottom && b.top < aBottom;
}

int64_t OverlapArea(const WindowRect& a, const WindowRect& b) {
    const int64_t w =
        std::min(int64_t{a.left} + a.width, int64_t{b.left} + b.width) - std::max(a.left, b.left);
    const int64_t h =
        std::min(int64_t{a.top} + a.height, int64_t{b.top} + b.height) - std::max(a.top, b.top);
    return w > 0 && h > 0 ? w * h : 0;
}

bool HoldsPoint(const WindowRect& r, int64_t x, int64_t y) {
    return x >= r.left && x < int64_t{r.left} + r.width && y >= r.top &&
           y < int64_t{r.top} + r.height;
}

// The display a window belongs to (see FitOnDisplay).
WindowRect DisplayFor(const WindowRect& bounds, const std::vector<WindowRect>& available,
                      const WindowRect& primary) {
    const int64_t cx = int64_t{bounds.left} + bounds.width / 2;
    const int64_t cy = int64_t{bounds.top} + bounds.height / 2;
    for (const WindowRect& d : available) {
        if (HoldsPoint(d, cx, cy)) return d;
    }
    const WindowRect* best = nullptr;
    int64_t bestArea = 0;
    for (const WindowRect& d : available) {
        if (const int64_t area = OverlapArea(bounds, d); area > bestArea) {
            best = &d;
            bestArea = area;
        }
    }
    return best ? *best : primary;
}

// One axis: the length cut to the room (never below the minimum), the start
// moved so the whole length lies inside the room where it fits.
std::pair<int32_t, int32_t> FitSpan(int32_t start, int32_t length, int32_t roomStart, int32_t room,
                                    int32_t minimum) {
    length = std::max(std::min(length, room), minimum);
    const int64_t last = int64_t{roomStart} + room - length;
    const int64_t fitted = std::max<int64_t>(std::min<int64_t>(start, last), roomStart);
    return {static_cast<int32_t>(fitted), length};
}

// The sentence after the path: what becomes of the file.
std::string WhatHappens(platform::FileReadFailure why) {
    using enum platform::FileReadFailure;
    switch (why) {
        case kTooLarge:
            return Ui::tr(
                "。它超过了 1 MB，不是本程序写的设置文件。本次使用默认的窗口位置和选项；"
                "该文件保持原样，关闭时也不会改写。");
        case kNotRegular:
            return Ui::tr(
                "。它不是普通文件（可能是文件夹或设备）。本次使用默认的窗口位置和选项；"
                "它保持原样，窗口设置这次不会保存。");
        case kLink:
            return Ui::tr(
                "。它是一个链接，程序不会通过链接读写。本次使用默认的窗口位置和选项；"
                "关闭时会在这里写入新的设置文件代替该链接，链接所指向的文件不会被改动。");
        default:
            return Ui::tr(
                "。系统不允许读取它。本次使用默认的窗口位置和选项；"
                "该文件保持原样，关闭时也不会改写。");
    }
}

}  // namespace

std::string SettingsFileNotice(const std::string& iniPath) {
    const platform::FileReadFailure state = platform::ProfileFileState(iniPath);
    if (state == platform::FileReadFailure::kNone ||
        state == platform::FileReadFailure::kNotFound) {
        return {};
    }
    log::Warn(log::Area::App, "settings file not used, " +
                                  std::string(platform::FileReadFailureText(state)) + ": " +
                                  platform::NativePath(iniPath));
    static const std::string unused = Ui::tr("没有读取设置文件 ");
    return unused + iniPath + WhatHappens(state);
}

int32_t SettingsInteger(std::string_view text) {
    std::string number(text);
    if (number.size() > 2 && number[0] == '0' && (number[1] == 'x' || number[1] == 'X')) {
        number.replace(0, 2, "$");
    }
    return ParseInt32(number).value_or(0);
}

bool SettingsFlag(std::string_view text) {
    return SettingsInteger(text) == 1;
}

UiLanguage ChooseUiLanguage(std::string_view setting, std::string_view systemLanguage) {
    const auto lower = [](std::string_view text) {
        std::string out(text);
        for (char& c : out) {
            if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        }
        return out;
    };
    const std::string chosen = lower(setting);
    if (chosen == "en") return UiLanguage::English;
    if (chosen == "zh") return UiLanguage::Chinese;
    // "en", "en_US.UTF-8", "en-GB": the language part alone decides.
    const std::string system = lower(systemLanguage);
    const bool english =
        system.starts_with("en") && (system.size() == 2 || system[2] == '_' || system[2] == '-' ||
                                     system[2] == '.' || system[2] == '@');
    return english ? UiLanguage::English : UiLanguage::Chinese;
}

UiLanguage LoadUiLanguage(const std::string& iniPath, std::string_view systemLanguage) {
    return ChooseUiLanguage(platform::ReadProfileString(iniPath, kLanguageSection, kLanguageKey),
                            systemLanguage);
}

StoredWindow LoadWindowSettings(const std::string& iniPath) {
    StoredWindow s;
    s.left = SettingsInteger(ReadKey(iniPath, "L"));
    s.top = SettingsInteger(ReadKey(iniPath, "T"));
    s.width = SettingsInteger(ReadKey(iniPath, "W"));
    s.height = SettingsInteger(ReadKey(iniPath, "H"));
    s.compact = SettingsFlag(ReadKey(iniPath, "Tra"));
    s.onTop = SettingsFlag(ReadKey(iniPath, "TT"));
    s.hotkey = SettingsFlag(ReadKey(iniPath, "CNQ"));
    return s;
}

bool SaveWindowSettings(const std::string& iniPath, const StoredWindow& v) {
    const std::pair<std::string_view, std::string> keys[] = {
        {"L", std::to_string(v.left)},  {"T", std::to_string(v.top)},
        {"W", std::to_string(v.width)}, {"H", std::to_string(v.height)},
        {"Tra", v.compact ? "1" : "0"}, {"TT", v.onTop ? "1" : "0"},
        {"CNQ", v.hotkey ? "1" : "0"},
    };
    for (const auto& [key, value] : keys) {
        if (!platform::WriteProfileString(iniPath, kSettingsSection, key, value)) return false;
    }
    return true;
}

std::optional<WindowRect> RestoreGeometry(const StoredWindow& stored, int32_t screenWidth,
                                          int32_t screenHeight, int32_t currentWidth) {
    WindowRect r{stored.left, stored.top, stored.width, stored.height};
    if (r.left == 0) r.left = screenWidth - currentWidth;
    if (r.width <= 0) r.width = currentWidth;
    if (r.height <= 0) r.height = screenHeight - kTaskbarAllowance;
    if (r.width <= 0 || r.height <= 0) return std::nullopt;
    if (int64_t{screenWidth} < int64_t{r.left} + r.width) r.left = screenWidth - r.width;
    if (int64_t{screenHeight} < int64_t{r.height} + r.top) r.top = kTopAfterOverflow;
    return r;
}

WindowRect KeepOnDisplays(const WindowRect& bounds, const std::vector<WindowRect>& displays,
                          const WindowRect& primary) {
    const bool visible = std::any_of(displays.begin(), displays.end(),
                                     [&](const WindowRect& d) { return Overlaps(bounds, d); });
    if (visible) return bounds;
    WindowRect moved = bounds;
    moved.left = std::max(primary.left, primary.left + primary.width - bounds.width);
    moved.top = primary.top;
    return moved;
}

WindowRect FitOnDisplay(const WindowRect& bounds, const std::vector<WindowRect>& available,
                        const WindowRect& primaryAvailable, int32_t minWidth, int32_t minHeight) {
    const WindowRect d = DisplayFor(bounds, available, primaryAvailable);
    const auto [left, width] = FitSpan(bounds.left, bounds.width, d.left, d.width, minWidth);
    const auto [top, height] = FitSpan(bounds.top, bounds.height, d.top, d.height, minHeight);
    return {left, top, width, height};
}

}  // namespace korvane
