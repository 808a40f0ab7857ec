// The code page is the same on every system: the same bytes read as the same
// characters and the same characters write the same bytes, whichever
// converter the system offers. The GB18030 tables used where the system knows
// only GBK are checked against the converter itself.
#include <gtest/gtest.h>

#include <string>

#include "base/utf8.h"
#include "logic/md5.h"
#include "platform/codepage.h"
#include "platform/gb18030.h"

namespace korvane {
namespace {

std::string Utf8(char32_t c) {
    std::string out;
    AppendUtf8(out, c);
    return out;
}

bool HasOwnSingleByte(char32_t c) {
    return c == 0x20AC || (c >= 0xF800 && c <= 0xF87F);  // the euro sign, the raw bytes
}

TEST(CodePageTables, CodesWhereGbkHasAPrivateUseCharacterReadAsGb18030Does) {
    EXPECT_EQ(platform::FromCodePage("\xA6\xD9"), "\uFE10");  // vertical comma
    EXPECT_EQ(platform::FromCodePage("\xFE\x51"), "\U00020087");
    EXPECT_EQ(platform::ToCodePage("\U00020087"), "\xFE\x51");
    // The private-use character GBK gave that code is not written as that code.
    EXPECT_NE(platform::ToCodePage("\uE78D"), "\xA6\xD9");
    for (unsigned lead = 0x81; lead <= 0xFE; ++lead) {
        for (unsigned trail = 0x40; trail <= 0xFE; ++trail) {
            const auto code = static_cast<uint16_t>(lead << 8 | trail);
            const auto c = platform::gb18030::TwoByteOverride(code);
            if (!c) continue;
            const std::string bytes{static_cast<char>(lead), static_cast<char>(trail)};
            EXPECT_EQ(platform::FromCodePage(bytes), Utf8(*c)) << std::hex << code;
            EXPECT_EQ(platform::ToCodePage(Utf8(*c)), bytes) << std::hex << code;
        }
    }
}

TEST(CodePageTables, FourByteFormsMatchTheConverter) {
    for (char32_t c = 0x80; c <= 0xFFFF; ++c) {
        if ((c >= 0xD800 && c <= 0xDFFF) || HasOwnSingleByte(c)) continue;
        const std::string bytes = platform::ToCodePage(Utf8(c));
        const std::string form = platform::gb18030::FourByteForm(c);
        if (bytes.size() == 4 || !form.empty()) {
            ASSERT_EQ(bytes, form) << std::hex << static_cast<uint32_t>(c);
            ASSERT_EQ(platform::gb18030::FourByteCharacter(form), c);
        }
    }
    for (char32_t c :
         {char32_t{0x10000}, char32_t{0x1F600}, char32_t{0x2A6D6}, char32_t{0x10FFFF}}) {
        EXPECT_EQ(platform::ToCodePage(Utf8(c)), platform::gb18030::FourByteForm(c));
        EXPECT_EQ(platform::FromCodePage(platform::gb18030::FourByteForm(c)), Utf8(c));
    }
    EXPECT_EQ(platform::ToCodePage("\U0001F600"), "\x94\x39\xFC\x36");
    EXPECT_FALSE(
        platform::gb18030::FourByteCharacter("\xE4\x33\x81\x30").has_value());  // past U+10FFFF
}

// A digest of how every two-byte code reads and how every BMP character is
// written. Both systems must give this same value: a converter that reads or
// writes one code differently changes it.
TEST(CodePageTables, EveryCodeReadsAndWritesAlikeOnEverySystem) {
    std::string reading;
    for (unsigned lead = 0x81; lead <= 0xFE; ++lead) {
        for (unsigned trail = 0x40; trail <= 0xFE; ++trail) {
            const char pair[2] = {static_cast<char>(lead), static_cast<char>(trail)};
            reading += platform::FromCodePage(std::string_view(pair, 2));
            reading += '\n';
        }
    }
    std::string writing;
    for (char32_t c = 0x80; c <= 0xFFFF; ++c) {
        if (c >= 0xD800 && c <= 0xDFFF) continue;
        writing += platform::ToCodePage(Utf8(c));
        writing += '\n';
    }
    EXPECT_EQ(DigestToHex(Md5OfText(reading)), "5458831e82e8daf8dc13361e319d8db5");
    EXPECT_EQ(DigestToHex(Md5OfText(writing)), "78413694a9697c667ea203e35c76ecda");
}

}  // namespace
}  // namespace korvane
