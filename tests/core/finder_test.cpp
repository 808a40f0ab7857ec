// The finder over a real notebook: what matches, the results as the page gets
// them, hostile queries, and the index following every change of the notebook.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "base/ansitext.h"
#include "platform/codepage.h"
#include "render/finder.h"
#include "render/notices.h"
#include "render/storetexts.h"
#include "store/notebook.h"
#include "store/sqlitelayer.h"
#include "support/markup_check.h"
#include "support/tempdir.h"

namespace fs = std::filesystem;

namespace korvane {
namespace {

using platform::FromCodePage;
using platform::ToCodePage;

std::string Quoted(const std::string& utf8) {
    std::string quoted(1, '\'');
    quoted += ReplaceApostrophes(ToCodePage(utf8));
    quoted += '\'';
    return quoted;
}

std::string AddNote(const std::string& title, const std::string& body, const std::string& date) {
    return ExecSql("INSERT INTO mylist(title,content,state,cre_date)VALUES(" + Quoted(title) + "," +
                   Quoted(body) + ",0,'" + date + "')");
}

std::string AddContact(const std::string& name, const std::string& tel, const std::string& remark,
                       const std::string& date) {
    return ExecSql("INSERT INTO mylist(title,tel,content,state,cre_date)VALUES(" + Quoted(name) +
                   "," + Quoted(tel) + "," + Quoted(remark) + ",1,'" + date + "')");
}

// The titles (UTF-8, marks removed) of the results of `query`, in order.
std::vector<std::string> Titles(FindIndex& index, const std::string& query) {
    const ListWindow window = BuildFoundWindow(index, query, 0, kMaxWindowRecords);
    std::vector<std::string> titles;
    for (const std::string& box : window.boxes) {
        const std::string text = FromCodePage(box);
        const size_t start = text.find('>', text.find("<span class=\"t\"")) + 1;
        std::string title = text.substr(start, text.find("</span>", start) - start);
        for (const char* mark : {"<mark class=\"hit\">", "</mark>"})
            title = ReplaceAll(title, mark, "");
        titles.push_back(title);
    }
    return titles;
}

using Names = std::vector<std::string>;

class Finder : public ::testing::Test {
  protected:
    test::AppFolder app_{"finder 查找"};
    FindIndex index_;
};

TEST_F(Finder, NotesMatchByTitleAndBodyContactsByNameTelephoneAndRemark) {
    ASSERT_EQ(AddNote("密码提示", "银行卡的提示是生日", "2021-01-01 10:00:00"), "Done");
    ASSERT_EQ(AddNote("周报", "本周完成了 Korvane 的查找", "2021-01-02 10:00:00"), "Done");
    ASSERT_EQ(
        AddContact("王老师", "010-6275-1234", "大学同学 {QQ10086123QQ}", "2021-01-03 10:00:00"),
        "Done");
    ASSERT_EQ(AddContact("张阿姨", "139-1111-2222", "楼下邻居", "2021-01-04 10:00:00"), "Done");

    EXPECT_EQ(Titles(index_, "提示"), Names{"密码提示"});
    EXPECT_EQ(Titles(index_, "查找"), Names{"周报"});
    EXPECT_EQ(Titles(index_, "老师"), Names{"王老师"});
    EXPECT_EQ(Titles(index_, "6275"), Names{"王老师"});
    EXPECT_EQ(Titles(index_, "邻居"), Names{"张阿姨"});
    // Newest first, both kinds in one list.
    EXPECT_EQ(Titles(index_, "1"), (Names{"张阿姨", "王老师"}));
    EXPECT_EQ(Titles(index_, "2021"), Names{});  // a note's date is no text of it
    EXPECT_EQ(Titles(index_, "无此内容"), Names{});
}

TEST_F(Finder, CaseWidthsAndTheIdeographicSpaceFoldBothWays) {
    ASSERT_EQ(AddNote("Korvane 手册", "", "2021-01-01 10:00:00"), "Done");
    ASSERT_EQ(AddNote("ＡＢＣ全角", "", "2021-01-02 10:00:00"), "Done");
    ASSERT_EQ(AddNote("一　二", "", "2021-01-03 10:00:00"), "Done");
    EXPECT_EQ(Titles(index_, "KORVANE"), Names{"Korvane 手册"});
    EXPECT_EQ(Titles(index_, "ｋｏｒｖａｎｅ"), Names{"Korvane 手册"});
    EXPECT_EQ(Titles(index_, "abc"), Names{"ＡＢＣ全角"});
    EXPECT_EQ(Titles(index_, "一 二"), Names{"一　二"});
    EXPECT_EQ(Titles(index_, "e 手"), Names{"Korvane 手册"});
    EXPECT_EQ(Titles(index_, "e　手"), Names{"Korvane 手册"});
}

TEST_F(Finder, AQueryNeverMatchesHalfOfADoubleByteCharacter) {
    // 中 is D6 D0 in GBK; 中中 holds D0 D6 across its two characters, itself
    // a character of its own.
    const std::string across = FromCodePage("\xD0\xD6");
    ASSERT_EQ(ToCodePage(across), "\xD0\xD6");
    ASSERT_EQ(AddNote("中中", "", "2021-01-01 10:00:00"), "Done");
    ASSERT_EQ(AddNote(across, "", "2021-01-02 10:00:00"), "Done");
    EXPECT_EQ(Titles(index_, across), Names{across});
    EXPECT_EQ(Titles(index_, "中"), Names{"中中"});
    // A lone lead byte stored as it is matches only as that byte, never as
    // the first half of a character.
    ASSERT_EQ(ExecSql("INSERT INTO mylist(title,content,state,cre_date)VALUES('x\xD6','',0,"
                      "'2021-01-03 10:00:00')"),
              "Done");
    EXPECT_EQ(Titles(index_, "x中"), Names{});
    EXPECT_EQ(Titles(index_, FromCodePage("x\xD6")).size(), 1u);
}

TEST_F(Finder, TagsOfTheEditorsAreNoTextButMessengerIdsAre) {
    ASSERT_EQ(
        AddNote("格式", "<span class=\"Tred\">重要</span>通知 {EM3EM}", "2021-01-01 10:00:00"),
        "Done");
    ASSERT_EQ(AddContact("李明", "", "大学同学 {QQ10086123QQ}", "2021-01-02 10:00:00"), "Done");
    ASSERT_EQ(AddNote("写着", "&lt;b&gt; 和 <b>", "2021-01-03 10:00:00"), "Done");
    EXPECT_EQ(Titles(index_, "10086123"), Names{"李明"});
    EXPECT_EQ(Titles(index_, "同学 1008"), Names{"李明"});  // across the tag
    EXPECT_EQ(Titles(index_, "重要通知"), Names{"格式"});
    for (const char* tag : {"{QQ", "QQ1", "span", "Tred", "EM3", "qq.com"}) {
        EXPECT_EQ(Titles(index_, tag), Names{}) << tag;
    }
    // What a note shows as typed is found as typed.
    EXPECT_EQ(Titles(index_, "&lt;b"), Names{"写着"});
    EXPECT_EQ(Titles(index_, "<b>"), Names{"写着"});
}

TEST_F(Finder, ResultsShowTheirKindCountAndMarksInSanitisedMarkup) {
    ASSERT_EQ(
        AddNote("会议纪要", "<span class=\"Tred\">会</span>议室 <a href=\"http://x/会议\">会议</a>",
                "2021-01-01 10:00:00"),
        "Done");
    ASSERT_EQ(AddContact("会议室前台", "8888", "", "2021-01-02 10:00:00"), "Done");
    const ListWindow window = BuildFoundWindow(index_, "会议", 0, 50);
    EXPECT_EQ(window.kind, kFoundKind);
    EXPECT_EQ(window.total, 2);
    EXPECT_EQ(FromCodePage(window.header), "<span class=\"TlNo\">找到 2 项</span>");
    ASSERT_EQ(window.boxes.size(), 2u);
    const std::string contact = FromCodePage(window.boxes[0]);
    const std::string note = FromCodePage(window.boxes[1]);
    EXPECT_NE(contact.find("<span class=\"kd kd1\">联系人</span>"), std::string::npos);
    EXPECT_NE(contact.find("data-code=\"EdCn\" data-id=\"2\""), std::string::npos);
    EXPECT_NE(note.find("<span class=\"kd kd0\">记事</span>"), std::string::npos);
    EXPECT_NE(note.find("data-code=\"DeNo\" data-id=\"1\""), std::string::npos);
    EXPECT_NE(note.find("<span class=\"lrh\">2#&nbsp;"), std::string::npos);
    const size_t body = note.find("<div class=\"round_body_contain\">") + 32;
    const std::string content = note.substr(body, note.find("</div>", body) - body);
    EXPECT_EQ(content,
              "<span class=\"Tred\"><mark class=\"hit\">会</mark></span><mark class=\"hit\">议"
              "</mark>室 <a href=\"http://x/会议\" target=\"_blank\"><mark class=\"hit\">会议"
              "</mark></a>");
    EXPECT_EQ(test::SanitizedMarkupFault(
                  ReplaceAll(ReplaceAll(content, "<mark class=\"hit\">", ""), "</mark>", "")),
              "");

    const ListWindow none = BuildFoundWindow(index_, "没有的", 0, 50);
    EXPECT_EQ(none.total, 0);
    EXPECT_EQ(FromCodePage(none.header), "没有找到匹配的记事或联系人");
    EXPECT_TRUE(none.boxes.empty());
}

TEST_F(Finder, WindowsOfManyResultsFollowEachOtherInListOrder) {
    ASSERT_EQ(ExecSql("INSERT INTO mylist(title,content,state,cre_date) WITH RECURSIVE n(i) AS "
                      "(SELECT 1 UNION ALL SELECT i+1 FROM n WHERE i<1200) SELECT 'r' || i, 'x', "
                      "i % 2, datetime(1262304000 + (i/3)*60, 'unixepoch') FROM n"),
              "Done");
    std::vector<std::string> all;
    for (int first = 0; first < 1300; first += 500) {
        const ListWindow window = BuildFoundWindow(index_, "R", first, 500);
        EXPECT_EQ(window.total, 1200);
        for (const std::string& box : window.boxes) all.push_back(box);
    }
    ASSERT_EQ(all.size(), 1200u);
    const auto order =
        Database()->OpenQuery("SELECT ID FROM mylist ORDER BY cre_date DESC, ID DESC");
    order->GoFirst();
    for (size_t i = 0; i < all.size(); ++i, order->GoNext()) {
        ASSERT_NE(all[i].find("data-id=\"" + order->FieldText(0) + "\""), std::string::npos) << i;
    }
    EXPECT_EQ(BuildFoundWindow(index_, "r", 1200, 50).boxes.size(), 0u);
    EXPECT_EQ(BuildFoundWindow(index_, "r", -1, 50).total, 0);
    EXPECT_TRUE(BuildFoundWindow(index_, "r", 0, kMaxWindowRecords + 1).boxes.empty());
}

TEST_F(Finder, HostileQueriesAreTextAndNeverReachTheNotebook) {
    ASSERT_EQ(AddNote("百分之百 100%", "", "2021-01-01 10:00:00"), "Done");
    ASSERT_EQ(AddNote("下划线 a_b", "", "2021-01-02 10:00:00"), "Done");
    ASSERT_EQ(AddNote("引号 \"双\" 和 '单'", "", "2021-01-03 10:00:00"), "Done");
    ASSERT_EQ(AddNote("普通", "abc", "2021-01-04 10:00:00"), "Done");
    ASSERT_EQ(AddNote("语句", "x' OR '1'='1", "2021-01-05 10:00:00"), "Done");
    const std::string before = test::ReadFile(app_.Database());

    EXPECT_EQ(Titles(index_, "%"), Names{"百分之百 100%"});
    EXPECT_EQ(Titles(index_, "_"), Names{"下划线 a_b"});
    EXPECT_EQ(Titles(index_, "a%"), Names{});
    EXPECT_EQ(Titles(index_, "\"双\""), Names{"引号 \"双\" 和 ＇单＇"});
    EXPECT_EQ(Titles(index_, "＇单"), Names{"引号 \"双\" 和 ＇单＇"});
    // The stored full-width apostrophe and the typed one are one character.
    EXPECT_EQ(Titles(index_, "' OR '1'='1"), Names{"语句"});
    EXPECT_EQ(Titles(index_, "＇1＇=＇1"), Names{"语句"});
    for (const std::string query :
         {"'); DELETE FROM mylist; --", "\" OR 1=1 --", "*", "?1", "\\", "%_%", "' || '"}) {
        EXPECT_EQ(Titles(index_, query), Names{}) << query;
    }
    const std::string longQuery(10 * 1024, 'a');
    EXPECT_EQ(BuildFoundWindow(index_, longQuery, 0, 50).total, 0);
    EXPECT_EQ(BuildFoundWindow(index_, std::string(5000, '\xFF'), 0, 50).total, 0);
    EXPECT_EQ(BuildFoundWindow(index_, std::string("\xED\xA0\x80", 3), 0, 50).total, 0);
    EXPECT_EQ(BuildFoundWindow(index_, std::string("ab\0c", 4), 0, 50).total, 1);  // "abc"
    EXPECT_EQ(test::ReadFile(app_.Database()), before);
    EXPECT_EQ(Database()->OpenQuery("SELECT count(*) FROM mylist")->FieldText(0), "5");
}

TEST_F(Finder, TheIndexFollowsEveryChangeOfThisProgramRecordByRecord) {
    const fs::path backup = app_.path() / "backup.mysql";
    ASSERT_EQ(AddNote("旧的记事", "", "2021-01-01 10:00:00"), "Done");
    EXPECT_EQ(Titles(index_, "记事"), Names{"旧的记事"});
    fs::copy_file(app_.Database(), backup);
    EXPECT_EQ(index_.WholeReads(), 1);

    // Add, edit (which moves the record to the top), delete.
    ASSERT_EQ(AddNote("新的记事", "", "2021-01-02 10:00:00"), "Done");
    EXPECT_EQ(Titles(index_, "记事"), (Names{"新的记事", "旧的记事"}));
    ASSERT_EQ(ExecSql("UPDATE mylist SET title='" + ToCodePage("改过的记事") +
                      "',cre_date='2021-01-03 10:00:00' WHERE ID=1"),
              "Done");
    EXPECT_EQ(Titles(index_, "记事"), (Names{"改过的记事", "新的记事"}));
    EXPECT_EQ(Titles(index_, "旧的"), Names{});
    ASSERT_EQ(ExecSql("UPDATE mylist SET state=1 WHERE ID=2"), "Done");  // becomes a contact
    EXPECT_NE(FromCodePage(BuildFoundWindow(index_, "新的", 0, 1).boxes.at(0)).find("联系人"),
              std::string::npos);
    ASSERT_EQ(ExecSql("DELETE FROM mylist WHERE ID=2"), "Done");
    EXPECT_EQ(Titles(index_, "记事"), Names{"改过的记事"});
    EXPECT_EQ(index_.WholeReads(), 1);  // each change was read alone

    // Restoring a backup puts another file in place: read whole.
    EXPECT_EQ(RestoreText(RestoreFromBackup(platform::ToCodePage(backup.string()))), "1");
    EXPECT_EQ(Titles(index_, "记事"), Names{"旧的记事"});
    EXPECT_EQ(index_.WholeReads(), 2);

    // A table emptied at once names no rows: read whole as well.
    ASSERT_EQ(ExecSql("DELETE FROM mylist"), "Done");
    EXPECT_EQ(Titles(index_, "记事"), Names{});
}

TEST_F(Finder, ChangesByAnotherProgramAreSeenAtTheNextQuery) {
    ASSERT_EQ(AddNote("本程序写的", "", "2021-01-01 10:00:00"), "Done");
    EXPECT_EQ(Titles(index_, "写的"), Names{"本程序写的"});
    {
        TSQLiteDatabase other(platform::ToCodePage(app_.Database().string()));
        other.Execute(
            "INSERT INTO mylist(title,content,state,cre_date) VALUES(?1,'',1,"
            "'2021-02-01 00:00:00')",
            {ToCodePage("别的程序写的")});
    }
    EXPECT_EQ(Titles(index_, "写的"), (Names{"别的程序写的", "本程序写的"}));
    EXPECT_EQ(index_.WholeReads(), 2);
}

// The index read in the background is the same index, taken over at the first
// search without a read on the searching thread.
TEST_F(Finder, APreparedIndexIsTakenOverWhenTheNotebookStayedAsItWas) {
    ASSERT_EQ(AddNote("背景读的", "", "2021-01-01 10:00:00"), "Done");
    ASSERT_EQ(AddContact("张三", "13900001234", "背景", "2021-01-02 10:00:00"), "Done");
    index_.Prepare();
    while (index_.Preparing()) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_EQ(Titles(index_, "背景"), (Names{"张三", "背景读的"}));
    EXPECT_EQ(index_.WholeReads(), 0);
    ASSERT_EQ(AddNote("之后的背景", "", "2021-01-03 10:00:00"), "Done");
    EXPECT_EQ(Titles(index_, "背景"), (Names{"之后的背景", "张三", "背景读的"}));
    EXPECT_EQ(index_.WholeReads(), 0);  // the change was read alone
}

// An index given back holds nothing until it is needed, and then finds what
// the notebook holds by then: prepared again, or read at the next search.
TEST_F(Finder, AnIndexGivenBackIsReadAgainWhenNeeded) {
    ASSERT_EQ(AddNote("早先的", "", "2021-01-01 10:00:00"), "Done");
    EXPECT_EQ(Titles(index_, "的"), (Names{"早先的"}));
    index_.Release();
    EXPECT_TRUE(index_.Entries().empty());
    ASSERT_EQ(AddNote("藏起时写的", "", "2021-01-02 10:00:00"), "Done");
    EXPECT_EQ(Titles(index_, "的"), (Names{"藏起时写的", "早先的"}));
    EXPECT_EQ(index_.WholeReads(), 2);
    index_.Release();
    index_.Prepare();
    while (index_.Preparing()) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_EQ(Titles(index_, "的"), (Names{"藏起时写的", "早先的"}));
    EXPECT_EQ(index_.WholeReads(), 2);  // the prepared read was taken over
}

// A write made while the background read ran, by this program or another,
// may be missing from what it read: that read is dropped.
TEST_F(Finder, APreparedIndexIsDroppedWhenTheNotebookChangedMeanwhile) {
    ASSERT_EQ(AddNote("先写的", "", "2021-01-01 10:00:00"), "Done");
    index_.Prepare();
    ASSERT_EQ(AddNote("后写的", "", "2021-01-02 10:00:00"), "Done");
    EXPECT_EQ(Titles(index_, "写的"), (Names{"后写的", "先写的"}));
    EXPECT_EQ(index_.WholeReads(), 1);

    FindIndex other;
    other.Prepare();
    while (other.Preparing()) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    {
        TSQLiteDatabase writer(platform::ToCodePage(app_.Database().string()));
        writer.Execute(
            "INSERT INTO mylist(title,content,state,cre_date) VALUES(?1,'',0,"
            "'2021-03-01 00:00:00')",
            {ToCodePage("别处写的")});
    }
    EXPECT_EQ(Titles(other, "写的"), (Names{"别处写的", "后写的", "先写的"}));
    EXPECT_EQ(other.WholeReads(), 1);
}

TEST_F(Finder, ABrokenNotebookGivesItsMessage) {
    ASSERT_EQ(OpenDatabase(), "1");
    Database()->Execute("DROP TABLE mylist");
    const ListWindow window = BuildFoundWindow(index_, "x", 0, 50);
    EXPECT_EQ(window.header, texts::DatabaseBroken());
    EXPECT_TRUE(window.boxes.empty());
}

TEST_F(Finder, TelephoneNumbersAreFoundWithOrWithoutTheirSeparators) {
    ASSERT_EQ(AddContact("王老师", "138-0013-8000", "", "2021-01-01 10:00:00"), "Done");
    ASSERT_EQ(AddContact("张阿姨", "13912345678", "", "2021-01-02 10:00:00"), "Done");
    ASSERT_EQ(AddNote("会议", "打 (010) 6275 1234 找李明", "2021-01-03 10:00:00"), "Done");
    ASSERT_EQ(AddContact("老李", "139 1234 5678", "", "2021-01-04 10:00:00"), "Done");

    EXPECT_EQ(Titles(index_, "13800138000"), Names{"王老师"});
    EXPECT_EQ(Titles(index_, "138-0013-8000"), Names{"王老师"});
    EXPECT_EQ(Titles(index_, "0013 8000"), Names{"王老师"});
    EXPECT_EQ(Titles(index_, "139-1234-5678"), (Names{"老李", "张阿姨"}));
    EXPECT_EQ(Titles(index_, "01062751234"), Names{"会议"});
    EXPECT_EQ(Titles(index_, "62751234"), Names{"会议"});
    // A query extending the last one searches its matches, in the same way.
    EXPECT_EQ(Titles(index_, "1391"), (Names{"老李", "张阿姨"}));
    EXPECT_EQ(Titles(index_, "13912"), (Names{"老李", "张阿姨"}));
    EXPECT_EQ(Titles(index_, "139123456789"), Names{});
    // Text around digits still matches as typed.
    EXPECT_EQ(Titles(index_, "找李明"), Names{"会议"});
    EXPECT_EQ(Titles(index_, "打 (010"), Names{"会议"});
}

}  // namespace
}  // namespace korvane
