// The final markup of record boxes, in the lists and in the results, after
// every conversion and every mark: hostile contacts and notes, random mixes
// of nested messenger tags, formatting and links searched for random parts
// of themselves, and records that match hundreds of thousands of times.
#include <gtest/gtest.h>

#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "platform/codepage.h"
#include "render/finder.h"
#include "render/findtext.h"
#include "render/recordbox.h"
#include "support/markup_check.h"

namespace korvane {
namespace {

std::vector<std::string> Lines(const char* file) {
    std::ifstream in(std::string(KORVANE_SOURCE_DIR) + "/tests/data/" + file);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line[0] != '#') lines.push_back(line);
    }
    return lines;
}

// Every box a record can have: both list forms and the results for `query`.
std::vector<std::string> Boxes(int kind, const std::string& text, const std::string& query) {
    const std::string stored = platform::ToCodePage(text);
    const ListRow row{"7", stored, stored, "2026-01-01 00:00:00", stored};
    return {RecordBox(kind, row, 1), RecordBox(kind, row, 1, BoxForm::kReference),
            FoundBox(kind, row, FoldQuery(query), 1)};
}

void ExpectAllowed(int kind, const std::string& text, const std::string& query) {
    for (const std::string& box : Boxes(kind, text, query)) {
        ASSERT_EQ(test::BoxMarkupFault(box), "")
            << "kind " << kind << ", text " << text << ", query " << query;
    }
}

TEST(BoxMarkup, HostileRecordsStayInertWhateverIsSearched) {
    std::vector<std::string> texts = Lines("hostile_contacts.txt");
    ASSERT_GE(texts.size(), 10u);
    for (const std::string& note : Lines("hostile_notes.txt")) texts.push_back(note);
    const std::vector<std::string> queries = {"y",  "m",  "x",   "=",  "on", "\"", ">",    "<",
                                              "&",  "/",  "q",   "1",  " ",  "a",  "http", "kv",
                                              "mm", "}", "{QQ", "2", "t",  "'"};
    for (const std::string& text : texts) {
        for (int kind : {0, 1}) {
            for (const std::string& query : queries) ExpectAllowed(kind, text, query);
        }
    }
}

// Pieces that nest and interleave messenger tags with formatting, links,
// emoticons, quotes, angle brackets, references and line breaks.
const std::vector<std::string>& Pieces() {
    static const std::vector<std::string> pieces = {
        "{QQ", "QQ}", "{MS", "MS}", "{SP", "SP}", "{AL", "AL}", "{EM3EM}", "{EM", "EM}",
        "<a href=\"http://x/", "<a href='https://y'>", "<a href=http://z>", "</a>", "\">", "'",
        "\"", ">", "<", "&quot;", "&gt;", "&", "<span class=\"Tred\">", "<span class=TBBl>",
        "</span>", "<br>", "\r\n", " ", "onmouseover=kv()", " style=x", "12345", "m", "y",
        "会议", "<b>", "<!--", "-->", "<img src=x onerror=kv()>"};
    return pieces;
}

TEST(BoxMarkup, RandomNestedTagsAndMarksKeepEveryBoxInShape) {
    std::mt19937 random(20261208);
    const std::vector<std::string>& pieces = Pieces();
    std::uniform_int_distribution<size_t> pick(0, pieces.size() - 1);
    std::uniform_int_distribution<int> length(1, 24);
    for (int round = 0; round < 1500; ++round) {
        std::string text;
        for (int n = length(random); n > 0; --n) text += pieces[pick(random)];
        // A query drawn from the text itself, so marks land everywhere.
        std::uniform_int_distribution<size_t> from(0, text.size() - 1);
        const size_t at = from(random);
        const std::string query = text.substr(at, 1 + round % 4);
        ExpectAllowed(round % 2, text, query);
        if (HasFailure()) return;
    }
}

TEST(BoxMarkup, ARecordMatchingEverywhereMarksTheFirstAndSaysHowOften) {
    std::string text;
    while (text.size() < 512 * 1024) text += "a ";
    const ListRow row{"7", "title", platform::ToCodePage(text), "2026-01-01 00:00:00", ""};
    const std::string box = platform::FromCodePage(FoundBox(0, row, FoldQuery("a"), 1));
    size_t marks = 0;
    for (size_t at = box.find("<mark"); at != std::string::npos; at = box.find("<mark", at + 1))
        ++marks;
    EXPECT_EQ(marks, kMarksPerRecord);
    EXPECT_NE(box.find("此条共 262,144 处"), std::string::npos);
    EXPECT_EQ(test::BoxMarkupFault(platform::ToCodePage(box)), "");
    // A record with fewer matches marks them all and says nothing more.
    const std::string few = FoundBox(0, row, FoldQuery("title"), 1);
    EXPECT_EQ(few.find("hits"), std::string::npos);
    EXPECT_NE(few.find("<mark"), std::string::npos);
}

}  // namespace
}  // namespace korvane
