// Writes pictures of the page as the real engine draws it, with a few notes
// and contacts: the notes list, the contacts list and the compact view
// (page-notes.png, page-contacts.png, page-compact.png), the bar that takes a
// delete back (undo-bar.png), the trash (trash-view.png) and a note kept twice
// by a sync conflict (sync-conflict.png), 391 x 570.
//
// usage: page_shots <folder>   (see tools/page_shots.sh)
#include <QApplication>
#include <QImage>
#include <QPixmap>
#include <cstdio>
#include <string>
#include <vector>

#include "mainwindow/enginesetup.h"
#include "store/notebook.h"
#include "store/records.h"
#include "web/page_harness.h"

namespace korvane::test {
namespace {

void Settle(PageHarness& harness) {
    harness.BrokenImages();
    harness.Js("document.fonts.ready.then(() => 1)");
    QTest::qWait(600);
}

// Saves the view's picture; false when the engine delivered a blank frame or
// the file could not be written.
bool Grab(PageHarness& harness, const QString& file) {
    const QImage image = harness.view().grab().toImage();
    int distinct = 0;
    const QRgb first = image.isNull() ? 0 : image.pixel(0, image.height() - 1);
    for (int y = 0; y < image.height(); y += 7) {
        for (int x = 0; x < image.width(); x += 7) distinct += image.pixel(x, y) != first;
    }
    const bool saved = distinct > 100 && image.save(file);
    if (!saved) std::fprintf(stderr, "page_shots: %s was not written\n", qPrintable(file));
    return saved;
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

// Deletes the record titled `title` (UTF-8) as the page's delete does, into
// the trash.
bool Delete(RecordKind kind, const char* title) {
    std::vector<std::string> id;
    const bool found =
        ReadFirstRow("SELECT ID FROM mylist WHERE title='" + Cp(title) + "'", id, 1).Ok() &&
        !id.empty();
    if (found && DeleteRecord(kind, std::stoll(id[0])).Ok()) return true;
    std::fprintf(stderr, "page_shots: %s was not deleted\n", title);
    return false;
}

// Runs `script` in the page and waits until the page has had its `writes`-th
// list.
bool ShowList(PageHarness& harness, const char* script, int writes) {
    harness.Js(script);
    if (WaitUntil([&] { return harness.listWrites == writes; }, 5000)) return true;
    std::fprintf(stderr, "page_shots: no list after %s\n", script);
    return false;
}

bool WriteShots(const QString& folder) {
    const AppFolder app;
    if (OpenDatabase() != "1") {
        std::fprintf(stderr, "page_shots: the notebook did not open\n");
        return false;
    }
    FillNotebook();
    PageHarness harness(app);
    if (!harness.loaded()) {
        std::fprintf(stderr, "page_shots: the page did not load\n");
        return false;
    }
    bool ok = ShowList(harness, "BodyLoad()", 1);
    Settle(harness);
    ok = Grab(harness, folder + "/page-notes.png") && ok;

    ok = ShowList(harness, "document.getElementById('tabContacts').click()", 2) && ok;
    Settle(harness);
    ok = Grab(harness, folder + "/page-contacts.png") && ok;

    ok = ShowList(harness, "document.getElementById('tabNotes').click()", 3) && ok;
    harness.Js("htit()");
    Settle(harness);
    ok = Grab(harness, folder + "/page-compact.png") && ok;
    harness.Js("stit()");

    // A note deleted: the list without it and the bar that takes it back.
    ok = Delete(RecordKind::Note, "给妈妈打电话") && Delete(RecordKind::Contact, "王建国") && ok;
    ok = Delete(RecordKind::Note, "周末采购清单") && ok;
    ok = ShowList(harness, "document.getElementById('tabNotes').click()", 4) && ok;
    harness.Js("ShowUndo(0, 1)");
    Settle(harness);
    ok = Grab(harness, folder + "/undo-bar.png") && ok;

    ok = ShowList(harness, "document.getElementById('tabTrash').click()", 5) && ok;
    Settle(harness);
    ok = Grab(harness, folder + "/trash-view.png") && ok;

    // A note changed here and on a phone between two syncs: both versions
    // stay, the phone's under a title that says where it came from.
    AddNote("项目会议纪要（来自其他设备）",
            "<span class=\"TBred\">周四前</span>提交第二版设计稿。\r\n"
            "接口文档由小王负责整理，测试环境下周二开放。",
            "2026-03-13 18:07:40");
    ok = ShowList(harness, "document.getElementById('tabNotes').click()", 6) && ok;
    Settle(harness);
    return Grab(harness, folder + "/sync-conflict.png") && ok;
}

}  // namespace
}  // namespace korvane::test

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <folder>\n", argv[0]);
        return 2;
    }
    if (qgetenv("QT_QPA_PLATFORM").isEmpty()) qputenv("QT_QPA_PLATFORM", "offscreen");
    korvane::PrepareWebEngine();  // as the program starts the engine
    const QApplication app(argc, argv);
    return korvane::test::WriteShots(QString::fromLocal8Bit(argv[1])) ? 0 : 1;
}
