// The final markup of record boxes, in the lists and in the results, after
// every conversion and every mark: hostile contacts and notes, random mixes
// of nested messenger tags, formatting and links searched for random parts
// of themselves, and records that match hundreds of thousands of times.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "platform/codepage.h"
#include "render/finder.h"
#include "render/findtext.h"
#include "render/recordbox.h"
#include "support/hostile.h"
#include "support/markup_check.h"

namespace korvane {
namespace {

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
    std::vector<std::string> texts = test::HostileTexts("hostile_contacts.txt");
    ASSERT_GE(texts.size(), 10u);
    for (const std::string& note : test::HostileTexts("hostile_notes.txt")) texts.push_back(note);
    const std::vector<std::string> queries = {"y",  "m", "x",   "=", "on", "\"", ">",    "<",
                                              "&",  "/", "q",   "1", " ",  "a",  "http", "kv",
                                              "mm", "}", "{QQ", "2", "t",  "'"};
    for (const std::string& text : texts) {
        for (int kind : {0, 1}) {
            for (const std::string& query : queries) ExpectAllowed(kind, text, query);
        }
    }
}

TEST(BoxMarkup, RandomNestedTagsAndMarksKeepEveryBoxInShape) {
    std::mt19937 random(20261208);
    for (int round = 0; round < 1500; ++round) {
        const test::HostileMix mix = test::RandomHostileMix(random);
        ExpectAllowed(round % 2, mix.text, mix.query);
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
