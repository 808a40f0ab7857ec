// The shipped page in the real web engine: the functions the program calls,
// the URLs the page navigates to for the rendered lists' buttons and icons,
// its own controls, the compact view and its pictures.
#include <gtest/gtest.h>

#include <random>

#include "page_harness.h"
#include "render/finder.h"
#include "render/findtext.h"
#include "render/recordbox.h"
#include "store/records.h"
#include "support/hostile.h"
#include "support/seed.h"

namespace korvane::test {
namespace {

const QString kBase = kCommandBase;

QString Click(const QString& selector) {
    return "document.querySelector(" + JsString(selector) + ").click()";
}

class PageTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(OpenDatabase(), "1");
        harness_ = std::make_unique<PageHarness>(app_);
        ASSERT_TRUE(harness_->loaded());
    }

    void TearDown() override {
        if (harness_) {
            EXPECT_TRUE(harness_->page().errors.empty())
                << harness_->page().errors.front().toStdString();
        }
    }

    // Asks for a list the way the page's tabs do and waits until it is written.
    void ShowList(int kind) {
        const int before = harness_->listWrites;
        harness_->Js(kind == 0 ? "ShowList(0)" : "ShowList(1)");
        ASSERT_TRUE(WaitUntil([&] { return harness_->listWrites > before; }, 5000));
        harness_->Forget();
    }

    PageHarness& page() { return *harness_; }

    AppFolder app_;
    std::unique_ptr<PageHarness> harness_;
};

TEST_F(PageTest, DefinesWhatTheProgramAndTheListsCall) {
    for (const char* name : {"BodyLoad", "htit", "stit", "Newc", "EditDel"}) {
        EXPECT_EQ(page().Js(QString("typeof window.") + name).toString(), "function") << name;
    }
    EXPECT_EQ(page().Js("document.querySelectorAll('#MyWinS').length").toInt(), 1);
    EXPECT_EQ(page().Js("document.characterSet").toString(), "UTF-8");
    // The style sheet arrived: record boxes lay out at a fixed width.
    page().SetList("<table class=\"round\"><tr><td>x</td></tr></table>");
    EXPECT_EQ(
        page().Js("getComputedStyle(document.querySelector('.round')).tableLayout").toString(),
        "fixed");
}

TEST_F(PageTest, BodyLoadAndTheTabsAskForTheLists) {
    ASSERT_EQ(AddNote("买菜", "白菜", "2026-01-02 08:00:00"), "Done");
    page().Js("BodyLoad()");
    EXPECT_EQ(page().NextRequest(), kBase + "reNote/");
    ASSERT_TRUE(WaitUntil([&] { return page().listWrites == 1; }, 5000));
    EXPECT_EQ(page().Js("document.getElementById('t1').textContent").toString(), "买菜");

    page().Js(Click("#tabContacts"));
    EXPECT_EQ(page().NextRequest(), kBase + "reCont/");
    EXPECT_EQ(page().Js("document.getElementById('tabContacts').className").toString(),
              "tab active");
    page().Js(Click("#tabNotes"));
    EXPECT_EQ(page().NextRequest(), kBase + "reNote/");
    EXPECT_EQ(page().Js("document.getElementById('tabNotes').className").toString(), "tab active");
}

TEST_F(PageTest, TheTabFollowsTheListTheProgramWrote) {
    // After deleting a contact the program writes the contacts list on its own.
    AddContact("张三", "13800000000", "", "2026-01-02 08:00:00");
    ShowList(0);
    ListRequest contacts;
    contacts.kind = kContactKind;
    contacts.mode = ListRequest::Mode::kRefresh;
    page().ShowList(contacts);
    ASSERT_TRUE(WaitUntil([&] { return page().listWrites == 2; }, 5000));
    EXPECT_EQ(page().Js("document.getElementById('tabContacts').className").toString(),
              "tab active");
    EXPECT_EQ(page().Js("document.getElementById('tabNotes').className").toString(), "tab");
}

TEST_F(PageTest, ALateAnswerShowsTheBusySignUntilItComes) {
    ASSERT_EQ(OpenDatabase(), "1");
    ASSERT_EQ(SeedNotes(500), "Done");
    ShowList(0);
    const QString busy = "document.querySelector('.vbusy').className";
    EXPECT_EQ(page().Js(busy).toString(), "vbusy");

    // The program is slow to answer: after a fifth of a second the sign shows.
    auto answer = page().page().onCommand;
    page().page().onCommand = nullptr;
    page().Js("JumpTo(400, false)");
    const QString request = page().NextRequest();
    ASSERT_TRUE(request.startsWith(kBase + "WiNo/"));
    EXPECT_TRUE(WaitUntil([&] { return page().Js(busy).toString() == "vbusy on"; }, 2000));

    answer(request);
    EXPECT_TRUE(WaitUntil([&] { return page().Js(busy).toString() == "vbusy"; }, 5000));
    EXPECT_EQ(page().Js("list.place").toInt(), 400);
    EXPECT_EQ(page().Js("list.boxes[list.place - list.first].getAttribute('data-i')").toString(),
              "400");
    page().page().onCommand = answer;
}

TEST_F(PageTest, NoteIconsAndNewButtonNavigateToTheirCommands) {
    ASSERT_EQ(AddNote("旧的", "a", "2026-01-01 08:00:00"), "Done");
    ASSERT_EQ(AddNote("新的", "b", "2026-03-01 08:00:00"), "Done");
    ShowList(0);
    // Newest first: the box with ordinal 1 holds record 2.
    page().Js(Click("#mm1 img[title='修改']"));
    EXPECT_EQ(page().NextRequest(), kBase + "EdNo/2/");
    page().Js(Click("#mm2 img[title='删除']"));
    EXPECT_EQ(page().NextRequest(), kBase + "DeNo/1/");
    page().Js(Click(".New .BTN"));
    EXPECT_EQ(page().NextRequest(), kBase + "New0/");
}

TEST_F(PageTest, ContactIconsAndNewButtonNavigateToTheirCommands) {
    ASSERT_EQ(AddContact("李四", "010-1234", "{QQ10001QQ}", "2026-01-01 08:00:00"), "Done");
    ShowList(1);
    page().Js(Click("#mm1 img[title='修改']"));
    EXPECT_EQ(page().NextRequest(), kBase + "EdCn/1/");
    page().Js(Click("#mm1 img[title='删除']"));
    EXPECT_EQ(page().NextRequest(), kBase + "DeCn/1/");
    page().Js(Click(".New .BTN"));
    EXPECT_EQ(page().NextRequest(), kBase + "New1/");
}

TEST_F(PageTest, TrashButtonsNavigateToTheirCommandsWithTheCopysNumber) {
    ASSERT_EQ(AddNote("旧的", "a", "2026-01-01 08:00:00"), "Done");
    ASSERT_EQ(AddNote("新的", "b", "2026-03-01 08:00:00"), "Done");
    ASSERT_TRUE(DeleteRecord(RecordKind::Note, 1).Ok());
    ASSERT_TRUE(DeleteRecord(RecordKind::Note, 2).Ok());
    const int before = page().listWrites;
    page().Js(Click("#tabTrash"));
    EXPECT_EQ(page().NextRequest(), kBase + "reTrash/");
    ASSERT_TRUE(WaitUntil([&] { return page().listWrites > before; }, 5000));
    EXPECT_EQ(page().Js("document.querySelector('.tab.active').id").toString(), "tabTrash");
    // Newest deletion first: record 2 went to the trash as its copy 2.
    page().Js(Click("#mm1 button[data-trash='TrRe']"));
    EXPECT_EQ(page().NextRequest(), kBase + "TrRe/2/");
    page().Js(Click("#mm2 button[data-trash='TrPu']"));
    EXPECT_EQ(page().NextRequest(), kBase + "TrPu/1/");
    page().Js(Click(".New > input[data-empty]"));
    EXPECT_EQ(page().NextRequest(), kBase + "TrEm/");
    // Only the two codes and a decimal number ever leave the page.
    for (const char* call : {"TrashDo('TrRe', '1 OR 1=1')", "TrashDo('TrPu', '')",
                             "TrashDo('TrRe', -3)", "TrashDo('DeNo', 3)", "TrashDo('trre', 3)"}) {
        EXPECT_EQ(page().JsGuarded(call), "ok") << call;
    }
    page().Js("Newc(0)");
    EXPECT_EQ(page().NextRequest(), kBase + "New0/");
    page().Js(Click("#tabNotes"));
    EXPECT_EQ(page().NextRequest(), kBase + "reNote/");
}

TEST_F(PageTest, TheUndoBarTakesTheLastDeleteBackOnceAndLeavesInTime) {
    ShowList(0);
    const QString shown = "getComputedStyle(document.getElementById('undoBar')).display !== 'none'";
    EXPECT_FALSE(page().Js(shown).toBool());
    EXPECT_TRUE(page().Js("ShowUndo(0, 5)").toBool());
    EXPECT_TRUE(page().Js(shown).toBool());
    EXPECT_EQ(page().Js("document.getElementById('undoBar').textContent").toString(),
              QString::fromUtf8("已删除 · 撤销"));
    // A second delete replaces the first: the undo is for the last one.
    EXPECT_TRUE(page().Js("ShowUndo(1, 7)").toBool());
    page().Js(Click("#btnUndo"));
    EXPECT_EQ(page().NextRequest(), kBase + "UnCn/7/");
    EXPECT_FALSE(page().Js(shown).toBool());
    // Once sent, or with no number, there is nothing to take back.
    for (const char* call : {"ShowUndo(0, '5 OR 1=1')", "ShowUndo(0, -1)", "Undo()"}) {
        EXPECT_EQ(page().JsGuarded(call), "ok") << call;
    }
    EXPECT_FALSE(page().Js(shown).toBool());
    page().Js("Newc(1)");
    EXPECT_EQ(page().NextRequest(), kBase + "New1/");
    // The bar leaves by itself, and with the list when another is shown.
    page().Js("UNDO_MS = 150; ShowUndo(0, 5)");
    EXPECT_TRUE(page().Js(shown).toBool());
    EXPECT_TRUE(WaitUntil([&] { return !page().Js(shown).toBool(); }, 3000));
    page().Js("UNDO_MS = 10000; ShowUndo(0, 5)");
    ShowList(1);
    EXPECT_FALSE(page().Js(shown).toBool());
    EXPECT_EQ(page().JsGuarded("Undo()"), "ok");
    page().Js("Newc(0)");
    EXPECT_EQ(page().NextRequest(), kBase + "New0/");
}

TEST_F(PageTest, EditDelRefusesAnythingButACodeAndADecimalNumber) {
    // Each refused call would have navigated before the sentinel if it went through.
    for (const char* call :
         {"EditDel('DeNo', '1 OR 1=1')", "EditDel('DeNo', '')", "EditDel('DeNo', -3)",
          "EditDel('Drop', 3)", "EditDel('deno', 3)", "EditDel('EdNo', '0x10')"}) {
        EXPECT_EQ(page().JsGuarded(call), "ok") << call;
    }
    page().Js("Newc(0)");
    EXPECT_EQ(page().NextRequest(), kBase + "New0/");

    page().Js("EditDel('EdCn', ' 42 ')");
    EXPECT_EQ(page().NextRequest(), kBase + "EdCn/42/");
    page().Js("Newc(1)");
    EXPECT_EQ(page().NextRequest(), kBase + "New1/");
}

// Counts the policy's refusals and hovers, errors and clicks every element
// of the list, as a user's mouse and the page's loading would.
constexpr char kProvoke[] = R"(
(function () {
    if (window.refused === undefined) {
        window.refused = 0;
        document.addEventListener("securitypolicyviolation", function () { ++window.refused; });
    }
    var all = document.querySelectorAll("#MyWinS *");
    for (var i = 0; i < all.length; ++i) {
        for (var name of ["mouseover", "mouseenter", "focus", "error", "load", "animationstart"])
            all[i].dispatchEvent(new Event(name));
        if (all[i].tagName !== "A" && !all[i].hasAttribute("data-code"))
            all[i].dispatchEvent(new MouseEvent("click", {bubbles: false}));
    }
    return all.length;
})()
)";

// Drops the console's reports of the refusals the test provoked.
void ForgetRefusals(RecordingPage& page) {
    std::erase_if(page.errors, [](const QString& error) { return error.contains("Refused"); });
}

TEST_F(PageTest, ThePolicyBlocksInlineScriptThatGetsIntoABox) {
    // Markup that no sanitiser would let through, put into a box on purpose.
    page().SetList(
        "<table class=\"round\"><tr><td><span class=\"t\" id=\"t1\" "
        "onmouseover=\"window.kvPwned = 1\">x</span><img src=\"image/none.gif\" "
        "onerror=\"window.kvPwned = 2\"><b onclick=\"window.kvPwned = 3\">b</b>"
        "<div style=\"animation: x 1s\" onanimationstart=\"window.kvPwned = 4\">d</div>"
        "</td></tr></table>");
    EXPECT_GT(page().Js(kProvoke).toInt(), 3);
    EXPECT_TRUE(WaitUntil([&] { return page().Js("window.refused >= 3").toBool(); }, 5000));
    EXPECT_EQ(page().Js("String(window.kvPwned)").toString(), "undefined");
    ForgetRefusals(page().page());
}

// Every box the program may write for a record (both list forms are
// checked in the core; here the page's form, in the list and in results).
std::vector<std::string> BoxesOf(int kind, const std::string& text, const std::string& query) {
    const std::string stored = platform::ToCodePage(text);
    const ListRow row{"7", stored, stored, "2026-01-01 00:00:00", stored};
    return {RecordBox(kind, row, 1), FoundBox(kind, row, FoldQuery(query), 1)};
}

// What the page's own parser finds wrong with a box: a handler, an element
// no box holds, or a link inside a link.
constexpr char kParsedFault[] = R"(
(function (box) {
    var t = document.createElement("template");
    t.innerHTML = box;
    function fault(fragment) {
        var all = fragment.querySelectorAll("*");
        for (var i = 0; i < all.length; ++i) {
            var e = all[i];
            for (var a = 0; a < e.attributes.length; ++a)
                if (/^on/i.test(e.attributes[a].name)) return "handler " + e.outerHTML;
            if (!/^(TABLE|TBODY|TR|TD|IMG|SPAN|DIV|A|BR|MARK|TEMPLATE)$/.test(e.tagName))
                return "element " + e.tagName;
            if (e.matches("a a")) return "link in a link";
            if (e.tagName === "TEMPLATE") {
                var inner = fault(e.content);
                if (inner) return inner;
            }
        }
        return "";
    }
    return fault(t.content);
})
)";

TEST_F(PageTest, HostileAndRandomBoxesHoldNoHandlerForThePagesParser) {
    std::vector<std::pair<std::string, std::string>> records;  // text, query
    for (const char* file : {"hostile_contacts.txt", "hostile_notes.txt"}) {
        for (const std::string& text : HostileTexts(file)) records.emplace_back(text, "on");
    }
    std::mt19937 random(20261208);
    for (int i = 0; i < 1000; ++i) {
        const HostileMix mix = RandomHostileMix(random);
        records.emplace_back(mix.text, mix.query);
    }
    page().Js(QString("window.parsedFault = ") + kParsedFault);
    QStringList boxes;
    size_t batchStart = 0;
    for (size_t i = 0; i < records.size(); ++i) {
        for (const std::string& box :
             BoxesOf(static_cast<int>(i % 2), records[i].first, records[i].second))
            boxes << FromProgram(box);
        if (boxes.size() < 100 && i + 1 < records.size()) continue;
        // A hundred boxes at a time: parsed one by one, then in the live
        // list, hovered, clicked and loaded.
        QStringList literals;
        for (const QString& box : boxes) literals << JsString(box);
        const QString fault = page()
                                  .Js("(function (boxes) { for (var i = 0; i < boxes.length; ++i) {"
                                      " var f = parsedFault(boxes[i]); if (f) return i + ': ' + f; "
                                      "} return ''; })([" +
                                      literals.join(',') + "])")
                                  .toString();
        ASSERT_EQ(fault, "") << "records from " << batchStart << ": " << records[batchStart].first;
        page().SetList(boxes.join(QString()));
        page().Js(kProvoke);
        boxes.clear();
        batchStart = i + 1;
    }
    EXPECT_EQ(page().Js("String(window.kvPwned)").toString(), "undefined");
    for (const QString& request : page().page().requests)
        EXPECT_TRUE(request.endsWith("main.html")) << request.toStdString();
    ForgetRefusals(page().page());
}

TEST_F(PageTest, AHugeNoteLaysOutItsBeginningAndShowsTheRestWhenOpened) {
    std::string body;
    while (body.size() < 300 * 1024) body += "第一段 ";
    body += "最后一句";
    ASSERT_EQ(AddNote("大", body, "2026-01-01 08:00:00"), "Done");
    ShowList(0);
    const QString content = "document.querySelector('#MyWinS .round_body_contain')";
    EXPECT_LT(page().Js(content + ".textContent.length").toInt(), 20000);
    EXPECT_FALSE(page().Js(content + ".textContent.endsWith('最后一句')").toBool());
    page().Js(Click("#MyWinS .rec .more"));
    EXPECT_TRUE(page().Js(content + ".textContent.endsWith('最后一句')").toBool());
    EXPECT_EQ(page().Js(content + ".textContent.length").toInt(),
              static_cast<int>(QString::fromStdString(body).size()));
    EXPECT_EQ(page().Js("document.querySelectorAll('#MyWinS template').length").toInt(), 0);
}

TEST_F(PageTest, CompactViewSwapsTheTopBarForTheRestoreControl) {
    const QString chromeShown = "getComputedStyle(document.getElementById('chrome')).display";
    const QString restoreShown = "getComputedStyle(document.getElementById('compactBar')).display";
    EXPECT_EQ(page().Js(chromeShown).toString(), "flex");
    EXPECT_EQ(page().Js(restoreShown).toString(), "none");

    page().Js("htit()");
    EXPECT_EQ(page().Js(chromeShown).toString(), "none");
    EXPECT_EQ(page().Js(restoreShown).toString(), "block");
    EXPECT_EQ(page().Js("document.getElementById('btnStandard').textContent").toString(),
              "恢复标准窗口");

    // Without the program's object the page falls back to the restore URL.
    EXPECT_EQ(page().JsGuarded(Click("#btnStandard")), "ok");
    EXPECT_EQ(page().NextRequest(), QString(kRestoreUrl));

    // With it, the page asks for the standard view through MyDoEx and does not navigate.
    page().Js(
        "window.calls = []; window.external = {MyDoEx: function() {"
        " calls.push(Array.from(arguments)); return ''; }};");
    page().Js(Click("#btnStandard"));
    const QVariantList calls = page().Js("window.calls").toList();
    ASSERT_EQ(calls.size(), 1);
    const QVariantList args = calls.first().toList();
    ASSERT_EQ(args.size(), 10);
    EXPECT_EQ(args[5].toString(), "SHOW");

    page().Js("stit()");
    EXPECT_EQ(page().Js(chromeShown).toString(), "flex");
    EXPECT_EQ(page().Js(restoreShown).toString(), "none");
    page().Js("Newc(0)");
    EXPECT_EQ(page().NextRequest(), kBase + "New0/");
}

// The top bar at the window's smallest size (200 pixels less the two grips):
// every control is whole and inside the page, the bar is opaque, and nothing
// of the list paints over it.
TEST_F(PageTest, TheTopBarStaysWholeAndOpaqueAtTheSmallestWidth) {
    for (int n = 0; n < 20; ++n) {
        ASSERT_EQ(
            AddNote("第" + std::to_string(n) + "条", std::string(400, 'x'), "2026-01-01 08:00:00"),
            "Done");
    }
    ShowList(0);
    page().view().resize(194, 300);
    ASSERT_TRUE(WaitUntil([&] { return page().Js("window.innerWidth").toInt() == 194; }));
    page().Js("ScrollBy(400)");
    const QString whole =
        "Array.from(document.querySelectorAll('#chrome button, #compactBar button'))"
        ".filter(b => b.offsetParent !== null).map(b => { const r = b.getBoundingClientRect();"
        " return b.id + ':' + (r.left >= 0 && r.right <= innerWidth && r.width > 0 &&"
        " b.scrollWidth <= b.clientWidth); }).join(' ')";
    EXPECT_EQ(page().Js(whole).toString().toStdString(),
              "tabNotes:true tabContacts:true tabTrash:true btnUpdate:true");
    const QString opaque =
        "(function(e){ const c = getComputedStyle(e).backgroundColor;"
        " return c.startsWith('rgb(') || / 1\\)$/.test(c); })";
    EXPECT_TRUE(page().Js(opaque + "(document.getElementById('chrome'))").toBool());
    // Every point of the bar belongs to the bar, not to a record under it.
    const QString onTop =
        "(function(e){ const r = e.getBoundingClientRect(); let ok = r.height > 0;"
        " for (let x = r.left + 1; x < r.right; x += 8) for (let y = r.top + 1; y < r.bottom;"
        " y += 4) ok = ok && e.contains(document.elementFromPoint(x, y)); return ok; })";
    EXPECT_TRUE(page().Js(onTop + "(document.getElementById('chrome'))").toBool());

    page().Js("htit()");
    EXPECT_EQ(page().Js(whole).toString().toStdString(), "btnStandard:true");
    EXPECT_TRUE(page().Js(opaque + "(document.getElementById('compactBar'))").toBool());
    EXPECT_TRUE(page().Js(onTop + "(document.getElementById('compactBar'))").toBool());
}

// The second click of the update control lands where the first did: arming
// it never moves it off the tabs' line at the window's usual widths.
TEST_F(PageTest, TheArmedUpdateControlKeepsItsPlace) {
    for (const int width : {340, 370, 440}) {
        page().view().resize(width, 400);
        ASSERT_TRUE(WaitUntil([&] { return page().Js("window.innerWidth").toInt() == width; }));
        const QString place =
            "(function(){ const b = document.getElementById('btnUpdate').getBoundingClientRect();"
            " const t = document.getElementById('tabNotes').getBoundingClientRect();"
            " return Math.round(b.top) + ',' + Math.round(b.right) + ',' +"
            " (Math.abs((b.top + b.bottom) - (t.top + t.bottom)) < 4); })()";
        const QString before = page().Js(place).toString();
        page().Js(Click("#btnUpdate"));
        EXPECT_EQ(page().Js("document.getElementById('btnUpdate').className").toString(),
                  QStringLiteral("tool armed"));
        EXPECT_EQ(page().Js(place).toString(), before) << width;
        EXPECT_TRUE(before.endsWith(QStringLiteral("true"))) << width;
        page().Js("DisarmUpdate(document.getElementById('btnUpdate'))");
    }
}

TEST_F(PageTest, UpdateAsksTwiceAndNeedsTheProgram) {
    // No MyDoEx: two clicks neither throw nor navigate.
    EXPECT_EQ(page().JsGuarded(Click("#btnUpdate") + ";" + Click("#btnUpdate")), "ok");
    page().Js(
        "window.calls = []; window.external = {MyDoEx: function() {"
        " calls.push(Array.from(arguments)); }};");
    page().Js(Click("#btnUpdate"));
    EXPECT_EQ(page().Js("calls.length").toInt(), 0);
    EXPECT_EQ(page().Js("document.getElementById('btnUpdate').className").toString(), "tool armed");
    page().Js(Click("#btnUpdate"));
    const QVariantList calls = page().Js("calls").toList();
    ASSERT_EQ(calls.size(), 1);
    EXPECT_EQ(calls.first().toList().value(5).toString(), "UPFS");
    EXPECT_EQ(page().Js("document.getElementById('btnUpdate').textContent").toString(), "在线更新");

    page().Js("Newc(0)");
    EXPECT_EQ(page().NextRequest(), kBase + "New0/");
}

TEST_F(PageTest, EveryPictureTheListsNameLoads) {
    std::string faces;
    for (int n = 0; n < 30; ++n) faces += "{EM" + std::to_string(n) + "EM}";
    ASSERT_EQ(AddNote("表情", faces, "2026-01-01 08:00:00"), "Done");
    ASSERT_EQ(AddContact("王五", "1", "{QQ1QQ}{MS2MS}{SP3SP}{AL4AL}", "2026-01-01 08:00:00"),
              "Done");
    ShowList(0);
    EXPECT_EQ(page().Js("document.querySelectorAll('img[src^=\"icons/\"]').length").toInt(), 30);
    EXPECT_EQ(page().BrokenImages(), QStringList());
    ShowList(1);
    EXPECT_EQ(page().Js("document.querySelectorAll('.round_body_contain img').length").toInt(), 4);
    EXPECT_EQ(page().BrokenImages(), QStringList());
}

TEST_F(PageTest, LongTextsWrapWithoutHorizontalScrolling) {
    const std::string word(300, 'W');
    ASSERT_EQ(AddNote(word, "http://example.invalid/" + word + "\r\n第二行" + std::string(200, 'x'),
                      "2026-01-01 08:00:00"),
              "Done");
    ShowList(0);
    const QString overflow =
        "document.documentElement.scrollWidth - document.documentElement.clientWidth";
    EXPECT_LE(page().Js(overflow).toInt(), 0);
    EXPECT_EQ(page().Js("document.querySelectorAll('.round_body_contain br').length").toInt(), 1);
    // The box stays inside the window.
    EXPECT_LE(
        page().Js("document.querySelector('.round').getBoundingClientRect().right").toDouble(),
        391.0);
    page().Js("htit()");
    EXPECT_LE(page().Js(overflow).toInt(), 0);
}

TEST_F(PageTest, AnEmptyListPutsItsMessageUnderTheButton) {
    ShowList(1);
    const QString empty = "document.getElementById('MyWinS').classList.contains('empty')";
    EXPECT_TRUE(page().Js(empty).toBool());
    EXPECT_GT(page()
                  .Js("document.querySelector('#MyWinS .New').getBoundingClientRect().height")
                  .toDouble(),
              0.0);
    ASSERT_EQ(AddContact("赵六", "2", "", "2026-01-01 08:00:00"), "Done");
    ShowList(1);
    EXPECT_FALSE(page().Js(empty).toBool());
}

}  // namespace
}  // namespace korvane::test
