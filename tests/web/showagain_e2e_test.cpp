// The window hidden and shown again, in the real engine: a show over a page
// that is still there keeps its document, tab, place and search and brings
// what is on screen up to date in one request; a page frozen, given back or
// whose process ended while hidden comes back where it was; a page file
// changed while hidden is checked and refused at the next show.
#include <gtest/gtest.h>

#include <QLabel>
#include <QTimer>
#include <csignal>
#include <filesystem>
#include <fstream>

#include "mainwindow/pagehost.h"
#include "page_harness.h"
#include "program_harness.h"
#include "support/find.h"
#include "support/notebook.h"
#include "support/seed.h"

namespace fs = std::filesystem;

namespace korvane {
namespace {

using test::Eventually;

constexpr int kStartWait = 30000;  // the first page of a run starts the engine
constexpr int kWait = 10000;
constexpr int kNotes = 3000;

// What stays of the page across a show: the document (a mark set in it), the
// tab, the place and the search.
struct PageView {
    bool sameDocument = false;
    int kind = -1;
    int place = -1;
    QString query;
    int total = -1;
};

class ShowAgain : public test::ProgramTest {
  public:
    using ProgramTest::Eval;

    ShowAgain() : ProgramTest("show again 再显示") {
        EXPECT_EQ(OpenDatabase(), "1");
        EXPECT_EQ(test::SeedNotes(kNotes), "Done");
        for (int i = 0; i < 40; ++i) {
            test::AddContact("联系人" + std::to_string(i), "1380000" + std::to_string(i), "备注",
                             "2024-01-01 10:00:00");
        }
        CountStartUpsAndLists();
    }

    PageHost& Host() { return *Window().findChild<PageHost*>(QStringLiteral("PageHost")); }

    bool Start() {
        Window().show();
        return EventuallyEquals(QStringLiteral("typeof list === 'object' && list.total"), kNotes,
                                kStartWait);
    }

    // Waits until no request is in flight and `condition` holds in the page.
    bool Settled(const QString& condition) {
        return EventuallyEquals("!list.pending && (" + condition + ")", true, kWait);
    }

    bool GoTo(int position) {
        Eval(QStringLiteral("JumpTo(%1, false)").arg(position));
        return Settled(QStringLiteral("list.place === %1").arg(position));
    }

    bool Search(const QString& text) {
        Eval("document.getElementById('findBox').value = " + test::JsString(text) + "; FindNow();");
        return Settled(QStringLiteral("Finding() && list.total > 0"));
    }

    void MarkDocument() { Eval(QStringLiteral("window.sameDocument = true")); }

    PageView View() {
        const QVariantList v =
            Eval(QStringLiteral("[window.sameDocument === true, list.kind, list.place,"
                                " document.getElementById('findBox').value, list.total]"))
                .toList();
        if (v.size() != 5) return {};
        return {v[0].toBool(), v[1].toInt(), v[2].toInt(), v[3].toString(), v[4].toInt()};
    }

    int Count(const char* counter) { return Eval(QString::fromLatin1(counter)).toInt(); }

    bool Lifecycle(QWebEnginePage::LifecycleState state) {
        return Eventually([&] { return Page()->lifecycleState() == state; }, kWait);
    }
};

// The three things a user leaves the window on, each kept by a plain show.
struct Leaving {
    const char* name;
    std::function<bool(ShowAgain&)> go;
    int kind;
    int place;
    const char* query;
};

class ShowAgainKeeps : public ShowAgain, public ::testing::WithParamInterface<Leaving> {};

TEST_P(ShowAgainKeeps, TheDocumentAndWhatIsOnScreenAndAsksOnce) {
    const Leaving& leaving = GetParam();
    ASSERT_TRUE(Start()) << "the notes list never arrived";
    ASSERT_TRUE(leaving.go(*this));
    MarkDocument();
    const int writes = Count("window.listWrites");
    const int ownRequests = Count("list.serial");

    Window().hide();
    Window().show();
    ASSERT_TRUE(Settled(QStringLiteral("window.listWrites > %1").arg(writes)));
    const PageView view = View();
    EXPECT_TRUE(view.sameDocument) << "the page was loaded again";
    EXPECT_EQ(view.kind, leaving.kind);
    EXPECT_EQ(view.place, leaving.place);
    EXPECT_EQ(view.query, QString::fromUtf8(leaving.query));
    // One request out, one list back; no second start-up call, no tick left.
    EXPECT_EQ(Count("list.serial"), ownRequests + 1);
    EXPECT_EQ(Count("window.listWrites"), writes + 1);
    EXPECT_EQ(Count("window.bodyLoads"), 1);
    EXPECT_FALSE(test::Find<QTimer>(Window(), "Timer1")->isActive());
    EXPECT_EQ(Eval(QStringLiteral("document.documentElement.className")).toString(), QString());
}

INSTANTIATE_TEST_SUITE_P(
    Places, ShowAgainKeeps,
    ::testing::Values(
        Leaving{"ContactsTab",
                [](ShowAgain& t) {
                    t.Eval(QStringLiteral("document.getElementById('tabContacts').click()"));
                    return t.Settled(QStringLiteral("list.kind === 1 && list.total === 40"));
                },
                1, 0, ""},
        Leaving{"PlaceInTheNotes", [](ShowAgain& t) { return t.GoTo(1700); }, 0, 1700, ""},
        Leaving{"Search", [](ShowAgain& t) { return t.Search(QStringLiteral("会议")); }, 2, 0,
                "会议"}),
    [](const ::testing::TestParamInfo<Leaving>& info) { return std::string(info.param.name); });

// Records a sync wrote behind the page: a page on screen shows them at once,
// in the same document, tab and place; a hidden page is left alone and
// shows them at its next show.
TEST_F(ShowAgain, RecordsChangedBehindThePageShowOnScreenOrAtTheNextShow) {
    ASSERT_TRUE(Start()) << "the notes list never arrived";
    ASSERT_TRUE(GoTo(1700));
    MarkDocument();
    ASSERT_EQ(test::InsertNote("from the server"), "Done");
    Host().RecordsChanged();
    ASSERT_TRUE(Settled(QStringLiteral("list.total === %1").arg(kNotes + 1)));
    const PageView view = View();
    EXPECT_TRUE(view.sameDocument);
    EXPECT_EQ(view.kind, 0);
    EXPECT_NEAR(view.place, 1700, 1);

    Window().hide();
    const int writes = Count("window.listWrites");
    ASSERT_EQ(test::InsertNote("one more"), "Done");
    Host().RecordsChanged();
    QTest::qWait(300);
    Window().show();
    ASSERT_TRUE(Settled(QStringLiteral("list.total === %1").arg(kNotes + 2)));
    EXPECT_EQ(Count("window.listWrites"), writes + 1) << "one list, at the show";
}

// A page frozen while hidden is the same page when shown; one given back
// comes back whole, at its tab and place, with one start-up call.
TEST_F(ShowAgain, APageFrozenAndThenGivenBackWhileHiddenComesBackWhereItWas) {
    Host().SetGiveBackDelays(50, 60000);
    ASSERT_TRUE(Start());
    ASSERT_TRUE(GoTo(1200));
    MarkDocument();
    Window().hide();
    ASSERT_TRUE(Lifecycle(QWebEnginePage::LifecycleState::Frozen));
    Window().show();
    EXPECT_TRUE(Lifecycle(QWebEnginePage::LifecycleState::Active));
    ASSERT_TRUE(Settled(QStringLiteral("list.place === 1200")));
    EXPECT_TRUE(View().sameDocument);

    Host().SetGiveBackDelays(50, 300);
    Window().hide();
    ASSERT_TRUE(Lifecycle(QWebEnginePage::LifecycleState::Discarded));
    EXPECT_TRUE(Eventually([&] { return Page()->renderProcessPid() <= 0; }, kWait))
        << "the render process of a given-back page lives on";
    Window().show();
    ASSERT_TRUE(EventuallyEquals(QStringLiteral("typeof list === 'object' && !list.pending &&"
                                                " list.place === 1200 && list.total"),
                                 kNotes, kStartWait));
    const PageView view = View();
    EXPECT_FALSE(view.sameDocument);
    EXPECT_EQ(view.kind, 0);
    EXPECT_EQ(Count("window.bodyLoads"), 1);
    EXPECT_TRUE(test::Find<QLabel>(Window(), "MyTop")->isHidden());
}

// Killed while nobody looks: the page is not loaded again until the next
// show, which brings it back in the tab it was left in.
TEST_F(ShowAgain, ARenderProcessKilledWhileHiddenComesBackAtTheNextShow) {
    ASSERT_TRUE(Start());
    Eval(QStringLiteral("document.getElementById('tabContacts').click()"));
    ASSERT_TRUE(Settled(QStringLiteral("list.kind === 1")));
    Window().hide();
    QTest::qWait(100);  // the place is taken as the window hides
    const qint64 pid = Page()->renderProcessPid();
    ASSERT_GT(pid, 0);
    ASSERT_EQ(::kill(static_cast<pid_t>(pid), SIGKILL), 0);
    QTest::qWait(1500);
    EXPECT_LE(Page()->renderProcessPid(), 0) << "a hidden page was loaded again";

    Window().show();
    ASSERT_TRUE(EventuallyEquals(QStringLiteral("typeof list === 'object' && !list.pending &&"
                                                " list.kind === 1 && list.total"),
                                 40, kStartWait));
    EXPECT_EQ(Count("window.bodyLoads"), 1);
}

// The page file is checked at every show: changed while hidden, the show
// covers the page with the damaged-file text; put back, the next show loads
// it afresh and starts it once.
TEST_F(ShowAgain, APageFileChangedWhileHiddenIsCheckedAtTheNextShow) {
    ASSERT_TRUE(Start());
    MarkDocument();
    const fs::path page = app_.path() / "hd" / "main.html";
    const std::string original = test::ReadFile(page);
    Window().hide();
    std::ofstream(page, std::ios::binary | std::ios::app) << "<!-- changed -->";
    Window().show();
    auto* cover = test::Find<QLabel>(Window(), "MyTop");
    EXPECT_FALSE(cover->isHidden());
    EXPECT_EQ(cover->text(), QStringLiteral("您的文件可能已被破坏，请重新安装"));

    Window().hide();
    std::ofstream(page, std::ios::binary | std::ios::trunc) << original;
    Window().show();
    EXPECT_TRUE(cover->isHidden());
    // A new document, started once, with the list.
    ASSERT_TRUE(EventuallyEquals(QStringLiteral("window.sameDocument !== true && !list.pending &&"
                                                " window.listWrites === 1 && list.total"),
                                 kNotes, kStartWait));
    EXPECT_EQ(Count("window.bodyLoads"), 1);
}

// However the page timer and the load's end fall, each load starts once.
TEST_F(ShowAgain, BodyLoadRunsOncePerLoad) {
    ASSERT_TRUE(Start());
    EXPECT_EQ(Count("window.bodyLoads"), 1);
    Window().Timer1Timer();  // a tick after the load
    Page()->triggerAction(QWebEnginePage::Reload);
    ASSERT_TRUE(EventuallyEquals(QStringLiteral("window.bodyLoads"), 1, kStartWait));
    ASSERT_TRUE(Settled(QStringLiteral("list.total > 0")));
    Window().Timer1Timer();
    QTest::qWait(200);
    EXPECT_EQ(Count("window.bodyLoads"), 1);
    EXPECT_EQ(Count("window.listWrites"), 1);
}

}  // namespace
}  // namespace korvane
