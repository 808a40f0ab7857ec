// The trash as the page gets it: deleted records in the lists' boxes with the
// trash's buttons, every field sanitised whatever it holds, each button
// naming its command and the trash's copy in data attributes; the header; the
// finder among the trash's records, and never among them in the lists.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/codepage.h"
#include "render/finder.h"
#include "render/findtext.h"
#include "render/recordbox.h"
#include "render/storetexts.h"
#include "render/trashpage.h"
#include "store/keeping.h"
#include "store/records.h"
#include "support/hostile.h"
#include "support/markup_check.h"
#include "support/tempdir.h"

namespace korvane {
namespace {

constexpr int64_t kDeletedAt = 1'800'000'000;

// Every trash box a stored text can have: listed, and found by each query.
std::vector<std::string> TrashBoxes(int kind, const std::string& text,
                                    const std::vector<std::string>& queries) {
    const std::string stored = platform::ToCodePage(text);
    TrashedRecord record{31, kDeletedAt, kind == 1 ? RecordKind::Contact : RecordKind::Note,
                         ListRow{"2026-01-01 00:00:00", stored, stored, "7", stored}};
    std::vector<std::string> boxes = {
        TrashBox(kind, ShowRecord(kind, record.row), record.trashId, 1, KindBadge(kind))};
    for (const std::string& query : queries)
        boxes.push_back(FoundTrashBox(record, FoldQuery(query), 1));
    return boxes;
}

TEST(TrashBoxes, HostileRecordsStayInertAndOnlyTheButtonsCarryCommands) {
    std::vector<std::string> texts = test::HostileTexts("hostile_contacts.txt");
    for (const std::string& note : test::HostileTexts("hostile_notes.txt")) texts.push_back(note);
    ASSERT_GE(texts.size(), 20u);
    const std::vector<std::string> queries = {"on",   "\"",     "<", "data-trash",
                                              "TrPu", "button", "x", "{QQ"};
    for (const std::string& text : texts) {
        for (int kind : {0, 1}) {
            for (const std::string& box : TrashBoxes(kind, text, queries)) {
                ASSERT_EQ(test::BoxMarkupFault(box), "") << "kind " << kind << ", " << text;
                // Exactly the two buttons name a command, both for copy 31.
                size_t commands = 0;
                for (size_t at = box.find("data-trash="); at != std::string::npos;
                     at = box.find("data-trash=", at + 1))
                    ++commands;
                EXPECT_EQ(commands, 2u) << text;
                EXPECT_NE(box.find("data-trash=\"TrRe\" data-id=\"31\""), std::string::npos);
                EXPECT_NE(box.find("data-trash=\"TrPu\" data-id=\"31\""), std::string::npos);
                EXPECT_EQ(box.find("data-code="), std::string::npos) << text;
            }
        }
    }
}

TEST(TrashBoxes, ACopyNumberThatIsNoneNamesNoCopy) {
    const ShownRecord shown = ShowRecord(0, ListRow{"d", "t", "c", "5", ""});
    for (int64_t id : {int64_t{0}, int64_t{-4}}) {
        const std::string box = TrashBox(0, shown, id, 1, KindBadge(0));
        EXPECT_NE(box.find("data-id=\"0\""), std::string::npos);
        EXPECT_EQ(box.find("-4"), std::string::npos);
    }
}

// A notebook with notes and contacts, some of them deleted.
class TrashPage : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(OpenDatabase(), "1");
        Add(1, "买菜清单", "西红柿、土豆", "", 0, "2026-01-01 08:00:00");
        Add(2, "王老师", "周三在办公室 {QQ10086QQ}", "010-6275-1234", 1, "2026-01-02 09:00:00");
        Add(3, "<img src=x onerror=alert(1)>", "<script>alert(2)</script>土豆", "", 0,
            "2026-01-03 10:00:00");
        Add(4, "留在列表", "土豆也在这里", "", 0, "2026-01-04 11:00:00");
    }

    static void Add(int id, const char* title, const char* content, const char* tel, int state,
                    const char* date) {
        ASSERT_EQ(ExecSql("INSERT INTO mylist(ID,title,content,tel,state,cre_date)"
                          "VALUES(?1,?2,?3,?4,?5,?6)",
                          {int32_t{id}, Cp(title), Cp(content), Cp(tel), int32_t{state},
                           std::string(date)}),
                  "Done");
    }

    static std::string Utf8(const std::string& markup) { return platform::FromCodePage(markup); }

    test::AppFolder app_{"trash page 回收站"};
};

TEST_F(TrashPage, AnEmptyTrashSaysSoAndHasNoButton) {
    ListWindow window = BuildTrashWindow(0, 50);  // no trash table yet
    EXPECT_EQ(window.total, 0);
    EXPECT_TRUE(window.boxes.empty());
    EXPECT_EQ(Utf8(window.header), "回收站是空的");
    EXPECT_EQ(Utf8(TrashHeader(0)), "回收站是空的");
    EXPECT_NE(Utf8(TrashHeader(3)).find("data-empty=\"1\""), std::string::npos);
    EXPECT_NE(Utf8(TrashHeader(3)).find("清空回收站"), std::string::npos);
    EXPECT_NE(Utf8(TrashHeader(3)).find("共3项"), std::string::npos);
}

TEST_F(TrashPage, ListsTheDeletedNewestFirstMarkedByKindWithDateOrTelephone) {
    ASSERT_TRUE(DeleteRecord(RecordKind::Note, 1, kDeletedAt).Ok());
    ASSERT_TRUE(DeleteRecord(RecordKind::Contact, 2, kDeletedAt + 1).Ok());
    ASSERT_TRUE(DeleteRecord(RecordKind::Note, 3, kDeletedAt + 2).Ok());
    const ListWindow window = BuildTrashWindow(0, 50);
    EXPECT_EQ(window.kind, kTrashKind);
    EXPECT_EQ(window.total, 3);
    ASSERT_EQ(window.boxes.size(), 3u);
    EXPECT_NE(Utf8(window.header).find("共3项"), std::string::npos);
    for (const std::string& box : window.boxes) EXPECT_EQ(test::BoxMarkupFault(box), "") << box;
    // Newest deletion first: the hostile note, the contact, the list.
    const std::string hostile = Utf8(window.boxes[0]);
    EXPECT_NE(hostile.find("&lt;img src=x onerror=alert(1)&gt;"), std::string::npos);
    EXPECT_NE(hostile.find("&lt;script&gt;"), std::string::npos);
    EXPECT_NE(hostile.find(">记事</span>"), std::string::npos);
    const std::string contact = Utf8(window.boxes[1]);
    EXPECT_NE(contact.find(">联系人</span>"), std::string::npos);
    EXPECT_NE(contact.find("<div class=\"dts\">010-6275-1234</div>"), std::string::npos);
    const std::string note = Utf8(window.boxes[2]);
    EXPECT_NE(note.find("<div class=\"dts\">2026-01-01 08:00:00</div>"), std::string::npos);
    EXPECT_NE(note.find("<span class=\"lrh\">3#"), std::string::npos);
    // A window further on holds the rest, and one past the end nothing.
    const ListWindow rest = BuildTrashWindow(2, 50);
    ASSERT_EQ(rest.boxes.size(), 1u);
    EXPECT_EQ(rest.boxes[0], window.boxes[2]);
    EXPECT_TRUE(BuildTrashWindow(5, 50).boxes.empty());
    EXPECT_EQ(Utf8(BuildTrashWindow(-1, 50).header), Utf8(BuildTrashWindow(0, 501).header));
    EXPECT_TRUE(BuildTrashWindow(-1, 50).boxes.empty());
}

TEST_F(TrashPage, TheFinderFindsTheTrashOnlyWhenAskedForIt) {
    ASSERT_TRUE(DeleteRecord(RecordKind::Note, 1, kDeletedAt).Ok());
    ASSERT_TRUE(DeleteRecord(RecordKind::Contact, 2, kDeletedAt + 1).Ok());
    ASSERT_TRUE(DeleteRecord(RecordKind::Note, 3, kDeletedAt + 2).Ok());
    // Title, content and telephone are searched; the records are marked.
    for (const auto& [query, count] : std::vector<std::pair<std::string, int>>{{"土豆", 2},
                                                                               {"王老师", 1},
                                                                               {"6275", 1},
                                                                               {"10086", 1},
                                                                               {"onerror", 1},
                                                                               {"2026-01", 0},
                                                                               {"留在列表", 0}}) {
        const ListWindow found = BuildFoundInTrashWindow(query, 0, 50);
        EXPECT_EQ(found.kind, kTrashFoundKind);
        EXPECT_EQ(found.total, count) << query;
        ASSERT_EQ(found.boxes.size(), static_cast<size_t>(count)) << query;
        for (const std::string& box : found.boxes) {
            EXPECT_EQ(test::BoxMarkupFault(box), "") << query;
            EXPECT_NE(box.find("<mark class=\"hit\">"), std::string::npos) << query;
            EXPECT_NE(box.find("data-trash=\"TrRe\""), std::string::npos) << query;
        }
    }
    EXPECT_EQ(Utf8(BuildFoundInTrashWindow("土豆", 0, 50).header),
              "<span class=\"TlNo\">回收站中找到 2 项</span>");
    EXPECT_EQ(Utf8(BuildFoundInTrashWindow("没有的", 0, 50).header), "回收站中没有找到匹配的记录");
    // The lists' finder knows only what is in the lists.
    FindIndex index;
    const ListWindow listed = BuildFoundWindow(index, "土豆", 0, 50);
    EXPECT_EQ(listed.total, 1);
    ASSERT_EQ(listed.boxes.size(), 1u);
    EXPECT_NE(Utf8(listed.boxes[0]).find("留在列表"), std::string::npos);
    // Restored, a record leaves the trash's results and joins the lists'.
    ASSERT_TRUE(UndoDelete(1).Ok());
    EXPECT_EQ(BuildFoundInTrashWindow("土豆", 0, 50).total, 1);
    EXPECT_EQ(BuildFoundWindow(index, "土豆", 0, 50).total, 2);
}

}  // namespace
}  // namespace korvane
