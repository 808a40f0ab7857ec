// The whole program in the real web engine, assembled as its entry assembles
// it, driven only from the outside: the page's own buttons and icons are
// clicked by script, their navigations travel through the browser host to the
// dispatcher, and the editors and the message dialog are worked like a user
// would. Each check looks at what the user would see: the list in the page,
// the window's view, the updater's command line, the settings file.
#include <gtest/gtest.h>

#include <QApplication>
#include <QInputMethodEvent>
#include <QTextCursor>
#include <QTimer>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWheelEvent>
#include <filesystem>
#include <fstream>
#include <string>

#include <csignal>
#include <iostream>

#include "base/ansitext.h"
#include "gui/dialog_driver.h"
#include "page_harness.h"
#include "program_harness.h"
#include "render/sanitize.h"
#include "support/find.h"
#include "support/hostile.h"
#include "support/seed.h"

namespace fs = std::filesystem;

namespace korvane {
namespace {

using test::Eventually;
using test::JsString;
using test::ReadFile;
using test::Rows;
using test::WhenModal;

constexpr int kStartWait = 30000;  // the first page of a run starts the engine
constexpr int kWait = 10000;

// Text arriving the way an input method delivers it, Chinese included.
void Type(QWidget* widget, const QString& text) {
    QInputMethodEvent commit;
    commit.setCommitString(text);
    QCoreApplication::sendEvent(widget, &commit);
}

class EndToEnd : public test::ProgramTest {
  protected:
    EndToEnd() : ProgramTest("e2e 端到端") { CountStartUpsAndLists(); }
    ~EndToEnd() override { test::CloseStrayModals(); }

    // Shows the window the way the program starts and waits until the page's
    // start-up has brought the notes list in.
    bool Start() {
        Window().show();
        return Eventually([&] { return ListWrites() >= 1; }, kStartWait);
    }

    // Clicks the first element matching `selector` in the page; false when
    // there is none.
    bool Click(const QString& selector) {
        return Eval(
                   "(function (e) { if (!e) return false; e.click(); return true; })"
                   "(document.querySelector(" +
                   JsString(selector) + "))")
            .toBool();
    }

    int ListWrites() { return Eval(QStringLiteral("window.listWrites")).toInt(); }

    // Waits for the next list written into the page after `writes` lists.
    bool NextListArrives(int writes) {
        return Eventually([&] { return ListWrites() > writes; }, kWait);
    }

    // The titles of the records in the list, top to bottom.
    QStringList Titles() {
        return Eval(QStringLiteral(
                        "Array.from(document.querySelectorAll('#MyWinS table.round span.t'))"
                        ".map(function (e) { return e.textContent; })"))
            .toStringList();
    }

    // The list's kind as the page shows it: the tab marked active.
    QString ActiveTab() {
        return Eval(QStringLiteral("document.querySelector('.tab.active').id")).toString();
    }

    // The edit (EdNo, EdCn) or delete (DeNo, DeCn) icon of record `id`.
    static QString Icon(const char* code, const std::string& id) {
        return QStringLiteral("#MyWinS img[data-code=\"%1\"][data-id=\"%2\"]")
            .arg(QLatin1String(code), QString::fromStdString(id));
    }

    // An expression for the record box of record `id`, found by its icon.
    static QString Box(const char* code, const std::string& id) {
        return "document.querySelector(" + JsString(Icon(code, id)) + ").closest('table.round')";
    }

    // The record number of the record titled `title` (UTF-8).
    static std::string IdOf(const std::string& title) {
        const auto rows = Rows("SELECT ID FROM mylist WHERE title='" +
                               ReplaceApostrophes(platform::ToCodePage(title)) + "'");
        return rows.size() == 1 ? rows[0][0] : std::string();
    }

    // Runs the event loop as the program's entry does until the program ends
    // itself; returns the loop's exit code, or -1 when it did not end in time.
    static int RunUntilTheProgramEnds(int timeoutMs = kWait) {
        QTimer deadline;
        deadline.setSingleShot(true);
        QObject::connect(&deadline, &QTimer::timeout, [] { QCoreApplication::exit(-1); });
        deadline.start(timeoutMs);
        return QApplication::exec();
    }

    fs::path Ini() const { return app_.path() / "sys.ini"; }

    // Answers the next message dialog with `button` and keeps its text.
    void AnswerMessage(QPushButton* Tsmsf::*button, QString* shown, QString* caption = nullptr) {
        Tsmsf* box = smsf;
        WhenModal(box, [=] {
            *shown = box->Memo1->toPlainText();
            if (caption) *caption = (box->*button)->text();
            (box->*button)->click();
        });
    }

    test::ModalWatchdog watchdog_{60};
};

TEST_F(EndToEnd, StartUpLoadsThePageAndAsksForTheNotesListOnce) {
    test::AddNote("项目周报", "周五前提交", "2021-03-01 09:00:00");
    TMyHappy& w = Window();
    ASSERT_TRUE(Start()) << "the notes list never arrived";
    EXPECT_TRUE(test::Find<QLabel>(w, "MyTop")->isHidden());
    EXPECT_EQ(test::Find<QWebEngineView>(w, "MyBody")->url(),
              QUrl::fromLocalFile(QString::fromStdString((app_.path() / "hd/main.html").string())));
    EXPECT_EQ(Titles(), QStringList{QStringLiteral("项目周报")});
    EXPECT_EQ(ActiveTab(), QStringLiteral("tabNotes"));
    // One BodyLoad(), one list, and no tick left that could ask again.
    EXPECT_FALSE(test::Find<QTimer>(w, "Timer1")->isActive());
    EXPECT_EQ(Eval(QStringLiteral("window.bodyLoads")).toInt(), 1);
    EXPECT_EQ(ListWrites(), 1);

    // A show over the page still there keeps it, brings the list up to date
    // and does not start it again.
    Eval(QStringLiteral("window.previousDocument = true"));
    w.hide();
    w.show();
    EXPECT_TRUE(EventuallyEquals(
        QStringLiteral("window.previousDocument === true && window.listWrites"), 2, kStartWait));
    EXPECT_FALSE(test::Find<QTimer>(w, "Timer1")->isActive());
    EXPECT_EQ(Eval(QStringLiteral("window.bodyLoads")).toInt(), 1);
    EXPECT_EQ(Titles(), QStringList{QStringLiteral("项目周报")});
}

TEST_F(EndToEnd, APageSlowerThanTheTimerStillGetsItsStartUpCallOnce) {
    test::AddNote("慢速机器", "列表仍然出现", "2021-03-01 09:00:00");
    TMyHappy& w = Window();
    w.show();
    // The tick comes before the page has loaded, as on a slow or busy machine.
    ASSERT_TRUE(test::Find<QTimer>(w, "Timer1")->isActive());
    w.Timer1Timer();
    EXPECT_TRUE(EventuallyEquals(QStringLiteral("window.listWrites"), 1, kStartWait));
    EXPECT_EQ(Eval(QStringLiteral("window.bodyLoads")).toInt(), 1);
    EXPECT_EQ(Titles(), QStringList{QStringLiteral("慢速机器")});
}

TEST_F(EndToEnd, ANoteWrittenInTheEditorAppearsWithItsEmoticonAndLineBreak) {
    ASSERT_TRUE(Start()) << "the notes list never arrived";
    EXPECT_TRUE(Titles().isEmpty());
    const int writes = ListWrites();

    QString savedNotice;
    bool edited = false;
    WhenModal(NE, [&] {
        Type(NE->Edit1, QStringLiteral("周会纪要"));
        QTest::keyClick(NE->Edit1, Qt::Key_Return);  // on to the body
        EXPECT_EQ(NE->focusWidget(), NE->Memo1);
        Type(NE->Memo1, QStringLiteral("下周一交方案"));
        QTest::keyClick(NE->Memo1, Qt::Key_Return);
        Type(NE->Memo1, QStringLiteral("辛苦了"));
        QTest::mouseClick(NE->Button3, Qt::LeftButton);  // the emoticon palette
        ASSERT_TRUE(NE->PL_EM->isVisible());
        PictureButton* third = nullptr;
        for (PictureButton* p : NE->Pictures) {
            if (TagOf(p) == 3) third = p;
        }
        ASSERT_NE(third, nullptr);
        QTest::mouseClick(third, Qt::LeftButton);
        AnswerMessage(&Tsmsf::BtOk, &savedNotice);
        QTest::mouseClick(NE->Button1, Qt::LeftButton);  // save: a notice, the editor stays
        QTest::mouseClick(NE->Button2, Qt::LeftButton);  // close
        edited = true;
    });
    ASSERT_TRUE(Click(QStringLiteral("#MyWinS .New input")));  // 新增记事
    ASSERT_TRUE(Eventually([&] { return edited; }, kWait));
    EXPECT_EQ(savedNotice, QStringLiteral("保存成功"));

    ASSERT_TRUE(NextListArrives(writes));
    EXPECT_EQ(Titles(), QStringList{QStringLiteral("周会纪要")});
    const std::string id = IdOf("周会纪要");
    ASSERT_FALSE(id.empty());
    const QString body = Box("EdNo", id) + ".querySelector('.round_body_contain')";
    EXPECT_EQ(Eval(body + ".innerText").toString(), QStringLiteral("下周一交方案\n辛苦了"));
    EXPECT_EQ(Eval(body + ".querySelectorAll('br').length").toInt(), 1);
    // The emoticon is a picture of the page's own, and it is there.
    const QString picture = body + ".querySelector('img[src=\"icons/3.gif\"]')";
    EXPECT_TRUE(EventuallyEquals(picture + ".complete && " + picture + ".naturalWidth > 0", true));
    EXPECT_EQ(Rows("SELECT content FROM mylist WHERE ID=" + id)[0][0],
              platform::ToCodePage("下周一交方案\r\n辛苦了{EM3EM}"));
}

TEST_F(EndToEnd, EditingANoteMovesItToTheTopAndClosingUnsavedChangesNothing) {
    test::AddNote("项目周报", "周五前提交", "2021-03-01 09:00:00");
    test::AddNote("买菜清单", "西红柿、土豆", "2020-05-01 18:30:00");
    const std::string id = IdOf("买菜清单");
    ASSERT_TRUE(Start()) << "the notes list never arrived";
    ASSERT_EQ(Titles(), (QStringList{QStringLiteral("项目周报"), QStringLiteral("买菜清单")}));

    // Opened and closed without saving: the list is not written again.
    int writes = ListWrites();
    bool closed = false;
    WhenModal(NE, [&] {
        EXPECT_EQ(NE->Edit1->text(), QStringLiteral("买菜清单"));
        NE->Button2->click();
        closed = true;
    });
    ASSERT_TRUE(Click(Icon("EdNo", id)));
    ASSERT_TRUE(Eventually([&] { return closed; }, kWait));
    EXPECT_EQ(ListWrites(), writes);

    bool edited = false;
    WhenModal(NE, [&] {
        EXPECT_EQ(NE->Memo1->toPlainText(), QStringLiteral("西红柿、土豆"));
        NE->Memo1->moveCursor(QTextCursor::End);
        Type(NE->Memo1, QStringLiteral("、鸡蛋"));
        QTest::mouseClick(NE->Button1, Qt::LeftButton);  // an edit saves and closes
        edited = true;
    });
    ASSERT_TRUE(Click(Icon("EdNo", id)));
    ASSERT_TRUE(Eventually([&] { return edited; }, kWait));
    ASSERT_TRUE(NextListArrives(writes));
    EXPECT_EQ(Titles(), (QStringList{QStringLiteral("买菜清单"), QStringLiteral("项目周报")}));
    EXPECT_EQ(
        Eval(Box("EdNo", id) + ".querySelector('.round_body_contain').textContent").toString(),
        QStringLiteral("西红柿、土豆、鸡蛋"));
    EXPECT_NE(Eval(Box("EdNo", id) + ".querySelector('.dts').textContent").toString(),
              QStringLiteral("2020-05-01 18:30:00"));
    EXPECT_EQ(ActiveTab(), QStringLiteral("tabNotes"));
}

TEST_F(EndToEnd, DeletingANoteAsksAndOnlyYesRemovesIt) {
    test::AddNote("项目周报", "周五前提交", "2021-03-01 09:00:00");
    test::AddNote("买菜清单", "西红柿、土豆", "2020-05-01 18:30:00");
    const std::string id = IdOf("项目周报");
    ASSERT_TRUE(Start()) << "the notes list never arrived";
    const int writes = ListWrites();

    QString question;
    QString answer;
    AnswerMessage(&Tsmsf::BtNo, &question, &answer);
    ASSERT_TRUE(Click(Icon("DeNo", id)));
    ASSERT_TRUE(Eventually([&] { return !answer.isEmpty(); }, kWait));
    EXPECT_EQ(question, QStringLiteral("是否真的要删除您所选择的记录？"));
    EXPECT_EQ(answer, QStringLiteral("否"));
    EXPECT_EQ(Rows("SELECT title FROM mylist WHERE ID=" + id).size(), 1u);
    EXPECT_EQ(ListWrites(), writes);
    EXPECT_EQ(Titles(), (QStringList{QStringLiteral("项目周报"), QStringLiteral("买菜清单")}));

    answer.clear();
    AnswerMessage(&Tsmsf::BtYes, &question, &answer);
    ASSERT_TRUE(Click(Icon("DeNo", id)));
    ASSERT_TRUE(Eventually([&] { return !answer.isEmpty(); }, kWait));
    EXPECT_EQ(answer, QStringLiteral("是"));
    ASSERT_TRUE(NextListArrives(writes));
    EXPECT_EQ(Titles(), QStringList{QStringLiteral("买菜清单")});
    EXPECT_TRUE(Rows("SELECT title FROM mylist WHERE ID=" + id).empty());
}

TEST_F(EndToEnd, AContactWithAQqTagFromTheTagPanelBecomesAChatLink) {
    test::AddNote("项目周报", "周五前提交", "2021-03-01 09:00:00");
    ASSERT_TRUE(Start()) << "the notes list never arrived";
    int writes = ListWrites();
    ASSERT_TRUE(Click(QStringLiteral("#tabContacts")));
    ASSERT_TRUE(NextListArrives(writes));
    EXPECT_EQ(ActiveTab(), QStringLiteral("tabContacts"));
    EXPECT_TRUE(Titles().isEmpty());
    writes = ListWrites();

    QString savedNotice;
    bool edited = false;
    WhenModal(fcon, [&] {
        Type(fcon->Edit1, QStringLiteral("李明"));
        QTest::keyClick(fcon->Edit1, Qt::Key_Return);
        QTest::keyClicks(fcon->Edit2, QStringLiteral("138-0013-8000"));
        QTest::keyClick(fcon->Edit2, Qt::Key_Return);
        Type(fcon->Memo1, QStringLiteral("大学同学 "));
        QTest::mouseClick(fcon->Button3, Qt::LeftButton);  // the tag panel
        ASSERT_TRUE(fcon->PL_TXT->isVisible());
        fcon->CB1->setCurrentIndex(fcon->CB1->findText(QStringLiteral("QQ")));
        QTest::keyClicks(fcon->EDB, QStringLiteral("10086123"));
        QTest::mouseClick(fcon->Button5, Qt::LeftButton);  // insert
        EXPECT_FALSE(fcon->PL_TXT->isVisible());
        AnswerMessage(&Tsmsf::BtOk, &savedNotice);
        QTest::mouseClick(fcon->Button1, Qt::LeftButton);
        QTest::mouseClick(fcon->Button2, Qt::LeftButton);
        edited = true;
    });
    ASSERT_TRUE(Click(QStringLiteral("#MyWinS .New input")));  // 新增联系人
    ASSERT_TRUE(Eventually([&] { return edited; }, kWait));
    EXPECT_EQ(savedNotice, QStringLiteral("保存成功"));

    ASSERT_TRUE(NextListArrives(writes));
    EXPECT_EQ(ActiveTab(), QStringLiteral("tabContacts"));
    EXPECT_EQ(Titles(), QStringList{QStringLiteral("李明")});
    const std::string id = IdOf("李明");
    ASSERT_FALSE(id.empty());
    EXPECT_EQ(Eval(Box("EdCn", id) + ".querySelector('.dts').textContent").toString(),
              QStringLiteral("138-0013-8000"));
    const QString link = Box("EdCn", id) + ".querySelector('a[href*=\"wpa.qq.com\"]')";
    EXPECT_EQ(Eval(link + ".textContent").toString(), QStringLiteral("10086123"));
    EXPECT_TRUE(Eval(link + ".href").toString().contains(QStringLiteral("uin=10086123")));
    EXPECT_EQ(Rows("SELECT content FROM mylist WHERE ID=" + id)[0][0],
              platform::ToCodePage("大学同学 {QQ10086123QQ}"));
}

TEST_F(EndToEnd, EditingAndDeletingContactsKeepsTheContactsList) {
    test::AddContact("王老师", "010-6275-1234", "{QQ5551234QQ}", "2019-09-10 08:00:00");
    test::AddContact("张阿姨", "139-1111-2222", "楼下邻居", "2018-02-14 12:00:00");
    const std::string oldest = IdOf("张阿姨");
    const std::string other = IdOf("王老师");
    ASSERT_TRUE(Start()) << "the notes list never arrived";
    int writes = ListWrites();
    ASSERT_TRUE(Click(QStringLiteral("#tabContacts")));
    ASSERT_TRUE(NextListArrives(writes));
    ASSERT_EQ(Titles(), (QStringList{QStringLiteral("王老师"), QStringLiteral("张阿姨")}));

    writes = ListWrites();
    bool edited = false;
    WhenModal(fcon, [&] {
        EXPECT_EQ(fcon->Edit2->text(), QStringLiteral("139-1111-2222"));
        fcon->Edit2->selectAll();
        QTest::keyClicks(fcon->Edit2, QStringLiteral("139-3333-4444"));
        QTest::mouseClick(fcon->Button1, Qt::LeftButton);  // an edit saves and closes
        edited = true;
    });
    ASSERT_TRUE(Click(Icon("EdCn", oldest)));
    ASSERT_TRUE(Eventually([&] { return edited; }, kWait));
    ASSERT_TRUE(NextListArrives(writes));
    EXPECT_EQ(Titles(), (QStringList{QStringLiteral("张阿姨"), QStringLiteral("王老师")}));
    EXPECT_EQ(Eval(Box("EdCn", oldest) + ".querySelector('.dts').textContent").toString(),
              QStringLiteral("139-3333-4444"));

    writes = ListWrites();
    QString question;
    QString answer;
    AnswerMessage(&Tsmsf::BtNo, &question, &answer);
    ASSERT_TRUE(Click(Icon("DeCn", other)));
    ASSERT_TRUE(Eventually([&] { return !answer.isEmpty(); }, kWait));
    EXPECT_EQ(answer, QStringLiteral("否"));
    EXPECT_EQ(ListWrites(), writes);
    EXPECT_EQ(Rows("SELECT title FROM mylist WHERE ID=" + other).size(), 1u);

    answer.clear();
    AnswerMessage(&Tsmsf::BtYes, &question, &answer);
    ASSERT_TRUE(Click(Icon("DeCn", other)));
    ASSERT_TRUE(Eventually([&] { return !answer.isEmpty(); }, kWait));
    EXPECT_EQ(question, QStringLiteral("是否真的要删除您所选择的记录？"));
    ASSERT_TRUE(NextListArrives(writes));
    EXPECT_EQ(ActiveTab(), QStringLiteral("tabContacts"));
    EXPECT_EQ(Titles(), QStringList{QStringLiteral("张阿姨")});
    EXPECT_TRUE(Rows("SELECT title FROM mylist WHERE ID=" + other).empty());
}

TEST_F(EndToEnd, ThePageRestoresTheStandardViewFromTheCompactOne) {
    TMyHappy& w = Window();
    ASSERT_TRUE(Start()) << "the notes list never arrived";
    test::Find<QCheckBox>(w, "CBN")->setChecked(true);
    const auto compact = [&] {
        test::Find<QAction>(w, "N3")->trigger();
        ASSERT_TRUE(w.IsCompact());
        ASSERT_TRUE(EventuallyEquals(QStringLiteral("document.documentElement.className"),
                                     QStringLiteral("compact")));
    };
    const auto standardAgain = [&] {
        return Eventually([&] { return !w.IsCompact(); }, kWait) &&
               EventuallyEquals(QStringLiteral("document.documentElement.className"), QString());
    };

    compact();
    EXPECT_EQ(Eval(QStringLiteral("window.external.MyDoEx(0, 0, 0, 0, 0, 'SHOW', '', '', '', '')")),
              QVariant(QString()));
    EXPECT_TRUE(standardAgain());

    compact();  // the page's own control in its compact bar
    ASSERT_TRUE(Click(QStringLiteral("#btnStandard")));
    EXPECT_TRUE(standardAgain());

    compact();  // the restore address reaches the dispatcher
    Eval(QStringLiteral("location.href = ") + JsString(QString::fromLatin1(test::kRestoreUrl)));
    EXPECT_TRUE(standardAgain());
}

TEST_F(EndToEnd, TheUpdateButtonStartsTheUpdaterAndEndsTheProgramWithoutSaving) {
    const fs::path updater = app_.path() / "update.exe";
    std::ofstream(updater) << "#!/bin/sh\necho \"$*\" > updater-args.txt\n";
    fs::permissions(updater, fs::perms::owner_all);
    TMyHappy& w = Window();
    ASSERT_TRUE(Start()) << "the notes list never arrived";

    // The first click only arms the button; the second hands over, from
    // within the program's event loop as a user's click would.
    ASSERT_TRUE(Click(QStringLiteral("#btnUpdate")));
    QTimer::singleShot(0, Page(), [this] {
        Page()->runJavaScript(QStringLiteral("document.getElementById('btnUpdate').click()"));
    });
    EXPECT_EQ(RunUntilTheProgramEnds(), 0);
    EXPECT_TRUE(w.TerminationRequested());
    const fs::path args = app_.path() / "updater-args.txt";
    ASSERT_TRUE(Eventually([&] { return !ReadFile(args).empty(); }, kWait));
    // The running executable here is the test program.
    EXPECT_EQ(ReadFile(args), "Quorvex 20110913 web_tests\n");
    EXPECT_FALSE(fs::exists(Ini()));
}

TEST_F(EndToEnd, AMissingPageIsReportedAndEndsTheProgramWithoutSaving) {
    fs::remove(app_.path() / "hd" / "main.html");
    TMyHappy& w = Window();
    QString notice;
    WhenModal(smsf, [&] {
        notice = smsf->Memo1->toPlainText();
        smsf->BtOk->click();
    });
    w.show();
    EXPECT_EQ(RunUntilTheProgramEnds(), 0);
    EXPECT_EQ(notice, QStringLiteral("安装不完整，请重新下载安装"));
    EXPECT_TRUE(w.TerminationRequested());
    EXPECT_FALSE(fs::exists(Ini()));
}

// ---------------------------------------------------------------------------
// A notebook of realistic size: the page holds a window of it, never all.

constexpr int kBigNotebook = 20000;

// Walks the list down from where it is, window by window as fast as they
// arrive, and records which record each list position showed. A
// position that showed two different records is an error.
constexpr char kWalker[] = R"(
(function () {
    window.walk = { seen: [], done: false, error: "", most: 0 };
    function step() {
        var port = list.parts.port;
        walk.most = Math.max(walk.most, list.parts.body.children.length);
        for (var k = 0; k < list.boxes.length; ++k) {
            var box = list.boxes[k];
            var at = Number(box.getAttribute("data-i"));
            var icon = box.querySelector(".tm img[data-code='EdNo']");
            var id = icon ? Number(icon.getAttribute("data-id")) : -1;
            if (walk.seen[at] === undefined) walk.seen[at] = id;
            else if (walk.seen[at] !== id) walk.error += "position " + at + " showed " + walk.seen[at] + " and " + id + "; ";
        }
        var end = list.first + list.boxes.length;
        if (end >= list.total && ViewTop() >= ContentHeight() - port.clientHeight - 1) {
            walk.done = true;
            return;
        }
        ScrollBy(1e7);  /* to the end of the boxes held, which asks for the next window */
        wait();
    }
    function wait() {
        if (list.pending) setTimeout(wait, 2);
        else step();
    }
    step();
})();
)";

class BigList : public EndToEnd {
  protected:
    BigList() {
        EXPECT_EQ(OpenDatabase(), "1");
        EXPECT_EQ(test::SeedNotes(kBigNotebook), "Done");
    }

    // Starts the program and waits for the head of the list.
    bool StartBig() {
        Window().show();
        return EventuallyEquals(QStringLiteral("typeof list === 'object' && list.total"),
                                kBigNotebook, kStartWait);
    }

    // The record numbers in list order, as the database has them.
    static QVariantList NotesInOrder() {
        QVariantList ids;
        for (const auto& row : Rows("SELECT ID FROM mylist WHERE state=0 "
                                    "ORDER BY cre_date DESC, ID DESC"))
            ids.append(std::stoi(row[0]));
        return ids;
    }

    // The record number of the record at the top of the view.
    int TopRecord() {
        return Eval(
                   QStringLiteral("(function () { var b = list.boxes[list.place - list.first];"
                                  " var icon = b.querySelector('.tm img[data-code=\"EdNo\"]');"
                                  " return icon ? Number(icon.getAttribute('data-id')) : -1; })()"))
            .toInt();
    }

    QString Count() {
        return Eval(QStringLiteral("document.querySelector('#MyWinS .TlNo').textContent"))
            .toString();
    }

    // Goes to a list position the way a dragged thumb does, and waits for it.
    bool GoTo(int position) {
        Eval(QStringLiteral("JumpTo(%1, false)").arg(position));
        return EventuallyEquals(QStringLiteral("!list.pending && list.place === %1").arg(position),
                                true, kWait);
    }
};

TEST_F(BigList, WalkingTheWholeListShowsEveryRecordOnceInOrder) {
    ASSERT_TRUE(StartBig()) << "the head of the list never arrived";
    EXPECT_EQ(Count(), QStringLiteral("共20000项"));
    EXPECT_LE(Eval(QStringLiteral("list.boxes.length")).toInt(), 100);

    Eval(QString::fromLatin1(kWalker));
    Eval(QStringLiteral(
        "window.t0 = performance.now(); window.reqs = 0; window.rt = 0; var oldReq = Request; "
        "Request = function(a,b,c){ window.reqs++; window.rs = performance.now(); return "
        "oldReq(a,b,c); }; var oldKv = KvList; KvList = function(a){ if (a.mode==='window') "
        "window.rt += performance.now() - window.rs; var t = performance.now(); oldKv(a); "
        "window.kv = (window.kv||0) + performance.now() - t; }"));
    ASSERT_TRUE(EventuallyEquals(QStringLiteral("walk.done"), true, 240000));
    EXPECT_EQ(Eval(QStringLiteral("walk.error")).toString(), QString());
    std::cerr << "walk ms " << Eval(QStringLiteral("performance.now() - t0")).toDouble() << " reqs "
              << Eval(QStringLiteral("reqs")).toInt() << " roundtrip "
              << Eval(QStringLiteral("rt")).toDouble() << " kv "
              << Eval(QStringLiteral("kv")).toDouble() << "\n";
    EXPECT_EQ(Eval(QStringLiteral("walk.seen"), 30000).toList(), NotesInOrder());
    // Records far from the view left the page on the way down.
    EXPECT_LE(Eval(QStringLiteral("walk.most")).toInt(), 300);
}

TEST_F(BigList, EndShowsTheOldestNoteAndHomeTheNewest) {
    ASSERT_TRUE(StartBig()) << "the head of the list never arrived";
    QWidget* input = test::Find<QWebEngineView>(Window(), "MyBody")->focusProxy();
    ASSERT_NE(input, nullptr);
    input->setFocus();
    QTest::keyClick(input, Qt::Key_End);
    ASSERT_TRUE(EventuallyEquals(
        QStringLiteral("!list.pending && list.first + list.boxes.length === list.total && "
                       "ViewTop() >= ContentHeight() - list.parts.port.clientHeight - 1"),
        true, kWait));
    const QVariantList order = NotesInOrder();
    EXPECT_EQ(Eval(QStringLiteral("list.boxes[list.boxes.length - 1].querySelector('.tm img')"
                                  ".getAttribute('data-id')"))
                  .toString(),
              QString::number(order.back().toInt()));
    // The scroll bar stands at its end.
    EXPECT_TRUE(EventuallyEquals(
        QStringLiteral("Math.round(list.parts.thumb.getBoundingClientRect().bottom) >= "
                       "Math.round(list.parts.bar.getBoundingClientRect().bottom) - 1"),
        true));

    QTest::keyClick(input, Qt::Key_Home);
    ASSERT_TRUE(EventuallyEquals(
        QStringLiteral("!list.pending && list.place === 0 && list.offset === 0"), true, kWait));
    EXPECT_EQ(TopRecord(), order.front().toInt());
}

TEST_F(BigList, ChangesUpdateWhatIsOnScreenSavesShowTheTopADeleteKeepsThePlace) {
    ASSERT_TRUE(StartBig()) << "the head of the list never arrived";
    ASSERT_TRUE(GoTo(10000));
    const QVariantList order = NotesInOrder();
    ASSERT_EQ(TopRecord(), order[10000].toInt());

    // Add: the count follows, and the list shows its top, where the new note is.
    bool added = false;
    WhenModal(NE, [&] {
        Type(NE->Edit1, QStringLiteral("新的一条"));
        QString notice;
        AnswerMessage(&Tsmsf::BtOk, &notice);
        QTest::mouseClick(NE->Button1, Qt::LeftButton);
        QTest::mouseClick(NE->Button2, Qt::LeftButton);
        added = true;
    });
    ASSERT_TRUE(Click(QStringLiteral("#MyWinS .New input")));
    ASSERT_TRUE(Eventually([&] { return added; }, kWait));
    ASSERT_TRUE(
        EventuallyEquals(QStringLiteral("document.querySelector('#MyWinS .TlNo').textContent"),
                         QStringLiteral("共20001项"), kWait));
    ASSERT_TRUE(EventuallyEquals(QStringLiteral("!list.pending && list.place"), 0, kWait));
    EXPECT_EQ(Eval(QStringLiteral("document.getElementById('t1').textContent")).toString(),
              QStringLiteral("新的一条"));
    // Everything moved down by one: position 10000 now holds what 9999 held.
    ASSERT_TRUE(GoTo(10000));
    EXPECT_TRUE(Eventually([&] { return TopRecord() == order[9999].toInt(); }, kWait));

    // Edit a record on screen: it leaves this place for the top of the list,
    // which the list then shows.
    const int edited = TopRecord();
    bool saved = false;
    WhenModal(NE, [&] {
        NE->Edit1->clear();
        Type(NE->Edit1, QStringLiteral("改过的标题"));
        QTest::mouseClick(NE->Button1, Qt::LeftButton);
        saved = true;
    });
    ASSERT_TRUE(Click(Icon("EdNo", std::to_string(edited))));
    ASSERT_TRUE(Eventually([&] { return saved; }, kWait));
    // At the top: the edited note, or the added one above it when both were
    // saved in the same second (the newer record number goes first).
    const QString topTwo = QStringLiteral(
        "!list.pending && list.place === 0 && [1, 2].some(n => document.getElementById('t' + n)"
        ".textContent === '改过的标题')");
    EXPECT_TRUE(EventuallyEquals(topTwo, true, kWait));
    EXPECT_EQ(Count(), QStringLiteral("共20001项"));

    // Delete a record on screen: it is gone from the page, the count drops
    // and the place stays.
    ASSERT_TRUE(GoTo(10000));
    const int doomed = TopRecord();
    QString question;
    QString answer;
    AnswerMessage(&Tsmsf::BtYes, &question, &answer);
    ASSERT_TRUE(Click(Icon("DeNo", std::to_string(doomed))));
    ASSERT_TRUE(Eventually([&] { return !answer.isEmpty(); }, kWait));
    ASSERT_TRUE(
        EventuallyEquals(QStringLiteral("document.querySelector('#MyWinS .TlNo').textContent"),
                         QStringLiteral("共20000项"), kWait));
    EXPECT_TRUE(Eventually([&] { return TopRecord() != doomed; }, kWait));
    EXPECT_FALSE(
        Eval("!!document.querySelector(" + JsString(Icon("DeNo", std::to_string(doomed))) + ")")
            .toBool());
    EXPECT_EQ(Eval(QStringLiteral("list.place")).toInt(), 10000);

    // At the top: the edited and the added note, saved within moments of each
    // other (in the same second the newer record number goes first).
    ASSERT_TRUE(GoTo(0));
    const QStringList top{
        Eval(QStringLiteral("document.getElementById('t1').textContent")).toString(),
        Eval(QStringLiteral("document.getElementById('t2').textContent")).toString()};
    EXPECT_TRUE(top.contains(QStringLiteral("改过的标题"))) << top.join(',').toStdString();
    EXPECT_TRUE(top.contains(QStringLiteral("新的一条"))) << top.join(',').toStdString();
}

TEST_F(BigList, AKilledPageProcessComesBackWithTheList) {
    ASSERT_TRUE(StartBig()) << "the head of the list never arrived";
    const qint64 pid = Page()->renderProcessPid();
    ASSERT_GT(pid, 0);
    Eval(QStringLiteral("window.beforeTheCrash = true"));
    ASSERT_EQ(::kill(static_cast<pid_t>(pid), SIGKILL), 0);
    ASSERT_TRUE(Eventually([&] { return Page()->renderProcessPid() != pid; }, kStartWait));
    EXPECT_TRUE(EventuallyEquals(QStringLiteral("typeof list === 'object' && list.total"),
                                 kBigNotebook, kStartWait));
    EXPECT_EQ(Eval(QStringLiteral("window.beforeTheCrash === undefined")).toBool(), true);
    EXPECT_EQ(Count(), QStringLiteral("共20000项"));
    EXPECT_TRUE(test::Find<QLabel>(Window(), "MyTop")->isHidden());
}

// ---------------------------------------------------------------------------
// Stored text is shown, never run

TEST_F(EndToEnd, AHostileNotebookShowsEveryNoteAsTextAndRunsNothing) {
    const std::vector<std::string> texts = test::HostileTexts("hostile_notes.txt");
    ASSERT_GT(texts.size(), 30u);
    ASSERT_LT(texts.size(), static_cast<size_t>(kHeadWindow));
    for (size_t i = 0; i < texts.size(); ++i) {
        // Newest first in the list: the first text gets the latest time.
        char date[32];
        std::snprintf(date, sizeof date, "2026-01-01 00:%02zu:00", 59 - i);
        ASSERT_EQ(test::AddNote(texts[i], texts[i], date), "Done") << texts[i];
    }
    const std::string seeded = test::ReadFile(app_.Database());
    ASSERT_TRUE(Start()) << "the notes list never arrived";

    // Ten seconds of the program showing the list: nothing asks anything,
    // nothing ends the program, nothing is written.
    bool dialog = false;
    Eventually(
        [&] {
            dialog = dialog || QApplication::activeModalWidget() != nullptr;
            return false;
        },
        10000);
    EXPECT_FALSE(dialog);
    EXPECT_FALSE(Window().TerminationRequested());
    EXPECT_EQ(test::ReadFile(app_.Database()), seeded);
    EXPECT_EQ(Eval(QStringLiteral("String(window.kvPwned)")).toString(),
              QStringLiteral("undefined"));
    EXPECT_EQ(Eval(QStringLiteral("document.title")).toString(), QStringLiteral("Korvane"));
    EXPECT_EQ(test::Find<QWebEngineView>(Window(), "MyBody")->url().fileName(),
              QStringLiteral("main.html"));
    EXPECT_EQ(Eval(QStringLiteral("getComputedStyle(document.body).display")).toString(),
              QStringLiteral("flex"));

    // Every note has its box, showing its text as typed.
    EXPECT_EQ(Eval(QStringLiteral("list.total")).toInt(), static_cast<int>(texts.size()));
    const QStringList titles = Titles();
    ASSERT_EQ(titles.size(), static_cast<int>(texts.size()));
    for (size_t i = 0; i < texts.size(); ++i) {
        // A text holding an editor's own tag shows it formatted, its other
        // attributes dropped; every other text shows exactly as typed.
        if (SanitizeMarkup(texts[i]).find('<') != std::string::npos) continue;
        const QString text = QString::fromStdString(ReplaceAll(texts[i], "'", "＇"));
        EXPECT_EQ(titles[static_cast<int>(i)], text);
        EXPECT_EQ(Eval(QStringLiteral("document.getElementById('mm%1').parentNode"
                                      ".querySelector('.round_body_contain').textContent")
                           .arg(i + 1))
                      .toString(),
                  text);
    }
    // No note brought an element, a style or a handler of its own.
    EXPECT_EQ(Eval(QStringLiteral(
                       "document.querySelectorAll('.vbody :is(script, style, iframe, svg, form, "
                       "meta, base, object, embed, img:not([src$=\".gif\"]):not([src$=\".jpg\"])), "
                       ".round_body_contain [style], .round_body_contain [onclick], "
                       ".t [style], .t *:not(span):not(a)').length"))
                  .toInt(),
              0);
    // Nothing in a note covers the page: the top of the window is the tab bar.
    EXPECT_EQ(Eval(QStringLiteral("document.elementFromPoint(20, 10).closest('#chrome') !== null"))
                  .toBool(),
              true);
}

// The page's commands are matched on what the page asked for, whatever the
// engine made of the address on its way.
TEST_F(EndToEnd, CommandsAreReadAsThePageWroteThem) {
    test::AddNote("要改的记事", "正文", "2021-03-01 09:00:00");
    const std::string id = IdOf("要改的记事");
    ASSERT_TRUE(Start()) << "the notes list never arrived";
    const auto go = [&](const QString& url) {
        Page()->runJavaScript(QStringLiteral("location.href = ") + JsString(url));
    };

    // Blanks around the number arrive percent-encoded.
    QString title;
    WhenModal(NE, [&] {
        title = NE->Edit1->text();
        NE->Button2->click();
    });
    go(QStringLiteral("http://command.korvane.invalid/EdNo/ %1 /").arg(QString::fromStdString(id)));
    ASSERT_TRUE(Eventually([&] { return !title.isEmpty(); }, kWait));
    EXPECT_EQ(title, QStringLiteral("要改的记事"));

    QString question;
    QString answer;
    AnswerMessage(&Tsmsf::BtNo, &question, &answer);
    go(QStringLiteral("http://command.korvane.invalid/DeNo/%20%1%20/")
           .arg(QString::fromStdString(id)));
    ASSERT_TRUE(Eventually([&] { return !answer.isEmpty(); }, kWait));
    EXPECT_EQ(question, QStringLiteral("是否真的要删除您所选择的记录？"));

    // The engine writes the host in small letters; the list still comes.
    const int writes = ListWrites();
    go(QStringLiteral("HTTP://COMMAND.KORVANE.INVALID/reCont/"));
    ASSERT_TRUE(NextListArrives(writes));
    EXPECT_EQ(ActiveTab(), QStringLiteral("tabContacts"));

    // A mistyped command leaves the page where it is.
    go(QStringLiteral("http://command.korvane.invalid/edno/1/"));
    QTest::qWait(500);
    EXPECT_EQ(test::Find<QWebEngineView>(Window(), "MyBody")->url().fileName(),
              QStringLiteral("main.html"));
    EXPECT_EQ(Eval(QStringLiteral("list.total")).toInt(), 0);
}

TEST_F(EndToEnd, ACommandWhileTheEditorIsOpenCannotRetargetIt) {
    test::AddNote("原有的记事", "不能被改写", "2021-03-01 09:00:00");
    ASSERT_TRUE(Start()) << "the notes list never arrived";
    const auto before = Rows("SELECT ID,title,content,cre_date FROM mylist ORDER BY ID");

    bool saved = false;
    QString notice;
    WhenModal(NE, [&] {
        // While the new note is being written, the page asks to edit and to
        // delete record 1 (as a note's own timer could).
        for (const char* command : {"EdNo/1/", "DeNo/1/", "New1/"}) {
            Page()->runJavaScript(
                QStringLiteral("location.href = 'http://command.korvane.invalid/") +
                QLatin1String(command) + QStringLiteral("'"));
            QTest::qWait(300);
        }
        EXPECT_EQ(QApplication::activeModalWidget(), NE);
        EXPECT_EQ(NE->RecordId, 0);
        Type(NE->Edit1, QStringLiteral("新写的记事"));
        AnswerMessage(&Tsmsf::BtOk, &notice);
        QTest::mouseClick(NE->Button1, Qt::LeftButton);
        QTest::mouseClick(NE->Button2, Qt::LeftButton);
        saved = true;
    });
    ASSERT_TRUE(Click(QStringLiteral("#MyWinS .New input")));
    ASSERT_TRUE(Eventually([&] { return saved; }, kWait));
    QTest::qWait(500);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_EQ(Rows("SELECT ID,title,content,cre_date FROM mylist WHERE ID=1"), before);
    const auto added = Rows("SELECT title FROM mylist WHERE ID<>1");
    ASSERT_EQ(added.size(), 1u);
    EXPECT_EQ(test::Utf8(added[0][0]), "新写的记事");
}

}  // namespace
}  // namespace korvane
