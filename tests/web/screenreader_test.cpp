// The list as a screen reader gets it, in the real engine: a feed of
// articles named by a note's title and date or a contact's name and
// telephone (in the trash and the results after the kind's badge), each with its place in the whole
// list across the virtual list's windows, and the count header as a polite status that speaks when
// the count or the search changes and keeps quiet while the user scrolls.
#include <gtest/gtest.h>

#include "page_harness.h"
#include "store/records.h"
#include "support/seed.h"

namespace korvane::test {
namespace {

// What a reader is told about every record box the page holds, one line
// each: "role|name|posinset|setsize|data-i".
constexpr char kArticles[] =
    "Array.from(document.querySelectorAll('#MyWinS .vbody > .rec')).map(r => [r.getAttribute("
    "'role'), r.getAttribute('aria-label'), r.getAttribute('aria-posinset'), r.getAttribute("
    "'aria-setsize'), r.getAttribute('data-i')].join('|')).join('\\n')";

class ScreenReaderPage : public ListPageTest {
  protected:
    void Start(int kind = 0) {
        ASSERT_NO_FATAL_FAILURE(LoadList(kind));
        ASSERT_TRUE(Settled());
    }

    bool Settled() {
        return WaitUntil([&] { return !harness_->Js("!!list.pending").toBool(); }, 5000);
    }

    QStringList Articles() { return page().Js(kArticles).toString().split('\n'); }

    // Every box says its own place and the whole list's count.
    ::testing::AssertionResult PlacesAreWhole(int total) {
        const QStringList rows = Articles();
        if (rows.isEmpty() || rows.first().isEmpty()) {
            return ::testing::AssertionFailure() << "no boxes";
        }
        for (const QString& row : rows) {
            const QStringList f = row.split('|');
            if (f.size() != 5 || f[0] != "article" || f[1].isEmpty() ||
                f[2].toInt() != f[4].toInt() + 1 || f[3].toInt() != total) {
                return ::testing::AssertionFailure() << row.toStdString();
            }
        }
        return ::testing::AssertionSuccess();
    }

    // Counts the changes made to the header's nodes from now on.
    void WatchHeader() {
        page().Js(
            "window.headerChanges = 0; new MutationObserver(m => window.headerChanges += m.length)"
            ".observe(list.parts.head, {childList: true, subtree: true, characterData: true})");
    }
    int HeaderChanges() { return page().Js("window.headerChanges").toInt(); }

    void Search(const QString& query) {
        page().Js("document.getElementById('findBox').value = " + JsString(query) + "; FindNow()");
        ASSERT_TRUE(WaitUntil(
            [&] { return page().Js("Finding() && find.query === " + JsString(query)).toBool(); },
            5000));
        ASSERT_TRUE(Settled());
    }

    QString HeaderText() { return page().Js("list.parts.head.textContent").toString(); }
};

// The page's number of the trash's list.
constexpr int kTrash = 3;

struct NamedKind {
    int kind;
    const char* listName;
    std::vector<const char*> names;  // newest first
};

class RecordNames : public ScreenReaderPage, public ::testing::WithParamInterface<NamedKind> {};

TEST_P(RecordNames, EachRecordIsAnArticleNamedByItsTitleAndDateOrNameAndTelephone) {
    ASSERT_EQ(AddNote("周末采购", "鸡蛋<br>牛奶 {EM3EM}", "2026-03-14 09:12:40"), "Done");
    ASSERT_EQ(AddNote("", "没有标题的记事", "2026-03-15 10:00:00"), "Done");
    ASSERT_EQ(AddNote("<span class=\"Tred\">重要</span>  会议", "x", "2026-03-16 11:00:00"),
              "Done");
    ASSERT_EQ(AddContact("陈晓明", "138-0013-8000", "{QQ20488QQ}", "2026-03-12 10:00:00"), "Done");
    ASSERT_EQ(AddContact("李娜", "", "无电话", "2026-03-13 10:00:00"), "Done");
    if (GetParam().kind == kTrash) {
        ASSERT_TRUE(DeleteRecord(RecordKind::Note, 1, 1000).Ok());
        ASSERT_TRUE(DeleteRecord(RecordKind::Contact, 4, 2000).Ok());
    }
    Start(GetParam().kind);
    QStringList names;
    for (const QString& row : Articles()) names << row.section('|', 1, 1);
    QStringList expected;
    for (const char* name : GetParam().names) expected << QString::fromUtf8(name);
    EXPECT_EQ(names, expected);
    EXPECT_TRUE(PlacesAreWhole(static_cast<int>(expected.size())));
    EXPECT_EQ(page()
                  .Js("list.parts.body.getAttribute('role') + '|' + "
                      "list.parts.body.getAttribute('aria-label') + '|' + "
                      "list.parts.head.getAttribute('role') + '|' + "
                      "list.parts.head.getAttribute('aria-live')")
                  .toString(),
              QString::fromUtf8(GetParam().listName) + "|status|polite");
    // The record markup itself is as the program wrote it: the page only
    // adds attributes to its own wrapper.
    EXPECT_EQ(page()
                  .Js("document.querySelectorAll('#MyWinS .vbody [role=article] [aria-label]:not("
                      "img[data-code])').length")
                  .toInt(),
              0);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, RecordNames,
    ::testing::Values(NamedKind{0,
                                "feed|记事列表",
                                {"重要 会议，2026-03-16 11:00:00", "无标题，2026-03-15 10:00:00",
                                 "周末采购，2026-03-14 09:12:40"}},
                      NamedKind{1, "feed|联系人列表", {"李娜", "陈晓明，电话 138-0013-8000"}},
                      NamedKind{kTrash,
                                "feed|回收站",
                                {"联系人，陈晓明，电话 138-0013-8000",
                                 "记事，周末采购，2026-03-14 09:12:40"}}),
    [](const ::testing::TestParamInfo<NamedKind>& info) {
        return info.param.kind == 0   ? std::string("Notes")
               : info.param.kind == 1 ? std::string("Contacts")
                                      : std::string("Trash");
    });

TEST_F(ScreenReaderPage, PlacesCountTheWholeListAcrossTheWindowsEdgeAndAfterAChange) {
    ASSERT_EQ(SeedNotes(400), "Done");
    Start();
    ASSERT_LT(page().Js("list.boxes.length").toInt(), 400);
    EXPECT_TRUE(PlacesAreWhole(400));
    EXPECT_TRUE(
        Articles().first().startsWith(QString::fromUtf8("article|会议纪要 第400号，2010-01-")));

    // The end of the list, a window the page asks for: the last box says 400 of 400.
    page().Js("JumpTo(399, true)");
    ASSERT_TRUE(WaitUntil(
        [&] {
            return page().Js("!list.pending && list.first + list.boxes.length === 400").toBool();
        },
        5000));
    EXPECT_TRUE(PlacesAreWhole(400));
    EXPECT_TRUE(Articles().last().endsWith("|400|400|399"));

    // Boxes kept and boxes added as the user scrolls up over the window's edge.
    const int first = page().Js("list.first").toInt();
    ASSERT_TRUE(WaitUntil(
        [&] {
            page().Js("if (!list.pending) ScrollBy(-list.parts.port.clientHeight)");
            return page().Js("list.first").toInt() < first;
        },
        10000));
    ASSERT_TRUE(Settled());
    EXPECT_TRUE(PlacesAreWhole(400));

    // A record added meanwhile: the next window says 401, and the boxes
    // already held learn the new count with it.
    ASSERT_EQ(AddNote("新的", "x", "2026-03-16 11:00:00"), "Done");
    const int held = page().Js("list.first").toInt();
    ASSERT_TRUE(WaitUntil(
        [&] {
            page().Js("if (!list.pending) ScrollBy(-list.parts.port.clientHeight)");
            return page().Js("list.first").toInt() < held;
        },
        10000));
    ASSERT_TRUE(Settled());
    EXPECT_EQ(page().Js("list.total").toInt(), 401);
    EXPECT_TRUE(PlacesAreWhole(401));

    // And after a refresh of the list.
    ASSERT_EQ(AddNote("更新的", "x", "2026-03-17 11:00:00"), "Done");
    ListRequest refresh;
    refresh.mode = ListRequest::Mode::kRefresh;
    const int writes = page().listWrites;
    page().ShowList(refresh);
    ASSERT_TRUE(WaitUntil([&] { return page().listWrites > writes; }, 5000));
    ASSERT_TRUE(Settled());
    EXPECT_TRUE(PlacesAreWhole(402));
}

TEST_F(ScreenReaderPage, TheCountIsAStatusThatSpeaksForChangesAndSearchesNotForScrolling) {
    ASSERT_EQ(SeedNotes(300), "Done");
    ASSERT_EQ(AddContact("陈晓明", "138-0013-8000", "会议室见", "2026-03-12 10:00:00"), "Done");
    Start();
    EXPECT_TRUE(HeaderText().contains(QString::fromUtf8("共300项"))) << HeaderText().toStdString();

    // Windows arriving as the user scrolls leave the status alone.
    WatchHeader();
    page().Js("JumpTo(250, false)");
    ASSERT_TRUE(
        WaitUntil([&] { return page().Js("!list.pending && list.place === 250").toBool(); }, 5000));
    EXPECT_EQ(HeaderChanges(), 0);

    // A search tells its count; a new search with the same count tells it again.
    Search(QString::fromUtf8("会议"));
    EXPECT_EQ(HeaderText(), QString::fromUtf8("找到 301 项"));
    EXPECT_GT(HeaderChanges(), 0);
    EXPECT_EQ(page().Js("list.parts.body.getAttribute('aria-label')").toString(),
              QString::fromUtf8("查找结果"));
    EXPECT_TRUE(PlacesAreWhole(301));
    WatchHeader();
    Search(QString::fromUtf8("会议室"));
    EXPECT_EQ(HeaderText(), QString::fromUtf8("找到 301 项"));
    EXPECT_GT(HeaderChanges(), 0);
    // A result names its kind first, as its badge shows it.
    const QString contact = QString::fromUtf8("article|联系人，陈晓明，电话 138-0013-8000|");
    EXPECT_EQ(Articles().filter(contact).size(), 1) << Articles().first().toStdString();

    // Scrolling the results is quiet too.
    WatchHeader();
    page().Js("JumpTo(200, false)");
    ASSERT_TRUE(
        WaitUntil([&] { return page().Js("!list.pending && list.place === 200").toBool(); }, 5000));
    EXPECT_EQ(HeaderChanges(), 0);

    Search(QString::fromUtf8("没有这样的字"));
    EXPECT_EQ(HeaderText(), QString::fromUtf8("没有找到匹配的记事或联系人"));
}

}  // namespace
}  // namespace korvane::test
