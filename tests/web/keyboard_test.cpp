// The list from the keyboard, in the real engine: one record in the Tab
// order that the keys move across the virtual list's edge, Enter and Delete
// on it, the icons as named buttons, the window's shortcuts, a focused link
// that never scrolls the list area behind the virtual list's back, and the
// list's top after the user's own save.
#include <gtest/gtest.h>

#include "page_harness.h"
#include "support/seed.h"

namespace korvane::test {
namespace {

const QString kBase = kCommandBase;

class KeyboardPage : public ListPageTest {
  protected:
    // Loads the page and shows a list as its tabs ask for it.
    void Start(int kind = 0) {
        ASSERT_NO_FATAL_FAILURE(LoadList(kind));
        harness_->Forget();
    }

    // The view active and the page holding the keys, as after a click into
    // it: only a focused page has focus events and scrolls to a focused element.
    bool FocusPage() {
        page().view().activateWindow();
        QWidget* input = page().view().focusProxy();
        if (input == nullptr) return false;
        input->clearFocus();
        input->setFocus();
        return WaitUntil([&] { return page().Js("document.hasFocus()").toBool(); }, 5000);
    }

    // A key pressed where the page's keys are, as the engine hands it on.
    void Key(const QString& key, bool ctrl = false, const QString& code = QString()) {
        page().Js(
            "(document.activeElement || document.body).dispatchEvent(new KeyboardEvent("
            "'keydown', {key: " +
            JsString(key) + ", code: " + JsString(code) +
            ", ctrlKey: " + (ctrl ? "true" : "false") + ", bubbles: true, cancelable: true}))");
    }

    // The list position of the focused record, -1 when no record has the keys.
    int Focused() {
        return page()
            .Js("(function(){var b=document.activeElement;"
                "return b&&b.classList&&b.classList.contains('rec')?"
                "Number(b.getAttribute('data-i')):-1;})()")
            .toInt();
    }

    // Waits until the record at `position` has the keys, shown whole in the
    // view (or its top, when it is taller), the only record in the Tab order.
    ::testing::AssertionResult FocusedAt(int position) {
        if (!WaitUntil(
                [&] { return Focused() == position && !page().Js("!!list.pending").toBool(); },
                5000)) {
            return ::testing::AssertionFailure() << "focused " << Focused() << ", not " << position;
        }
        const QString inView =
            "(function(){var b=document.activeElement,p=list.parts.port.getBoundingClientRect(),"
            "r=b.getBoundingClientRect();return r.top>=p.top-1&&(r.bottom<=p.bottom+1||"
            "r.height>p.height);})()";
        if (!page().Js(inView).toBool()) return ::testing::AssertionFailure() << "not in view";
        const int tabbable = page()
                                 .Js("document.querySelectorAll('#MyWinS .rec[tabindex=\"0\"]')"
                                     ".length")
                                 .toInt();
        if (tabbable != 1) return ::testing::AssertionFailure() << tabbable << " records tabbable";
        return ::testing::AssertionSuccess();
    }
};

TEST_F(KeyboardPage, TheKeysMoveOneFocusedRecordAcrossTheVirtualList) {
    ASSERT_EQ(SeedNotes(400), "Done");
    Start();
    const int total = page().Js("list.total").toInt();
    ASSERT_EQ(total, 400);
    ASSERT_TRUE(FocusPage());
    Key("ArrowDown");  // from outside the list a key first enters it
    EXPECT_TRUE(FocusedAt(0));
    // The ring around the focused record's box, and around no other.
    const QString ringed =
        "Array.from(document.querySelectorAll('#MyWinS .rec')).filter(r => {"
        " const box = r.querySelector('.round');"
        " return box && getComputedStyle(box).outlineStyle === 'solid'; })"
        ".map(r => r.getAttribute('data-i')).join(' ')";
    EXPECT_EQ(page().Js(ringed).toString(), "0")
        << page()
               .Js("document.body.className + ' ' + document.hasFocus() + ' ' + "
                   "document.activeElement.outerHTML.slice(0, 80) + ' ' + "
                   "document.querySelector('.rec').innerHTML.slice(0, 80)")
               .toString()
               .toStdString();
    Key("ArrowDown");
    EXPECT_TRUE(FocusedAt(1));
    Key("ArrowUp");
    EXPECT_TRUE(FocusedAt(0));
    Key("ArrowUp");  // nothing above the first
    EXPECT_TRUE(FocusedAt(0));

    // End lands past the boxes held: the window is asked for and the last
    // record gets the keys once it has come.
    ASSERT_LT(page().Js("list.first + list.boxes.length").toInt(), total);
    Key("End");
    EXPECT_TRUE(FocusedAt(total - 1));
    EXPECT_TRUE(page().Js("list.pinned").toBool());
    Key("ArrowDown");
    EXPECT_TRUE(FocusedAt(total - 1));
    Key("ArrowUp");
    EXPECT_TRUE(FocusedAt(total - 2));
    Key("Home");
    EXPECT_TRUE(FocusedAt(0));

    // PageDown walks through and beyond the first window, a screen at a time.
    int last = 0;
    for (int i = 0; i < 120 && last < 150; ++i) {
        Key("PageDown");
        ASSERT_TRUE(WaitUntil([&] { return Focused() > last; }, 5000)) << i;
        ASSERT_TRUE(FocusedAt(Focused()));
        last = Focused();
    }
    EXPECT_GE(last, 150);
    Key("PageUp");
    ASSERT_TRUE(WaitUntil([&] { return Focused() >= 0 && Focused() < last; }, 5000));
    EXPECT_TRUE(FocusedAt(Focused()));
}

TEST_F(KeyboardPage, EnterEditsDeleteAsksAndTheIconsAreNamedButtons) {
    ASSERT_EQ(AddNote("旧的", "a", "2026-01-01 08:00:00"), "Done");
    ASSERT_EQ(AddNote("新的", "b", "2026-03-01 08:00:00"), "Done");
    Start();
    Key("ArrowDown");
    Key("ArrowDown");
    ASSERT_TRUE(FocusedAt(1));  // record 1, the older note
    Key("Enter");
    EXPECT_EQ(page().NextRequest(), kBase + "EdNo/1/");
    Key("Delete");
    EXPECT_EQ(page().NextRequest(), kBase + "DeNo/1/");

    // The focused record's icons are in the Tab order, the others' are not.
    EXPECT_EQ(page()
                  .Js("Array.from(document.querySelectorAll('#MyWinS .tm > img[role=button]'))"
                      ".map(i => i.getAttribute('aria-label') + i.tabIndex).join(' ')")
                  .toString(),
              "编辑-1 删除-1 编辑0 删除0");
    page().Js("document.querySelector('.rec[data-i=\"1\"] img[aria-label=\"删除\"]').focus()");
    Key("Enter");
    EXPECT_EQ(page().NextRequest(), kBase + "DeNo/1/");
    page().Js("document.querySelector('.rec[data-i=\"1\"] img[aria-label=\"编辑\"]').focus()");
    Key(" ");
    EXPECT_EQ(page().NextRequest(), kBase + "EdNo/1/");
    // A key on the record's icon moves the focus on through the list.
    Key("ArrowUp");
    EXPECT_TRUE(FocusedAt(0));

    // The list's keys also work from the "new" button, which takes no typing.
    page().Js("document.querySelector('.New .BTN').focus()");
    Key("End");
    EXPECT_TRUE(FocusedAt(1));
}

TEST_F(KeyboardPage, CtrlNMakesARecordOfTheTabAndCtrlDigitsSwitchTabs) {
    ASSERT_EQ(AddNote("记事", "a", "2026-01-01 08:00:00"), "Done");
    ASSERT_EQ(AddContact("李四", "010-1234", "", "2026-01-01 08:00:00"), "Done");
    Start();
    Key("n", true, "KeyN");
    EXPECT_EQ(page().NextRequest(), kBase + "New0/");
    Key("2", true, "Digit2");
    EXPECT_EQ(page().NextRequest(), kBase + "reCont/");
    ASSERT_TRUE(WaitUntil([&] { return page().Js("list.kind").toInt() == 1; }, 5000));
    EXPECT_EQ(page().Js("document.getElementById('tabContacts').className").toString(),
              "tab active");
    Key("N", true, "KeyN");
    EXPECT_EQ(page().NextRequest(), kBase + "New1/");
    // From the search field too, and in a search of the contacts' tab.
    page().Js("document.getElementById('findBox').focus()");
    Key("n", true, "KeyN");
    EXPECT_EQ(page().NextRequest(), kBase + "New1/");
    Key("1", true, "Digit1");
    EXPECT_EQ(page().NextRequest(), kBase + "reNote/");
    ASSERT_TRUE(WaitUntil([&] { return page().Js("list.kind").toInt() == 0; }, 5000));
    Key("3", true, "Digit3");
    EXPECT_EQ(page().NextRequest(), kBase + "reTrash/");
    ASSERT_TRUE(WaitUntil([&] { return page().Js("list.kind").toInt() == 3; }, 5000));
    Key("n", true, "KeyN");  // the trash makes no records
    EXPECT_EQ(page().NextRequest(500), QString());
}

TEST_F(KeyboardPage, AFocusedLinkMovesTheVirtualListNeverTheListArea) {
    for (int n = 0; n < 120; ++n) {
        ASSERT_EQ(AddNote("第" + std::to_string(n) + "条",
                          "<a href=\"http://example.com/" + std::to_string(n) + "\">链接</a>",
                          "2026-01-01 08:00:00"),
                  "Done");
    }
    Start();
    ASSERT_TRUE(FocusPage());
    const QString areasAtZero =
        "list.parts.port.scrollTop === 0 && list.parts.root.scrollTop === 0 &&"
        " document.scrollingElement.scrollTop === 0";
    const QString linkInView =
        "(function(){var a=document.activeElement,p=list.parts.port.getBoundingClientRect(),"
        "r=a.getBoundingClientRect();return a.tagName==='A'&&r.top>=p.top&&r.bottom<=p.bottom;})()";
    for (const int box : {40, 3, 55}) {
        // What a Tab into the link does: the engine focuses it and scrolls
        // whatever holds it to show it.
        page().Js(
            QStringLiteral("list.boxes[%1 - list.first].querySelector('a').focus()").arg(box));
        ASSERT_TRUE(
            WaitUntil([&] { return page().Js(areasAtZero + " && " + linkInView).toBool(); }, 5000))
            << box;
        EXPECT_EQ(Focused(), -1);
        EXPECT_EQ(
            page().Js("document.activeElement.closest('.rec').getAttribute('data-i')").toInt(),
            box);
        EXPECT_EQ(page().Js("list.parts.bar.style.display").toString(), "block");
    }
    // The start of the list is still there for Home.
    Key("Home");
    EXPECT_TRUE(FocusedAt(0));
    EXPECT_TRUE(page().Js(areasAtZero).toBool());
    EXPECT_EQ(page().Js("list.place").toInt(), 0);
}

TEST_F(KeyboardPage, AfterTheUsersSaveTheListShowsItsTopWhereTheRecordIs) {
    ASSERT_EQ(SeedNotes(300), "Done");
    Start();
    page().Js("JumpTo(120, false)");
    ASSERT_TRUE(
        WaitUntil([&] { return page().Js("!list.pending && list.place === 120").toBool(); }, 5000));
    // A change that is no save of the user's keeps the place.
    ListRequest refresh;
    refresh.mode = ListRequest::Mode::kRefresh;
    int writes = page().listWrites;
    page().ShowList(refresh);
    ASSERT_TRUE(WaitUntil([&] { return page().listWrites > writes; }, 5000));
    ASSERT_TRUE(WaitUntil([&] { return !page().Js("!!list.pending").toBool(); }, 5000));
    EXPECT_EQ(page().Js("list.place").toInt(), 120);

    ListRequest saved;
    saved.mode = ListRequest::Mode::kSaved;
    writes = page().listWrites;
    page().ShowList(saved);
    ASSERT_TRUE(WaitUntil([&] { return page().listWrites > writes; }, 5000));
    EXPECT_EQ(page().Js("list.place").toInt(), 0);
    EXPECT_EQ(page().Js("list.first").toInt(), 0);
    EXPECT_EQ(page().Js("list.parts.body.style.transform").toString(), "translateY(0px)");
}

}  // namespace
}  // namespace korvane::test
