// Pictures of the page as the real engine draws it, with a few notes and
// contacts: the notes list, the contacts list and the compact view. Runs only
// when KORVANE_SHOT_DIR names a folder to write to (tools/page_shots.sh).
#include <gtest/gtest.h>

#include <QImage>
#include <QPixmap>

#include "page_harness.h"

namespace korvane::test {
namespace {

void Settle(PageHarness& harness) {
    harness.BrokenImages();
    harness.Js("document.fonts.ready.then(() => 1)");
    QTest::qWait(600);
}

// The view's picture; false when the engine delivered a blank frame.
bool Grab(PageHarness& harness, const QString& file) {
    const QImage image = harness.view().grab().toImage();
    int distinct = 0;
    const QRgb first = image.isNull() ? 0 : image.pixel(0, image.height() - 1);
    for (int y = 0; y < image.height(); y += 7) {
        for (int x = 0; x < image.width(); x += 7) distinct += image.pixel(x, y) != first;
    }
    return distinct > 100 && image.save(file);
}

void FillNotebook() {
    AddNote("周末采购清单", "鸡蛋、牛奶、全麦面包\r\n记得带购物袋 {EM0EM}", "2026-03-14 09:12:40");
    AddNote("项目会议纪要",
            "<span class=\"TBred\">周三前</span>提交第二版设计稿。\r\n"
            "接口文档由小王负责整理，测试环境下周一开放。{EM19EM}",
            "2026-03-13 18:05:11");
    AddNote("读书笔记：《活着》", "“人是为活着本身而活着的，而不是为了活着之外的任何事物所活着。”",
            "2026-03-10 22:47:03");
    AddNote("给妈妈打电话", "问问体检结果 {EM6EM}{EM5EM}", "2026-03-08 20:30:00");
    AddContact("陈晓明", "138-0013-8000", "大学同学，现在在杭州。\r\n{QQ20488QQ}",
               "2026-03-12 10:00:00");
    AddContact("李娜（设计部）", "021-6555 1234 转 806",
               "{MSlina@example.comMS}\r\n周一到周五 9:00-18:00", "2026-03-11 15:20:00");
    AddContact("王建国", "139 1122 3344", "{SPwang.jianguoSP} {ALjianguo88AL}",
               "2026-03-09 08:45:00");
}

TEST(PageShots, NotesContactsAndCompactView) {
    const QByteArray dir = qgetenv("KORVANE_SHOT_DIR");
    if (dir.isEmpty()) GTEST_SKIP() << "set KORVANE_SHOT_DIR to write the pictures";
    AppFolder app;
    ASSERT_EQ(OpenDatabase(), "1");
    FillNotebook();
    PageHarness harness(app);
    ASSERT_TRUE(harness.loaded());

    harness.Js("BodyLoad()");
    ASSERT_TRUE(WaitUntil([&] { return harness.listWrites == 1; }, 5000));
    Settle(harness);
    EXPECT_TRUE(Grab(harness, QString::fromUtf8(dir) + "/page-notes.png"));

    harness.Js("document.getElementById('tabContacts').click()");
    ASSERT_TRUE(WaitUntil([&] { return harness.listWrites == 2; }, 5000));
    Settle(harness);
    EXPECT_TRUE(Grab(harness, QString::fromUtf8(dir) + "/page-contacts.png"));

    harness.Js("document.getElementById('tabNotes').click()");
    ASSERT_TRUE(WaitUntil([&] { return harness.listWrites == 3; }, 5000));
    harness.Js("htit()");
    Settle(harness);
    EXPECT_TRUE(Grab(harness, QString::fromUtf8(dir) + "/page-compact.png"));
}

}  // namespace
}  // namespace korvane::test
