// The main window under the offscreen platform: display modes, options and
// the settings file, autostart at creation, page loading and its failures,
// the hide button without a notification area, and the updater hand-off.
#include <gtest/gtest.h>

#include <QTimer>

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>
#include <QWebEngineView>
#include <QWindow>
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <thread>

#include "dialog_driver.h"
#include "dialogs/dialogs.h"
#include "mainwindow/exchangeactions.h"
#include "mainwindow/mainwindow.h"
#include "platform/apppaths.h"
#include "platform/codepage.h"
#include "render/storetexts.h"
#include "store/notebook.h"
#include "support/find.h"
#include "support/tempdir.h"
#include "support/waits.h"
#include "sync_fakes.h"

namespace fs = std::filesystem;

namespace korvane {
namespace {

using test::ReadFile;
using test::WriteFile;

// An application folder, a private autostart folder, and the main window
// created over them.
class MainWindow : public ::testing::Test {
  protected:
    MainWindow() {
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
        if (const char* old = std::getenv("XDG_CONFIG_HOME")) oldConfig_ = old;
        ::setenv("XDG_CONFIG_HOME", (config_.path()).c_str(), 1);
    }
    ~MainWindow() override {
        window_.reset();
        if (oldConfig_) {
            ::setenv("XDG_CONFIG_HOME", oldConfig_->c_str(), 1);
        } else {
            ::unsetenv("XDG_CONFIG_HOME");
        }
    }

    TMyHappy& Window() {
        if (!window_) {
            window_ = std::make_unique<TMyHappy>(app_.CodePageDir() + "korvane", sync_);
        }
        return *window_;
    }

    fs::path Ini() const { return app_.path() / "sys.ini"; }
    fs::path Entry() const { return config_.path() / "autostart" / "Korvane V3.016.desktop"; }

    test::AppFolder app_{"main window 主窗口"};
    test::TempDir config_{"main window config"};
    std::optional<std::string> oldConfig_;
    // What the window syncs through; the desktop's secret store and the
    // runner unless a test sets its stand-ins.
    test::FakeSecrets secrets_;
    test::FakePasses passes_;
    SyncParts sync_;
    std::unique_ptr<TMyHappy> window_;
};

// The parts that only the standard view shows.
constexpr const char* kBars[] = {"PLt", "PLb", "PLC", "Image4", "Image5", "Image6"};

void ExpectStandard(TMyHappy& w) {
    for (const char* bar : kBars) EXPECT_FALSE(test::Find<QWidget>(w, bar)->isHidden()) << bar;
    EXPECT_TRUE(test::Find<QWidget>(w, "Panel1")->isHidden());
    EXPECT_FALSE(w.IsCompact());
}

// The page's 恢复标准窗口 is the compact view's one restore control: the strip
// stays hidden.
void ExpectCompact(TMyHappy& w) {
    for (const char* bar : kBars) EXPECT_TRUE(test::Find<QWidget>(w, bar)->isHidden()) << bar;
    EXPECT_TRUE(test::Find<QWidget>(w, "Panel1")->isHidden());
    EXPECT_TRUE(w.IsCompact());
}

TEST_F(MainWindow, ViewsSwitchOnlyWithAutomaticCompactingOn) {
    TMyHappy& w = Window();
    ASSERT_FALSE(test::Find<QCheckBox>(w, "CBN")->isChecked());
    w.ShowCompact();
    ExpectStandard(w);

    // The tray's standard item ticks CBN; in the standard view nothing else changes.
    test::Find<QAction>(w, "N2")->trigger();
    EXPECT_TRUE(test::Find<QCheckBox>(w, "CBN")->isChecked());
    ExpectStandard(w);

    test::Find<QAction>(w, "N3")->trigger();
    ExpectCompact(w);
    w.ShowCompact();  // already compact: stays so
    ExpectCompact(w);

    // With CBN cleared the page's command does not restore.
    test::Find<QCheckBox>(w, "CBN")->setChecked(false);
    w.DoEx(QStringLiteral("SHOW"));
    ExpectCompact(w);

    test::Find<QCheckBox>(w, "CBN")->setChecked(true);
    w.DoEx(QStringLiteral("show"));  // commands are case-sensitive
    ExpectCompact(w);
    w.DoEx(QStringLiteral("SHOW"));
    ExpectStandard(w);
}

// The page's rectangle in the window's coordinates.
QRect PageRect(TMyHappy& w) {
    auto* page = test::Find<QWidget>(w, "MyBody");
    return QRect(page->mapTo(&w, QPoint(0, 0)), page->size());
}

TEST_F(MainWindow, EveryShowComesBackInTheStandardView) {
    // Compact at the hide, and a settings file that clears CBN at the show:
    // the show must not leave a compact window that nothing can restore.
    WriteFile(Ini(), "[sys]\nL=100\nT=50\nW=300\nH=400\nTra=0\n");
    TMyHappy& w = Window();
    w.show();
    test::Find<QAction>(w, "N3")->trigger();
    ExpectCompact(w);
    test::Find<QAction>(w, "N6")->trigger();
    test::Find<QAction>(w, "N5")->trigger();
    ExpectStandard(w);
    EXPECT_FALSE(test::Find<QCheckBox>(w, "CBN")->isChecked());

    // With CBN kept by the file the view comes back standard as well, and a
    // later switch to the compact view and back still works.
    WriteFile(Ini(), "[sys]\nL=100\nT=50\nW=300\nH=400\nTra=1\n");
    test::Find<QAction>(w, "N3")->trigger();
    w.hide();
    w.show();
    ExpectStandard(w);
    w.ShowCompact();
    ExpectCompact(w);
    w.DoEx(QStringLiteral("SHOW"));
    ExpectStandard(w);
}

TEST_F(MainWindow, ThePageFillsTheWindowAfterEveryResize) {
    WriteFile(Ini(), "[sys]\nL=20\nT=20\nW=391\nH=500\nTra=1\n");
    TMyHappy& w = Window();
    w.show();
    const auto expectFilled = [&](const char* when) {
        QTest::qWait(20);  // hidden bars give their room through the event loop
        const QRect page = PageRect(w);
        const int grips = w.IsCompact() ? 0 : 2 * 3;
        EXPECT_EQ(page.width(), w.width() - grips) << when;
        EXPECT_EQ(page.left(), w.IsCompact() ? 0 : 3) << when;
    };
    expectFilled("at the show");
    w.resize(700, 500);
    expectFilled("wider");
    w.ShowCompact();
    expectFilled("compact after widening");
    w.resize(300, 400);
    expectFilled("compact and narrower");
    w.ShowStandard();
    expectFilled("standard again");
    w.resize(640, 450);
    w.ShowCompact();
    w.ShowStandard();
    expectFilled("after a round trip through the compact view");
}

TEST_F(MainWindow, TheOptionsStayReadableDownToTheSmallestSize) {
    TMyHappy& w = Window();
    w.show();
    auto* bar = test::Find<QWidget>(w, "PLt");
    for (const QSize size : {QSize(391, 570), QSize(300, 400), w.minimumSize()}) {
        w.resize(size);
        QTest::qWait(20);
        for (const char* name : {"CB", "Run", "CBN", "CNQ"}) {
            auto* box = test::Find<QCheckBox>(w, name);
            EXPECT_GE(box->width(), box->sizeHint().width()) << name << " at " << size.width();
            EXPECT_GE(box->height(), box->sizeHint().height()) << name << " at " << size.width();
            EXPECT_TRUE(bar->rect().contains(QRect(box->pos(), box->size())))
                << name << " at " << size.width();
        }
        EXPECT_GT(PageRect(w).height(), 0) << size.width();
    }
    // At the designed width the options take one line, as they always did.
    w.resize(391, 570);
    QTest::qWait(20);
    EXPECT_EQ(bar->height(), 21);
}

TEST_F(MainWindow, StoredSizesAreLimitedToTheScreenAndSavedSo) {
    WriteFile(Ini(), "[sys]\nL=10\nT=10\nW=24000\nH=30000\n");
    TMyHappy& w = Window();
    w.show();
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_TRUE(screen.contains(w.geometry())) << w.width() << "x" << w.height();
    EXPECT_EQ(w.width(), screen.width());
    EXPECT_EQ(w.height(), screen.height());
    EXPECT_TRUE(w.close());
    const QRect g = w.geometry();
    EXPECT_NE(ReadFile(Ini()).find("W=" + std::to_string(g.width()) +
                                   "\nH=" + std::to_string(g.height()) + "\n"),
              std::string::npos);

    // Too small a size grows to the window's minimum; a window running off
    // the screen's edges is brought inside them.
    WriteFile(Ini(), "[sys]\nL=-500\nT=300\nW=50\nH=5000\n");
    w.show();
    EXPECT_EQ(w.size(), QSize(std::max(50, w.minimumWidth()), screen.height()));
    EXPECT_TRUE(screen.contains(w.geometry()));
}

// sys.ini's [ui] theme=dark: every part the window draws itself is dark
// from the start (the caption, the grips, the bars, the strip, the cover),
// and the desktop's palette is back when the window goes.
TEST_F(MainWindow, ADarkChoiceDarkensEveryPartTheWindowDraws) {
    WriteFile(Ini(), "[ui]\r\ntheme=dark\r\n");
    TMyHappy& w = Window();
    w.show();
    QApplication::processEvents();
    EXPECT_LT(QApplication::palette().color(QPalette::Window).lightness(), 128);
    // Near the right end, clear of any text.
    const auto centre = [&w](const char* name) {
        QWidget* part = test::Find<QWidget>(w, name);
        const QImage image = part->grab().toImage();
        return image.pixelColor(image.width() - 2, image.height() / 2).lightness();
    };
    // The caption where neither the title nor the buttons are.
    const QImage caption = test::Find<QWidget>(w, "PLC")->grab().toImage();
    EXPECT_LT(caption.pixelColor(250, 14).lightness(), 80);
    const QImage footer = test::Find<QWidget>(w, "PLb")->grab().toImage();
    EXPECT_LT(footer.pixelColor(footer.width() / 3, 9).lightness(), 80);
    for (const char* part : {"PLt", "Image4", "Image5", "Image6", "MyTop", "Panel1"}) {
        EXPECT_LT(centre(part), 80) << part;
    }
    // An option's box shows its border on the dark bar, ticked or not.
    auto* option = test::Find<QCheckBox>(w, "CBN");
    for (const bool ticked : {false, true}) {
        option->setChecked(ticked);
        const QImage box = option->grab().toImage();
        int border = 0;
        for (int x = 0; x < 4; ++x)
            border = std::max(border, box.pixelColor(x, box.height() / 2).lightness());
        EXPECT_GT(border, 90) << (ticked ? "ticked" : "unticked");
    }
    window_.reset();
    EXPECT_GT(QApplication::palette().color(QPalette::Window).lightness(), 128);
}

TEST_F(MainWindow, RunJsNeedsABrowser) {
    EXPECT_FALSE(TMyHappy::RunJs(nullptr, "BodyLoad()"));
    // Before any page is loaded the line runs nowhere, and that is no failure.
    EXPECT_TRUE(
        TMyHappy::RunJs(test::Find<QWebEngineView>(Window(), "MyBody"), "NoSuchFunction()"));
}

TEST_F(MainWindow, ShowRestoresGeometryAndOptions) {
    WriteFile(Ini(), "[sys]\nL=100\nT=50\nW=300\nH=400\nTra=1\nTT=1\nCNQ=1\n");
    TMyHappy& w = Window();
    w.show();
    EXPECT_EQ(w.geometry(), QRect(100, 50, 300, 400));
    EXPECT_TRUE(test::Find<QCheckBox>(w, "CBN")->isChecked());
    EXPECT_TRUE(test::Find<QCheckBox>(w, "CB")->isChecked());
    EXPECT_TRUE(test::Find<QCheckBox>(w, "CNQ")->isChecked());
    EXPECT_TRUE(w.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    ASSERT_NE(w.windowHandle(), nullptr);
    EXPECT_TRUE(w.windowHandle()->flags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(w.isVisible());  // switching always-on-top does not hide the window

    // Every show reads the file again: Tra=2 is no flag and clears CBN, while
    // TT=0 and CNQ=0 never switch anything off.
    w.hide();
    WriteFile(Ini(), "[SYS]\nl=0x20\nt=abc\nw=0\nh=0\ntra=2\ntt=0\ncnq=0\n");
    w.show();
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    EXPECT_EQ(w.geometry(), QRect(32, 0, 300, screen.height() - 33));
    EXPECT_FALSE(test::Find<QCheckBox>(w, "CBN")->isChecked());
    EXPECT_TRUE(test::Find<QCheckBox>(w, "CB")->isChecked());
    EXPECT_TRUE(test::Find<QCheckBox>(w, "CNQ")->isChecked());
}

TEST_F(MainWindow, FirstShowWithoutSettingsGoesToTheRightEdge) {
    TMyHappy& w = Window();
    w.show();
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    EXPECT_EQ(w.geometry(), QRect(screen.width() - 391, 0, 391, screen.height() - 33));
    EXPECT_FALSE(test::Find<QCheckBox>(w, "CBN")->isChecked() ||
                 test::Find<QCheckBox>(w, "CB")->isChecked() ||
                 test::Find<QCheckBox>(w, "CNQ")->isChecked());
}

TEST_F(MainWindow, SavedBoundsOffEveryDisplayComeBack) {
    WriteFile(Ini(), "[sys]\nL=-3000\nT=-2000\nW=300\nH=400\n");
    TMyHappy& w = Window();
    w.show();
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    EXPECT_EQ(w.geometry(), QRect(screen.right() + 1 - 300, screen.top(), 300, 400));
}

TEST_F(MainWindow, CloseWritesTheSettingsInOrder) {
    WriteFile(Ini(), "; mine\n[other]\nx=1\n");
    TMyHappy& w = Window();
    w.setGeometry(120, 40, 350, 500);
    test::Find<QAction>(w, "N3")->trigger();  // compact: the view itself is not saved
    test::Find<QCheckBox>(w, "CB")->setChecked(true);
    EXPECT_TRUE(w.close());
    EXPECT_EQ(ReadFile(Ini()),
              "; mine\n[other]\nx=1\n[sys]\nL=120\nT=40\nW=350\nH=500\nTra=1\nTT=1\nCNQ=0\n");
    EXPECT_FALSE(w.TerminationRequested());
}

TEST_F(MainWindow, WithADataFolderOfItsOwnSettingsAndNotebookLiveThere) {
    // What an installed copy in a read-only folder gets at start.
    test::TempDir data{"user data 数据"};
    fs::create_directories(data.path() / "hd");
    SetDataDirectory(data.CodePageDir());
    WriteFile(data.path() / "sys.ini", "[sys]\nL=100\nT=50\nW=300\nH=400\nTra=0\nTT=1\nCNQ=0\n");
    TMyHappy& w = Window();
    w.show();
    EXPECT_EQ(w.geometry(), QRect(100, 50, 300, 400));
    EXPECT_TRUE(w.CB->isChecked());
    EXPECT_TRUE(fs::exists(data.path() / "hd" / "glst.mysql"));
    EXPECT_TRUE(w.MyTop->isHidden());  // the shipped page still comes from beside the program

    w.setGeometry(120, 40, 350, 500);
    EXPECT_TRUE(w.close());
    EXPECT_NE(ReadFile(data.path() / "sys.ini").find("L=120\nT=40\nW=350\nH=500\n"),
              std::string::npos);
    EXPECT_FALSE(fs::exists(Ini()));
    EXPECT_FALSE(fs::exists(app_.path() / "hd" / "glst.mysql"));
    window_.reset();
    CloseDatabase();
    SetDataDirectory({});
}

TEST_F(MainWindow, ExitButtonSavesToo) {
    TMyHappy& w = Window();
    w.setGeometry(10, 20, 330, 440);
    test::Find<QToolButton>(w, "BitBtn3")->click();
    EXPECT_TRUE(w.TerminationRequested());
    EXPECT_NE(ReadFile(Ini()).find("L=10\nT=20\nW=330\nH=440\n"), std::string::npos);
}

TEST_F(MainWindow, MissingPageEndsWithoutSaving) {
    fs::remove(app_.path() / "hd" / "main.html");
    TMyHappy& w = Window();
    test::ModalWatchdog watchdog;
    QString shown;
    Tsmsf* smsf = w.Forms().smsf;
    test::WhenModal(smsf, [&] {
        shown = smsf->Memo1->toPlainText();
        smsf->BtOk->click();
    });
    w.show();
    EXPECT_EQ(shown, QStringLiteral("安装不完整，请重新下载安装"));
    EXPECT_TRUE(w.TerminationRequested());
    EXPECT_FALSE(test::Find<QTimer>(w, "Timer1")->isActive());
    EXPECT_TRUE(
        test::Find<QLabel>(w, "Label1")->text().isEmpty());  // nothing else in the window changed
    w.hide();
    EXPECT_FALSE(fs::exists(Ini()));
}

TEST_F(MainWindow, DamagedPageShowsTheNoticeAndKeepsRunning) {
    WriteFile(app_.path() / "hd" / "main.html", ReadFile(app_.path() / "hd" / "main.html") + " ");
    TMyHappy& w = Window();
    w.show();
    EXPECT_FALSE(test::Find<QLabel>(w, "MyTop")->isHidden());
    EXPECT_EQ(test::Find<QLabel>(w, "MyTop")->text(),
              QStringLiteral("您的文件可能已被破坏，请重新安装"));
    EXPECT_FALSE(test::Find<QTimer>(w, "Timer1")->isActive());
    EXPECT_FALSE(test::Find<QLabel>(w, "Label1")->text().isEmpty());
    EXPECT_FALSE(w.TerminationRequested());
}

TEST_F(MainWindow, ShippedPageLoadsWithThePageTimerStandingInForItsLoad) {
    TMyHappy& w = Window();
    EXPECT_FALSE(test::Find<QLabel>(w, "MyTop")->isHidden());  // the cover is up until a page loads
    w.show();
    EXPECT_TRUE(test::Find<QLabel>(w, "MyTop")->isHidden());
    EXPECT_TRUE(test::Find<QTimer>(w, "Timer1")->isActive());
    EXPECT_TRUE(test::Find<QTimer>(w, "Timer1")->isSingleShot());
    EXPECT_EQ(test::Find<QTimer>(w, "Timer1")->interval(), 1000);

    // A second show while the page loads restarts the one timer, which
    // ticks at most once, and not at all when the load is reported first.
    QSignalSpy ticks(test::Find<QTimer>(w, "Timer1"), &QTimer::timeout);
    w.hide();
    w.show();
    QTest::qWait(1300);
    EXPECT_LE(ticks.count(), 1);
    EXPECT_FALSE(test::Find<QTimer>(w, "Timer1")->isActive());
}

TEST_F(MainWindow, CaptionCornersAreSeeThrough) {
    TMyHappy& w = Window();
    w.show();
    QTest::qWait(50);  // the mask follows the caption from the event loop
    EXPECT_FALSE(w.mask().contains(QPoint(0, 0)));
    EXPECT_FALSE(w.mask().contains(QPoint(w.width() - 1, 0)));
    EXPECT_TRUE(w.mask().contains(QPoint(w.width() / 2, 14)));
    EXPECT_TRUE(w.mask().contains(QPoint(0, 100)));
    test::Find<QAction>(w, "N3")->trigger();
    QTest::qWait(50);
    EXPECT_TRUE(w.mask().isEmpty());  // compact: no caption, nothing cut out
}

TEST_F(MainWindow, MissingSkinFilesAreDrawnInCode) {
    fs::remove_all(app_.path() / "skin");
    TMyHappy& w = Window();
    for (const char* picture : {"Image1", "Image3", "Image2", "Image7"}) {
        EXPECT_FALSE(test::Find<QLabel>(w, picture)->pixmap().isNull()) << picture;
    }
    EXPECT_FALSE(test::Find<QToolButton>(w, "BitBtn1")->icon().isNull());
    EXPECT_FALSE(test::Find<QSystemTrayIcon>(w, "TrayIcon1")->icon().isNull());
    w.show();
    QTest::qWait(50);
    EXPECT_FALSE(w.mask().contains(QPoint(0, 0)));  // the drawn caption is rounded too
    EXPECT_TRUE(w.mask().contains(QPoint(w.width() / 2, 14)));
}

TEST_F(MainWindow, AutostartEntryFoundAtCreationIsRewritten) {
    fs::create_directories(Entry().parent_path());
    WriteFile(Entry(), "[Desktop Entry]\nExec=/old/place/korvane\n");
    TMyHappy& w = Window();
    EXPECT_TRUE(test::Find<QCheckBox>(w, "Run")->isChecked());
    const std::string text = ReadFile(Entry());
    EXPECT_NE(text.find("Exec=\"" + app_.path().string() + "/korvane\""), std::string::npos)
        << text;

    // CBN shares Run's handler: with Run ticked a change rewrites the entry ...
    fs::remove(Entry());
    test::Find<QCheckBox>(w, "CBN")->setChecked(true);
    EXPECT_TRUE(fs::exists(Entry()));
    // ... and with Run cleared any change removes it.
    test::Find<QCheckBox>(w, "Run")->setChecked(false);
    EXPECT_FALSE(fs::exists(Entry()));
    WriteFile(Entry(), "by hand");
    test::Find<QCheckBox>(w, "CBN")->setChecked(false);
    EXPECT_FALSE(fs::exists(Entry()));
}

TEST_F(MainWindow, NoEntryLeavesRunCleared) {
    EXPECT_FALSE(test::Find<QCheckBox>(Window(), "Run")->isChecked());
    EXPECT_FALSE(fs::exists(Entry()));
}

TEST_F(MainWindow, HideButtonMinimisesWhenThereIsNoNotificationArea) {
    if (QSystemTrayIcon::isSystemTrayAvailable()) GTEST_SKIP() << "this desktop has a tray";
    TMyHappy& w = Window();
    w.show();
    test::Find<QToolButton>(w, "BitBtn1")->click();
    EXPECT_TRUE(w.isVisible());
    EXPECT_TRUE(w.isMinimized());
}

TEST_F(MainWindow, TrayMenuShowsAndHides) {
    TMyHappy& w = Window();
    // Four items, 导出… and 导入…, 同步… and 立即同步, 退出, and three separators.
    ASSERT_EQ(test::Find<QMenu>(w, "PopupMenu1")->actions().size(), 12);
    EXPECT_EQ(test::Find<QAction>(w, "SyncItem")->text(), QStringLiteral("同步…"));
    EXPECT_EQ(test::Find<QAction>(w, "SyncNowItem")->text(), QStringLiteral("立即同步"));
    EXPECT_EQ(test::Find<QAction>(w, "N1")->text(), QStringLiteral("退　　出"));
    EXPECT_EQ(test::Find<QSystemTrayIcon>(w, "TrayIcon1")->toolTip(),
              QStringLiteral("Korvane V2.016"));
    test::Find<QAction>(w, "N5")->trigger();
    EXPECT_TRUE(w.isVisible());
    test::Find<QAction>(w, "N6")->trigger();
    EXPECT_FALSE(w.isVisible());
    EXPECT_FALSE(fs::exists(Ini()));  // hiding saves nothing
}

// Chooses `path` for an export or import, and keeps the summary's text as
// it closes the box.
class ExchangeDialogs {
  public:
    ExchangeDialogs(TMyHappy& window, const QString& path) {
        window.findChild<ExchangeActions*>(QStringLiteral("ExchangeActions"))
            ->SetChoosers({[path](QWidget*) { return path; },
                           [path](QWidget*) { return QStringList{path}; }});
        QObject::connect(&poll_, &QTimer::timeout, [this] { Answer(); });
        poll_.start(20);
    }
    QString summary;

  private:
    void Answer() {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || box->objectName() != QLatin1String("ExchangeSummary")) return;
        summary = box->text();
        box->button(QMessageBox::Ok)->click();
    }
    QTimer poll_;
};

TEST_F(MainWindow, ExportAndImportRunFromTheFooterAndTheTrayMenu) {
    TMyHappy& w = Window();
    const test::ModalWatchdog watchdog(30);
    ASSERT_EQ(ExecSql("INSERT INTO mylist(title,content,tel,state,cre_date)VALUES("
                      "'Li Lei','{QQ12345QQ}','010-1234',1,'2026-12-01 08:00:00')"),
              "Done");
    const test::TempDir out("exchange 导出");
    {
        ExchangeDialogs dialogs(w, QString::fromStdString(test::Utf8(out.path())));
        test::Find<QToolButton>(w, "ExportButton")->click();
        EXPECT_TRUE(dialogs.summary.contains(QStringLiteral("1 位联系人")))
            << dialogs.summary.toStdString();
    }
    std::vector<fs::path> exports;
    for (const auto& entry : fs::directory_iterator(out.path())) exports.push_back(entry.path());
    ASSERT_EQ(exports.size(), 1u);
    const fs::path cards = exports[0] / "contacts.vcf";
    ASSERT_TRUE(fs::exists(cards));

    ASSERT_EQ(ExecSql("DELETE FROM mylist"), "Done");
    {
        ExchangeDialogs dialogs(w, QString::fromStdString(test::Utf8(cards)));
        test::Find<QAction>(w, "ImportItem")->trigger();
        EXPECT_TRUE(dialogs.summary.contains(QStringLiteral("新增 0 条记事、1 位联系人")))
            << dialogs.summary.toStdString();
    }
    EXPECT_EQ(test::Rows("SELECT title,content,tel,cre_date FROM mylist"),
              (std::vector<std::vector<std::string>>{
                  {"Li Lei", "{QQ12345QQ}", "010-1234", "2026-12-01 08:00:00"}}));
}

TEST_F(MainWindow, UpdaterIsStartedBesideTheProgramAndNothingIsSaved) {
    const fs::path updater = app_.path() / "update.exe";
    WriteFile(updater, "#!/bin/sh\necho \"$*\" > updater-args.txt\n");
    fs::permissions(updater, fs::perms::owner_all);
    TMyHappy& w = Window();
    w.DoEx(QStringLiteral("upfs"));
    EXPECT_FALSE(w.TerminationRequested());
    w.DoEx(QStringLiteral("UPFS"));
    EXPECT_TRUE(w.TerminationRequested());
    const fs::path args = app_.path() / "updater-args.txt";
    for (int i = 0; i < 300 && ReadFile(args).empty(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    // The running executable here is the test program.
    EXPECT_EQ(ReadFile(args), "Quorvex 20110913 gui_tests\n");
    EXPECT_FALSE(fs::exists(Ini()));
}

TEST_F(MainWindow, AMissingUpdaterIsReportedAndTheProgramKeepsRunning) {
    // An earlier test's termination request leaves the application marked as
    // quitting, which ends every modal loop at once; running the main loop
    // briefly clears the mark.
    QTimer::singleShot(0, qApp, [] { QCoreApplication::exit(0); });
    QCoreApplication::exec();
    TMyHappy& w = Window();
    test::ModalWatchdog watchdog;
    QString shown;
    Tsmsf* smsf = w.Forms().smsf;
    test::WhenModal(smsf, [&] {
        shown = smsf->Memo1->toPlainText();
        smsf->BtOk->click();
    });
    w.DoEx(QStringLiteral("UPFS"));
    EXPECT_TRUE(shown.contains(QStringLiteral("无法启动更新程序"))) << shown.toStdString();
    EXPECT_FALSE(w.TerminationRequested());
}

// The next control Tab reaches after `from` in the window.
QWidget* NextTabStop(QWidget* from, QWidget* window) {
    for (QWidget* w = from->nextInFocusChain(); w != from; w = w->nextInFocusChain()) {
        if ((w->focusPolicy() & Qt::TabFocus) && w->isVisibleTo(window) && w->isEnabled()) return w;
    }
    return nullptr;
}

TEST_F(MainWindow, TabWalksTheCaptionTheOptionsThePageAndTheFooter) {
    TMyHappy& w = Window();
    w.show();
    std::vector<QWidget*> expected;
    for (const char* name : {"BitBtn1", "BitBtn3", "CB", "Run", "CBN", "CNQ"}) {
        QWidget* control = test::Find<QWidget>(w, name);
        // Reached by Tab, never taken by a click: the page keeps the keys.
        EXPECT_EQ(control->focusPolicy(), Qt::TabFocus) << name;
        if (control->isEnabled()) expected.push_back(control);  // CNQ without a hotkey is greyed
    }
    for (size_t i = 1; i < expected.size(); ++i) {
        EXPECT_EQ(NextTabStop(expected[i - 1], &w), expected[i]) << i;
    }
    // After the options comes the page (the engine's widget in its view, once
    // the page has it), then the footer's buttons; Tab comes round to the caption.
    QWidget* view = test::Find<QWidget>(w, "MyBody");
    QWidget* page = nullptr;
    ASSERT_TRUE(test::Eventually([&] {
        page = NextTabStop(expected.back(), &w);
        const QWidget* next = page != nullptr ? NextTabStop(page, &w) : nullptr;
        return page != nullptr && view->isAncestorOf(page) && next != nullptr &&
               next->objectName() == QLatin1String("ExportButton");
    })) << (page != nullptr ? page->metaObject()->className() : "none");
    QWidget* exportButton = NextTabStop(page, &w);
    QWidget* importButton = NextTabStop(exportButton, &w);
    EXPECT_EQ(importButton->objectName(), QLatin1String("ImportButton"));
    QWidget* syncButton = NextTabStop(importButton, &w);
    EXPECT_EQ(syncButton->objectName(), QLatin1String("SyncButton"));
    EXPECT_EQ(NextTabStop(syncButton, &w), expected.front());
}

}  // namespace
}  // namespace korvane

namespace korvane {
namespace {

// The sync's entries fit the footer's one line at the designed width, beside
// 导出… and 导入…; a pass's outcome shows there and in the tray's tooltip,
// and a failed pass brings up no box.
TEST_F(MainWindow, TheFooterAndTheTrayTellTheLastSyncWithoutABox) {
    sync_ = {&secrets_, &passes_, {600000, 600000, 600000}};
    SyncSettings account;
    account.url = "https://cloud.example.com/remote.php/dav";
    account.user = "zhang";
    ASSERT_TRUE(SaveSyncSettings(DataPath("sys.ini"), account));
    secrets_.kept[SecretKeyFor(account)] = QStringLiteral("kept");
    TMyHappy& w = Window();
    w.show();
    auto* state = test::Find<QLabel>(w, "SyncState");
    auto* button = test::Find<QToolButton>(w, "SyncButton");
    EXPECT_TRUE(state->text().isEmpty());
    EXPECT_EQ(w.TrayIcon1->toolTip(), QStringLiteral("Korvane V2.016"));
    EXPECT_EQ(button->height(), test::Find<QToolButton>(w, "ImportButton")->height());
    EXPECT_LE(button->geometry().right(), test::Find<QLabel>(w, "Label1")->geometry().left());
    EXPECT_GE(button->width(), button->sizeHint().width());
    EXPECT_TRUE(test::Find<QAction>(w, "SyncItem"));

    SyncReport unreachable = test::Report(SyncStatus::Unreachable);
    unreachable.detail = "Connection refused";
    for (const SyncReport& report : {test::Report(SyncStatus::Done, 1), unreachable,
                                     test::Report(SyncStatus::PasswordRefused)}) {
        passes_.answers = {report};
        test::Find<QAction>(w, "SyncNowItem")->trigger();
        ASSERT_TRUE(test::WaitUntil([&] { return !w.Sync().Busy() && passes_.answers.empty(); }));
        QTest::qWait(20);
        ASSERT_TRUE(w.Sync().Last());
        const QString line =
            report.status == SyncStatus::Done
                ? QStringLiteral("已同步 ") + w.Sync().Last()->at.toString(QStringLiteral("HH:mm"))
                : ToQt(SyncReportText(report));
        EXPECT_EQ(state->text(), line);
        EXPECT_EQ(w.TrayIcon1->toolTip(), QStringLiteral("Korvane V2.016\n") + line);
        EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
        // The state takes 同步…'s place, and the time fits there whole.
        EXPECT_TRUE(button->isHidden());
        EXPECT_FALSE(state->isHidden());
        if (report.status == SyncStatus::Done) {
            EXPECT_GE(state->contentsRect().width() - 2 * state->margin(),
                      state->fontMetrics().horizontalAdvance(line));
        }
        EXPECT_LE(state->geometry().right(), test::Find<QLabel>(w, "Label1")->geometry().left());
    }
    EXPECT_EQ(passes_.started.size(), 3u);
}

// The footer's 同步… opens the account's dialog; the tray's 立即同步 does too
// while no account is set, and syncs nothing.
TEST_F(MainWindow, TheSyncEntriesOpenTheDialog) {
    sync_ = {&secrets_, &passes_, {600000, 600000, 600000}};
    TMyHappy& w = Window();
    const test::ModalWatchdog watchdog(30);
    int opened = 0;
    const auto closeWhenUp = [&opened] {
        EXPECT_TRUE(test::WaitUntil([] {
            QWidget* modal = QApplication::activeModalWidget();
            return modal && modal->objectName() == QLatin1String("SyncDialog");
        }));
        ++opened;
        test::CloseStrayModals();
    };
    QTimer::singleShot(0, closeWhenUp);
    test::Find<QToolButton>(w, "SyncButton")->click();
    QTimer::singleShot(0, closeWhenUp);
    test::Find<QAction>(w, "SyncNowItem")->trigger();
    QTimer::singleShot(0, closeWhenUp);
    test::Find<QAction>(w, "SyncItem")->trigger();
    // The state in 同步…'s place opens it as well.
    w.Sync().Ask({});
    ASSERT_TRUE(test::WaitUntil([&] { return w.Sync().Last().has_value(); }));
    QTimer::singleShot(0, closeWhenUp);
    QTest::mouseClick(test::Find<QLabel>(w, "SyncState"), Qt::LeftButton);
    EXPECT_EQ(opened, 4);
    EXPECT_TRUE(passes_.started.empty());
}

}  // namespace
}  // namespace korvane
