// The whole program on a Wayland compositor, natively (no X server exists in
// this run): the page shows the list, a note written in the editor appears
// in it, the Ctrl+Q option says it is unavailable where no portal answers,
// and the options the compositor does not apply (always on top, the saved
// position) are kept in sys.ini all the same.
#include <gtest/gtest.h>

#include <QApplication>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QTest>
#include <filesystem>

#include "gui/dialog_driver.h"
#include "page_harness.h"
#include "program_harness.h"

namespace fs = std::filesystem;

namespace korvane {
namespace {

using test::Eventually;
using test::JsString;
using test::ReadFile;
using test::WhenModal;
using test::WriteFile;

constexpr int kStartWait = 60000;  // the first page starts the engine, in software
constexpr int kWait = 15000;

// Text arriving the way an input method delivers it.
void Type(QWidget* widget, const QString& text) {
    QInputMethodEvent commit;
    commit.setCommitString(text);
    QCoreApplication::sendEvent(widget, &commit);
}

class OnWayland : public test::ProgramTest {
  protected:
    OnWayland() : ProgramTest("wayland 原生") {}
    ~OnWayland() override { test::CloseStrayModals(); }

    // Shows the window as the program starts it and waits for the notes list
    // (the notebook holds notes whenever this is called).
    bool Start() {
        Window().show();
        return Eventually([&] { return !Titles().isEmpty(); }, kStartWait);
    }

    QStringList Titles() {
        return Eval(QStringLiteral(
                        "Array.from(document.querySelectorAll('#MyWinS table.round span.t'))"
                        ".map(function (e) { return e.textContent; })"))
            .toStringList();
    }

    bool Click(const QString& selector) {
        return Eval(
                   "(function (e) { if (!e) return false; e.click(); return true; })"
                   "(document.querySelector(" +
                   JsString(selector) + "))")
            .toBool();
    }

    // Writes a note in the editor opened by the page's 新增记事 button.
    bool AddNoteThroughTheEditor(const QString& title, const QString& body) {
        bool saved = false;
        WhenModal(NE, [&] {
            Type(NE->Edit1, title);
            Type(NE->Memo1, body);
            WhenModal(smsf, [this] { smsf->BtOk->click(); });  // 保存成功
            QTest::mouseClick(NE->Button1, Qt::LeftButton);
            QTest::mouseClick(NE->Button2, Qt::LeftButton);
            saved = true;
        });
        return Click(QStringLiteral("#MyWinS .New input")) &&
               Eventually([&] { return saved; }, kWait);
    }

    fs::path Ini() const { return app_.path() / "sys.ini"; }

    test::ModalWatchdog watchdog_{90};
};

TEST(Wayland, TheProgramRunsOnTheCompositorItself) {
    EXPECT_EQ(QGuiApplication::platformName(), QStringLiteral("wayland"));
    EXPECT_TRUE(qEnvironmentVariableIsEmpty("DISPLAY"));  // no X server to fall back on
}

TEST_F(OnWayland, ShowsTheListAndANoteCanBeAdded) {
    ASSERT_EQ(test::AddNote("周末采购清单", "鸡蛋、牛奶", "2026-03-14 09:12:40"), "Done");
    ASSERT_TRUE(Start()) << "the notes list never arrived";
    EXPECT_TRUE(Window().isVisible());
    EXPECT_TRUE(Window().MyTop->isHidden());
    EXPECT_EQ(Titles(), QStringList{QStringLiteral("周末采购清单")});

    ASSERT_TRUE(
        AddNoteThroughTheEditor(QStringLiteral("韦斯顿上的记事"), QStringLiteral("原生 Wayland")));
    EXPECT_TRUE(Eventually(
        [&] {
            return Titles() ==
                   QStringList({QStringLiteral("韦斯顿上的记事"), QStringLiteral("周末采购清单")});
        },
        kWait))
        << Titles().join(QLatin1Char(',')).toStdString();
}

TEST_F(OnWayland, TheHotkeyOptionSaysItIsUnavailableWithoutAPortal) {
    WriteFile(Ini(), "[sys]\nL=100\nT=60\nW=391\nH=600\nTra=0\nTT=0\nCNQ=1\n");
    TMyHappy& w = Window();
    EXPECT_FALSE(w.CNQ->isEnabled());
    EXPECT_TRUE(w.CNQ->toolTip().contains(QStringLiteral("GlobalShortcuts")));
    w.show();
    // The setting is read and written as ever, ready for a desktop that has one.
    EXPECT_TRUE(w.CNQ->isChecked());
    EXPECT_TRUE(w.close());
    EXPECT_NE(ReadFile(Ini()).find("CNQ=1\n"), std::string::npos);
}

TEST_F(OnWayland, OnTopAndPositionAreKeptWhereTheCompositorDoesNotApplyThem) {
    WriteFile(Ini(), "[sys]\nL=100\nT=60\nW=360\nH=500\nTra=0\nTT=1\nCNQ=0\n");
    TMyHappy& w = Window();
    w.show();
    EXPECT_TRUE(w.CB->isChecked());
    EXPECT_TRUE(w.isVisible());
    w.CB->click();  // off and on again: nothing breaks
    w.CB->click();
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(w.size(), QSize(360, 500));
    EXPECT_TRUE(w.close());
    EXPECT_EQ(ReadFile(Ini()), "[sys]\nL=100\nT=60\nW=360\nH=500\nTra=0\nTT=1\nCNQ=0\n");
}

// Not a check: with KORVANE_SCREENSHOTS set, the window as the compositor
// shows it, a few notes in the list, goes to window-wayland.png there.
TEST_F(OnWayland, Screenshot) {
    const QByteArray folder = qgetenv("KORVANE_SCREENSHOTS");
    if (folder.isEmpty()) GTEST_SKIP() << "KORVANE_SCREENSHOTS is not set";
    test::AddNote("周末采购清单", "鸡蛋、牛奶、全麦面包\r\n记得带购物袋 {EM0EM}",
                  "2026-03-14 09:12:40");
    test::AddNote("项目会议纪要", "<span class=\"TBred\">周三前</span>提交第二版设计稿。",
                  "2026-03-13 18:05:11");
    test::AddNote("在 Wayland 上运行", "原生窗口，不经过 XWayland。{EM19EM}",
                  "2026-03-12 08:00:00");
    ASSERT_TRUE(Start());
    QTest::qWait(1500);  // the pictures in the list
    const QImage shot = Window().grab().toImage();
    ASSERT_TRUE(shot.save(QString::fromUtf8(folder) + QStringLiteral("/window-wayland.png")));
}

}  // namespace
}  // namespace korvane
