// The list markup built from a real notebook database, and what the list area
// shows when the database is missing, broken or cannot be queried.
#include <gtest/gtest.h>

#include <iterator>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "platform/codepage.h"
#include "render/listpage.h"
#include "render/storetexts.h"
#include "store/notebook.h"
#include "store/sqlitelayer.h"
#include "support/boxform.h"
#include "support/tempdir.h"

namespace korvane {
namespace {

using platform::FromCodePage;
using platform::ToCodePage;

// The statements the editors run, with UTF-8 test texts put into the code page.
std::string AddNote(const std::string& title, const std::string& body, const std::string& date) {
    return ExecSql("INSERT INTO mylist(title,content,state,cre_date)VALUES('" +
                   ReplaceApostrophes(ToCodePage(title)) + "','" +
                   ReplaceApostrophes(ToCodePage(body)) + "',0,'" + date + "')");
}

std::string AddContact(const std::string& name, const std::string& tel, const std::string& remark,
                       const std::string& date) {
    return ExecSql("INSERT INTO mylist(title,tel,content,state,cre_date)VALUES('" +
                   ReplaceApostrophes(ToCodePage(name)) + "','" +
                   ReplaceApostrophes(ToCodePage(tel)) + "','" +
                   ReplaceApostrophes(ToCodePage(remark)) + "',1,'" + date + "')");
}

// The list as UTF-8, for comparing with readable literals.
std::string List(int kind) {
    return FromCodePage(BuildListPage(kind));
}

const std::string kNewNote =
    R"(<span class="New"><input type="Button" value="新增记事" name="New1" class="BTN" onclick="Newc(0);"></span>)";
const std::string kNewContact =
    R"(<span class="New"><input type="Button" value="新增联系人" name="New2" class="BTN" onclick="Newc(1);"></span>)";
const std::string kBoxTop =
    R"(<table width="100%" border="0" cellpadding="0" cellspacing="0" class="round"><tr>)"
    R"(<td width="6" height="6"><img src="images/box/tl.jpg" /></td>)"
    R"(<td class="l1"><img src="image/spacer.gif" /></td>)"
    R"(<td align="right" class="l1"><img src="images/box/tr.jpg" /></td></tr><tr>)"
    R"(<td class="l2">&nbsp;</td>)";
const std::string kBoxBottom =
    R"(</tr><tr><td height="6"><img src="images/box/lb.jpg" /></td>)"
    R"(<td class="l4"><img src="image/spacer.gif" /></td>)"
    R"(<td align="right" class="l4"><img src="images/box/rb.jpg" /></td></tr></table>)";

TEST(ListPage, NoteMarkupIsExact) {
    test::AppFolder app;
    ASSERT_EQ(AddNote("gone", "", "2026-01-01 00:00:00"), "Done");
    ASSERT_EQ(ExecSql("DELETE FROM mylist WHERE ID=1"), "Done");
    ASSERT_EQ(AddNote("会议", "第一行\r\n第二行 {EM3EM}", "2026-12-07 10:00:00"), "Done");

    const std::string expected =
        kNewNote + R"(<span class="TlNo">共1项</span>)" + kBoxTop +
        R"(<td> <span id="mm1" class="tm">)"
        R"~(<img src="image/sedit.gif" name="imgs" style="cursor:pointer"  align="absmiddle" title="修改" onclick="EditDel('EdNo',2);" />)~"
        R"~(<img src="image/dele.gif" name="imgs" style="cursor:pointer" align="absmiddle" title="删除" onclick="EditDel('DeNo',2)" />)~"
        R"(</span><span class="t" id="t1">会议</span> )"
        R"(<div class="dts">2026-12-07 10:00:00</div>)"
        "<div class=\"round_body_contain\">第一行<br/>\n第二行 <img src=\"icons/3.gif\"/></div>"
        R"(<span id="b1" style="display:none"></span> </td>)" +
        std::string(98, ' ') +
        R"(<td class="l3" valign="top"><span class="lrh">1#&nbsp;</span></td>)" + kBoxBottom;
    EXPECT_EQ(List(0), expected);
}

TEST(ListPage, ContactMarkupIsExact) {
    test::AppFolder app;
    ASSERT_EQ(AddContact("张三", "13800138000", "QQ {QQ12345QQ}\r\n", "2026-12-07 10:00:00"),
              "Done");

    const std::string expected =
        kNewContact + R"(<span class="TlNo">共1项</span>)" + kBoxTop +
        R"(<td><span id="mm1" class="tm">)"
        R"~(<img src="image/sedit.gif" name="imgs" style="cursor:pointer"  align="absmiddle" title="修改" onclick="EditDel('EdCn',1);" />)~"
        R"~(<img src="image/dele.gif" name="imgs" style="cursor:pointer" align="absmiddle" title="删除" onclick="EditDel('DeCn',1)" />)~"
        R"(</span><span class="t" id="t1">张三</span>)"
        R"(<div class="dts">13800138000</div>)"
        R"(<div class="round_body_contain">QQ <img src="image/QQ.gif"><a target="_blank" )"
        R"(href="http://wpa.qq.com/msgrd?v=3&uin=12345&site=korvane&menu=yes">12345</a><br/>)"
        "\n</div>"
        R"(<span id="b1" style="display:none"></span></td>)"
        R"(<td class="l3" valign="top"><span class="lrh">1#&nbsp;</span></td>)" +
        kBoxBottom;
    EXPECT_EQ(List(1), expected);
}

TEST(ListPage, NewestFirstWithOrdinalsAndRecordNumbers) {
    test::AppFolder app;
    ASSERT_EQ(AddNote("middle", "", "2026-05-01 08:00:00"), "Done");  // ID 1
    ASSERT_EQ(AddNote("newest", "", "2026-12-31 23:59:59"), "Done");  // ID 2
    ASSERT_EQ(AddNote("oldest", "", "2025-01-01 00:00:00"), "Done");  // ID 3
    ASSERT_EQ(AddContact("someone", "1", "", "2027-01-01 00:00:00"), "Done");

    std::string page = List(0);
    EXPECT_NE(page.find("共3项"), std::string::npos);
    const size_t newest = page.find(R"(id="t1">newest<)");
    const size_t middle = page.find(R"(id="t2">middle<)");
    const size_t oldest = page.find(R"(id="t3">oldest<)");
    ASSERT_NE(oldest, std::string::npos);
    EXPECT_LT(newest, middle);
    EXPECT_LT(middle, oldest);
    // The icons carry the record numbers, not the ordinals.
    EXPECT_LT(page.find(R"(id="mm1")"), page.find("EditDel('EdNo',2);"));
    EXPECT_LT(page.find(R"(id="mm3")"), page.find("EditDel('DeNo',3)"));
    EXPECT_NE(page.find(R"(<span id="b3" style)"), std::string::npos);
    EXPECT_NE(page.find(R"(<span class="lrh">3#&nbsp;)"), std::string::npos);
    EXPECT_EQ(page.find("someone"), std::string::npos);  // contacts have their own list

    // Saving rewrites the date, so the oldest note moves to the top.
    ASSERT_EQ(ExecSql("UPDATE mylist SET title='oldest',content='',cre_date='2027-02-02 "
                      "00:00:00' WHERE ID=3"),
              "Done");
    page = List(0);
    EXPECT_NE(page.find(R"(id="t1">oldest<)"), std::string::npos);
    EXPECT_NE(page.find("EditDel('EdNo',3);"), std::string::npos);
}

TEST(ListPage, StoredTextShowsAsTypedAndOnlyContentIsConverted) {
    test::AppFolder app;
    ASSERT_EQ(AddNote("<b>bold</b> it's {EM3EM}", "<i>x</i> {QQ1QQ}", "2026-01-01 00:00:00"),
              "Done");
    const std::string page = List(0);
    // Markup the editors never insert is text; the apostrophe is the stored full-width one.
    EXPECT_NE(page.find(R"(id="t1">&lt;b&gt;bold&lt;/b&gt; it＇s {EM3EM}</span>)"),
              std::string::npos);
    // Notes convert emoticons only; messenger tags belong to contacts.
    EXPECT_NE(page.find(R"(<div class="round_body_contain">&lt;i&gt;x&lt;/i&gt; {QQ1QQ}</div>)"),
              std::string::npos);
}

TEST(ListPage, TheEditorsOwnMarkupKeepsItsExactBytes) {
    test::AppFolder app;
    const std::string snippets =
        R"(<span class="TBlank">黑</span><span class="TBBl">大</span><span class="Tred">红</span>)"
        R"(<span class="TBred">大红</span><a href="http://您的网址" target="_blank">链接</a>)";
    ASSERT_EQ(AddNote(snippets, snippets + "\r\n{EM3EM}", "2026-01-01 00:00:00"), "Done");
    ASSERT_EQ(AddContact(snippets, "1", snippets + " {QQ123QQ}", "2026-01-01 00:00:00"), "Done");
    const std::string notes = List(0);
    EXPECT_NE(notes.find(R"(id="t1">)" + snippets + "</span>"), std::string::npos);
    EXPECT_NE(notes.find(">" + snippets + "<br/>\n<img src=\"icons/3.gif\"/></div>"),
              std::string::npos);
    const std::string contacts = List(1);
    EXPECT_NE(contacts.find(">" + snippets + R"( <img src="image/QQ.gif"><a target="_blank" )"),
              std::string::npos);
}

TEST(ListPage, NoRecordCanReachIntoAnother) {
    test::AppFolder app;
    ASSERT_EQ(AddNote("<!--", "<div><span class=\"Tred\">open", "2026-01-02 00:00:00"), "Done");
    ASSERT_EQ(AddNote("next", "<img src=x onerror=alert(1)>", "2026-01-01 00:00:00"), "Done");
    const std::string page = List(0);
    EXPECT_NE(page.find(R"(id="t1">&lt;!--</span>)"), std::string::npos);
    EXPECT_NE(page.find(R"(&lt;div&gt;<span class="Tred">open</span></div>)"), std::string::npos);
    EXPECT_NE(page.find("&lt;img src=x onerror=alert(1)&gt;"), std::string::npos);
    EXPECT_EQ(page.find("<img src=x"), std::string::npos);
}

TEST(ListPage, ARecordNumberThatIsNoNumberNeverReachesTheIconsScript) {
    test::AppFolder app;
    ASSERT_EQ(OpenDatabase(), "1");
    Database()->Execute("DROP TABLE mylist");
    Database()->Execute(
        "CREATE TABLE mylist(ID TEXT, title TEXT, content TEXT, tel TEXT, state INT, cre_date "
        "TEXT)");
    Database()->Execute(
        "INSERT INTO mylist VALUES('1);alert(1);(', 't', 'c', '', 0, '2026-01-01 00:00:00')");
    const std::string odd = List(0);
    EXPECT_NE(odd.find("EditDel('EdNo',0);"), std::string::npos);
    EXPECT_EQ(odd.find("alert"), std::string::npos);
}

TEST(ListPage, AnEmptyListOffersTheNewButton) {
    test::AppFolder app;
    EXPECT_EQ(List(0), kNewNote + "没有数据,请立即新增！");
    ASSERT_EQ(AddNote("note", "", "2026-01-01 00:00:00"), "Done");
    EXPECT_EQ(List(1), kNewContact + "没有数据,请立即新增！");
}

TEST(ListPage, FailuresShowTheirTextInsteadOfTheList) {
    {
        test::AppFolder app("korvane nodb", false);
        EXPECT_EQ(BuildListPage(0), texts::DatabaseMissing());
    }
    {
        test::AppFolder app;
        ASSERT_EQ(ExecSql("DROP TABLE mylist"), "Done");
        EXPECT_EQ(List(0), "无法完成！数据库有问题！请重新安装");
        // A table that lacks the list's columns makes the query fail.
        Database()->Execute("CREATE TABLE mylist(ID INTEGER PRIMARY KEY, title TEXT)");
        EXPECT_EQ(List(1), "无法完成！请与软件商联系！");
    }
    {
        // There is no third kind of record.
        test::AppFolder app;
        EXPECT_EQ(List(2), "无法完成！请与软件商联系！");
        EXPECT_EQ(List(-1), "无法完成！请与软件商联系！");
        EXPECT_EQ(List(0), kNewNote + "没有数据,请立即新增！");  // and the store still works
    }
}

// ---------------------------------------------------------------------------
// Windows of a list

namespace window {

// A notebook of `notes` notes and a few contacts, with dates drawn from a small
// set so that many records share one, and contents that exercise the converters.
void SeedRandomNotebook(std::mt19937& random, int notes) {
    static const char* const kContents[] = {
        "",   "第一行\r\n第二行", "{EM3EM}{EM29EM}", "x{QQ1QQ}", "<span class=\"Tred\">红</span>",
        "a'b"};
    std::uniform_int_distribution<int> day(1, 9);
    std::uniform_int_distribution<int> content(0, std::size(kContents) - 1);
    std::uniform_int_distribution<int> kind(0, 9);
    for (int i = 0; i < notes; ++i) {
        const std::string date = "2026-01-0" + std::to_string(day(random)) + " 00:00:00";
        const std::string title = "标题" + std::to_string(i);
        const std::string body = kContents[content(random)];
        const std::string done =
            kind(random) == 0 ? AddContact(title, "1", body, date) : AddNote(title, body, date);
        ASSERT_EQ(done, "Done");
    }
}

std::string Joined(const std::vector<std::string>& boxes) {
    std::string all;
    for (const std::string& box : boxes) all += box;
    return all;
}

TEST(ListWindow, WindowsLaidEndToEndAreTheWholeList) {
    std::mt19937 random(20261208);
    for (int notebook = 0; notebook < 6; ++notebook) {
        test::AppFolder app;
        SeedRandomNotebook(random, std::uniform_int_distribution<int>(0, 120)(random));
        for (int kind : {0, 1}) {
            const std::string whole = BuildListPage(kind);
            std::uniform_int_distribution<int> size(1, 17);
            std::string header;
            std::string records;
            int first = 0;
            int total = -1;
            do {
                const ListWindow w = BuildListWindow(kind, first, size(random));
                EXPECT_EQ(w.kind, kind);
                EXPECT_EQ(w.first, first);
                header = w.header;
                total = w.total;
                records += Joined(w.boxes);
                first += static_cast<int>(w.boxes.size());
                if (w.boxes.empty()) break;
            } while (true);
            EXPECT_EQ(first, total);
            // The windows are in the page's form, the whole list in the
            // reference form; apart from that they are the same bytes.
            EXPECT_EQ(header.find("onclick"), std::string::npos);
            EXPECT_EQ(records.find("onclick"), std::string::npos);
            EXPECT_EQ(test::ReferenceForm(header + records), whole)
                << "notebook " << notebook << " kind " << kind;
        }
    }
}

TEST(ListWindow, CountsOrdinalsAndTheEnd) {
    test::AppFolder app;
    for (int i = 0; i < 7; ++i)
        ASSERT_EQ(AddNote("n" + std::to_string(i), "", "2026-01-01 00:00:00"), "Done");
    ASSERT_EQ(AddContact("c", "1", "", "2026-01-01 00:00:00"), "Done");

    ListWindow w = BuildListWindow(0, 5, 10);
    EXPECT_EQ(w.total, 7);
    ASSERT_EQ(w.boxes.size(), 2u);
    // Ordinals count in the whole list; equal dates fall back to newest record first.
    EXPECT_NE(FromCodePage(w.boxes[0]).find(R"(id="t6">n1<)"), std::string::npos);
    EXPECT_NE(FromCodePage(w.boxes[1]).find(R"(id="t7">n0<)"), std::string::npos);
    EXPECT_NE(FromCodePage(w.header).find("共7项"), std::string::npos);

    // Past the end: no boxes, and the count still comes back.
    w = BuildListWindow(0, 7, 10);
    EXPECT_TRUE(w.boxes.empty());
    EXPECT_EQ(w.total, 7);
    EXPECT_EQ(BuildListWindow(1, 0, 0).total, 1);
}

TEST(ListWindow, RefusesBadNumbersAndReportsFailures) {
    test::AppFolder app;
    ASSERT_EQ(AddNote("n", "", "2026-01-01 00:00:00"), "Done");
    for (auto [first, count] :
         {std::pair{-1, 10}, {0, -1}, {0, kMaxWindowRecords + 1}, {-2147483647 - 1, 1}}) {
        const ListWindow w = BuildListWindow(0, first, count);
        EXPECT_EQ(FromCodePage(w.header), "无法完成！请与软件商联系！") << first << " " << count;
        EXPECT_TRUE(w.boxes.empty());
        EXPECT_EQ(w.total, 0);
    }
    EXPECT_EQ(FromCodePage(BuildListWindow(2, 0, 10).header), "无法完成！请与软件商联系！");
    EXPECT_EQ(BuildListWindow(0, 2147483647, kMaxWindowRecords).total, 1);

    const ListWindow empty = BuildListWindow(1, 0, 50);
    EXPECT_EQ(test::ReferenceForm(empty.header), ToCodePage(kNewContact + "没有数据,请立即新增！"));
    EXPECT_EQ(empty.total, 0);

    ASSERT_EQ(ExecSql("DROP TABLE mylist"), "Done");
    EXPECT_EQ(FromCodePage(BuildListWindow(0, 0, 10).header), "无法完成！数据库有问题！请重新安装");
}

TEST(ListWindow, TheCountFollowsChangesByThisProgramAndByOthers) {
    test::AppFolder app;
    for (int i = 0; i < 3; ++i) ASSERT_EQ(AddNote("n", "", "2026-01-01 00:00:00"), "Done");
    EXPECT_EQ(BuildListWindow(0, 0, 10).total, 3);
    ASSERT_EQ(AddNote("n", "", "2026-01-02 00:00:00"), "Done");
    EXPECT_EQ(BuildListWindow(0, 0, 10).total, 4);
    {
        // Another program writing the same notebook.
        TSQLiteDatabase other(test::CodePagePath(app.Database()));
        other.Execute("DELETE FROM mylist WHERE ID IN (1, 2)");
    }
    const ListWindow w = BuildListWindow(0, 0, 10);
    EXPECT_EQ(w.total, 2);
    EXPECT_EQ(w.boxes.size(), 2u);
    EXPECT_NE(FromCodePage(w.header).find("共2项"), std::string::npos);
}

// The index is made at the program's first write, never at open: a notebook
// only looked at stays as it was, and its lists read without it.
TEST(ListWindow, ANotebookWithoutTheListIndexGetsItAtTheFirstSave) {
    test::AppFolder app;
    ASSERT_EQ(ExecSql("INSERT INTO mylist(title,state,cre_date)VALUES('a',0,'2026-01-01')"),
              "Done");
    ASSERT_EQ(ExecSql("DROP INDEX mylist_state_date"), "Done");
    CloseDatabase();
    ASSERT_EQ(OpenDatabase(), "1");
    const auto plan = [] {
        const auto rows = Database()->OpenQuery(
            "EXPLAIN QUERY PLAN SELECT ID FROM mylist WHERE state=0 ORDER BY cre_date DESC, ID "
            "DESC LIMIT 5 OFFSET 5");
        rows->GoFirst();
        return rows->FieldText(3);
    };
    EXPECT_EQ(plan().find("mylist_state_date"), std::string::npos) << plan();
    const ListWindow before = BuildListWindow(0, 0, 10);
    EXPECT_EQ(before.total, 1);
    EXPECT_EQ(before.boxes.size(), 1u);
    ASSERT_EQ(ExecSql("UPDATE mylist SET title='b' WHERE ID=1"), "Done");
    EXPECT_NE(plan().find("mylist_state_date"), std::string::npos) << plan();
    EXPECT_EQ(plan().find("TEMP B-TREE"), std::string::npos) << plan();
}

}  // namespace window

}  // namespace
}  // namespace korvane
