// Code page conversion and the application paths.
#include <gtest/gtest.h>

#include "app/apppaths.h"
#include "platform/codepage.h"
#include "store/ansitext.h"

namespace korvane {
namespace {

TEST(CodePage, GbkBytesAndBack) {
    EXPECT_EQ(platform::ToCodePage("你好"), "\xC4\xE3\xBA\xC3");
    EXPECT_EQ(platform::FromCodePage("\xC4\xE3\xBA\xC3"), "你好");
    EXPECT_EQ(platform::ToCodePage("　"), "\xA1\xA1");  // ideographic space
}

TEST(CodePage, CharactersOutsideGbkSurviveTheRoundTrip) {
    const std::string emoji = "记事😀𠀀";
    EXPECT_EQ(platform::FromCodePage(platform::ToCodePage(emoji)), emoji);
    EXPECT_FALSE(platform::FitsGbk(emoji));
    EXPECT_TRUE(platform::FitsGbk("记事本 abc ＇"));
}

TEST(CodePage, BrokenInputIsReplacedNotDropped) {
    EXPECT_EQ(platform::FromCodePage("a\xFF"
                                     "b"),
              "a\xEF\xBF\xBD"
              "b");
    EXPECT_EQ(platform::FromCodePage("a\xC4"), "a\xEF\xBF\xBD");  // cut double-byte character
    EXPECT_EQ(platform::ToCodePage("a\xE4\xBD"), "a??");
}

TEST(AppPaths, SplitAtTheLastSeparator) {
    SetApplicationPaths("/opt/Prog/Notes.EXE");
    EXPECT_EQ(ApplicationDirectory(), "/opt/Prog/");
    EXPECT_EQ(ExecutableName(), "Notes.EXE");
    EXPECT_EQ(AppPath("hd\\glst.mysql"), "/opt/Prog/hd/glst.mysql");
    EXPECT_EQ(AppPath("hd/main.html"), "/opt/Prog/hd/main.html");
}

TEST(AnsiText, TrimAndNumbers) {
    EXPECT_EQ(Trim(" \r\n\tab c\x01 "), "ab c");
    EXPECT_EQ(Trim("\xA1\xA1x"), "\xA1\xA1x");  // double-byte blanks are text
    EXPECT_EQ(LowerAscii("Notes.EXE\xC4\xE3"), "notes.exe\xC4\xE3");
    EXPECT_EQ(ParseInt32("-12"), -12);
    EXPECT_EQ(ParseInt32("$100"), 256);
    EXPECT_EQ(ParseInt32("$FFFFFFFF"), -1);
    EXPECT_EQ(ParseInt32("2147483648"), std::nullopt);
    EXPECT_EQ(ParseInt32("1 OR 1=1"), std::nullopt);
    EXPECT_EQ(ParseInt32(""), std::nullopt);
    EXPECT_TRUE(IsDecimalDigits("0123"));
    EXPECT_FALSE(IsDecimalDigits("-1"));
}

}  // namespace
}  // namespace korvane
