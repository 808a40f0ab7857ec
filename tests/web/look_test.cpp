// The page light and dark and at twice the pixels: the root's class switches
// the colours, every text of a record (the editor's snippets, and markup a
// note only shows as typed) keeps a WCAG contrast of at least 4.5 on its box,
// the pictures come from the files drawn for the theme and the screen's pixel
// ratio at unchanged sizes, and the program puts the class on the page it
// loads.
#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QWebEngineScriptCollection>
#include <QWebEngineUrlRequestInterceptor>

#include "page_harness.h"
#include "platform/profile.h"
#include "program_harness.h"

namespace korvane::test {
namespace {

// The lowest WCAG contrast of any text in a record body against the
// background colour of its box, over every element in the bodies.
const char kLowestContrast[] = R"(
(function () {
    function rgb(text) { return text.match(/[\d.]+/g).slice(0, 3).map(Number); }
    function luminance(c) {
        var l = c.map(function (v) {
            v /= 255;
            return v <= 0.03928 ? v / 12.92 : Math.pow((v + 0.055) / 1.055, 2.4);
        });
        return 0.2126 * l[0] + 0.7152 * l[1] + 0.0722 * l[2];
    }
    var lowest = 99;
    document.querySelectorAll('.round').forEach(function (box) {
        var back = luminance(rgb(getComputedStyle(box).backgroundColor));
        box.querySelectorAll('.round_body_contain, .round_body_contain *, .t').forEach(function (e) {
            var ink = luminance(rgb(getComputedStyle(e).color));
            var ratio = (Math.max(ink, back) + 0.05) / (Math.min(ink, back) + 0.05);
            lowest = Math.min(lowest, ratio);
        });
    });
    return lowest;
})()
)";

// The files the page asks for, by their path below hd/.
class Fetches : public QWebEngineUrlRequestInterceptor {
  public:
    void interceptRequest(QWebEngineUrlRequestInfo& info) override {
        const QString url = info.requestUrl().toString();
        const int at = url.lastIndexOf(QStringLiteral("/hd/"));
        if (at >= 0) seen.append(url.mid(at + 4));
    }
    QStringList seen;
};

class LookTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(OpenDatabase(), "1");
        ASSERT_EQ(AddNote("格式",
                          "<span class=\"Tred\">红粗</span><span class=\"TBred\">大红粗</span>"
                          "<span class=\"TBlank\">黑粗</span><span class=\"TBBl\">大黑粗</span>"
                          "<font color=red>红字</font><font color=\"#000000\">黑字</font>"
                          "{EM7EM}<a href=\"http://example.invalid/\">链接</a>",
                          "2026-01-01 08:00:00"),
                  "Done");
        ASSERT_EQ(AddContact("王五", "1", "{QQ1QQ}{MS2MS}", "2026-01-02 08:00:00"), "Done");
        harness_ = std::make_unique<PageHarness>(app_);
        ASSERT_TRUE(harness_->loaded());
        harness_->page().setUrlRequestInterceptor(&fetches_);
    }

    void TearDown() override {
        if (harness_) harness_->page().setUrlRequestInterceptor(nullptr);
    }

    bool Fetched(const QStringList& names) {
        return WaitUntil([&] {
            for (const QString& name : names) {
                if (!fetches_.seen.contains(name)) return false;
            }
            return true;
        });
    }

    void ShowNotes() {
        const int before = harness_->listWrites;
        harness_->Js("ShowList(0)");
        ASSERT_TRUE(WaitUntil([&] { return harness_->listWrites > before; }, 5000));
    }

    void SetDark(bool dark) {
        harness_->Js(dark ? "document.documentElement.classList.add('dark')"
                          : "document.documentElement.classList.remove('dark')");
    }

    QString Style(const QString& selector, const QString& property) {
        return harness_
            ->Js("getComputedStyle(document.querySelector(" + JsString(selector) + "))." + property)
            .toString();
    }

    AppFolder app_;
    Fetches fetches_;
    std::unique_ptr<PageHarness> harness_;
};

TEST_F(LookTest, TheDarkClassSwitchesThePageAndItsBoxes) {
    ShowNotes();
    EXPECT_EQ(Style("body", "backgroundColor"), "rgb(238, 242, 246)");
    EXPECT_EQ(Style(".round", "backgroundColor"), "rgb(255, 255, 255)");
    SetDark(true);
    EXPECT_EQ(Style("body", "backgroundColor"), "rgb(27, 31, 36)");
    EXPECT_EQ(Style(".round", "backgroundColor"), "rgb(38, 43, 50)");
    EXPECT_EQ(Style(".t", "color"), "rgb(227, 232, 238)");
    EXPECT_EQ(Style("#findBox", "colorScheme"), "dark");
    // The compact view keeps the class, and the class the compact view.
    harness_->Js("htit()");
    EXPECT_EQ(harness_->Js("document.documentElement.className").toString(), "dark compact");
    harness_->Js("stit()");
    EXPECT_EQ(harness_->Js("document.documentElement.className").toString(), "dark");
    SetDark(false);
    EXPECT_EQ(Style("body", "backgroundColor"), "rgb(238, 242, 246)");
}

// Light and dark alike: the snippets, links and the markup a note shows as
// text all read on their box; the stored text is the same in both.
TEST_F(LookTest, EveryTextReadsOnItsBoxLightAndDark) {
    ShowNotes();
    const QString body =
        harness_->Js("document.querySelector('.round_body_contain').innerHTML").toString();
    EXPECT_TRUE(body.contains("&lt;font color=red&gt;")) << body.toStdString();
    for (const bool dark : {false, true}) {
        SetDark(dark);
        EXPECT_GE(harness_->Js(kLowestContrast).toDouble(), 4.5) << (dark ? "dark" : "light");
        const QStringList channels =
            Style(".TBred", "color").remove("rgb(").remove(')').split(", ");
        ASSERT_EQ(channels.size(), 3);
        EXPECT_GT(channels[0].toInt(), channels[1].toInt() + 80) << "red stays red";
    }
    EXPECT_EQ(harness_->Js("document.querySelector('.round_body_contain').innerHTML").toString(),
              body);
}

TEST_F(LookTest, PicturesComeFromTheFilesForTheThemeAndRatio) {
    ShowNotes();
    EXPECT_EQ(harness_->BrokenImages(), QStringList());
    EXPECT_TRUE(Fetched({"icons/7.png", "image/sedit.png", "image/dele.png", "images/box/tl.jpg"}))
        << fetches_.seen.join(' ').toStdString();
    EXPECT_FALSE(fetches_.seen.contains("icons/7@2x.png"));
    // Laid out as the markup's own pictures: the face and the corner at
    // their size, the icon at 16 pixels with its 3 pixels of padding.
    const auto size = [&](const char* selector) {
        return harness_
            ->Js("(function(){var r=document.querySelector(" + JsString(selector) +
                 ").getBoundingClientRect();return r.width+'x'+r.height;})()")
            .toString();
    };
    const char* const pictures[] = {"img[src='icons/7.gif']", "img[src='image/sedit.gif']",
                                    "img[src='images/box/tl.jpg']"};
    const QStringList sizes = {"22x22", "22x22", "6x6"};
    for (int i = 0; i < 3; ++i) EXPECT_EQ(size(pictures[i]), sizes[i]) << pictures[i];

    SetDark(true);
    EXPECT_TRUE(Fetched({"images/box/rb-dark.png"})) << fetches_.seen.join(' ').toStdString();

    // Twice the device pixels (the zoom stands in for the screen's ratio):
    // the @2x files, at the same sizes in the page.
    harness_->page().setZoomFactor(2);
    EXPECT_TRUE(WaitUntil([&] { return harness_->Js("window.devicePixelRatio").toDouble() >= 2; }));
    ShowNotes();
    EXPECT_TRUE(Fetched({"icons/7@2x.png", "image/sedit@2x.png", "images/box/tl-dark@2x.png"}))
        << fetches_.seen.join(' ').toStdString();
    EXPECT_EQ(harness_->BrokenImages(), QStringList());
    for (int i = 0; i < 3; ++i) EXPECT_EQ(size(pictures[i]), sizes[i]) << pictures[i];
}

TEST_F(LookTest, BadgesKeepTheirSizeAtTwiceThePixels) {
    const int before = harness_->listWrites;
    harness_->Js("ShowList(1)");
    ASSERT_TRUE(WaitUntil([&] { return harness_->listWrites > before; }, 5000));
    harness_->page().setZoomFactor(2);
    EXPECT_TRUE(Fetched({"image/QQ@2x.png", "image/MS@2x.png"}))
        << fetches_.seen.join(' ').toStdString();
    EXPECT_EQ(harness_->BrokenImages(), QStringList());
    EXPECT_EQ(harness_
                  ->Js("(function(){var r=document.querySelector(\"img[src='image/QQ.gif']\")"
                       ".getBoundingClientRect();return r.width+'x'+r.height;})()")
                  .toString(),
              "24x15");
}

// The program marks its page dark from the first moment of every load when
// sys.ini says so.
TEST(ProgramLook, TheWindowsPageIsDarkWhenTheSettingsSayDark) {
    AppFolder app("look program");
    ScopedConfigHome config("look program config");
    ASSERT_TRUE(platform::WriteProfileString(app.CodePageDir() + "sys.ini", "ui", "theme", "dark"));
    TMyHappy window(app.CodePageDir() + "korvane");
    QWebEngineView* view = Find<QWebEngineView>(window, "MyBody");
    QSignalSpy loaded(view, &QWebEngineView::loadFinished);
    window.show();
    ASSERT_TRUE(loaded.wait(20000) || !loaded.isEmpty());
    const auto eval = [view](const QString& script) {
        auto result = std::make_shared<std::optional<QVariant>>();
        view->page()->runJavaScript(script, [result](const QVariant& v) { *result = v; });
        (void)Eventually([&] { return result->has_value(); }, 5000);
        return result->value_or(QVariant());
    };
    EXPECT_EQ(eval("document.documentElement.classList.contains('dark')").toBool(), true);
    EXPECT_EQ(eval("getComputedStyle(document.body).backgroundColor").toString(),
              "rgb(27, 31, 36)");
    EXPECT_EQ(view->page()->backgroundColor(), QColor(0x1B, 0x1F, 0x24));
    // The caption between the title and the buttons.
    EXPECT_LT(Find<QWidget>(window, "PLC")->grab().toImage().pixelColor(250, 14).lightness(), 80);
    // Every later load of the page gets the class with its document.
    const QList<QWebEngineScript> scripts = view->page()->scripts().find("korvane-theme");
    ASSERT_EQ(scripts.size(), 1);
    EXPECT_EQ(scripts.first().injectionPoint(), QWebEngineScript::DocumentCreation);
    EXPECT_TRUE(scripts.first().sourceCode().contains("(true)"));
    window.close();
}

}  // namespace
}  // namespace korvane::test
