// How the finder folds and reads texts, and how it marks matches in markup.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/ansitext.h"
#include "platform/codepage.h"
#include "render/findtext.h"
#include "render/markup.h"
#include "render/sanitize.h"
#include "support/hostile.h"
#include "support/markup_check.h"

namespace korvane {
namespace {

std::string Shown(std::string_view markup) {
    std::string out;
    AppendShownText(out, markup);
    return out;
}

TEST(FoldQuery, LettersWidthsAndBlanksFoldTheWayTextsDo) {
    EXPECT_EQ(FoldQuery("Korvane"), "korvane");
    EXPECT_EQ(FoldQuery("ＫＯＲＶＡＮＥ　１２３"), "korvane 123");
    EXPECT_EQ(FoldQuery("ｋｏｒ"), "kor");
    EXPECT_EQ(FoldQuery("（会议）！"), "(会议)!");
    EXPECT_EQ(FoldQuery("  \u3000 会议 \u3000 "), "会议");
    // Only ASCII letters fold: other scripts' cases stay apart.
    EXPECT_EQ(FoldQuery("ÄΩ"), "ÄΩ");
    EXPECT_EQ(FoldQuery(" \t\r\n "), "");
    EXPECT_EQ(FoldQuery("a\r\nb\x01"), "ab");  // no text field types control characters
}

TEST(FoldQuery, BrokenUtf8BecomesReplacementCharacters) {
    const std::string r = "\uFFFD";
    EXPECT_EQ(FoldQuery("a\xFF"
                        "b"),
              "a" + r + "b");
    EXPECT_EQ(FoldQuery("\xED\xA0\x80x"), r + r + r + "x");   // a lone surrogate
    EXPECT_EQ(FoldQuery("\xC0\xAF"), r + r);                  // an overlong "/"
    EXPECT_EQ(FoldQuery("\xE4\xB8"), r + r);                  // cut short
    EXPECT_EQ(FoldQuery("\xF4\x90\x80\x80"), r + r + r + r);  // beyond U+10FFFF
    EXPECT_EQ(FoldQuery("\xF0\x9F\x98\x80"), "\xF0\x9F\x98\x80");
}

TEST(ShownText, IsTheTextOutsideTagsWithReferencesReadOnce) {
    EXPECT_EQ(Shown("a<span class=\"Tred\">B</span><br/>c"), "abc");
    EXPECT_EQ(Shown("&lt;b&gt; &amp;lt; &quot;"), "<b> &lt; \"");
    EXPECT_EQ(Shown("x &amp y &#65;&#x42; &nosuch;"), "x &amp y ab &nosuch;");
    EXPECT_EQ(Shown("<img src=\"icons/3.gif\"/>ＡＢ"), "ab");
    EXPECT_EQ(Shown("a <b"), "a <b");  // an unfinished tag is text
}

TEST(Highlight, MarksEveryMatchOnceLeftToRight) {
    EXPECT_EQ(HighlightMarkup("会议室的会议", FoldQuery("会议")),
              "<mark class=\"hit\">会议</mark>室的<mark class=\"hit\">会议</mark>");
    EXPECT_EQ(HighlightMarkup("aaaa", "aa"), "<mark class=\"hit\">aaaa</mark>");
    EXPECT_EQ(HighlightMarkup("aaa", "aa"), "<mark class=\"hit\">aa</mark>a");
    EXPECT_EQ(HighlightMarkup("Ｋｏｒvane", FoldQuery("KORV")),
              "<mark class=\"hit\">Ｋｏｒv</mark>ane");
    EXPECT_EQ(HighlightMarkup("abc", ""), "abc");
    EXPECT_EQ(HighlightMarkup("abc", "x"), "abc");
}

TEST(Highlight, ClosesAtEveryTagAndNeverSplitsAReference) {
    EXPECT_EQ(HighlightMarkup("ab<span class=\"Tred\">cd</span>e", "bcde"),
              "a<mark class=\"hit\">b</mark><span class=\"Tred\"><mark class=\"hit\">cd</mark>"
              "</span><mark class=\"hit\">e</mark>");
    EXPECT_EQ(HighlightMarkup("1&lt;2&amp;3", "<2&"), "1<mark class=\"hit\">&lt;2&amp;</mark>3");
    // A query typed as a reference finds the reference's text, not the character.
    EXPECT_EQ(HighlightMarkup("&amp;lt;", "&lt"), "<mark class=\"hit\">&amp;lt</mark>;");
    EXPECT_EQ(HighlightMarkup("&lt;", "lt"), "&lt;");
    // Attributes are never text.
    EXPECT_EQ(HighlightMarkup("<a href=\"http://x/q\" target=\"_blank\">q</a>", "q"),
              "<a href=\"http://x/q\" target=\"_blank\"><mark class=\"hit\">q</mark></a>");
}

// Every mark opens and closes between two tags of the markup, and without
// the marks the markup is what it was.
std::string MarkFault(const std::string& marked, const std::string& original) {
    constexpr std::string_view open = "<mark class=\"hit\">";
    constexpr std::string_view close = "</mark>";
    std::string bare;
    bool inside = false;
    for (size_t at = 0; at < marked.size();) {
        const std::string_view rest = std::string_view(marked).substr(at);
        if (rest.starts_with(open)) {
            if (inside) return "mark in a mark at " + std::to_string(at);
            inside = true;
            at += open.size();
        } else if (rest.starts_with(close)) {
            if (!inside) return "stray close at " + std::to_string(at);
            inside = false;
            at += close.size();
        } else {
            if (inside && marked[at] == '<') return "tag inside a mark at " + std::to_string(at);
            bare += marked[at++];
        }
    }
    if (inside) return "mark left open";
    return bare == original ? std::string() : "the markup changed";
}

TEST(Highlight, HostileNotesKeepTheirSanitisedShapeWhateverIsFound) {
    const std::vector<std::string> texts = test::HostileTexts("hostile_notes.txt");
    ASSERT_GT(texts.size(), 30u);
    const std::vector<std::string> queries = {"a",    "<", ">", "&", "\"", "script", "span", "lt",
                                              "&lt;", "/", "=", " ", "on", "http",   "1",    "中"};
    for (const std::string& text : texts) {
        const std::string content = platform::FromCodePage(
            BreakLines(ExpandMessengerTags(SanitizeMarkup(platform::ToCodePage(text)))));
        for (const std::string& query : queries) {
            const std::string marked = HighlightMarkup(content, FoldQuery(query));
            ASSERT_EQ(MarkFault(marked, content), "") << text << " / " << query;
        }
        // Each whole shown text finds itself.
        const std::string all = FoldQuery(Shown(content));
        if (!all.empty()) {
            const std::string marked = HighlightMarkup(content, all);
            EXPECT_NE(marked.find("<mark"), std::string::npos) << text;
            EXPECT_EQ(MarkFault(marked, content), "") << text;
        }
    }
}

// Telephone numbers: the digits match whatever separators stand between
// them in the text, and the marks cover the digits and those separators.
struct TelephoneCase {
    std::string query;
    std::string markup;
    std::string marked;  // "" when nothing matches
};

class TelephoneMarks : public ::testing::TestWithParam<TelephoneCase> {};

TEST_P(TelephoneMarks, DigitsMatchAcrossSeparators) {
    const TelephoneCase& c = GetParam();
    const MarkedMarkup marked = MarkMatches(c.markup, FoldQuery(c.query), SIZE_MAX);
    EXPECT_EQ(marked.markup, c.marked.empty() ? c.markup : c.marked);
    EXPECT_EQ(marked.matches > 0, !c.marked.empty());
}

const std::string kOpen = "<mark class=\"hit\">";
const std::string kClose = "</mark>";

INSTANTIATE_TEST_SUITE_P(
    Find, TelephoneMarks,
    ::testing::Values(
        TelephoneCase{"13800138000", "138-0013-8000", kOpen + "138-0013-8000" + kClose},
        TelephoneCase{"13800138000", "电话 138 0013 8000 。",
                      "电话 " + kOpen + "138 0013 8000" + kClose + " 。"},
        TelephoneCase{"138-0013-8000", "13800138000", kOpen + "13800138000" + kClose},
        TelephoneCase{"0101234", "(010) 1234", "(" + kOpen + "010) 1234" + kClose},
        TelephoneCase{"００１３８０００", "138.0013.8000", "138." + kOpen + "0013.8000" + kClose},
        // Across a tag the mark closes and opens again.
        TelephoneCase{"13800138000", "138-<b>0013</b>-8000",
                      kOpen + "138-" + kClose + "<b>" + kOpen + "0013" + kClose + "</b>" + kOpen +
                          "-8000" + kClose},
        // Separators only join digits: a letter between them does not.
        TelephoneCase{"13800138000", "138a0013-8000", ""},
        TelephoneCase{"1380", "138--- 0", kOpen + "138--- 0" + kClose},
        TelephoneCase{"12345", "1 2 3 4 5 1 2 3 4 5",
                      kOpen + "1 2 3 4 5" + kClose + " " + kOpen + "1 2 3 4 5" + kClose}));

TEST(TelephoneDigits, OnlyQueriesOfDigitsAndSeparatorsWithEnoughDigits) {
    EXPECT_EQ(TelephoneDigits("138-0013-8000"), "13800138000");
    EXPECT_EQ(TelephoneDigits("(010) 6275.1234/5"),
              "01062751234"
              "5");
    EXPECT_EQ(TelephoneDigits("7919"), "7919");
    EXPECT_EQ(TelephoneDigits("791"), "");  // too few digits to mean a number
    EXPECT_EQ(TelephoneDigits("138a0013"), "");
    EXPECT_EQ(TelephoneDigits("电话13800138000"), "");
    EXPECT_EQ(TelephoneDigits(""), "");
}

TEST(SqueezeDigitRuns, RemovesSeparatorsBetweenDigitsOnly) {
    EXPECT_EQ(SqueezeDigitRuns("tel 138-0013-8000."), "tel 13800138000.");
    EXPECT_EQ(SqueezeDigitRuns("a (010) 1234 b"), "a (0101234 b");
    EXPECT_EQ(SqueezeDigitRuns("电话 1 2\x1f"
                               "3"),
              "电话 12\x1f"
              "3");  // a field break stays
    EXPECT_EQ(SqueezeDigitRuns("no digits - here"), "");
    EXPECT_EQ(SqueezeDigitRuns("13800138000"), "");  // nothing to remove: no copy kept
    EXPECT_EQ(SqueezeDigitRuns("-1-"), "");
}

}  // namespace
}  // namespace korvane
