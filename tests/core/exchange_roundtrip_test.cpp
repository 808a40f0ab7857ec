// Export then import gives back the stored bytes: notes through Markdown,
// contacts through vCard 3.0 and 4.0, over many random records made of the
// pieces that break formats (GBK and GB18030 text, bytes GBK cannot hold,
// snippets, emoticon and messenger tags, line breaks of every kind, the
// characters each format treats specially, very long lines).
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "exchange/markdown.h"
#include "exchange/vcard.h"

namespace korvane {
namespace {

const std::vector<std::string> kPieces = {
    "\xC4\xE3\xBA\xC3",  // GBK text
    "\x81\x30\x81\x30",
    "\x95\x32\x82\x36",
    "\x84\x31\xA4\x39",  // GB18030 four-byte forms
    "\x80",
    "\xFF",
    "\x81",
    "\xA2\xE3",
    "\xFE\x7F",  // bytes GBK cannot hold
    "<span class=\"TBlank\">\xD0\xDE\xB8\xC4</span>",
    "<span class=\"TBBl\">big</span>",
    "<span class=\"Tred\">red</span>",
    "<span class=\"TBred\">big red</span>",
    "<a href=\"http://x\" target=\"_blank\">link_text</a>",
    "<span class=\"TBlank\"> x</span>",
    "<span class=\"TBlank\">a*b_c\\</span>",
    "<span class=\"TBlank\"></span>",
    "{EM0EM}",
    "{EM7EM}",
    "{EM29EM}",
    "{EM30EM}",
    "{EM03EM}",
    "{EM-1EM}",
    "{QQ12345QQ}",
    "{MSa@b.comMS}",
    "{SPname with space;,SP}",
    "{AL\xCD\xFA\xCD\xFA"
    "AL}",
    "{QQQQ}",
    "{QQ1",
    "QQ}",
    "{SP%41SP}",
    "\r\n",
    "\r\n",
    "\r",
    "\n",
    "\r\n\r\n",
    "\t",
    "\x01",
    "\x7F",
    " ",
    "*",
    "**",
    "_",
    "`",
    "[",
    "]",
    "!",
    "![](emoticons/3.bmp)",
    "#",
    "> ",
    "- ",
    "+",
    "=",
    "1. ",
    "12) ",
    "|",
    "~",
    "\\",
    "\\n",
    "\\x0D",
    "&",
    "&#13;",
    "&#10;",
    "&#38;",
    "&amp;",
    "<",
    ">",
    "<b>",
    "<!-- c -->",
    "</span>",
    "<a\r\nhref=x>",
    "<x&#13;>",
    ",",
    ";",
    ":",
    "\"",
    "'",
    "=",
    "=0D",
    "---",
    "...",
    "BEGIN:VCARD",
    "END:VCARD",
    "abc",
    "Korvane",
    "0",
    "42",
};

class Random {
  public:
    explicit Random(unsigned seed) : engine_(seed) {}
    size_t Below(size_t n) { return std::uniform_int_distribution<size_t>(0, n - 1)(engine_); }
    int Int(int n) { return static_cast<int>(Below(static_cast<size_t>(n))); }

    std::string Text() {
        std::string out;
        const size_t pieces = Below(4) == 0 ? 0 : Below(24);
        for (size_t i = 0; i < pieces; ++i) {
            switch (Below(10)) {
                case 0:
                    out += static_cast<char>(0x80 + Below(0x80));
                    break;
                case 1:
                    out += static_cast<char>(0x20 + Below(0x5F));
                    break;
                case 2:
                    out += GbkCharacter();
                    break;
                case 3:
                    if (Below(20) == 0)
                        out += std::string(2000 + Below(6000), "a\xC4\xE3"[Below(2)]);
                    break;
                default:
                    out += kPieces[Below(kPieces.size())];
                    break;
            }
        }
        return out;
    }
    std::string Date() {
        if (Below(5) == 0) return Below(2) ? "" : "not a date";
        char text[80];
        std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", 1990 + Int(60),
                      1 + Int(12), 1 + Int(28), Int(24), Int(60), Int(60));
        return text;
    }
    int64_t Id() { return Below(3) == 0 ? 0 : static_cast<int64_t>(1 + Below(1000000)); }

  private:
    std::string GbkCharacter() {
        std::string c(1, static_cast<char>(0x81 + Below(0x7E)));
        size_t trail = 0x40 + Below(0xBF);
        if (trail == 0x7F) ++trail;
        return c + static_cast<char>(trail);
    }
    std::mt19937 engine_;
};

std::string Shown(const std::string& bytes) {
    std::string out;
    for (const char c : bytes) {
        const unsigned char u = static_cast<unsigned char>(c);
        if (u >= 0x20 && u < 0x7F) {
            out += c;
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "<%02X>", u);
            out += hex;
        }
    }
    return out;
}

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
