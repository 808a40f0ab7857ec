// The Markdown form of a note as other programs see it, other programs' files
// read as typed, front matter, export file names and the rule for records
// already there.
#include <gtest/gtest.h>

#include <cctype>
#include <set>
#include <string>
#include <vector>

#include "exchange/dedup.h"
#include "exchange/filenames.h"
#include "exchange/frontmatter.h"
#include "exchange/markdown.h"
#include "platform/codepage.h"

namespace korvane {
namespace {

std::string BodyOf(const std::string& file) {
    const size_t end = file.find("\n---\n");
    return file.substr(end + 5);
}

struct BodyCase {
    const char* stored;
    const char* written;
};

class MarkdownBody : public testing::TestWithParam<BodyCase> {};

TEST_P(MarkdownBody, IsWrittenAsMarkdownAndReadBack) {
    const ExchangedNote note{3, "t", Cp(GetParam().stored), "2026-12-08 20:52:35"};
    const std::string file = NoteToMarkdown(note);
    EXPECT_EQ(BodyOf(file), std::string(GetParam().written) + "\n");
    EXPECT_EQ(MarkdownToNote(file), note);
}

INSTANTIATE_TEST_SUITE_P(
    Mappings, MarkdownBody,
    testing::Values(
        BodyCase{"one\r\ntwo", "one\ntwo"}, BodyCase{"a\rb\nc", "a&#13;b&#10;c"},
        BodyCase{"<span class=\"TBlank\">粗体</span>!", "**粗体**\\!"},
        BodyCase{"<span class=\"TBBl\">大粗</span>", "<span class=\"TBBl\">大粗</span>"},
        BodyCase{"<span class=\"Tred\">红</span><span class=\"TBred\">大红</span>",
                 "<span class=\"Tred\">红</span><span class=\"TBred\">大红</span>"},
        BodyCase{"<a href=\"http://您的网址\" target=\"_blank\">链接</a>",
                 "<a href=\"http://您的网址\" target=\"_blank\">链接</a>"},
        BodyCase{"<span class=\"TBlank\"> 空白</span>", "<span class=\"TBlank\"> 空白</span>"},
        BodyCase{"<span class=\"TBlank\">a*b</span>", "**a\\*b**"},
        BodyCase{"{EM7EM}{EM29EM}{EM30EM}{EM07EM}",
                 "![](emoticons/7.bmp)![](emoticons/29.bmp){EM30EM}{EM07EM}"},
        BodyCase{"# 标题\r\n> 引用\r\n- 项\r\n1. 一\r\n  12) 二\r\nx-y 3.5",
                 "\\# 标题\n\\> 引用\n\\- 项\n1\\. 一\n  12\\) 二\nx-y 3.5"},
        BodyCase{"a_b *c* `d` [e](f) \\ | ~", "a\\_b \\*c\\* \\`d\\` \\[e\\](f) \\\\ \\| \\~"},
        BodyCase{"&#13; &amp; &#38;", "&#38;#13; &amp; &#38;#38;"},
        BodyCase{"<a\rhref=x>", "<a&#13;href=x>"}));

TEST(MarkdownNote, FrontMatterCarriesTitleTimeAndNumber) {
    const ExchangedNote note{42, Cp("会议 \"纪要\": 一\\二"), Cp("正文"), "2026-12-08 20:52:35"};
    const std::string file = NoteToMarkdown(note);
    EXPECT_EQ(file.substr(0, file.find("updated")),
              "---\ntitle: \"会议 \\\"纪要\\\": 一\\\\二\"\n");
    EXPECT_NE(file.find("\nupdated: 2026-12-08T20:52:35"), std::string::npos);
    EXPECT_NE(file.find("\nid: 42\nkorvane: 1\n---\n正文\n"), std::string::npos);
}

TEST(MarkdownNote, OtherProgramsFilesKeepTheirTextAsTyped) {
    const ExchangedNote plain = MarkdownToNote("\n# 第一行 \n**粗** \\* &#13;\nend");
    EXPECT_EQ(plain.title, Cp("第一行"));
    EXPECT_EQ(plain.body, Cp("\r\n# 第一行 \r\n**粗** \\* &#13;\r\nend"));
    EXPECT_EQ(plain.date, "");

    const ExchangedNote matter = MarkdownToNote(
        "\xEF\xBB\xBF---\ntitle: 'It''s' # no comment inside quotes\ndate: 2020-01-02\n"
        "tags:\n  - a\n---\r\nbody\r\n");
    EXPECT_EQ(matter.title, "It's");
    EXPECT_EQ(matter.date, "2020-01-02 00:00:00");
    EXPECT_EQ(matter.body, "body\r\n");

    const ExchangedNote gbk = MarkdownToNote(Cp("标题\n正文 \x80"));
    EXPECT_EQ(gbk.title, Cp("标题"));
    EXPECT_EQ(gbk.body, Cp("标题\r\n正文 \x80"));

    const ExchangedNote unclosed = MarkdownToNote("---\ntitle: x\nno end");
    EXPECT_EQ(unclosed.title, "---");
    EXPECT_EQ(unclosed.body, "---\r\ntitle: x\r\nno end");
}

TEST(FrontMatterReader, ReadsScalarsOfEveryQuoting) {
    const FrontMatter m = ReadFrontMatter(
        "---\na: plain text # comment\nb: \"q\\\"\\n\\x41\\u4E2D\\U0001F600\"\nc: 'x''y'\n"
        "d:\ne: \"bad \\uD800\"\n---\n");
    ASSERT_TRUE(m.present);
    EXPECT_EQ(*m.Find("a"), "plain text");
    EXPECT_EQ(*m.Find("b"), "q\"\nA中😀");
    EXPECT_EQ(*m.Find("c"), "x'y");
    EXPECT_EQ(*m.Find("d"), "");
    EXPECT_EQ(*m.Find("e"), "bad ?");
    EXPECT_EQ(m.bodyStart, std::string_view("---\na: plain text # comment\nb: \"q\\\"\\n\\x41"
                                            "\\u4E2D\\U0001F600\"\nc: 'x''y'\nd:\ne: \"bad "
                                            "\\uD800\"\n---\n")
                               .size());
}

TEST(FrontMatterReader, KeepsAtMostTheFieldsItIsAllowed) {
    std::string text = "---\n";
    for (int i = 0; i < 1000; ++i) text += "k" + std::to_string(i) + ": v\n";
    text += "---\n";
    const FrontMatter m = ReadFrontMatter(text, 10);
    EXPECT_TRUE(m.present);
    EXPECT_EQ(m.fields.size(), 10u);
}

TEST(FrontMatterReader, QuotedValuesReadBackExactly) {
    for (const std::string& value :
         {std::string("a\"b\\c"), std::string("\x01\x7F\t\r\n"),
          std::string("\xC2\x85\xE2\x80\xA8"), std::string("\xEF\xBB\xBF x"),
          std::string(" lead and trail "), std::string("# not")}) {
        const FrontMatter m = ReadFrontMatter("---\nv: " + YamlQuoted(value) + "\n---\n");
        ASSERT_NE(m.Find("v"), nullptr);
        EXPECT_EQ(*m.Find("v"), value);
    }
}

TEST(ExportFileNames, AreSafeUniqueAndBounded) {
    const std::vector<std::string> titles = {
        Cp("标题"),
        Cp("标题"),
        Cp("标题 (2)"),
        "a/b\\c:d*e?f\"g<h>i|j",
        "CON",
        "nul.txt",
        "com1",
        "..",
        " . ",
        "",
        "Readme",
        "README",
        std::string(300, 'x'),
        "\x01tab\tend.",
        Cp(std::string(98, 'x') +
           "一二三四五六七八九十一二三四五六七八九十一二三四五六七八九十一二三"),
    };
    const std::vector<std::string> names = ExportFileNames(titles, ".md", 120);
    const std::vector<std::string> expected = {"标题.md",
                                               "标题 (2).md",
                                               "标题 (2) (2).md",
                                               "a_b_c_d_e_f_g_h_i_j.md",
                                               "_CON.md",
                                               "_nul.txt.md",
                                               "_com1.md",
                                               "无标题.md",
                                               "无标题 (2).md",
                                               "无标题 (3).md",
                                               "Readme.md",
                                               "README (2).md",
                                               std::string(101, 'x') + ".md",
                                               "_tab_end.md",
                                               std::string(98, 'x') + "一.md"};
    EXPECT_EQ(names, expected);
    for (const std::string& name : names) EXPECT_LE(name.size(), 120u);
}

// A notebook of many notes with one title, or none, is numbered in order,
// past the numbered names other titles already took, in one pass (the
// numbering once started again at 2 for every note: hours at 100,000).
TEST(ExportFileNames, ManyEqualTitlesAreNumberedInOrderPastTakenNames) {
    constexpr int kEqual = 60000;
    std::vector<std::string> titles = {"x (3)", "X (5)"};
    for (int i = 0; i < kEqual; ++i) titles.push_back(i % 2 ? "x" : "X");
    titles.push_back("");
    titles.push_back("");
    const std::vector<std::string> names = ExportFileNames(titles, ".md");
    ASSERT_EQ(names.size(), titles.size());
    EXPECT_EQ(names[2], "X.md");
    EXPECT_EQ(names[3], "x (2).md");
    EXPECT_EQ(names[4], "X (4).md");
    EXPECT_EQ(names[5], "x (6).md");
    EXPECT_EQ(names[kEqual + 1], "x (" + std::to_string(kEqual + 2) + ").md");
    EXPECT_EQ(names[kEqual + 2], "无标题.md");
    EXPECT_EQ(names[kEqual + 3], "无标题 (2).md");
    std::set<std::string> lowered;
    for (std::string name : names) {
        for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        lowered.insert(name);
    }
    EXPECT_EQ(lowered.size(), names.size());
}

TEST(AlreadyThere, MatchesTitleContentAndTelephoneOfTheSameKind) {
    const auto note = [](std::string t, std::string c) {
        return RecordKey{RecordKind::Note, std::move(t), std::move(c), ""};
    };
    const auto contact = [](std::string t, std::string c, std::string tel) {
        return RecordKey{RecordKind::Contact, std::move(t), std::move(c), std::move(tel)};
    };
    const std::vector<RecordKey> existing = {note("a", "b"), contact("n", "r", "1"),
                                             note(Cp("it＇s"), "")};
    const std::vector<RecordKey> incoming = {
        note("a", "b"),                            // there
        note("a", "b "),                           // content differs
        contact("a", "b", ""),                     // another kind
        contact("n", "r", "1"),                    // there
        contact("n", "r", "2"),                    // telephone differs
        note("it's", ""),                          // stored with the full-width apostrophe
        note("ab", ""),                            // fields do not run into each other
        note("new", "x"),       note("new", "x"),  // the same file holds it twice
    };
    EXPECT_EQ(AlreadyThere(existing, incoming),
              (std::vector<bool>{true, false, false, true, false, true, false, false, true}));
}

}  // namespace
}  // namespace korvane
