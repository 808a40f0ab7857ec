// Notes and contacts as the items of sync servers: random records come back
// byte for byte written fresh or over server copies, the copies' lines the
// notebook does not own stay byte for byte and in order, an unchanged record
// writes back the copy itself, items other clients made read as expected,
// and broken or hostile items give an error, never a crash.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "exchange/contentlines.h"
#include "exchange/datetime.h"
#include "exchange/davitems.h"
#include "platform/codepage.h"
#include "support/randomrecords.h"

namespace korvane {
namespace {

using test::Random;
using test::Shown;

std::string Photo() {
    std::string photo = "PHOTO;ENCODING=b;TYPE=JPEG:/9j/4AAQSkZJRgABAQAAAQABAAD";
    for (int i = 0; i < 200; ++i)
        photo += "\r\n AAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA";
    return photo;
}

// The lines of a phone's card the notebook does not own, in their order.
const std::vector<std::string> kCardKept = {
    "VERSION:3.0",
    "PRODID:-//Phone//Contacts 1.0//EN",
    "N:张;三;;;",
    "TEL;TYPE=HOME,VOICE:010-12345678",
    "EMAIL;TYPE=INTERNET:zhang@example.com",
    "ADR;TYPE=HOME:;;1 Main St;Springfield;;;CN",
    Photo(),
    "CATEGORIES:Friends,Work",
    "IMPP:skype:phone.only",
    "X-ANDROID-CUSTOM:vnd.android.cursor.item/nickname;Sam;1;;;;;;;;;;;;;",
};

const std::string kPhoneCard =
    "BEGIN:VCARD\r\n" + kCardKept[0] + "\r\n" + kCardKept[1] + "\r\nUID:phone-uid-1\r\n" +
    kCardKept[2] + "\r\nFN:张三\r\nitem1.TEL;TYPE=CELL:+86 138 0013 8000\r\n" + kCardKept[3] +
    "\r\n" + kCardKept[4] + "\r\n" + kCardKept[5] + "\r\n" + kCardKept[6] + "\r\n" + kCardKept[7] +
    "\r\n" + kCardKept[8] + "\r\n" + kCardKept[9] +
    "\r\nNOTE:met at the fair\\, 2024 {QQ777QQ}\r\n"
    "IMPP:qq:777\r\nREV:2026-12-01T08:00:00Z\r\nEND:VCARD\r\n";

std::string Attach() {
    std::string attach = "ATTACH;FMTTYPE=image/png;ENCODING=BASE64;VALUE=BINARY:iVBORw0KGgo";
    for (int i = 0; i < 100; ++i)
        attach += "\r\n AAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA";
    return attach;
}

// The lines of a phone's journal entry and its calendar that the notebook
// does not own, in their order.
const std::vector<std::string> kJournalKept = {
    "VERSION:2.0",
    "PRODID:-//Phone//Notes//EN",
    "BEGIN:VTIMEZONE\r\nTZID:Asia/Shanghai\r\nBEGIN:STANDARD\r\nDTSTART:19700101T000000\r\n"
    "TZOFFSETFROM:+0800\r\nTZOFFSETTO:+0800\r\nTZNAME:CST\r\nEND:STANDARD\r\nEND:VTIMEZONE",
    "CREATED:20261130T010000Z",
    "DTSTART;TZID=Asia/Shanghai:20261201T160000",
    "CATEGORIES:家,购物",
    Attach(),
    "BEGIN:VALARM\r\nACTION:DISPLAY\r\nDESCRIPTION:reminder\r\nTRIGGER:-PT15M\r\nEND:VALARM",
    "X-PHONE-COLOR:#ff0000",
};

const std::string kPhoneJournal =
    "BEGIN:VCALENDAR\r\n" + kJournalKept[0] + "\r\n" + kJournalKept[1] + "\r\n" + kJournalKept[2] +
    "\r\nBEGIN:VJOURNAL\r\nUID:journal-1@phone\r\nDTSTAMP:20261201T080000Z\r\n" + kJournalKept[3] +
    "\r\nLAST-MODIFIED:20261201T080000Z\r\n" + kJournalKept[4] +
    "\r\nSUMMARY:购物清单\r\nDESCRIPTION:牛奶\\, 面包\\; 鸡蛋\\n第二行 😀 end\r\n" +
    kJournalKept[5] + "\r\n" + kJournalKept[6] + "\r\n" + kJournalKept[7] + "\r\n" +
    kJournalKept[8] + "\r\nEND:VJOURNAL\r\nEND:VCALENDAR\r\n";

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
        if (GetParam().copy == kPhoneJournal) ExpectKeptInOrder(again, kJournalKept);
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
            std::vector<std::string> kept = kCardKept;
            kept.erase(kept.begin() + 2);  // N follows a changed name
            ExpectKeptInOrder(again, kept);
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
    ExpectKeptInOrder(item, kCardKept);  // the name did not change: N stays too
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

TEST(ContentLines, KeepEveryPhysicalLineOfAPropertyAndSplitItsParameters) {
    const ContentParse parse =
        ParseContentLines("BEGIN:VCARD\nitem2.TEL;TYPE=\"a;b\";CELL:1\r\n 2\r\n\t3\nEND:VCARD");
    ASSERT_EQ(parse.error, "");
    const ContentComponent* card = FindComponent(parse.nodes, "VCARD");
    ASSERT_NE(card, nullptr);
    ASSERT_EQ(card->nodes.size(), 1u);
    const ContentLine& tel = card->nodes[0].line;
    EXPECT_EQ(tel.raw, "item2.TEL;TYPE=\"a;b\";CELL:1\r\n 2\r\n\t3");
    EXPECT_EQ(tel.value, "123");
    EXPECT_EQ(tel.group, "item2");
    EXPECT_TRUE(tel.Has("TYPE", "cell"));
    EXPECT_EQ(RewrittenLine(tel, "9"), "item2.TEL;TYPE=\"a;b\";CELL:9\r\n");
}

}  // namespace
}  // namespace korvane
