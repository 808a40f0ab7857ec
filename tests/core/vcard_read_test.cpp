// vCard files as phones, address books and older programs write them, and
// files that are broken or hostile: what each gives, or the error naming
// where it went wrong (and that nothing was imported).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "exchange/vcard.h"
#include "platform/codepage.h"

namespace korvane {
namespace {

struct CardCase {
    const char* name;
    std::string file;
    std::vector<ExchangedContact> contacts;  // in UTF-8 here; converted for the check
    int skippedBinary = 0;
};

ExchangedContact InCodePage(ExchangedContact c) {
    c.name = Cp(c.name);
    c.tel = Cp(c.tel);
    c.remark = Cp(c.remark);
    return c;
}

class VCardShapes : public testing::TestWithParam<CardCase> {};

TEST_P(VCardShapes, ReadAsExpected) {
    const VCardReadResult result = ReadVCards(GetParam().file);
    ASSERT_EQ(result.error, "") << platform::FromCodePage(result.error);
    std::vector<ExchangedContact> expected;
    for (const ExchangedContact& c : GetParam().contacts) expected.push_back(InCodePage(c));
    EXPECT_EQ(result.contacts, expected);
    EXPECT_EQ(result.skippedBinary, GetParam().skippedBinary);
}

std::string FoldedPhoto() {
    std::string photo = "PHOTO;ENCODING=b;TYPE=JPEG:/9j/4AAQSkZJRgABAQAAAQABAAD";
    for (int i = 0; i < 200; ++i)
        photo += "\r\n  AAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA";
    return photo + "\r\n";
}

INSTANTIATE_TEST_SUITE_P(
    RealWorld, VCardShapes,
    testing::Values(
        CardCase{
            "QuotedPrintable21",
            "BEGIN:VCARD\r\nVERSION:2.1\r\n"
            "N;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:=E5=BC=A0;=E4=B8=89;;;\r\n"
            "FN;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:=E5=BC=A0=E4=B8=89\r\n"
            "TEL;CELL;PREF:13800138000\r\nTEL;HOME:010-12345678\r\n"
            "NOTE;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:=E7=AC=AC=E4=B8=80=E8=A1=8C=0D=0A=\r\n"
            "=E7=AC=AC=E4=BA=8C=E8=A1=8C\r\n"
            "EMAIL;INTERNET:zhang@example.com\r\nEND:VCARD\r\n",
            {{0, "张三", "13800138000",
              "第一行\r\n第二行\r\n电子邮件: zhang@example.com\r\n电话: 010-12345678", ""}}},
        CardCase{"Phone30WithGroups",
                 "BEGIN:VCARD\nVERSION:3.0\nPRODID:-//Phone//EN\nN:Appleseed;John;;;\n"
                 "FN:John Appleseed\nORG:Example Inc.;Sales;\n"
                 "item1.TEL;type=CELL;type=VOICE;type=pref:+1 555 0100\n"
                 "item2.EMAIL;type=INTERNET;type=HOME:john@example.com\n"
                 "item3.ADR;type=WORK:;;1 Main St;Springfield;IL;62701;USA\n"
                 "X-QQ:12345\nIMPP;X-SERVICE-TYPE=Skype;type=pref:skype:john.doe\n"
                 "NOTE:Met at the fair\\, 2024\\nlikes tea\nBDAY:1980-04-01\nEND:VCARD\n",
                 {{0, "John Appleseed", "+1 555 0100",
                   "Met at the fair, 2024\r\nlikes tea\r\n{QQ12345QQ}\r\n{SPjohn.doeSP}\r\n"
                   "单位: Example Inc. Sales\r\n电子邮件: john@example.com\r\n"
                   "地址: 1 Main St Springfield IL 62701 USA\r\n生日: 1980-04-01",
                   ""}}},
        CardCase{"Version40",
                 "BEGIN:VCARD\r\nVERSION:4.0\r\nFN:李四\r\nN:李;四;;;\r\n"
                 "TEL;VALUE=uri;TYPE=\"voice,cell\":tel:+86-138-0000-0000\r\n"
                 "IMPP;PREF=1:qq:99999\r\nIMPP:xmpp:li@example.org\r\n"
                 "REV:20231105T120000+0800\r\nNOTE:{QQ99999QQ} 朋友\r\nEND:VCARD\r\n",
                 {{0, "李四", "+86-138-0000-0000",
                   "{QQ99999QQ} 朋友\r\n即时通讯: xmpp:li@example.org", "2023-11-05 12:00:00"}}},
        CardCase{"NameFromNAlone",
                 "BEGIN:VCARD\r\nVERSION:3.0\r\nN:王;小明;;;\r\nEND:VCARD\r\n"
                 "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Doe;Jane;Q;Dr.;Jr.\r\nEND:VCARD\r\n",
                 {{0, "王小明", "", "", ""}, {0, "Dr. Jane Q Doe Jr.", "", "", ""}}},
        CardCase{"PhotoFoldedOverManyLines",
                 "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:A\r\n" + FoldedPhoto() +
                     "NOTE:after\r\nEND:VCARD\r\n"
                     "BEGIN:VCARD\r\nVERSION:2.1\r\nFN:B\r\nPHOTO;JPEG;ENCODING=BASE64:AAAA\r\n"
                     "BBBB\r\nCCCC\r\n\r\nTEL:1\r\nEND:VCARD\r\n",
                 {{0, "A", "", "after", ""}, {0, "B", "1", "", ""}},
                 2},
        CardCase{"BrokenQuotedPrintableStaysAsWritten",
                 "BEGIN:VCARD\r\nFN:Q\r\nNOTE;ENCODING=QUOTED-PRINTABLE:a=ZZb=4\r\nEND:VCARD\r\n",
                 {{0, "Q", "", "a=ZZb=4", ""}}},
        CardCase{"CharsetsAndCase",
                 "begin:vcard\r\nversion:2.1\r\nfn;charset=gbk:\xD5\xC5\r\n"
                 "note;Charset=ISO-8859-1;Encoding=Quoted-Printable:Jos=E9\r\n"
                 "x-skype-username:bob\r\nitem9.tel:5\r\nend:vcard\r\n",
                 {{0, "张", "5", "José\r\n{SPbobSP}", ""}}},
        CardCase{"InvalidUtf8BecomesQuestionMarks",
                 "BEGIN:VCARD\r\nFN:a\xFF\xC3z\r\nEND:VCARD\r\njunk between cards\r\n",
                 {{0, "a??z", "", "", ""}}},
        CardCase{"OurOwnCardWithLoneLineBreaks",
                 "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:x\\x0Dy\\x0Az\\\\x41\r\nN:x;;;;\r\n"
                 "NOTE:{MSa@bMS}\r\nIMPP:msnim:a@b\r\nX-MSN:a@b\r\nX-KORVANE-ID:77\r\n"
                 "END:VCARD\r\n",
                 {{77, "x\ry\nz\\x41", "", "{MSa@bMS}", ""}}}),
    [](const testing::TestParamInfo<CardCase>& info) { return std::string(info.param.name); });

struct BrokenCase {
    const char* name;
    std::string file;
    const char* errorHas;  // UTF-8
    VCardLimits limits;
};

class BrokenVCards : public testing::TestWithParam<BrokenCase> {};

TEST_P(BrokenVCards, FailWholeNamingWhere) {
    const VCardReadResult result = ReadVCards(GetParam().file, GetParam().limits);
    EXPECT_TRUE(result.contacts.empty());
    const std::string error = platform::FromCodePage(result.error);
    EXPECT_NE(error.find(GetParam().errorHas), std::string::npos) << error;
}

std::string EndlessFold(size_t lines, size_t width) {
    const std::string piece = "\r\n " + std::string(width, 'x');
    std::string file = "BEGIN:VCARD\r\nFN:ok\r\nEND:VCARD\r\nBEGIN:VCARD\r\nNOTE:";
    file.reserve(file.size() + lines * piece.size());
    for (size_t i = 0; i < lines; ++i) file += piece;
    return file + "\r\nEND:VCARD\r\n";
}

VCardLimits Small() {
    VCardLimits limits;
    limits.maxLineBytes = 1000;
    limits.maxPropertiesPerCard = 10;
    limits.maxFileBytes = 1 << 20;
    return limits;
}

std::string ManyProperties() {
    std::string file = "BEGIN:VCARD\r\n";
    for (int i = 0; i < 11; ++i) file += "EMAIL:a@b\r\n";
    return file + "END:VCARD\r\n";
}

INSTANTIATE_TEST_SUITE_P(
    Hostile, BrokenVCards,
    testing::Values(
        BrokenCase{"UnknownCharset",
                   "BEGIN:VCARD\r\nFN:a\r\nEND:VCARD\r\nBEGIN:VCARD\r\nVERSION:2.1\r\n"
                   "FN;CHARSET=KOI8-R:x\r\nEND:VCARD\r\n",
                   "第 2 张名片，第 6 行：不认识的字符集 KOI8-R",
                   {}},
        BrokenCase{"EndlessFoldedLine", EndlessFold(2000, 1),
                   "第 2 张名片，第 5 行：一行展开后超过 1000 字节", Small()},
        BrokenCase{
            "EndlessFoldedLineAtTheRealBound", EndlessFold(200'000, 100), "一行展开后超过", {}},
        BrokenCase{"NulBytes",
                   std::string("BEGIN:VCARD\r\nFN:a\r\nNOTE:b\0c\r\nEND:VCARD\r\n", 36),
                   "第 3 行：含有 NUL 字节",
                   {}},
        BrokenCase{"Utf16File",
                   std::string("\xFF\xFE"
                               "B\0E\0G\0",
                               8),
                   "NUL",
                   {}},
        BrokenCase{"TooManyProperties", ManyProperties(), "属性超过 10 个", Small()},
        BrokenCase{"TooBig", std::string((1 << 20) + 1, 'a'), "文件大于 1 MB", Small()},
        BrokenCase{"NotClosed", "BEGIN:VCARD\r\nFN:a\r\n", "名片没有以 END:VCARD 结束", {}},
        BrokenCase{"NestedBegin",
                   "BEGIN:VCARD\r\nFN:a\r\nBEGIN:VCARD\r\nEND:VCARD\r\n",
                   "第 1 张名片，第 3 行：上一张名片没有 END:VCARD",
                   {}},
        BrokenCase{"LineWithoutColon",
                   "BEGIN:VCARD\r\nFN:a\r\nwhat is this\r\nEND:VCARD\r\n",
                   "第 3 行",
                   {}},
        BrokenCase{
            "BrokenBase64", "BEGIN:VCARD\r\nNOTE;ENCODING=b:@@@@\r\nEND:VCARD\r\n", "BASE64", {}}),
    [](const testing::TestParamInfo<BrokenCase>& info) { return std::string(info.param.name); });

TEST(VCardWrite, WritesTheFieldsOtherProgramsRead) {
    const ExchangedContact contact{7, Cp("张,三;"), "+86 10",
                                   Cp("朋友 {QQ123QQ}{SPa b%SP}\r\n第二行"), "2026-01-02 03:04:05"};
    const std::string v3 = WriteVCard(contact);
    EXPECT_EQ(
        v3.substr(0, v3.find("REV:")),
        platform::ToCodePage("") +
            "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:张\\,三\\;\r\nN:张\\,三\\;;;;;\r\nTEL:+86 10\r\n"
            "NOTE:朋友 {QQ123QQ}{SPa b%SP}\\n第二行\r\nIMPP:qq:123\r\nX-QQ:123\r\n"
            "IMPP:skype:a%20b%25\r\nX-SKYPE:a b%\r\n");
    EXPECT_NE(v3.find("REV:2026-01-02T03:04:05"), std::string::npos);
    EXPECT_NE(v3.find("\r\nUID:korvane-7\r\nX-KORVANE-ID:7\r\nEND:VCARD\r\n"), std::string::npos);
    const std::string v4 = WriteVCard(contact, VCardVersion::V4);
    EXPECT_NE(v4.find("VERSION:4.0\r\n"), std::string::npos);
    EXPECT_NE(v4.find("TEL;VALUE=text:+86 10\r\n"), std::string::npos);
    EXPECT_NE(v4.find("REV:20260102T030405"), std::string::npos);
    EXPECT_NE(v4.find("\r\nUID;VALUE=text:korvane-7\r\n"), std::string::npos);
}

}  // namespace
}  // namespace korvane
