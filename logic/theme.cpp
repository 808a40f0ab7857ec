#include "logic/theme.h"

#include "platform/profile.h"

namespace korvane {
namespace {

constexpr int kMiddleLightness = 128;

std::string_view Trimmed(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!text.empty() && blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && blank(text.back())) text.remove_suffix(1);
    return text;
}

bool SameLetters(std::string_view text, std::string_view lower) {
    if (text.size() != lower.size()) return false;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i] >= 'A' && text[i] <= 'Z' ? char(text[i] - 'A' + 'a') : text[i];
        if (c != lower[i]) return false;
    }
    return true;
}

}  // namespace

ThemeChoice ParseThemeChoice(std::string_view text) {
    text = Trimmed(text);
    if (SameLetters(text, "light")) return ThemeChoice::kLight;
    if (SameLetters(text, "dark")) return ThemeChoice::kDark;
    return ThemeChoice::kAuto;
}

ThemeChoice LoadThemeChoice(const std::string& iniPath) {
    return ParseThemeChoice(platform::ReadProfileString(iniPath, kThemeSection, kThemeKey));
}

Theme DecideTheme(ThemeChoice choice, std::optional<uint32_t> desktopScheme,
                  int paletteWindowLightness) {
    if (choice == ThemeChoice::kLight) return Theme::kLight;
    if (choice == ThemeChoice::kDark) return Theme::kDark;
    if (desktopScheme == kSchemePrefersDark) return Theme::kDark;
    if (desktopScheme == kSchemePrefersLight) return Theme::kLight;
    return paletteWindowLightness < kMiddleLightness ? Theme::kDark : Theme::kLight;
}

}  // namespace korvane
