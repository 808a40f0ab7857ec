// The finder in the whole program, in the real web engine, driven as a user
// drives it: Ctrl+F and Ctrl+Q give the search field the keys, Chinese
// arrives through the input method's commit path, matches are marked in the
// results, Esc goes back to the place left in the list, and records edited
// or deleted from the results leave them at once.
#include <gtest/gtest.h>

#include <QApplication>
#include <QInputMethodEvent>
#include <QTest>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <string>

#include "gui/dialog_driver.h"
#include "page_harness.h"
#include "program_harness.h"
#include "support/hostile.h"
#include "support/seed.h"

namespace korvane {
namespace {

using test::Eventually;
using test::JsString;
using test::Rows;
using test::WhenModal;

constexpr int kStartWait = 30000;
constexpr int kWait = 10000;

// Counts the lists the program hands the page.
constexpr char kCounter[] = R"(
(function () {
    window.listWrites = 0;
    if (typeof KvList === 'function') {
        var take = KvList;
        KvList = function () { window.listWrites += 1; return take.apply(this, arguments); };
    }
})();
)";

class Finding : public test::ProgramTest {
  protected:
    Finding() : ProgramTest("find 查找") {
        QWebEngineScript counter;
        counter.setName(QStringLiteral("find counter"));
        counter.setInjectionPoint(QWebEngineScript::DocumentReady);
        counter.setWorldId(QWebEngineScript::MainWorld);
        counter.setRunsOnSubFrames(false);
        counter.setSourceCode(QString::fromLatin1(kCounter));
        Page()->scripts().insert(counter);
        EXPECT_EQ(OpenDatabase(), "1");
    }
    ~Finding() override { test::CloseStrayModals(); }

    bool Start() {
        Window().show();
        return EventuallyEquals(QStringLiteral("window.listWrites >= 1 && !list.pending"), true,
                                kStartWait) &&
               FocusPage();
    }

    // The view's input widget.
    QWidget* Input() {
        QWidget* input = Window().MyBody->focusProxy();
        EXPECT_NE(input, nullptr);
        return input;
    }

    // The window active and the page holding the keys, as after a click into
    // the view: only a focused page takes what an input method commits.
    bool FocusPage() {
        Window().activateWindow();
        if (!Eventually([&] { return QApplication::activeWindow() == &Window(); })) return false;
        Input()->clearFocus();
        Input()->setFocus();
        return EventuallyEquals(QStringLiteral("document.hasFocus()"), true);
    }

    // Text committed by the input method, as a Chinese input method sends it.
    void Commit(const QString& text) {
        // Offscreen, the page loses its focus whenever a command navigation is
        // cancelled; under a window system it keeps it. It is given back first.
        if (!Eval(QStringLiteral("document.hasFocus()")).toBool()) {
            EXPECT_TRUE(FocusPage());
        }
        QInputMethodEvent commit;
        commit.setCommitString(text);
        QCoreApplication::sendEvent(Input(), &commit);
    }

    QString ActiveId() { return Eval(QStringLiteral("document.activeElement.id")).toString(); }

    QString Header() { return Eval(QStringLiteral("list.parts.head.textContent")).toString(); }

    // Waits until the field holds `typed` and its results are in the page.
    bool ResultsFor(const QString& typed) { return ResultsForScript(JsString(typed)); }
    bool ResultsForScript(const QString& typed) {
        const bool came = EventuallyEquals(
            QStringLiteral("(function (box) { return box.value === %1 && list.kind === FOUND &&"
                           " !list.pending && find.timer === null && find.query === box.value;"
                           " })(document.getElementById('findBox'))")
                .arg(typed),
            true, kWait);
        if (!came)
            ADD_FAILURE() << "the field holds \""
                          << Eval(QStringLiteral("document.getElementById('findBox').value + "
                                                 "'\" kind ' + list.kind + ' query ' + find.query "
                                                 "+ ' pending ' + !!list.pending"))
                                 .toString()
                                 .toStdString();
        return came;
    }

    bool CtrlF() {
        QTest::keyClick(Input(), Qt::Key_F, Qt::ControlModifier);
        return EventuallyEquals(QStringLiteral("document.activeElement.id"),
                                QStringLiteral("findBox"));
    }

    QStringList Titles() {
        return Eval(QStringLiteral(
                        "Array.from(document.querySelectorAll('#MyWinS table.round span.t'))"
                        ".map(function (e) { return e.textContent; })"))
            .toStringList();
    }

    static QString Icon(const char* code, const std::string& id) {
        return QStringLiteral("#MyWinS img[data-code=\"%1\"][data-id=\"%2\"]")
            .arg(QLatin1String(code), QString::fromStdString(id));
    }

    bool Click(const QString& selector) {
        return Eval(
                   "(function (e) { if (!e) return false; e.click(); return true; })"
                   "(document.querySelector(" +
                   JsString(selector) + "))")
            .toBool();
    }

    static std::string IdOf(const std::string& title) {
        const auto rows = Rows("SELECT ID FROM mylist WHERE title='" +
                               ReplaceApostrophes(platform::ToCodePage(title)) + "'");
        return rows.size() == 1 ? rows[0][0] : std::string();
    }

    void SeedFew() {
        test::AddNote("路由器密码提示",
                      "家里 WiFi 的密码提示：<span class=\"Tred\">猫的名字</span>",
                      "2026-03-01 09:00:00");
        test::AddNote("银行卡", "卡号后四位 8848", "2026-02-11 19:20:00");
        test::AddContact("王老师", "010-6275-1234", "提示：周三在办公室 {QQ10086123QQ}",
                         "2026-02-20 08:00:00");
    }

    test::ModalWatchdog watchdog_{90};
};

// What is live in the list area: hovers, errors and clicks every element but
// the program's own controls, and returns what the page's parser holds that
// no box may: a handler, an element of another kind, a link in a link.
constexpr char kInert[] = R"(
(function () {
    var all = document.querySelectorAll("#MyWinS .vbody *");
    for (var i = 0; i < all.length; ++i) {
        var e = all[i];
        for (var name of ["mouseover", "mouseenter", "focus", "error", "load"])
            e.dispatchEvent(new Event(name));
        if (e.tagName !== "A" && !e.hasAttribute("data-code"))
            e.dispatchEvent(new MouseEvent("click", {bubbles: false}));
        for (var a = 0; a < e.attributes.length; ++a)
            if (/^on/i.test(e.attributes[a].name)) return "handler " + e.outerHTML;
        if (!/^(DIV|TABLE|TBODY|TR|TD|IMG|SPAN|A|BR|MARK|TEMPLATE|BUTTON)$/.test(e.tagName))
            return "element " + e.tagName;
        if (e.matches("a a")) return "link in a link";
    }
    return all.length > 0 ? "" : "nothing shown";
})()
)";

TEST_F(Finding, HostileContactsAreInertInTheListAndInTheResults) {
    std::vector<std::string> remarks = test::HostileTexts("hostile_contacts.txt");
    std::mt19937 random(20261208);
    for (int i = 0; i < 120; ++i) remarks.push_back(test::RandomHostileMix(random).text);
    for (size_t i = 0; i < remarks.size(); ++i) {
        const std::string date = QStringLiteral("2026-01-01 %1:%2:00")
                                     .arg(i / 60, 2, 10, QLatin1Char('0'))
                                     .arg(i % 60, 2, 10, QLatin1Char('0'))
                                     .toStdString();
        ASSERT_EQ(test::AddContact("联系人 y " + std::to_string(i), "1", remarks[i], date), "Done");
    }
    ASSERT_TRUE(Start());
    ASSERT_TRUE(Click(QStringLiteral("#tabContacts")));
    ASSERT_TRUE(EventuallyEquals(QStringLiteral("list.kind === 1 && !list.pending"), true, kWait));
    const int total = static_cast<int>(remarks.size());
    for (int at = 0; at < total; at += 40) {
        Eval(QStringLiteral("JumpTo(%1, false)").arg(at));
        ASSERT_TRUE(EventuallyEquals(QStringLiteral("!list.pending && list.place === %1").arg(at),
                                     true, kWait));
        ASSERT_EQ(Eval(QString::fromLatin1(kInert)).toString(), QString()) << "list at " << at;
    }
    for (const char* query : {"y", "m", "on", "{", "\"", "kv"}) {
        Eval(QStringLiteral("(function (b) { b.value = %1; FindNow(); })"
                            "(document.getElementById('findBox'))")
                 .arg(JsString(QString::fromUtf8(query))));
        ASSERT_TRUE(ResultsFor(QString::fromUtf8(query)));
        for (int at = 0; at < Eval(QStringLiteral("list.total")).toInt(); at += 40) {
            Eval(QStringLiteral("JumpTo(%1, false)").arg(at));
            ASSERT_TRUE(EventuallyEquals(
                QStringLiteral("!list.pending && list.place === %1").arg(at), true, kWait));
            ASSERT_EQ(Eval(QString::fromLatin1(kInert)).toString(), QString())
                << query << " at " << at;
        }
    }
    EXPECT_EQ(Eval(QStringLiteral("String(window.kvPwned)")).toString(),
              QStringLiteral("undefined"));
    EXPECT_FALSE(Window().TerminationRequested());
}

TEST_F(Finding, CtrlFGivesTheFieldTheKeysAndChineseFromTheInputMethodFinds) {
    SeedFew();
    ASSERT_TRUE(Start()) << "the notes list never arrived";
    ASSERT_TRUE(CtrlF());
    Commit(QStringLiteral("提示"));
    ASSERT_TRUE(ResultsFor(QStringLiteral("提示")));
    EXPECT_EQ(Header(), QStringLiteral("找到 2 项"));
    EXPECT_EQ(Titles(), (QStringList{QStringLiteral("路由器密码提示"), QStringLiteral("王老师")}));
    EXPECT_EQ(Eval(QStringLiteral("Array.from(document.querySelectorAll('#MyWinS .kd'))"
                                  ".map(function (e) { return e.textContent; })"))
                  .toStringList(),
              (QStringList{QStringLiteral("记事"), QStringLiteral("联系人")}));
    // Every match is marked, and only the matches.
    EXPECT_EQ(Eval(QStringLiteral("Array.from(document.querySelectorAll('#MyWinS mark.hit'))"
                                  ".map(function (e) { return e.textContent; }).join('|')"))
                  .toString(),
              QStringLiteral("提示|提示|提示"));
    EXPECT_EQ(Eval(QStringLiteral("document.querySelectorAll('.tab.active').length")).toInt(), 0);

    // Typing on narrows the results; a Latin word finds regardless of case.
    Commit(QStringLiteral("：周三"));
    ASSERT_TRUE(ResultsFor(QStringLiteral("提示：周三")));
    EXPECT_EQ(Titles(), QStringList{QStringLiteral("王老师")});
    ASSERT_TRUE(CtrlF());  // selects the field's text: typing replaces it
    QTest::keyClicks(Input(), QStringLiteral("WIFI"));
    ASSERT_TRUE(ResultsFor(QStringLiteral("WIFI")));
    EXPECT_EQ(Titles(), QStringList{QStringLiteral("路由器密码提示")});
    EXPECT_EQ(
        Eval(QStringLiteral("document.querySelector('#MyWinS mark.hit').textContent")).toString(),
        QStringLiteral("WiFi"));

    Commit(QStringLiteral("不存在"));
    ASSERT_TRUE(ResultsFor(QStringLiteral("WIFI不存在")));
    EXPECT_EQ(Header(), QStringLiteral("没有找到匹配的记事或联系人"));
    EXPECT_TRUE(Titles().isEmpty());
}

TEST_F(Finding, CtrlQBringsTheWindowWithTheFieldReadyAndItsTextSelected) {
    SeedFew();
    TMyHappy& w = Window();
    ASSERT_TRUE(Start()) << "the notes list never arrived";
    ASSERT_TRUE(CtrlF());
    Commit(QStringLiteral("银行"));
    ASSERT_TRUE(ResultsFor(QStringLiteral("银行")));
    Eval(QStringLiteral("document.getElementById('findBox').blur()"));
    ASSERT_NE(ActiveId(), QStringLiteral("findBox"));

    // The window is up but the keys are elsewhere.
    w.HotkeyPressed();
    ASSERT_TRUE(
        EventuallyEquals(QStringLiteral("document.activeElement.id"), QStringLiteral("findBox")));
    EXPECT_EQ(Eval(QStringLiteral("(function (b) { return b.selectionStart + ',' + "
                                  "b.selectionEnd; })(document.getElementById('findBox'))"))
                  .toString(),
              QStringLiteral("0,2"));
    // What is typed now replaces the selected text.
    Commit(QStringLiteral("老师"));
    ASSERT_TRUE(ResultsFor(QStringLiteral("老师")));
    EXPECT_EQ(Titles(), QStringList{QStringLiteral("王老师")});

    // Hidden: the show keeps the page and its search, and the field has the
    // keys with the search selected, so typing starts a new one.
    const QString kept = QStringLiteral(
        "window.before === true && !list.pending && Finding() && document.activeElement.id");
    const QString selection = QStringLiteral(
        "(function (b) { return b.value + ':' + b.selectionStart + ',' + b.selectionEnd; })"
        "(document.getElementById('findBox'))");
    Eval(QStringLiteral("window.before = true"));
    w.hide();
    w.HotkeyPressed();
    ASSERT_TRUE(w.isVisible());
    ASSERT_TRUE(EventuallyEquals(kept, QStringLiteral("findBox"), kStartWait));
    EXPECT_EQ(Eval(selection).toString(), QStringLiteral("老师:0,2"));
    EXPECT_EQ(Titles(), QStringList{QStringLiteral("王老师")});

    // The tray's show does the same.
    Eval(QStringLiteral("document.activeElement.blur()"));
    w.hide();
    w.N5->trigger();
    EXPECT_TRUE(EventuallyEquals(kept, QStringLiteral("findBox"), kStartWait));
    EXPECT_EQ(Eval(selection).toString(), QStringLiteral("老师:0,2"));
}

TEST_F(Finding, EscEmptiesTheFieldAndReturnsToThePlaceInTheList) {
    ASSERT_EQ(test::SeedNotes(3000), "Done");
    test::AddContact("会议室前台", "8888", "", "2000-01-01 00:00:00");
    ASSERT_TRUE(Start()) << "the notes list never arrived";
    Eval(QStringLiteral("JumpTo(1500, false)"));
    ASSERT_TRUE(
        EventuallyEquals(QStringLiteral("!list.pending && list.place === 1500"), true, kWait));
    Eval(QStringLiteral("ScrollBy(37)"));
    const QString place = QStringLiteral("list.kind + '/' + list.place + '/' + list.offset");
    const QString before = Eval(place).toString();
    const QString top = Eval(QStringLiteral("list.boxes[list.place - list.first]"
                                            ".querySelector('.t').textContent"))
                            .toString();

    ASSERT_TRUE(CtrlF());
    Commit(QStringLiteral("会议室"));
    ASSERT_TRUE(ResultsFor(QStringLiteral("会议室")));
    EXPECT_EQ(Header(), QStringLiteral("找到 3001 项"));
    // Results scroll like the list, window by window.
    Eval(QStringLiteral("JumpTo(2000, false)"));
    ASSERT_TRUE(EventuallyEquals(QStringLiteral("!list.pending && list.place"), 2000, kWait));

    QTest::keyClick(Input(), Qt::Key_Escape);
    ASSERT_TRUE(EventuallyEquals(QStringLiteral("!list.pending && list.kind"), 0, kWait));
    EXPECT_EQ(Eval(QStringLiteral("document.getElementById('findBox').value")).toString(),
              QString());
    EXPECT_EQ(Eval(place).toString(), before);
    EXPECT_EQ(Eval(QStringLiteral("list.boxes[list.place - list.first]"
                                  ".querySelector('.t').textContent"))
                  .toString(),
              top);
    EXPECT_EQ(Eval(QStringLiteral("document.querySelector('.tab.active').id")).toString(),
              QStringLiteral("tabNotes"));
    EXPECT_EQ(Eval(QStringLiteral("document.querySelectorAll('#MyWinS mark.hit').length")).toInt(),
              0);
}

TEST_F(Finding, EditingAndDeletingFromTheResultsUpdatesThem) {
    SeedFew();
    ASSERT_TRUE(Start()) << "the notes list never arrived";
    ASSERT_TRUE(CtrlF());
    Commit(QStringLiteral("提示"));
    ASSERT_TRUE(ResultsFor(QStringLiteral("提示")));
    ASSERT_EQ(Titles().size(), 2);

    // The edit takes the match away: the record leaves the results.
    const std::string router = IdOf("路由器密码提示");
    bool saved = false;
    WhenModal(NE, [&] {
        EXPECT_EQ(NE->Edit1->text(), QStringLiteral("路由器密码提示"));
        NE->Edit1->clear();
        QInputMethodEvent commit;
        commit.setCommitString(QStringLiteral("路由器"));
        QCoreApplication::sendEvent(NE->Edit1, &commit);
        NE->Memo1->clear();
        QTest::mouseClick(NE->Button1, Qt::LeftButton);
        saved = true;
    });
    ASSERT_TRUE(Click(Icon("EdNo", router)));
    ASSERT_TRUE(Eventually([&] { return saved; }, kWait));
    ASSERT_TRUE(EventuallyEquals(QStringLiteral("!list.pending && list.kind === FOUND && "
                                                "list.parts.head.textContent"),
                                 QStringLiteral("找到 1 项"), kWait));
    EXPECT_EQ(Titles(), QStringList{QStringLiteral("王老师")});
    EXPECT_EQ(Eval(QStringLiteral("document.getElementById('findBox').value")).toString(),
              QStringLiteral("提示"));

    // A contact deleted from the results goes too.
    const std::string teacher = IdOf("王老师");
    QString answered;
    WhenModal(smsf, [&] {
        answered = smsf->BtYes->text();
        smsf->BtYes->click();
    });
    ASSERT_TRUE(Click(Icon("DeCn", teacher)));
    ASSERT_TRUE(Eventually([&] { return !answered.isEmpty(); }, kWait));
    ASSERT_TRUE(EventuallyEquals(QStringLiteral("!list.pending && list.parts.head.textContent"),
                                 QStringLiteral("没有找到匹配的记事或联系人"), kWait));
    EXPECT_TRUE(Rows("SELECT ID FROM mylist WHERE ID=" + teacher).empty());
}

TEST_F(Finding, WhatThePageTypesArrivesWhateverItHolds) {
    test::AddNote("百分号 100%/50 a_b", "", "2026-01-01 00:00:00");
    test::AddNote("引号 \"x\" ../..#?", "", "2026-01-02 00:00:00");
    ASSERT_TRUE(Start()) << "the notes list never arrived";
    const std::string seeded = test::ReadFile(app_.Database());
    // `query` is a script expression for the text typed.
    const auto found = [&](const QString& query) {
        Eval("(function (b) { b.value = " + query +
             "; FindNow(); })"
             "(document.getElementById('findBox'))");
        EXPECT_TRUE(ResultsForScript(query)) << query.toStdString();
        return Titles();
    };
    const auto text = [](const QString& typed) { return JsString(typed); };
    const QStringList percent{QStringLiteral("百分号 100%/50 a_b")};
    const QStringList quotes{QStringLiteral("引号 \"x\" ../..#?")};
    EXPECT_EQ(found(text(QStringLiteral("0%/5"))), percent);
    EXPECT_EQ(found(text(QStringLiteral("a_b"))), percent);
    EXPECT_EQ(found(text(QStringLiteral("%25"))), QStringList{});
    EXPECT_EQ(found(text(QStringLiteral("\"x\" ../..#?"))), quotes);
    EXPECT_EQ(found(text(QStringLiteral(".."))), quotes);
    EXPECT_EQ(found(text(QStringLiteral("'); DELETE FROM mylist; --"))), QStringList{});
    EXPECT_EQ(found(QStringLiteral("String.fromCharCode(0xD800) + '%/5'")), QStringList{});
    EXPECT_EQ(found(QStringLiteral("'0%/5' + String.fromCharCode(0xDC00)")), QStringList{});
    EXPECT_EQ(found(QStringLiteral("'%'.repeat(10000)")), QStringList{});
    EXPECT_EQ(Window().MyBody->url().fileName(), QStringLiteral("main.html"));
    EXPECT_EQ(test::ReadFile(app_.Database()), seeded);
}

}  // namespace
}  // namespace korvane
