// Notes and contacts as the items of sync servers: random records come back
// byte for byte written fresh or over server copies, the copies' lines the
// notebook does not own stay byte for byte and in order, an unchanged record
// writes back the copy itself, items other clients made read as expected,
// and broken or hostile items give an error, never a crash.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "exchange/datetime.h"
#include "exchange/davitems.h"
#include "platform/codepage.h"
#include "support/randomrecords.h"

namespace korvane {
namespace {

using test::Random;
using test::Shown;

std::string Sample(const std::string& name) {
    std::ifstream in(std::string(KORVANE_SOURCE_DIR) + "/tests/data/dav/" + name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A phone's card and journal entry (with a photo, an attachment, a time zone
// and an alarm), and the lines of each that a write owns.
const std::string kPhoneCard = Sample("phone-card.vcf");
const std::string kPhoneJournal = Sample("phone-journal.ics");
const std::set<std::string> kCardOwned = {"BEGIN:VCARD",
                                          "END:VCARD",
                                          "UID:phone-uid-1",
                                          "FN:张三",
                                          "N:张;三;;;",
                                          "item1.TEL;TYPE=CELL:+86 138 0013 8000",
                                          "NOTE:met at the fair\\, 2024 {QQ777QQ}",
                                          "IMPP:qq:777",
                                          "REV:2026-12-01T08:00:00Z"};
const std::set<std::string> kJournalOwned = {"BEGIN:VCALENDAR",
                                             "END:VCALENDAR",
                                             "BEGIN:VJOURNAL",
                                             "END:VJOURNAL",
                                             "UID:journal-1@phone",
                                             "DTSTAMP:20261201T080000Z",
                                             "LAST-MODIFIED:20261201T080000Z",
                                             "SUMMARY:购物清单",
                                             "DESCRIPTION:牛奶\\, 面包\\; 鸡蛋\\n第二行 😀 end"};

// The lines of `item` not in `owned`, each with its folded continuation.
std::vector<std::string> Unowned(const std::string& item, const std::set<std::string>& owned) {
    std::vector<std::string> lines;
    for (size_t at = 0; at < item.size();) {
        const size_t end = item.find("\r\n", at);
        const std::string line = item.substr(at, end - at);
        if (line[0] == ' ')
            lines.back() += "\r\n" + line;
        else
            lines.push_back(line);
        at = end + 2;
    }
    std::erase_if(lines, [&](const std::string& line) { return owned.contains(line); });
    return lines;
}

// Each line of `kept` in `item`, whole and in order.
void ExpectKeptInOrder(const std::string& item, const std::vector<std::string>& kept) {
    size_t at = 0;
    for (const std::string& line : kept) {
        const size_t found = item.find("\r\n" + line + "\r\n", at);
        ASSERT_NE(found, std::string::npos) << line.substr(0, 80) << "\nin\n" << item;
        at = found + line.size();
    }
}

ExchangedNote RandomNote(Random& random) {
    return {0, random.Text(), random.Text(), random.Date()};
}

ExchangedContact RandomContact(Random& random) {
    return {0, random.Text(), random.Text(), random.Text(), random.Date()};
}

struct CopyCase {
    const char* name;
    std::string copy;
};

class JournalRoundTrip : public testing::TestWithParam<CopyCase> {};

TEST_P(JournalRoundTrip, RandomNotesComeBackByteForByteTwiceOver) {
    Random random(11);
    for (int i = 0; i < 1500; ++i) {
        const ExchangedNote first = RandomNote(random), second = RandomNote(random);
        const std::string uid = "k-" + std::to_string(i);
        const std::string item = WriteJournalItem(first, uid, GetParam().copy);
        const DavNoteRead back = ReadJournalItem(item);
        ASSERT_EQ(back.error, "") << Shown(item);
        ASSERT_EQ(back.note, first) << "date " << Shown(first.date) << "\nitem " << Shown(item);
        ASSERT_EQ(back.uid, uid);
        // Changed again over what went up: the new record, the same copy lines.
        const std::string again = WriteJournalItem(second, uid, item);
        ASSERT_EQ(ReadJournalItem(again).note, second) << Shown(again);
        if (GetParam().copy == kPhoneJournal)
            ExpectKeptInOrder(again, Unowned(kPhoneJournal, kJournalOwned));
        // Unchanged: the item itself, so nothing is uploaded again.
        ASSERT_EQ(WriteJournalItem(second, uid, again), again);
    }
}

INSTANTIATE_TEST_SUITE_P(Copies, JournalRoundTrip,
                         testing::Values(CopyCase{"Fresh", ""},
                                         CopyCase{"PhoneJournal", kPhoneJournal},
                                         CopyCase{"NotAnItem", "garbage\r\n"}),
                         [](const testing::TestParamInfo<CopyCase>& info) {
                             return info.param.name;
                         });

class CardRoundTrip : public testing::TestWithParam<CopyCase> {};

TEST_P(CardRoundTrip, RandomContactsComeBackByteForByteTwiceOver) {
    Random random(12);
    for (int i = 0; i < 1500; ++i) {
        const ExchangedContact first = RandomContact(random), second = RandomContact(random);
        const std::string uid = "k-" + std::to_string(i);
        const std::string item = WriteCardItem(first, uid, GetParam().copy);
        const DavContactRead back = ReadCardItem(item);
        ASSERT_EQ(back.error, "") << Shown(item);
        ASSERT_EQ(back.contact, first)
            << "remark " << Shown(first.remark) << "\nitem " << Shown(item);
        ASSERT_EQ(back.uid, uid);
        const std::string again = WriteCardItem(second, uid, item);
        ASSERT_EQ(ReadCardItem(again).contact, second) << Shown(again);
        if (GetParam().copy == kPhoneCard) {
            ExpectKeptInOrder(again, Unowned(kPhoneCard, kCardOwned));
        }
        ASSERT_EQ(WriteCardItem(second, uid, again), again);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Copies, CardRoundTrip,
    testing::Values(CopyCase{"Fresh", ""}, CopyCase{"PhoneCard", kPhoneCard},
                    CopyCase{"Version4", "BEGIN:VCARD\r\nVERSION:4.0\r\nEND:VCARD\r\n"},
                    CopyCase{"Version21",
                             "BEGIN:VCARD\r\nVERSION:2.1\r\nTEL;CELL;PREF:1\r\n"
                             "NOTE;ENCODING=QUOTED-PRINTABLE;CHARSET=UTF-8:=E5=BC=A0\r\n"
                             "END:VCARD\r\n"}),
    [](const testing::TestParamInfo<CopyCase>& info) { return info.param.name; });

TEST(DavItemMerge, AnUnchangedRecordWritesTheCopyBackAsItIs) {
    const DavContactRead card = ReadCardItem(kPhoneCard);
    ASSERT_EQ(card.error, "");
    EXPECT_EQ(WriteCardItem(card.contact, card.uid, kPhoneCard), kPhoneCard);
    const DavNoteRead note = ReadJournalItem(kPhoneJournal);
    ASSERT_EQ(note.error, "");
    EXPECT_EQ(WriteJournalItem(note.note, note.uid, kPhoneJournal), kPhoneJournal);
}

TEST(DavItemMerge, OwnedPropertiesChangeInPlaceAndTheFirstTelKeepsItsParameters) {
    ExchangedContact contact = ReadCardItem(kPhoneCard).contact;
    contact.tel = "13900000000";
    contact.remark = "changed {SPsam.skypeSP}";
    const std::string item = WriteCardItem(contact, "phone-uid-1", kPhoneCard);
    std::set<std::string> owned = kCardOwned;
    owned.erase("N:张;三;;;");  // the name did not change: N stays
    ExpectKeptInOrder(item, Unowned(kPhoneCard, owned));
    EXPECT_NE(item.find("\r\nitem1.TEL;TYPE=CELL:13900000000\r\n"), std::string::npos) << item;
    EXPECT_NE(item.find("\r\nFN:张三\r\n"), std::string::npos);
    EXPECT_NE(item.find("\r\nUID:phone-uid-1\r\n"), std::string::npos);
    // The tag taken out of the remark loses its line; the new one gets both.
    EXPECT_EQ(item.find("qq:777"), std::string::npos);
    EXPECT_NE(item.find("\r\nIMPP:skype:sam.skype\r\nX-SKYPE:sam.skype\r\n"), std::string::npos);
    // The save time did not change: REV stays as the phone wrote it.
    EXPECT_NE(item.find("\r\nREV:2026-12-01T08:00:00Z\r\n"), std::string::npos);
    EXPECT_EQ(item.find("X-KORVANE-DATE"), std::string::npos);
    EXPECT_EQ(ReadCardItem(item).contact, contact);

    contact.date = "2026-12-09 10:00:00";
    const std::string saved = WriteCardItem(contact, "phone-uid-1", kPhoneCard);
    EXPECT_NE(saved.find("\r\nREV:" + *UtcFromStoredTime(contact.date) + "\r\n"),
              std::string::npos);
    EXPECT_NE(saved.find("\r\nX-KORVANE-DATE:2026-12-09 10:00:00\r\n"), std::string::npos);
    EXPECT_EQ(ReadCardItem(saved).contact, contact);

    contact.name = Cp("张三丰");
    const std::string renamed = WriteCardItem(contact, "phone-uid-1", kPhoneCard);
    EXPECT_NE(renamed.find("\r\nN:张三丰;;;;\r\nFN:张三丰\r\n"), std::string::npos) << renamed;
}

TEST(DavItemMerge, AFieldEmptiedBeforeAnotherOfItsNameStaysEmptyInsteadOfGone) {
    ExchangedContact contact = ReadCardItem(kPhoneCard).contact;
    contact.tel.clear();
    const std::string item = WriteCardItem(contact, "phone-uid-1", kPhoneCard);
    EXPECT_NE(item.find("\r\nitem1.TEL;TYPE=CELL:\r\n"), std::string::npos) << item;
    EXPECT_EQ(ReadCardItem(item).contact, contact);
}

TEST(DavItemMerge, AReplacedValueEndingInAnEqualsSignNeverTakesTheNextLine) {
    const std::string copy =
        "BEGIN:VCARD\r\nVERSION:2.1\r\nquoted-printable.TEL;X=Quoted-Printable;"
        "QUOTED-PRINTABLE:1\r\nNOTE:n\r\nEND:VCARD\r\n";
    const ExchangedContact contact{0, "a", "5=", "n", ""};
    EXPECT_EQ(ReadCardItem(WriteCardItem(contact, "u", copy)).contact, contact);
}

TEST(DavItemRead, APhonesJournalEntryReadsWithItsTimeAndEveryCharacter) {
    const DavNoteRead read = ReadJournalItem(kPhoneJournal);
    ASSERT_EQ(read.error, "");
    EXPECT_EQ(read.uid, "journal-1@phone");
    EXPECT_EQ(read.note.title, Cp("购物清单"));
    const std::string body = Cp("牛奶, 面包; 鸡蛋\r\n第二行 😀 end");
    EXPECT_EQ(read.note.body, body);
    EXPECT_EQ(body.find('?'), std::string::npos);  // the emoji has its four-byte form
    EXPECT_EQ(read.note.date, StoredTimeFromIso("20261201T080000Z"));
    // With line feeds only, as an XML answer delivers the data.
    std::string lf = kPhoneJournal;
    for (size_t at = lf.find("\r\n"); at != std::string::npos; at = lf.find("\r\n", at))
        lf.erase(at, 1);
    EXPECT_EQ(ReadJournalItem(lf).note, read.note);
}

TEST(DavItemRead, TheStoredTimeCountsOnlyWhileTheStampIsTheOneWrittenWithIt) {
    const ExchangedNote note{0, "t", "b", "2026-03-29 02:30:00"};
    const std::string item = WriteJournalItem(note, "u");
    EXPECT_EQ(ReadJournalItem(item).note.date, note.date);
    // Another client edited it and moved LAST-MODIFIED on.
    const std::string stamp = *UtcFromStoredTime(note.date);
    std::string edited = item;
    edited.replace(edited.find("LAST-MODIFIED:" + stamp), 14 + stamp.size(),
                   "LAST-MODIFIED:20270101T000000Z");
    EXPECT_EQ(ReadJournalItem(edited).note.date, StoredTimeFromIso("20270101T000000Z"));
}

TEST(DavItemRead, CardsOfOtherVersionsAndClients) {
    const DavContactRead v4 = ReadCardItem(
        "BEGIN:VCARD\r\nVERSION:4.0\r\nUID:urn:uuid:1\r\nFN:李四\r\n"
        "TEL;VALUE=uri;TYPE=\"voice,cell\":tel:+86-138-0000-0000\r\n"
        "REV:20231105T040000Z\r\nEND:VCARD\r\n");
    ASSERT_EQ(v4.error, "");
    EXPECT_EQ(v4.uid, "urn:uuid:1");
    EXPECT_EQ(v4.contact, (ExchangedContact{0, Cp("李四"), "+86-138-0000-0000", "",
                                            *StoredTimeFromIso("20231105T040000Z")}));
    const DavContactRead v21 = ReadCardItem(
        "BEGIN:VCARD\nVERSION:2.1\nN;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:=E5=BC=A0;=E4=B8=89;;;"
        "\n"
        "TEL;CELL;PREF:13800138000\nNOTE;CHARSET=GBK;ENCODING=QUOTED-PRINTABLE:=C4=E3=BA=C3=0D=0A="
        "\n"
        "=C4=E3\nEND:VCARD\n");
    ASSERT_EQ(v21.error, "");
    EXPECT_EQ(v21.contact, (ExchangedContact{0, Cp("张三"), "13800138000", Cp("你好\r\n你"), ""}));
}

struct HostileCase {
    const char* name;
    std::string item;
    bool error;
};

class HostileItems : public testing::TestWithParam<HostileCase> {};

TEST_P(HostileItems, GiveAnErrorOrARecordNeverACrash) {
    const DavNoteRead note = ReadJournalItem(GetParam().item);
    EXPECT_EQ(!note.error.empty(), GetParam().error) << platform::FromCodePage(note.error);
    const DavContactRead card = ReadCardItem(GetParam().item);
    if (GetParam().error) {
        EXPECT_NE(card.error, "");
    }
    // Writing over it stays readable.
    const ExchangedNote mine{0, "a", "b", "2026-12-08 20:52:35"};
    EXPECT_EQ(ReadJournalItem(WriteJournalItem(mine, "u", GetParam().item)).note, mine);
    const ExchangedContact contact{0, "a", "1", "r", ""};
    EXPECT_EQ(ReadCardItem(WriteCardItem(contact, "u", GetParam().item)).contact, contact);
}

std::string Nested(int depth) {
    std::string item = "BEGIN:VCALENDAR\r\nBEGIN:VJOURNAL\r\n";
    for (int i = 0; i < depth; ++i) item += "BEGIN:X\r\n";
    for (int i = 0; i < depth; ++i) item += "END:X\r\n";
    return item + "END:VJOURNAL\r\nEND:VCALENDAR\r\n";
}

INSTANTIATE_TEST_SUITE_P(
    Items, HostileItems,
    testing::Values(
        HostileCase{"NoEnd", "BEGIN:VCALENDAR\r\nBEGIN:VJOURNAL\r\nSUMMARY:x\r\n", true},
        HostileCase{"EndOfAnother", "BEGIN:VCALENDAR\r\nBEGIN:VJOURNAL\r\nEND:VTODO\r\n", true},
        HostileCase{"EndFirst", "END:VCALENDAR\r\n", true},
        HostileCase{"TooDeep", Nested(40), true}, HostileCase{"DeepEnough", Nested(10), false},
        HostileCase{
            "EventsOnly",
            "BEGIN:VCALENDAR\r\nBEGIN:VEVENT\r\nSUMMARY:x\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n",
            true},
        HostileCase{"Empty", "", true},
        HostileCase{"Oversized",
                    "BEGIN:VCALENDAR\r\nBEGIN:VJOURNAL\r\nDESCRIPTION:" +
                        std::string((size_t{16} << 20) + 1, 'a') +
                        "\r\nEND:VJOURNAL\r\nEND:VCALENDAR\r\n",
                    true},
        HostileCase{"NulAndBadUtf8",
                    std::string("BEGIN:VCALENDAR\r\nBEGIN:VJOURNAL\r\nSUMMARY:a") + '\0' +
                        "b\xC3\x28\xFF\r\nDESCRIPTION:\xF0\x9F\x98\r\n \r\n\t\r\n:\r\n;;;\r\n"
                        "END:VJOURNAL\r\nEND:VCALENDAR\r\n",
                    false},
        HostileCase{"HugeLine",
                    "BEGIN:VCALENDAR\r\nBEGIN:VJOURNAL\r\nDESCRIPTION:" +
                        std::string(size_t{8} << 20, 'x') + "\r\nEND:VJOURNAL\r\nEND:VCALENDAR\r\n",
                    false}),
    [](const testing::TestParamInfo<HostileCase>& info) { return info.param.name; });

}  // namespace
}  // namespace korvane
