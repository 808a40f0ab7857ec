// Draft files that hold nothing a save would keep: blanks and line breaks
// only are never offered back, whatever the editor or the record.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "store/draftfile.h"
#include "support/tempdir.h"

namespace korvane {
namespace {

struct BlankCase {
    DraftFields fields;
    bool blank;
};

class BlankDraft : public ::testing::TestWithParam<BlankCase> {
  protected:
    test::AppFolder app_{"blank drafts 草稿"};
};

TEST_P(BlankDraft, IsNeitherRestoredNorTakenForText) {
    const BlankCase& c = GetParam();
    EXPECT_EQ(IsBlankDraft(c.fields), c.blank);
    for (const DraftOwner& owner : {DraftOwner{c.fields.size() == 2 ? "note" : "contact", 0},
                                    DraftOwner{c.fields.size() == 2 ? "note" : "contact", 7}}) {
        ASSERT_TRUE(WriteDraft(owner, c.fields));
        const std::optional<DraftFields> read = ReadDraft(owner, c.fields.size());
        EXPECT_EQ(read.has_value(), !c.blank);
        if (read) {
            EXPECT_EQ(*read, c.fields);  // a draft with text comes back byte for byte
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Drafts, BlankDraft,
    ::testing::Values(BlankCase{{"", ""}, true}, BlankCase{{" ", "\r\n"}, true},
                      BlankCase{{"\t \t", "\r\n\r\n\n  \r"}, true},
                      BlankCase{{"", "", "   \n"}, true},
                      BlankCase{{"\x01\x1f", " "}, true},  // control characters trim away too
                      BlankCase{{"", " a "}, false}, BlankCase{{"\r\n.", ""}, false},
                      BlankCase{{"", "\xa1\xa1"}, false},  // the GBK ideographic space is text
                      BlankCase{{" ", "", "0"}, false}));

}  // namespace
}  // namespace korvane
