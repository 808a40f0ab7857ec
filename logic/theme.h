// Light or dark: what the user chose in the settings file, what the desktop
// prefers, and the one decision taken from both.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace korvane {

enum class Theme { kLight, kDark };

// The settings file's [ui] theme: auto follows the desktop.
enum class ThemeChoice { kAuto, kLight, kDark };

inline constexpr std::string_view kThemeSection = "ui";
inline constexpr std::string_view kThemeKey = "theme";

// The desktop's colour-scheme preference as the freedesktop appearance
// setting states it: 0 no preference, 1 prefers dark, 2 prefers light.
inline constexpr uint32_t kSchemeNoPreference = 0;
inline constexpr uint32_t kSchemePrefersDark = 1;
inline constexpr uint32_t kSchemePrefersLight = 2;

// "auto", "light" or "dark" in any letter case, blanks around them ignored;
// anything else (a typing error, an empty value) reads as auto.
ThemeChoice ParseThemeChoice(std::string_view text);

// The choice in the settings file at `iniPath`; auto when it holds none.
ThemeChoice LoadThemeChoice(const std::string& iniPath);

// The theme to show. A choice of light or dark is kept whatever the desktop
// says. On auto, the desktop's stated preference decides; with no preference,
// an unknown value or no answer at all, the window colour of the desktop's
// own palette does (its lightness 0..255 from black to white): below the
// middle is dark.
Theme DecideTheme(ThemeChoice choice, std::optional<uint32_t> desktopScheme,
                  int paletteWindowLightness);

}  // namespace korvane
