// Long fields: the beginning the page lays out at once and the rest kept in
// a template. Both halves nest properly, and opening the template shows
// exactly the whole.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "platform/codepage.h"
#include "render/findtext.h"
#include "render/longtext.h"
#include "render/recordbox.h"
#include "support/hostile.h"
#include "support/markup_check.h"

namespace korvane {
namespace {

constexpr std::string_view kRestOpen = "<template class=\"rest\">";

// What a reader sees of `folded` once the template has joined its field.
std::string ShownOnceOpened(const std::string& folded) {
    std::string joined = folded;
    const size_t rest = joined.find(kRestOpen);
    if (rest != std::string::npos) {
        joined.erase(rest, kRestOpen.size());
        EXPECT_TRUE(joined.ends_with("</template>"));
        joined.resize(joined.size() - std::string_view("</template>").size());
    }
    std::string shown;
    AppendShownText(shown, platform::FromCodePage(joined));
    return shown;
}

std::string Shown(const std::string& markup) {
    std::string shown;
    AppendShownText(shown, platform::FromCodePage(markup));
    return shown;
}

TEST(LongText, ShortFieldsStayAsTheyAre) {
    for (const std::string text : {"", "abc", "<span class=\"Tred\">x</span>"})
        EXPECT_EQ(FoldLongMarkup(text, 100), text);
}

TEST(LongText, TheCutKeepsCharactersReferencesAndTagsWhole) {
    // "中" in GBK is two bytes, "€" one, a four-byte GB18030 character four.
    const std::string gbk = platform::ToCodePage("中中中中€中𠀀中");
    for (size_t limit = 1; limit < gbk.size(); ++limit) {
        const std::string folded = FoldLongMarkup(gbk, limit);
        const size_t rest = folded.find(kRestOpen);
        if (rest == std::string::npos) {  // only the last character was past the limit
            EXPECT_EQ(folded, gbk);
            EXPECT_GT(limit + 4, gbk.size());
            continue;
        }
        EXPECT_EQ(platform::ToCodePage(platform::FromCodePage(folded.substr(0, rest))),
                  folded.substr(0, rest))
            << limit;
        EXPECT_EQ(folded.substr(0, rest) + folded.substr(rest + kRestOpen.size()),
                  gbk + "</template>");
    }
    EXPECT_EQ(FoldLongMarkup("ab&amp;cd", 3), "ab&amp;<template class=\"rest\">cd</template>");
    EXPECT_EQ(FoldLongMarkup("a<span class=\"Tred\">bcd</span>e", 22),
              "a<span class=\"Tred\">bc</span><template class=\"rest\"><span "
              "class=\"Tred\">d</span>e</template>");
}

TEST(LongText, RandomBoxesFoldIntoTwoWellFormedHalvesThatMakeTheWhole) {
    std::mt19937 random(7);
    std::uniform_int_distribution<size_t> limits(1, 400);
    for (int round = 0; round < 400; ++round) {
        std::string text;
        for (int i = 0; i < 8; ++i) text += test::RandomHostileMix(random).text;
        const test::HostileMix query = test::RandomHostileMix(random);
        const std::string stored = platform::ToCodePage(text);
        ShownRecord shown = ShowRecord(round % 2, ListRow{"3", stored, stored, "d", stored});
        shown.content = platform::ToCodePage(
            HighlightMarkup(platform::FromCodePage(shown.content), FoldQuery(query.query)));
        const std::string folded = FoldLongMarkup(shown.content, limits(random));
        EXPECT_EQ(ShownOnceOpened(folded), Shown(shown.content));
        EXPECT_EQ(test::BoxMarkupFault(folded), "") << text;
        if (HasFailure()) return;
    }
}

TEST(LongText, APageBoxOfAMegabyteNoteLaysOutOnlyItsBeginning) {
    std::string body;
    while (body.size() < 1024 * 1024) body += "a ";
    const ListRow row{"1", std::string(10000, 't'), body, "2026-01-01 00:00:00", ""};
    const std::string page = RecordBox(0, row, 1);
    const size_t rest = page.find(kRestOpen);
    ASSERT_NE(rest, std::string::npos);
    EXPECT_LT(rest, kShownLineBytes + 2048);  // the title's rest comes first
    EXPECT_EQ(test::BoxMarkupFault(page), "");
    // The reference form holds every byte as it is.
    EXPECT_EQ(RecordBox(0, row, 1, BoxForm::kReference).find("<template"), std::string::npos);
}

}  // namespace
}  // namespace korvane
