// Code page conversion and the application paths.
#include <gtest/gtest.h>

#include <random>

#include "base/ansitext.h"
#include "platform/apppaths.h"
#include "platform/codepage.h"
#include "platform/files.h"

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

TEST(CodePage, BrokenInputIsKeptAsPrivateUseCharactersNotDropped) {
    EXPECT_EQ(platform::FromCodePage("a\xFF"
                                     "b"),
              "a\uF87F"
              "b");
    EXPECT_EQ(platform::FromCodePage("a\xC4"), "a\uF844");  // cut double-byte character
    EXPECT_EQ(platform::ToCodePage("a\uF87Fb\uF844"),
              "a\xFF"
              "b\xC4");
    EXPECT_EQ(platform::ToCodePage("a\xE4\xBD"), "a??");
}

TEST(CodePage, EuroIsTheSingleByte0x80) {
    EXPECT_EQ(platform::FromCodePage("\x80"), "€");
    EXPECT_EQ(platform::ToCodePage("5€"), "5\x80");
    EXPECT_TRUE(platform::FitsGbk("€5"));
    // GB18030 also reads A2 E3 as the euro sign; only one byte string may
    // decode to it, so these bytes are kept as they are instead.
    EXPECT_EQ(platform::ToCodePage(platform::FromCodePage("\xA2\xE3")), "\xA2\xE3");
    EXPECT_NE(platform::FromCodePage("\xA2\xE3"), "€");
}

// Random byte strings built from the byte ranges of each kind of sequence.
class ByteStrings {
  public:
    explicit ByteStrings(unsigned seed) : random_(seed) {}

    std::string ValidText(size_t characters) {
        std::string out;
        for (size_t i = 0; i < characters; ++i) {
            switch (Between(0, 3)) {
                case 0:
                    out += static_cast<char>(Between(0x01, 0x7F));
                    break;
                case 1:
                    out += static_cast<char>(Between(0xB0, 0xF7));  // GB2312 hanzi rows
                    out += static_cast<char>(Between(0xA1, 0xFE));
                    break;
                case 2:
                    out += static_cast<char>(Between(0x81, 0xA0));  // GBK extension rows
                    out += static_cast<char>(Between(0x40, 0x7E));
                    break;
                default:
                    out += FourByteCharacter();
                    break;
            }
        }
        return out;
    }

    std::string AnyBytes(size_t size) {
        std::string out;
        for (size_t i = 0; i < size; ++i) out += static_cast<char>(Between(0x00, 0xFF));
        return out;
    }

  private:
    int Between(int low, int high) {
        return std::uniform_int_distribution<int>(low, high)(random_);
    }

    // A four-byte sequence of the supplementary planes (90 30 81 30 onwards)
    // or of the BMP part GBK lacks (81 30 81 30 to 84 31 A4 39), leaving out
    // the row 83 39, which holds the private-use range kept for raw bytes.
    std::string FourByteCharacter() {
        std::string out;
        const bool supplementary = Between(0, 1) == 0;
        const int lead = supplementary ? Between(0x90, 0xE2) : Between(0x81, 0x83);
        out += static_cast<char>(lead);
        out += static_cast<char>(Between(0x30, lead == 0x83 ? 0x38 : 0x39));
        out += static_cast<char>(Between(0x81, 0xFE));
        out += static_cast<char>(Between(0x30, 0x39));
        return out;
    }

    std::mt19937 random_;
};

TEST(CodePage, ValidTextDecodesAndEncodesToTheSameBytes) {
    ByteStrings strings(20110913);
    for (int n = 0; n < 3000; ++n) {
        const std::string bytes = strings.ValidText(1 + n % 40);
        const std::string text = platform::FromCodePage(bytes);
        ASSERT_EQ(platform::ToCodePage(text), bytes) << ::testing::PrintToString(bytes);
    }
}

TEST(CodePage, EveryByteStringSurvivesDecodingAndEncoding) {
    ByteStrings strings(4242);
    for (int n = 0; n < 3000; ++n) {
        const std::string bytes = strings.AnyBytes(1 + n % 64);
        ASSERT_EQ(platform::ToCodePage(platform::FromCodePage(bytes)), bytes) << "case " << n;
    }
    // Every two-byte code and every lone byte, whatever the table says of it.
    for (int lead = 0; lead <= 0xFF; ++lead) {
        for (int trail = 0; trail <= 0xFF; ++trail) {
            const std::string bytes{static_cast<char>(lead), static_cast<char>(trail)};
            ASSERT_EQ(platform::ToCodePage(platform::FromCodePage(bytes)), bytes)
                << std::hex << lead << " " << trail;
        }
    }
}

TEST(CodePage, FourByteSequencesInTheRawByteRangeStayBytes) {
    // 83 39 E5 36 is GB18030 for U+F801, one of the characters standing for a
    // raw byte; it must not come back as the single byte 0x81.
    const std::string bytes = "\x83\x39\xE5\x36";
    EXPECT_EQ(platform::ToCodePage(platform::FromCodePage(bytes)), bytes);
}

TEST(AppPaths, SplitAtTheLastSeparator) {
    const std::string sep(1, platform::PathSeparator());
    const std::string folder = sep + "opt" + sep + "Prog" + sep;
    SetApplicationPaths(folder + "Notes.EXE");
    EXPECT_EQ(ApplicationDirectory(), folder);
    EXPECT_EQ(ExecutableName(), "Notes.EXE");
    // Either separator in a relative path becomes the system's.
    EXPECT_EQ(AppPath("hd\\glst.mysql"), folder + "hd" + sep + "glst.mysql");
    EXPECT_EQ(AppPath("hd/main.html"), folder + "hd" + sep + "main.html");
}

TEST(AnsiText, TrimAndNumbers) {
    EXPECT_EQ(Trim(" \r\n\tab c\x01 "), "ab c");
    EXPECT_EQ(Trim("\xA1\xA1x"), "\xA1\xA1x");  // double-byte blanks are text
    EXPECT_EQ(LowerAscii("Notes.EXE\xC4\xE3"), "notes.exe\xC4\xE3");
    // "丄" is 0x81 0x41: its trail byte looks like 'A' and stays.
    EXPECT_EQ(LowerAscii("X\x81\x41Y"), "x\x81\x41y");
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
