// Light or dark: the settings file's choice over the desktop's preference,
// the preference over the palette, the palette when the desktop says nothing.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <tuple>

#include "logic/theme.h"
#include "platform/profile.h"
#include "support/tempdir.h"

namespace korvane {
namespace {

constexpr int kWhiteWindow = 239;  // a light desktop palette's window lightness
constexpr int kBlackWindow = 42;

struct Case {
    ThemeChoice choice;
    std::optional<uint32_t> scheme;
    int lightness;
    Theme expected;
};

class DecideThemeTest : public testing::TestWithParam<Case> {};

TEST_P(DecideThemeTest, Decides) {
    const Case& c = GetParam();
    EXPECT_EQ(DecideTheme(c.choice, c.scheme, c.lightness), c.expected);
}

constexpr auto kAuto = ThemeChoice::kAuto;
constexpr auto kLight = Theme::kLight;
constexpr auto kDark = Theme::kDark;

INSTANTIATE_TEST_SUITE_P(
    Auto, DecideThemeTest,
    testing::Values(
        // The desktop's stated preference wins over its palette, either way.
        Case{kAuto, kSchemePrefersDark, kWhiteWindow, kDark},
        Case{kAuto, kSchemePrefersLight, kBlackWindow, kLight},
        Case{kAuto, kSchemePrefersDark, kBlackWindow, kDark},
        Case{kAuto, kSchemePrefersLight, kWhiteWindow, kLight},
        // No preference, no portal, or a value the setting does not define:
        // the palette decides.
        Case{kAuto, kSchemeNoPreference, kBlackWindow, kDark},
        Case{kAuto, kSchemeNoPreference, kWhiteWindow, kLight},
        Case{kAuto, std::nullopt, kBlackWindow, kDark},
        Case{kAuto, std::nullopt, kWhiteWindow, kLight}, Case{kAuto, 3u, kBlackWindow, kDark},
        Case{kAuto, 0xFFFFFFFFu, kWhiteWindow, kLight},
        // The palette's middle: 127 is dark, 128 light.
        Case{kAuto, std::nullopt, 127, kDark}, Case{kAuto, std::nullopt, 128, kLight},
        Case{kAuto, std::nullopt, 0, kDark}, Case{kAuto, std::nullopt, 255, kLight}));

// A choice in the settings file holds against every desktop.
class ChosenThemeTest
    : public testing::TestWithParam<std::tuple<ThemeChoice, std::optional<uint32_t>, int>> {};

TEST_P(ChosenThemeTest, ChoiceWins) {
    const auto [choice, scheme, lightness] = GetParam();
    EXPECT_EQ(DecideTheme(choice, scheme, lightness),
              choice == ThemeChoice::kDark ? Theme::kDark : Theme::kLight);
}

INSTANTIATE_TEST_SUITE_P(
    Override, ChosenThemeTest,
    testing::Combine(testing::Values(ThemeChoice::kLight, ThemeChoice::kDark),
                     testing::Values(std::nullopt, std::optional<uint32_t>(kSchemeNoPreference),
                                     std::optional<uint32_t>(kSchemePrefersDark),
                                     std::optional<uint32_t>(kSchemePrefersLight)),
                     testing::Values(kBlackWindow, kWhiteWindow)));

TEST(ThemeChoiceText, ReadsTheThreeWordsAndTakesAnythingElseAsAuto) {
    const std::pair<const char*, ThemeChoice> cases[] = {
        {"auto", ThemeChoice::kAuto},      {"light", ThemeChoice::kLight},
        {"dark", ThemeChoice::kDark},      {"DARK", ThemeChoice::kDark},
        {" Light\t", ThemeChoice::kLight}, {"dark\r\n", ThemeChoice::kDark},
        {"", ThemeChoice::kAuto},          {"darker", ThemeChoice::kAuto},
        {"dar", ThemeChoice::kAuto},       {"1", ThemeChoice::kAuto},
        {"d ark", ThemeChoice::kAuto},     {"黑", ThemeChoice::kAuto}};
    for (const auto& [text, expected] : cases) {
        EXPECT_EQ(ParseThemeChoice(text), expected) << '"' << text << '"';
    }
}

TEST(ThemeChoiceFile, ReadsTheUiSectionAndDefaultsToAuto) {
    const test::TempDir dir("korvane theme");
    const std::string ini = dir.CodePageDir() + "sys.ini";
    EXPECT_EQ(LoadThemeChoice(ini), ThemeChoice::kAuto);  // no file yet
    // The window's own section does not count; only [ui] does.
    ASSERT_TRUE(platform::WriteProfileString(ini, "sys", "theme", "dark"));
    EXPECT_EQ(LoadThemeChoice(ini), ThemeChoice::kAuto);
    ASSERT_TRUE(platform::WriteProfileString(ini, "UI", "Theme", "dark"));
    EXPECT_EQ(LoadThemeChoice(ini), ThemeChoice::kDark);
    ASSERT_TRUE(platform::WriteProfileString(ini, "ui", "theme", "light"));
    EXPECT_EQ(LoadThemeChoice(ini), ThemeChoice::kLight);
    ASSERT_TRUE(platform::WriteProfileString(ini, "ui", "theme", "purple"));
    EXPECT_EQ(LoadThemeChoice(ini), ThemeChoice::kAuto);
}

}  // namespace
}  // namespace korvane
