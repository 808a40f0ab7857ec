// The main window's page in the real web engine: the show loads the shipped
// page, RunJs lines reach it (Chinese text included), failures stay silent,
// and the view switches reach the page.
#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTest>
#include <QWebEngineView>

#include "platform/codepage.h"
#include "program_harness.h"
#include "support/find.h"

namespace korvane {
namespace {

class MainWindowPage : public test::ProgramTest {
  protected:
    MainWindowPage() : ProgramTest("main window page") {}

    // Shows the window and waits for the page to load.
    void ShowAndLoad() {
        QSignalSpy loaded(test::Find<QWebEngineView>(*window_, "MyBody"),
                          &QWebEngineView::loadFinished);
        window_->show();
        ASSERT_TRUE(loaded.wait(20000) || !loaded.isEmpty());
        ASSERT_TRUE(loaded.last().at(0).toBool());
    }
};

TEST_F(MainWindowPage, RunJsRunsCodePageLinesInThePageAndSwallowsFailures) {
    ShowAndLoad();
    TMyHappy& w = *window_;
    EXPECT_EQ(test::Find<QWebEngineView>(w, "MyBody")->url().toLocalFile().toStdString(),
              (app_.path() / "hd/main.html").string());

    EXPECT_TRUE(TMyHappy::RunJs(test::Find<QWebEngineView>(w, "MyBody"),
                                Cp("document.title = '记事本 ' + (1 + 1)")));
    EXPECT_TRUE(EventuallyEquals(QStringLiteral("document.title"), QStringLiteral("记事本 2")));

    // A function the page lacks, or broken script: still true, nothing shown,
    // and the page goes on working.
    EXPECT_TRUE(TMyHappy::RunJs(test::Find<QWebEngineView>(w, "MyBody"), "NoSuchFunction()"));
    EXPECT_TRUE(TMyHappy::RunJs(test::Find<QWebEngineView>(w, "MyBody"), "this is no script"));
    EXPECT_EQ(Eval(QStringLiteral("6 * 7")).toInt(), 42);
}

TEST_F(MainWindowPage, ViewSwitchesTellThePage) {
    ShowAndLoad();
    TMyHappy& w = *window_;
    test::Find<QAction>(w, "N3")->trigger();  // htit()
    EXPECT_TRUE(EventuallyEquals(QStringLiteral("document.documentElement.className"),
                                 QStringLiteral("compact")));
    test::Find<QAction>(w, "N2")->trigger();  // stit()
    EXPECT_TRUE(EventuallyEquals(QStringLiteral("document.documentElement.className"), QString()));
}

TEST_F(MainWindowPage, AfterAHideInTheCompactViewWindowAndPageComeBackStandard) {
    ShowAndLoad();
    TMyHappy& w = *window_;
    test::Find<QAction>(w, "N3")->trigger();
    ASSERT_TRUE(EventuallyEquals(QStringLiteral("document.documentElement.className"),
                                 QStringLiteral("compact")));
    test::Find<QAction>(w, "N6")->trigger();
    w.show();  // the page is still there: it is shown as it is, in its standard look
    EXPECT_FALSE(w.IsCompact());
    EXPECT_FALSE(test::Find<QWidget>(w, "PLC")->isHidden());
    EXPECT_TRUE(test::Find<QWidget>(w, "Panel1")->isHidden());
    EXPECT_TRUE(EventuallyEquals(QStringLiteral("document.documentElement.className"), QString()));
    // And the compact view still comes and goes, in the page as well.
    test::Find<QAction>(w, "N3")->trigger();
    EXPECT_TRUE(EventuallyEquals(QStringLiteral("document.documentElement.className"),
                                 QStringLiteral("compact")));
    w.DoEx(QStringLiteral("SHOW"));
    EXPECT_FALSE(w.IsCompact());
    EXPECT_TRUE(EventuallyEquals(QStringLiteral("document.documentElement.className"), QString()));
}

}  // namespace
}  // namespace korvane
