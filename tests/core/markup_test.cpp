// The content converters: line breaks, emoticon tags and messenger tags,
// including malformed, overlapping and capped messenger tags.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>

#include "base/ansitext.h"
#include "render/markup.h"

namespace korvane {
namespace {

const std::string kQq12345 =
    "<img src=\"image/QQ.gif\"><a target=\"_blank\" "
    "href=\"http://wpa.qq.com/msgrd?v=3&uin=12345&site=korvane&menu=yes\">12345</a>";

std::string QqLink(const std::string& id) {
    return "<img src=\"image/QQ.gif\"><a target=\"_blank\" "
           "href=\"http://wpa.qq.com/msgrd?v=3&uin=" +
           id + "&site=korvane&menu=yes\">" + id + "</a>";
}

size_t Count(const std::string& text, const std::string& what) {
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

TEST(BreakLines, CarriageReturnsBecomeBreaksAndLineFeedsStay) {
    EXPECT_EQ(BreakLines("one\r\ntwo\rthree\nfour"), "one<br/>\ntwo<br/>three\nfour");
    EXPECT_EQ(BreakLines("\r\r"), "<br/><br/>");
    EXPECT_EQ(BreakLines(""), "");
    EXPECT_EQ(BreakLines("\xC4\xE3\r"), "\xC4\xE3<br/>");  // GBK text around it stays
}

TEST(Emoticons, NumbersZeroToTwentyNineBecomePictures) {
    EXPECT_EQ(ExpandEmoticons("a{EM3EM}b{EM3EM}"),
              "a<img src=\"icons/3.gif\"/>b<img src=\"icons/3.gif\"/>");
    EXPECT_EQ(ExpandEmoticons("{EM0EM}{EM29EM}{EM10EM}"),
              "<img src=\"icons/0.gif\"/><img src=\"icons/29.gif\"/><img src=\"icons/10.gif\"/>");
}

TEST(Emoticons, OtherNumbersAndBrokenTagsStayAsTyped) {
    for (const char* kept :
         {"{EM30EM}", "{EM05EM}", "{EM00EM}", "{EM-1EM}", "{EM+1EM}", "{EM 3EM}", "{EM3 EM}",
          "{EMEM}", "{EM100EM}", "{EM3EM", "{em3em}", "{EM3", "{EM", "EM}"}) {
        EXPECT_EQ(ExpandEmoticons(kept), kept);
    }
    // An opening inside a broken tag does not hide the tag that follows it.
    EXPECT_EQ(ExpandEmoticons("{EM{EM7EM}EM}"), "{EM<img src=\"icons/7.gif\"/>EM}");
    EXPECT_EQ(ExpandEmoticons("{EM3EM}EM}"), "<img src=\"icons/3.gif\"/>EM}");
}

// The tags for 0 to 29 replaced in turn, each everywhere: the rule the single
// scan must reproduce.
std::string EmoticonsInTurn(std::string text) {
    for (int n = 0; n < 30; ++n) {
        const std::string number = std::to_string(n);
        text = ReplaceAll(text, "{EM" + number + "EM}", "<img src=\"icons/" + number + ".gif\"/>");
    }
    return text;
}

TEST(Emoticons, SingleScanEqualsReplacingEachNumberInTurn) {
    const char* pieces[] = {"{EM", "EM}", "{", "}",  "E",  "M", "0", "1",
                            "2",   "3",   "9", "29", "30", "x", " ", "\r"};
    std::mt19937 random(12345);
    for (int round = 0; round < 20000; ++round) {
        std::string text;
        const int length = static_cast<int>(random() % 12);
        for (int i = 0; i < length; ++i) text += pieces[random() % std::size(pieces)];
        ASSERT_EQ(ExpandEmoticons(text), EmoticonsInTurn(text)) << text;
    }
}

TEST(MessengerTags, EachServiceGetsItsPictureAndLink) {
    EXPECT_EQ(ExpandMessengerTags("QQ: {QQ12345QQ}!"), "QQ: " + kQq12345 + "!");
    EXPECT_EQ(ExpandMessengerTags("{MSbob@example.comMS}"),
              "<img src=\"image/MS.gif\"><a target=\"_blank\" "
              "href=\"msnim:add?contact=bob@example.com\">bob@example.com</a>");
    EXPECT_EQ(ExpandMessengerTags("{SPbob.smithSP}"),
              "<img src=\"image/SP.gif\"><a target=\"_blank\" "
              "href=\"callto://bob.smith\">bob.smith</a>");
    EXPECT_EQ(ExpandMessengerTags("{ALshop01AL}"),
              "<img src=\"image/AL.gif\"><a target=\"_blank\" "
              "href=\"http://amos.im.alisoft.com/msg.aw?v=2&uid=shop01&site=cntaobao&s=1&"
              "charset=utf-8\">shop01</a>");
}

TEST(MessengerTags, IdenticalTagsConvertTogetherAndIdsAreNotEscaped) {
    const std::string link =
        "<img src=\"image/MS.gif\"><a target=\"_blank\" href=\"msnim:add?contact=a%s\">a%s</a>";
    EXPECT_EQ(ExpandMessengerTags("{MSa%sMS} and {MSa%sMS}"), link + " and " + link);
    // Twelve identical tags take one pass, so a later tag still converts.
    std::string many;
    for (int i = 0; i < 12; ++i) many += "{QQ12345QQ}";
    const std::string out = ExpandMessengerTags(many + "{SPxSP}");
    EXPECT_EQ(Count(out, kQq12345), 12u);
    EXPECT_EQ(Count(out, "callto://x"), 1u);
}

TEST(MessengerTags, AQuoteInAnIdCannotEndTheLinkAddress) {
    EXPECT_EQ(
        ExpandMessengerTags("{SPx\" onmouseover=\"alert(1)SP}"),
        "<img src=\"image/SP.gif\"><a target=\"_blank\" "
        "href=\"callto://x&quot; onmouseover=&quot;alert(1)\">x\" onmouseover=\"alert(1)</a>");
    EXPECT_EQ(
        ExpandMessengerTags("{QQ\"\"QQ}"),
        "<img src=\"image/QQ.gif\"><a target=\"_blank\" "
        "href=\"http://wpa.qq.com/msgrd?v=3&uin=&quot;&quot;&site=korvane&menu=yes\">\"\"</a>");
}

TEST(MessengerTags, AnUnclosedOpeningGetsAHyphenAndTheContentIsTrimmed) {
    EXPECT_EQ(ExpandMessengerTags(" \r\n call {SPbob please \r\n\t"), "call {S-Pbob please");
    // Every unclosed opening costs a pass; inner blanks stay.
    EXPECT_EQ(ExpandMessengerTags("{QQ1  {QQ2 "), "{Q-Q1  {Q-Q2");
    // A closing of another service does not close it.
    EXPECT_EQ(ExpandMessengerTags("{QQ1MS}"), "{Q-Q1MS}");
}

TEST(MessengerTags, AContentBeginningWithTheClosingNeutralisesItsOpenings) {
    // The first closing stays at the start, so even well-formed tags are taken
    // for unclosed ones; other services are not affected.
    EXPECT_EQ(ExpandMessengerTags("QQ} {QQ1QQ} {QQ2QQ} {SPxSP}"),
              "QQ} {Q-Q1QQ} {Q-Q2QQ} <img src=\"image/SP.gif\"><a target=\"_blank\" "
              "href=\"callto://x\">x</a>");
}

TEST(MessengerTags, TheTwelfthPassIsTheLast) {
    std::string twelve;
    for (int i = 0; i < 12; ++i) twelve += "{QQ" + std::to_string(i) + "QQ}";
    const std::string out = ExpandMessengerTags(twelve + " {SPxSP} {QQ99QQ}");
    for (int i = 0; i < 12; ++i) EXPECT_EQ(Count(out, QqLink(std::to_string(i))), 1u) << i;
    EXPECT_NE(out.find(" {SPxSP} {QQ99QQ}"), std::string::npos);

    // Unclosed openings: twelve get their hyphen, the rest stay untouched.
    std::string open;
    for (int i = 0; i < 1000; ++i) open += "{AL";
    const std::string capped = ExpandMessengerTags(open);
    EXPECT_EQ(Count(capped, "{A-L"), 12u);
    EXPECT_EQ(Count(capped, "{AL"), 988u);
}

TEST(MessengerTags, OverlappingOrMisplacedClosingsUseUpThePasses) {
    // The opening's letters double as the closing, or the closing comes first:
    // nothing changes, and no later tag of any service converts.
    for (const char* text : {"{QQ} {MS5MS}", "{QQQ} {MS5MS}", "x QQ} {QQ1QQ} {MS5MS}"}) {
        EXPECT_EQ(ExpandMessengerTags(text), text);
    }
    // Opening directly followed by the full closing: an empty id converts.
    EXPECT_EQ(ExpandMessengerTags("{QQQQ}"), QqLink(""));
}

TEST(MessengerTags, AnIdIsConvertedOnceAndNeverAgainInsideItsLink) {
    // The id's own opening lies in the link's address and text, where nothing
    // is converted: no link ever holds another.
    EXPECT_EQ(ExpandMessengerTags("{QQ1{QQ2QQ}"), QqLink("1{QQ2"));
    const std::string nested = ExpandMessengerTags("{QQ{MSmMS}QQ}");
    EXPECT_EQ(nested, QqLink("{MSmMS}"));
    EXPECT_EQ(Count(nested, "<a "), 1u);
    // Openings left inside links use no passes: a later tag still converts.
    EXPECT_EQ(Count(ExpandMessengerTags("{QQ{SPxSP}QQ} {SPySP}"), "callto://y"), 1u);
}

TEST(MessengerTags, TagsInsideMarkupAreLeftAsTyped) {
    // In a link the user wrote, or in its address: never a second link.
    const std::string inLink = "<a href=\"http://x/{QQ1QQ}\" target=\"_blank\">{QQ2QQ}</a>";
    EXPECT_EQ(ExpandMessengerTags(inLink), inLink);
    // An id that would take in a formatting tag makes no tag.
    EXPECT_EQ(ExpandMessengerTags("{QQ1<span class=\"Tred\">2</span>QQ}"),
              "{Q-Q1<span class=\"Tred\">2</span>QQ}");
    // Formatting around a whole tag stays around its link.
    EXPECT_EQ(ExpandMessengerTags("<span class=\"Tred\">{QQ12345QQ}</span>"),
              "<span class=\"Tred\">" + kQq12345 + "</span>");
    // Emoticons in a link's address stay as typed; in its text they show.
    EXPECT_EQ(ExpandEmoticons("<a href=\"http://x/{EM3EM}\">{EM3EM}</a>"),
              "<a href=\"http://x/{EM3EM}\"><img src=\"icons/3.gif\"/></a>");
}

TEST(MessengerTags, AnIdCanEndNeitherItsAddressNorItsText) {
    EXPECT_EQ(ExpandMessengerTags("{SPa\r\nb>c\"1SP}"),
              "<img src=\"image/SP.gif\"><a target=\"_blank\" "
              "href=\"callto://a&#13;&#10;b&gt;c&quot;1\">a\r\nb&gt;c\"1</a>");
}

TEST(MessengerTags, AHostileRemarkGrowsOnlyToTheBound) {
    // Ids holding openings of other services, and a megabyte of tags that
    // each become a link: within 24 times the input and 256 KB of growth.
    const std::string hostile =
        "{MSAL}SP}{QQ{MS{ALxQQ}{MSAL}{SPAL}{QQMS}xxMS}MS}xMS}MS}{AL{ALMS}{ALQQ}{AL";
    std::string remark;
    while (remark.size() < 1024) remark += hostile;
    std::string megabyte;
    while (megabyte.size() < 1024 * 1024) megabyte += "{QQQQ}";
    for (const std::string& text : {remark, megabyte, std::string("{ALAL}"), hostile}) {
        const std::string out = ExpandMessengerTags(text);
        EXPECT_LE(out.size(), text.size() + std::min<size_t>(24 * text.size(), 256 * 1024));
    }
    // Past the bound the tags stay as typed.
    EXPECT_EQ(ExpandMessengerTags(megabyte), megabyte);
    EXPECT_EQ(ExpandMessengerTags("{ALAL}").find("{AL"), std::string::npos);
}

TEST(MessengerTags, ALongRemarkOfOrdinaryTagsConvertsWhole) {
    std::string remark;
    for (int i = 0; i < 1000; ++i) remark += "{QQQQ}{SP" + std::to_string(i % 11) + "SP} ";
    const std::string out = ExpandMessengerTags(remark);
    EXPECT_EQ(Count(out, QqLink("")), 1000u);
    EXPECT_EQ(out.find("{QQ"), std::string::npos);
    EXPECT_EQ(out.find("{SP"), std::string::npos);
}

TEST(MessengerTags, TextWithoutTagsIsUntouched) {
    for (const char* text : {"", "  blanks stay without tags  ", "{qq1qq}", "{Q Q1QQ}", "QQ}"}) {
        EXPECT_EQ(ExpandMessengerTags(text), text);
    }
}

}  // namespace
}  // namespace korvane
