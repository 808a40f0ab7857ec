// The texts' language: how it is chosen from the setting and the system, and
// that Ui::tr keeps every Chinese text's bytes exactly when no translation is
// installed, or a translation lacks the text.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <string>

#include "logic/settings.h"
#include "platform/codepage.h"
#include "platform/uitext.h"
#include "support/tempdir.h"
#include "support/tsfile.h"

namespace korvane {
namespace {

struct LanguageCase {
    const char* setting;
    const char* system;
    UiLanguage expected;
};

class ChooseLanguage : public ::testing::TestWithParam<LanguageCase> {};

TEST_P(ChooseLanguage, SettingWinsOverTheSystem) {
    const LanguageCase& c = GetParam();
    EXPECT_EQ(ChooseUiLanguage(c.setting, c.system), c.expected)
        << "setting '" << c.setting << "', system '" << c.system << "'";
}

constexpr UiLanguage kEn = UiLanguage::English;
constexpr UiLanguage kZh = UiLanguage::Chinese;

INSTANTIATE_TEST_SUITE_P(Cases, ChooseLanguage,
                         ::testing::Values(
                             // The setting decides whatever the system says.
                             LanguageCase{"en", "zh_CN.UTF-8", kEn}, LanguageCase{"EN", "", kEn},
                             LanguageCase{"zh", "en_US.UTF-8", kZh}, LanguageCase{"Zh", "en", kZh},
                             // auto, absent or unknown: the system's language.
                             LanguageCase{"auto", "en_US.UTF-8", kEn},
                             LanguageCase{"", "en_GB", kEn}, LanguageCase{"", "en", kEn},
                             LanguageCase{"", "en-US", kEn}, LanguageCase{"", "en@quot", kEn},
                             LanguageCase{"fr", "en_AU.UTF-8", kEn},
                             LanguageCase{"AUTO", "EN_us", kEn},
                             // Chinese stays the default for every other system language.
                             LanguageCase{"auto", "zh_CN.UTF-8", kZh}, LanguageCase{"", "", kZh},
                             LanguageCase{"", "C", kZh}, LanguageCase{"", "POSIX", kZh},
                             LanguageCase{"", "fr_FR.UTF-8", kZh}, LanguageCase{"", "eng", kZh},
                             LanguageCase{"", "zh-CN", kZh}));

TEST(LoadLanguage, ReadsTheUiSectionOfTheSettingsFile) {
    const test::TempDir dir("language 语言");
    const std::string ini = dir.CodePageDir() + "sys.ini";
    EXPECT_EQ(LoadUiLanguage(ini, "en_US.UTF-8"), kEn) << "no file: the system decides";
    std::ofstream(dir.path() / "sys.ini") << "[sys]\nL=10\n[ui]\nlanguage = zh\n";
    EXPECT_EQ(LoadUiLanguage(ini, "en_US.UTF-8"), kZh);
    std::ofstream(dir.path() / "sys.ini") << "[UI]\nLanguage=en\n";
    EXPECT_EQ(LoadUiLanguage(ini, "zh_CN.UTF-8"), kEn);
    std::ofstream(dir.path() / "sys.ini") << "[sys]\nlanguage=en\n";
    EXPECT_EQ(LoadUiLanguage(ini, "zh_CN.UTF-8"), kZh) << "only the [ui] section counts";
}

// A stand-in translation: one known text, nothing for the others.
std::string FakeTranslation(std::string_view utf8, const char* disambiguation) {
    if (utf8 != "记事本") return {};
    return disambiguation == nullptr ? "Notes" : std::string("Notebook ") + disambiguation;
}

// Installs a translation for one test and takes it away again, so the other
// tests of a process see the Chinese texts.
class UiText : public ::testing::Test {
  protected:
    ~UiText() override { InstallUiTranslation(nullptr); }
};

TEST_F(UiText, EveryShippedSourceTextKeepsItsCodePageBytesInChinese) {
    const auto messages =
        test::ReadTsFile(std::string(KORVANE_SOURCE_DIR) + "/translations/korvane_en.ts");
    ASSERT_GT(messages.size(), 100u);
    // The file's character references read back as the code's characters.
    EXPECT_TRUE(std::any_of(messages.begin(), messages.end(),
                            [](const test::TsMessage& m) { return m.source == "确　定"; }));
    InstallUiTranslation(nullptr);
    for (const test::TsMessage& m : messages) {
        const char* comment = m.comment.empty() ? nullptr : m.comment.c_str();
        EXPECT_EQ(Ui::tr(m.source, comment), Cp(m.source)) << m.source;
        EXPECT_FALSE(m.translation.empty()) << "unfinished: " << m.source;
    }
}

TEST_F(UiText, KnownTextsAreTheirGbkBytes) {
    EXPECT_EQ(Ui::tr("记事本"), "\xBC\xC7\xCA\xC2\xB1\xBE");
    EXPECT_EQ(Ui::tr("确　定"), "\xC8\xB7\xA1\xA1\xB6\xA8");  // the ideographic space kept
    EXPECT_EQ(Ui::tr("阿里旺旺"), "\xB0\xA2\xC0\xEF\xCD\xFA\xCD\xFA");
    EXPECT_EQ(Ui::tr("查找记事和联系人 (Ctrl+F)"), Cp("查找记事和联系人 (Ctrl+F)"));
}

TEST_F(UiText, TranslationIsUsedWhereItHasTheTextAndChineseElsewhere) {
    InstallUiTranslation(&FakeTranslation);
    EXPECT_EQ(Ui::tr("记事本"), "Notes");
    EXPECT_EQ(Ui::tr("记事本", "file"), "Notebook file") << "the disambiguation reaches it";
    EXPECT_EQ(Ui::tr("联系人"), Cp("联系人")) << "a text the translation lacks stays Chinese";
    InstallUiTranslation(nullptr);
    EXPECT_EQ(Ui::tr("记事本"), Cp("记事本"));
}

struct ArgsCase {
    const char* text;
    const char* expected;
};

class FillArgs : public ::testing::TestWithParam<ArgsCase> {};

TEST_P(FillArgs, ReplacesNumberedPlacesOnceAndLeavesTheRest) {
    EXPECT_EQ(UiArgs(GetParam().text, {"A", "%2", "ccc"}), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FillArgs,
    ::testing::Values(ArgsCase{"line %1, column %2: ", "line A, column %2: "},
                      ArgsCase{"%3%1", "cccA"},                  // any order
                      ArgsCase{"%2%2", "%2%2"},                  // an argument is not read again
                      ArgsCase{"100% %4 %0 %", "100% %4 %0 %"},  // no such argument
                      ArgsCase{"", ""}, ArgsCase{"%", "%"}));

TEST(FillArgsCodePage, ChineseTemplateGivesTheBytesConcatenationGave) {
    EXPECT_EQ(UiArgs(Ui::tr("第 %1 张名片，第 %2 行："), {"3", "12"}),
              Cp("第 ") + "3" + Cp(" 张名片，第 ") + "12" + Cp(" 行："));
}

}  // namespace
}  // namespace korvane
