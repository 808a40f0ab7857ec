// The trash in the whole program, in the real web engine, driven as a user
// drives it: a delete offers its undo for a while and the undo puts the
// record back exactly; the trash's tab lists what was deleted, puts it back,
// removes it for good after asking; the search field searches the trash only
// while the trash is shown.
#include <gtest/gtest.h>

#include <QApplication>
#include <string>

#include "gui/dialog_driver.h"
#include "page_harness.h"
#include "program_harness.h"

namespace korvane {
namespace {

using test::Eventually;
using test::JsString;
using test::Rows;
using test::WhenModal;

constexpr int kStartWait = 30000;
constexpr int kWait = 10000;

class Trash : public test::ProgramTest {
  protected:
    Trash() : ProgramTest("trash 回收站") { CountStartUpsAndLists(); }
    ~Trash() override { test::CloseStrayModals(); }

    bool Start() {
        Window().show();
        return Settled(kStartWait);
    }

    // The page holds its list and waits for nothing.
    bool Settled(int timeoutMs = kWait) {
        return EventuallyEquals(QStringLiteral("window.listWrites >= 1 && !!list.parts &&"
                                               " !list.pending && find.timer === null"),
                                true, timeoutMs);
    }

    bool Click(const QString& selector) {
        return Eval(
                   "(function (e) { if (!e) return false; e.click(); return true; })"
                   "(document.querySelector(" +
                   JsString(selector) + "))")
            .toBool();
    }

    QStringList Titles() {
        return Eval(QStringLiteral(
                        "Array.from(document.querySelectorAll('#MyWinS table.round span.t'))"
                        ".map(function (e) { return e.textContent; })"))
            .toStringList();
    }

    // Waits until the list shows exactly `titles`, the page settled.
    bool Shows(const QStringList& titles) {
        const bool came = Eventually([&] { return Settled(100) && Titles() == titles; }, kWait);
        if (!came) ADD_FAILURE() << "the list shows " << Titles().join('|').toStdString();
        return came;
    }

    QString Header() { return Eval(QStringLiteral("list.parts.head.textContent")).toString(); }
    QString ActiveTab() {
        return Eval(QStringLiteral("document.querySelector('.tab.active').id")).toString();
    }
    bool UndoBarShown() {
        return Eval(QStringLiteral("getComputedStyle(document.getElementById('undoBar')).display"))
                   .toString() != QStringLiteral("none");
    }

    // Types `text` into the search field as the field's input event reports it.
    void Search(const QString& text) {
        Eval(QStringLiteral("(function (box) { box.value = %1;"
                            " box.dispatchEvent(new Event('input')); })"
                            "(document.getElementById('findBox'))")
                 .arg(JsString(text)));
    }
    bool ResultsFor(const QString& text, int kind) {
        return EventuallyEquals(QStringLiteral("find.query === %1 && list.kind === %2 &&"
                                               " !list.pending && find.timer === null")
                                    .arg(JsString(text))
                                    .arg(kind),
                                true, kWait);
    }

    // Answers the next question of the message box with `button`, keeping its text.
    void Answer(QPushButton* Tsmsf::*button, QString* question) {
        Tsmsf* box = smsf;
        WhenModal(box, [=] {
            *question = box->Memo1->toPlainText();
            (box->*button)->click();
        });
    }

    // Deletes record `id` from the notes list, answering the question with Yes.
    bool DeleteNote(const std::string& id) {
        QString question;
        Answer(&Tsmsf::BtYes, &question);
        if (!Click(DeleteIcon(id))) return false;
        return Eventually([&] { return !question.isEmpty(); }, kWait);
    }

    static QString DeleteIcon(const std::string& id) {
        return QStringLiteral("#MyWinS img[data-code=\"DeNo\"][data-id=\"%1\"]")
            .arg(QString::fromStdString(id));
    }

    // Every column of record `id` with its storage type.
    static std::string Stored(const std::string& id) {
        const auto rows = Rows(
            "SELECT quote(ID)||quote(title)||quote(content)||quote(tel)||quote(state)||"
            "quote(cre_date) FROM mylist WHERE ID=" +
            id);
        return rows.size() == 1 ? rows[0][0] : std::string();
    }

    static std::string IdOf(const std::string& title) {
        const auto rows = Rows("SELECT ID FROM mylist WHERE title='" +
                               ReplaceApostrophes(platform::ToCodePage(title)) + "'");
        return rows.size() == 1 ? rows[0][0] : std::string();
    }

    void SeedNotes() {
        test::AddNote("项目周报", "周五前提交", "2021-03-01 09:00:00");
        test::AddNote("买菜清单", "西红柿、土豆", "2020-05-01 18:30:00");
        test::AddNote("读书笔记", "第三章", "2019-01-01 08:00:00");
    }

    test::ModalWatchdog watchdog_{90};
};

const QStringList kAll = {QStringLiteral("项目周报"), QStringLiteral("买菜清单"),
                          QStringLiteral("读书笔记")};

TEST_F(Trash, UndoPutsTheRecordBackInPlaceAndTheTrashGivesItBackToo) {
    SeedNotes();
    const std::string id = IdOf("买菜清单");
    const std::string before = Stored(id);
    ASSERT_FALSE(before.empty());
    ASSERT_TRUE(Start()) << "the notes list never arrived";
    ASSERT_TRUE(Shows(kAll));
    EXPECT_FALSE(UndoBarShown());

    // The delete asks as before; then the bar offers the undo.
    ASSERT_TRUE(DeleteNote(id));
    ASSERT_TRUE(Shows({QStringLiteral("项目周报"), QStringLiteral("读书笔记")}));
    ASSERT_TRUE(Eventually([&] { return UndoBarShown(); }, kWait));
    EXPECT_EQ(Eval(QStringLiteral("document.getElementById('undoBar').textContent")).toString(),
              QStringLiteral("已删除 · 撤销"));
    EXPECT_TRUE(Stored(id).empty());

    // 撤销: back in its place with its number, bytes and date; the bar goes.
    ASSERT_TRUE(Click(QStringLiteral("#btnUndo")));
    ASSERT_TRUE(Shows(kAll));
    EXPECT_EQ(Stored(id), before);
    EXPECT_FALSE(UndoBarShown());
    EXPECT_EQ(Eval(QStringLiteral("document.querySelectorAll('#MyWinS img[data-id=\"") +
                   QString::fromStdString(id) + QStringLiteral("\"]').length"))
                  .toInt(),
              2);

    // Deleted again, the trash's tab lists it, marked as a note.
    ASSERT_TRUE(DeleteNote(id));
    ASSERT_TRUE(Shows({QStringLiteral("项目周报"), QStringLiteral("读书笔记")}));
    ASSERT_TRUE(Click(QStringLiteral("#tabTrash")));
    ASSERT_TRUE(Shows({QStringLiteral("买菜清单")}));
    EXPECT_EQ(ActiveTab(), QStringLiteral("tabTrash"));
    EXPECT_FALSE(UndoBarShown());  // the bar belongs to the list it was offered in
    EXPECT_EQ(
        Eval(QStringLiteral("list.parts.head.querySelector('input[data-empty]').value")).toString(),
        QStringLiteral("清空回收站"));
    EXPECT_TRUE(Header().contains(QStringLiteral("共1项")));
    EXPECT_EQ(Eval(QStringLiteral("document.querySelector('#MyWinS .kd').textContent")).toString(),
              QStringLiteral("记事"));
    EXPECT_EQ(Eval(QStringLiteral("document.querySelector('#MyWinS .dts').textContent")).toString(),
              QStringLiteral("2020-05-01 18:30:00"));
    EXPECT_EQ(Eval(QStringLiteral("Array.from(document.querySelectorAll('#MyWinS .tm button'))"
                                  ".map(function (b) { return b.textContent; }).join('|')"))
                  .toString(),
              QStringLiteral("恢复|彻底删除"));

    // The search field searches the trash while it is shown.
    Search(QStringLiteral("土豆"));
    ASSERT_TRUE(ResultsFor(QStringLiteral("土豆"), 4));
    EXPECT_EQ(Titles(), QStringList{QStringLiteral("买菜清单")});
    EXPECT_EQ(Header(), QStringLiteral("回收站中找到 1 项"));
    EXPECT_EQ(ActiveTab(), QStringLiteral("tabTrash"));
    EXPECT_EQ(Eval(QStringLiteral("document.querySelectorAll('#MyWinS mark.hit').length")).toInt(),
              1);

    // 恢复 from the results: the trash has nothing left, the note is back.
    ASSERT_TRUE(Click(QStringLiteral("#MyWinS button[data-trash=\"TrRe\"]")));
    ASSERT_TRUE(EventuallyEquals(QStringLiteral("!list.pending && list.parts.head.textContent"),
                                 QStringLiteral("回收站中没有找到匹配的记录"), kWait));
    EXPECT_EQ(Stored(id), before);
    Search(QString());
    ASSERT_TRUE(EventuallyEquals(QStringLiteral("!list.pending && list.kind === 3 &&"
                                                " list.parts.head.textContent"),
                                 QStringLiteral("回收站是空的"), kWait));
    ASSERT_TRUE(Click(QStringLiteral("#tabNotes")));
    ASSERT_TRUE(Shows(kAll));
    EXPECT_EQ(ActiveTab(), QStringLiteral("tabNotes"));
}

TEST_F(Trash, TheListsFinderNeverFindsTheTrash) {
    SeedNotes();
    ASSERT_TRUE(Start()) << "the notes list never arrived";
    ASSERT_TRUE(DeleteNote(IdOf("买菜清单")));
    ASSERT_TRUE(Shows({QStringLiteral("项目周报"), QStringLiteral("读书笔记")}));

    Search(QStringLiteral("土豆"));
    ASSERT_TRUE(ResultsFor(QStringLiteral("土豆"), 2));
    EXPECT_EQ(Header(), QStringLiteral("没有找到匹配的记事或联系人"));
    EXPECT_TRUE(Titles().isEmpty());
    Search(QStringLiteral("第三章"));
    ASSERT_TRUE(ResultsFor(QStringLiteral("第三章"), 2));
    EXPECT_EQ(Titles(), QStringList{QStringLiteral("读书笔记")});
    EXPECT_EQ(Eval(QStringLiteral("document.querySelectorAll('#MyWinS button[data-trash]').length"))
                  .toInt(),
              0);
}

TEST_F(Trash, RemovingForGoodAsksFirstAndAnEmptyTrashSaysSo) {
    SeedNotes();
    ASSERT_TRUE(Start()) << "the notes list never arrived";
    ASSERT_TRUE(DeleteNote(IdOf("买菜清单")));
    ASSERT_TRUE(Shows({QStringLiteral("项目周报"), QStringLiteral("读书笔记")}));
    ASSERT_TRUE(DeleteNote(IdOf("读书笔记")));
    ASSERT_TRUE(Shows({QStringLiteral("项目周报")}));
    ASSERT_TRUE(Click(QStringLiteral("#tabTrash")));
    ASSERT_TRUE(Shows({QStringLiteral("读书笔记"), QStringLiteral("买菜清单")}));

    // 彻底删除 asks; No keeps the copy.
    QString question;
    Answer(&Tsmsf::BtNo, &question);
    ASSERT_TRUE(Click(QStringLiteral("#MyWinS button[data-trash=\"TrPu\"]")));
    ASSERT_TRUE(Eventually([&] { return !question.isEmpty(); }, kWait));
    EXPECT_EQ(question, QStringLiteral("是否真的要彻底删除这条记录？彻底删除后将无法恢复。"));
    EXPECT_EQ(Rows("SELECT count(*) FROM korvane_trash")[0][0], "2");

    // Yes removes the newest deletion for good.
    question.clear();
    Answer(&Tsmsf::BtYes, &question);
    ASSERT_TRUE(Click(QStringLiteral("#MyWinS button[data-trash=\"TrPu\"]")));
    ASSERT_TRUE(Shows({QStringLiteral("买菜清单")}));
    EXPECT_EQ(Rows("SELECT count(*) FROM korvane_trash")[0][0], "1");

    // 清空回收站 asks too, then the trash says it is empty.
    question.clear();
    Answer(&Tsmsf::BtYes, &question);
    ASSERT_TRUE(Click(QStringLiteral("#MyWinS .New > input[data-empty]")));
    ASSERT_TRUE(Eventually([&] { return !question.isEmpty(); }, kWait));
    EXPECT_EQ(question,
              QStringLiteral("是否真的要清空回收站？回收站中的全部记录将被彻底删除，无法恢复。"));
    ASSERT_TRUE(Shows({}));
    EXPECT_EQ(Header(), QStringLiteral("回收站是空的"));
    EXPECT_EQ(Rows("SELECT count(*) FROM korvane_trash")[0][0], "0");
    EXPECT_EQ(ActiveTab(), QStringLiteral("tabTrash"));
}

TEST_F(Trash, WhatWasDeletedMoreThanAMonthAgoIsGoneWhenTheTrashIsShown) {
    SeedNotes();
    ASSERT_TRUE(Start()) << "the notes list never arrived";
    ASSERT_TRUE(DeleteNote(IdOf("买菜清单")));
    ASSERT_TRUE(Shows({QStringLiteral("项目周报"), QStringLiteral("读书笔记")}));
    ASSERT_TRUE(DeleteNote(IdOf("读书笔记")));
    ASSERT_TRUE(Shows({QStringLiteral("项目周报")}));
    // One copy deleted 31 days ago.
    ASSERT_EQ(ExecSql("UPDATE korvane_trash SET deleted_at=deleted_at-31*86400 WHERE title=?1",
                      {platform::ToCodePage("买菜清单")}),
              "Done");
    ASSERT_TRUE(Click(QStringLiteral("#tabTrash")));
    ASSERT_TRUE(Shows({QStringLiteral("读书笔记")}));
    EXPECT_EQ(Rows("SELECT count(*) FROM korvane_trash")[0][0], "1");
}

}  // namespace
}  // namespace korvane
