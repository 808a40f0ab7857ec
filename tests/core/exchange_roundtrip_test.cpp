// Export then import gives back the stored bytes: notes through Markdown,
// contacts through vCard 3.0 and 4.0, over many random records made of the
// pieces that break formats (GBK and GB18030 text, bytes GBK cannot hold,
// snippets, emoticon and messenger tags, line breaks of every kind, the
// characters each format treats specially, very long lines).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "exchange/markdown.h"
#include "exchange/vcard.h"
#include "support/randomrecords.h"

namespace korvane {
namespace {

using test::Random;
using test::Shown;

TEST(ExchangeRoundTrip, NotesThroughMarkdownKeepEveryStoredByte) {
    Random random(20261208);
    for (int i = 0; i < 3000; ++i) {
        ExchangedNote note{random.Id(), random.Text(), random.Text(), random.Date()};
        if (note.date == "not a date") note.date.clear();
        const std::string file = NoteToMarkdown(note);
        const ExchangedNote back = MarkdownToNote(file);
        ASSERT_EQ(back, note) << "title " << Shown(note.title) << "\nbody " << Shown(note.body)
                              << "\nback " << Shown(back.body) << "\nfile " << Shown(file);
    }
}

class ContactRoundTrip : public testing::TestWithParam<VCardVersion> {};

TEST_P(ContactRoundTrip, ContactsThroughVCardKeepEveryStoredByte) {
    Random random(static_cast<unsigned>(GetParam() == VCardVersion::V3 ? 3 : 4));
    std::vector<ExchangedContact> all;
    std::string file;
    for (int i = 0; i < 3000; ++i) {
        ExchangedContact contact{random.Id(), random.Text(), random.Text(), random.Text(),
                                 random.Date()};
        if (contact.date == "not a date") contact.date.clear();
        const std::string card = WriteVCard(contact, GetParam());
        const VCardReadResult back = ReadVCards(card);
        ASSERT_EQ(back.error, "") << Shown(card);
        ASSERT_EQ(back.contacts.size(), 1u) << Shown(card);
        ASSERT_EQ(back.contacts[0], contact)
            << "name " << Shown(contact.name) << "\nremark " << Shown(contact.remark) << "\nback "
            << Shown(back.contacts[0].remark) << "\ncard " << Shown(card);
        all.push_back(contact);
        file += card;
    }
    const VCardReadResult whole = ReadVCards(file);
    ASSERT_EQ(whole.error, "");
    EXPECT_EQ(whole.contacts, all);
}

TEST_P(ContactRoundTrip, WrittenLinesAreFoldedAt75OctetsBetweenCharacters) {
    Random random(7);
    for (int i = 0; i < 500; ++i) {
        const ExchangedContact contact{1, random.Text(), random.Text(), random.Text(), ""};
        const std::string card = WriteVCard(contact, GetParam());
        size_t at = 0;
        while (at < card.size()) {
            const size_t end = card.find("\r\n", at);
            ASSERT_NE(end, std::string::npos);
            ASSERT_LE(end - at, 75u);
            // No line starts inside a UTF-8 character, and no bare CR or LF in one.
            if (end > at) {
                ASSERT_NE(static_cast<unsigned char>(card[at]) & 0xC0, 0x80);
            }
            ASSERT_EQ(card.substr(at, end - at).find_first_of("\r\n"), std::string::npos);
            at = end + 2;
        }
    }
}

TEST_P(ContactRoundTrip, ARemarkOfManyDistinctTagsComesBackInLinearTime) {
    ExchangedContact contact{5, "n", "", "", ""};
    for (int i = 0; i < 100000; ++i)
        contact.remark += "{QQ" + std::to_string(i) + "QQ}{SP" + std::to_string(i) + "SP}";
    const VCardReadResult back = ReadVCards(WriteVCard(contact, GetParam()));
    ASSERT_EQ(back.error, "");
    ASSERT_EQ(back.contacts.size(), 1u);
    EXPECT_EQ(back.contacts[0], contact);
}

INSTANTIATE_TEST_SUITE_P(Versions, ContactRoundTrip,
                         testing::Values(VCardVersion::V3, VCardVersion::V4));

}  // namespace
}  // namespace korvane
