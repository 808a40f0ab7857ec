// The browser host in the real engine: the script object, command navigations,
// new windows, the input filter and writing markup into the page.
#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QNativeGestureEvent>
#include <QTest>
#include <QWebEngineScript>
#include <QWebEngineView>
#include <QWheelEvent>
#include <fstream>
#include <memory>
#include <optional>

#include "browser/externalcontainer.h"
#include "browser/inputfilter.h"
#include "browser/pagedom.h"
#include "logic/dispatch.h"
#include "mainwindow/attach.h"
#include "platform/codepage.h"
#include "support/tempdir.h"

namespace korvane {
namespace {

constexpr int kWait = 10000;

QVariant Eval(QWebEnginePage* page, const QString& script,
              quint32 world = QWebEngineScript::MainWorld) {
    auto state = std::make_shared<std::pair<bool, QVariant>>();
    page->runJavaScript(script, world, [state](const QVariant& value) {
        state->first = true;
        state->second = value;
    });
    EXPECT_TRUE(QTest::qWaitFor([&] { return state->first; }, kWait)) << script.toStdString();
    return state->second;
}

// One view with the full host, a page written to a temporary folder, and
// everything the host hands out recorded. As in the main window, the view's
// home is its page, page.html; the folder's name has a blank and Chinese
// characters, which the engine percent-encodes in the addresses it reports.
class BrowserHost : public ::testing::Test {
  protected:
    void SetUp() override {
        view_.resize(500, 400);
        container_ = new TExternalContainer(&view_);
        container_->SetCommandFilter(&IsCommandUrl);
        container_->SetCommandHandler([this](const std::string& url) { commands_.push_back(url); });
        container_->SetUrlOpener([this](const QUrl& url) { opened_.push_back(url); });
        container_->SetHomeUrl(UrlOf("page.html"));
        container_->External()->SetDoEx([this](const DoExCall& call) { calls_.push_back(call); });
        view_.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&view_));
    }

    QUrl Write(const std::string& name, const std::string& html) {
        const auto path = dir_.path() / name;
        std::ofstream(path, std::ios::binary) << html;
        return UrlOf(name);
    }

    QUrl UrlOf(const std::string& name) const {
        return QUrl::fromLocalFile(QString::fromStdString((dir_.path() / name).string()));
    }

    void Load(const QUrl& url) {
        bool finished = false;
        bool ok = false;
        auto connection =
            QObject::connect(page(), &QWebEnginePage::loadFinished, [&](bool success) {
                finished = true;
                ok = success;
            });
        view_.load(url);
        EXPECT_TRUE(QTest::qWaitFor([&] { return finished; }, kWait));
        QObject::disconnect(connection);
        EXPECT_TRUE(ok);
    }

    void LoadHtml(const std::string& body) { Load(Write("page.html", Page(body))); }

    static std::string Page(const std::string& body) {
        return "<!doctype html><html><head><meta charset=\"utf-8\">"
               "<script>window.seenAtStart = typeof window.external.MyDoEx;</script></head>"
               "<body style=\"margin:0\">" +
               body + "</body></html>";
    }

    QVariant Js(const QString& script) { return Eval(page(), script); }
    QWebEnginePage* page() { return view_.page(); }
    QWidget* renderWidget() { return view_.focusProxy(); }

    // Centre of an element, in the render widget's coordinates.
    QPoint CentreOf(const QString& id) {
        const QVariantList box =
            Js("(function(){var r=document.getElementById('" + id +
               "').getBoundingClientRect();return [r.left+r.width/2, r.top+r.height/2];})()")
                .toList();
        return QPoint(box.value(0).toInt(), box.value(1).toInt());
    }

    // Waits until a MyDoEx call with this name has arrived.
    bool WaitForCall(const QString& name) {
        return QTest::qWaitFor(
            [&] {
                for (const DoExCall& call : calls_) {
                    if (call.n == name) return true;
                }
                return false;
            },
            kWait);
    }

    test::TempDir dir_{"korvane web 网页"};
    QWebEngineView view_;
    TExternalContainer* container_ = nullptr;
    std::vector<std::string> commands_;
    std::vector<QUrl> opened_;
    std::vector<DoExCall> calls_;
};

TEST_F(BrowserHost, ScriptObjectExistsBeforeThePageScriptsAndForwardsAllTenArguments) {
    LoadHtml("<p>x</p>");
    EXPECT_EQ(Js("window.seenAtStart").toString(), "function");
    EXPECT_EQ(Js("window.external.MyDoEx(1, -2, 3, 4, 5, 'SHOW', 'f', 'v', 'KD', 'ASQL')"),
              QVariant(QString()));
    ASSERT_TRUE(WaitForCall("SHOW"));
    ASSERT_EQ(calls_.size(), 1u);
    const DoExCall& call = calls_[0];
    EXPECT_EQ((std::vector<int>{call.X, call.Y, call.W, call.H, call.HT}),
              (std::vector<int>{1, -2, 3, 4, 5}));
    EXPECT_EQ((QStringList{call.f, call.v, call.KD, call.ASQL}),
              (QStringList{"f", "v", "KD", "ASQL"}));
    // The page's globals are not touched by the object's own helpers.
    EXPECT_EQ(Js("typeof QWebChannel").toString(), "undefined");
    // What the channel cannot carry as it is arrives empty, and does not throw.
    EXPECT_EQ(Js("window.external.MyDoEx(function () {}, 0, 0, 0, 0, 'odd', {}, null, [1], 2)"),
              QVariant(QString()));
    ASSERT_TRUE(WaitForCall("odd"));
    EXPECT_EQ((QStringList{calls_[1].f, calls_[1].v, calls_[1].KD, calls_[1].ASQL}),
              (QStringList{"", "", "", "2"}));
}

TEST_F(BrowserHost, PageScriptReachesNothingButMyDoEx) {
    LoadHtml("<iframe></iframe>");
    // No channel transport in the page's world or a frame's, no QObject members
    // behind window.external, and no window.external.MyDoEx in a frame.
    EXPECT_EQ(Js("[typeof qt, typeof frames[0].qt, Object.getOwnPropertyNames(window.external),"
                 " typeof window.external.deleteLater, typeof window.external.objectName,"
                 " typeof frames[0].external.MyDoEx].join()")
                  .toString()
                  .toStdString(),
              "undefined,undefined,MyDoEx,undefined,undefined,undefined");
}

TEST_F(BrowserHost, CallsWithOtherThanTenArgumentsThrowAndNeverArrive) {
    LoadHtml("<p>x</p>");
    EXPECT_EQ(Js("try { window.external.MyDoEx(1, 2, 3, 4, 5, 'nine', 'f', 'v', 'KD'); 'no' }"
                 " catch (e) { e instanceof TypeError ? 'threw' : 'other' }")
                  .toString(),
              "threw");
    EXPECT_EQ(Js("try { window.external.MyDoEx(1,2,3,4,5,'eleven','f','v','KD','A',0); 'no' }"
                 " catch (e) { 'threw' }")
                  .toString(),
              "threw");
    // Lower case is passed on as it is; only the main window's rule ignores it.
    Js("window.external.MyDoEx(0, 0, 0, 0, 0, 'show', '', '', '', '')");
    ASSERT_TRUE(WaitForCall("show"));
    ASSERT_EQ(calls_.size(), 1u);
    EXPECT_EQ(ExternalRequestFor(calls_[0].n.toStdString()), ExternalRequest::kNone);
}

TEST_F(BrowserHost, CallsFromTheFirstInlineScriptArriveAndFramesCannotCall) {
    // The frame posts to the top window exactly what the stub would post.
    LoadHtml(std::string("<script>window.external.MyDoEx(0, 0, 0, 0, 0, 'early', '', '', '', '');"
                         "</script><iframe srcdoc=\"<script>parent.frameSaw = typeof "
                         "window.external.MyDoEx; parent.postMessage({") +
             kExternalMessageKey + ": [0, 0, 0, 0, 0, 'frame', '', '', '', '']}, '*');" +
             "</script>\"></iframe>");
    EXPECT_TRUE(WaitForCall("early"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return Js("window.frameSaw").toString() == "undefined"; }));
    QTest::qWait(300);
    Js("window.external.MyDoEx(0, 0, 0, 0, 0, 'late', '', '', '', '')");
    ASSERT_TRUE(WaitForCall("late"));
    EXPECT_EQ(calls_.size(), 2u);
}

TEST_F(BrowserHost, CommandNavigationsAreCancelledAndHandedOnLater) {
    const QUrl url = Write("page.html", Page("<p>x</p>"));
    Load(url);
    Js("location.href = 'http://command.korvane.invalid/reNote/'");
    ASSERT_TRUE(QTest::qWaitFor([&] { return !commands_.empty(); }, kWait));
    EXPECT_EQ(commands_, std::vector<std::string>{"http://command.korvane.invalid/reNote/"});
    EXPECT_EQ(page()->url(), url);
    EXPECT_EQ(Js("document.body.textContent").toString(), "x");

    // A frame's commands are refused and dropped, whether the frame's address
    // or its own script names them; the main frame's next one still counts.
    Js("var f = document.createElement('iframe'); document.body.appendChild(f);"
       "f.contentWindow.location.href = 'http://command.korvane.invalid/EdNo/3/';"
       "document.body.insertAdjacentHTML('beforeend',"
       " '<iframe src=\"http://command.korvane.invalid/DeNo/4/\"></iframe>');"
       "setTimeout(function () { location.href = 'http://command.korvane.invalid/reCont/'; },"
       " 300)");
    ASSERT_TRUE(QTest::qWaitFor([&] { return commands_.size() == 2; }, kWait));
    EXPECT_EQ(commands_[1], "http://command.korvane.invalid/reCont/");
}

// Exposes the engine's callback so it can be called directly.
class ProbePage : public TBodyPage {
  public:
    using TBodyPage::acceptNavigationRequest;
};

TEST(BodyPage, DecidesAtOnceAndRunsTheCommandFromTheEventLoop) {
    ProbePage page;
    std::vector<std::string> handled;
    page.SetCommandFilter(&IsCommandUrl);
    page.SetCommandHandler([&](const std::string& url) { handled.push_back(url); });
    const QUrl command("http://command.korvane.invalid/DeNo/5/");
    EXPECT_FALSE(
        page.acceptNavigationRequest(command, QWebEnginePage::NavigationTypeLinkClicked, true));
    EXPECT_TRUE(handled.empty());
    EXPECT_TRUE(QTest::qWaitFor([&] { return !handled.empty(); }, kWait));
    EXPECT_EQ(handled, std::vector<std::string>{"http://command.korvane.invalid/DeNo/5/"});
    for (const char* other : {"http://command.korvane.invalid/new0/", "file:///tmp/main.html",
                              "http://restore.korvane.invalid/x"}) {
        EXPECT_TRUE(
            page.acceptNavigationRequest(QUrl(other), QWebEnginePage::NavigationTypeTyped, true));
    }
    QCoreApplication::processEvents();
    EXPECT_EQ(handled.size(), 1u);
}

TEST(BodyPage, OnlyWebAndMessagingAddressesOfOtherHostsGoToTheDesktop) {
    for (const char* url :
         {"http://example.com/", "HTTPS://Example.com/a?b#c", "mailto:someone@example.com",
          "msnim:add?contact=a@b.c", "callto:123"}) {
        EXPECT_TRUE(OpensOnDesktop(QUrl(url))) << url;
    }
    for (const char* url :
         {"file:///etc/passwd", "smb://host/share", "javascript:alert(1)", "data:text/html,x",
          "about:blank", "ftp://example.com/", "view-source:https://example.com/", "http:nohost",
          "", "http://command.korvane.invalid/EdNo/2/", "https://COMMAND.korvane.invalid/",
          "http://restore.korvane.invalid/"}) {
        EXPECT_FALSE(OpensOnDesktop(QUrl(url))) << url;
    }
}

TEST(BodyPage, TheMainFrameOnlyLoadsAndReloadsItsHomePage) {
    ProbePage page;
    std::vector<std::string> handled;
    std::vector<QUrl> opened;
    page.SetCommandFilter(&IsCommandUrl);
    page.SetCommandHandler([&](const std::string& url) { handled.push_back(url); });
    page.SetUrlOpener([&](const QUrl& url) { opened.push_back(url); });
    page.SetHomeUrl(QUrl::fromLocalFile(QString::fromUtf8("/opt/korvane 程序/hd/main.html")));
    // The engine reports the path percent-encoded.
    const QString home = "file:///opt/korvane%20%E7%A8%8B%E5%BA%8F/hd/main.html";
    using P = QWebEnginePage;
    struct Case {
        QString url;
        P::NavigationType type;
        bool mainFrame;
        bool accepted;
    };
    for (const Case& c : std::vector<Case>{
             {home, P::NavigationTypeTyped, true, true},
             {home + "#top", P::NavigationTypeReload, true, true},
             {home, P::NavigationTypeLinkClicked, true, false},
             {home, P::NavigationTypeFormSubmitted, true, false},
             {home, P::NavigationTypeRedirect, true, false},  // refreshes, script reloads
             {home, P::NavigationTypeTyped, false, false},
             {home + "?x", P::NavigationTypeTyped, true, false},
             {"file:///opt/korvane%20%E7%A8%8B%E5%BA%8F/hd/x.html", P::NavigationTypeTyped, true,
              false},
             {"http://command.korvane.invalid/edno/2/", P::NavigationTypeLinkClicked, true, false},
             {"http://command.korvane.invalid/DeNo/5/", P::NavigationTypeLinkClicked, false, false},
             {"https://example.com/refresh", P::NavigationTypeRedirect, true, false},
             {"https://example.com/frame", P::NavigationTypeLinkClicked, false, false},
             {"https://example.com/link", P::NavigationTypeLinkClicked, true, false},
         }) {
        EXPECT_EQ(page.acceptNavigationRequest(QUrl(c.url), c.type, c.mainFrame), c.accepted)
            << c.url.toStdString() << " " << c.type << " " << c.mainFrame;
    }
    EXPECT_TRUE(opened.empty());  // not inside the engine's callback
    EXPECT_TRUE(QTest::qWaitFor([&] { return !opened.empty(); }, kWait));
    QCoreApplication::processEvents();
    EXPECT_EQ(opened, std::vector<QUrl>{QUrl("https://example.com/link")});
    EXPECT_TRUE(handled.empty());
}

TEST_F(BrowserHost, TheViewStaysOnItsPageWhateverThePageAsksFor) {
    Write("next.html", Page("<p>next</p>"));
    LoadHtml(
        "<p id='text'>still here</p><form id='post' method='post' action='next.html'></form>"
        "<a id='mistyped' href='http://command.korvane.invalid/edno/2/' "
        "style='display:block;height:30px'>a</a>"
        "<a id='next' href='next.html' style='display:block;height:30px'>b</a>"
        "<a id='web' href='https://example.com/x' style='display:block;height:30px'>c</a>"
        "<script>window.kept = 1;</script>");
    for (const char* script : {"location.href = 'next.html'",
                               "location.href = 'https://command.korvane.invalid/EdNo/2/'",
                               "location.href = 'http://command.korvane.invalid'",
                               "location.reload()", "document.getElementById('post').submit()",
                               "document.head.insertAdjacentHTML('beforeend',"
                               " '<meta http-equiv=\"refresh\" content=\"0;url=next.html\">')"}) {
        Js(script);
        QTest::qWait(300);
    }
    for (const char* link : {"mistyped", "next", "web"}) {
        QTest::mouseClick(renderWidget(), Qt::LeftButton, {}, CentreOf(link));
    }
    ASSERT_TRUE(QTest::qWaitFor([&] { return !opened_.empty(); }, kWait));
    QTest::qWait(300);
    EXPECT_EQ(opened_, std::vector<QUrl>{QUrl("https://example.com/x")});
    EXPECT_TRUE(commands_.empty());
    EXPECT_EQ(page()->url(), UrlOf("page.html"));
    EXPECT_EQ(Js("window.kept").toInt(), 1);  // never reloaded either
    EXPECT_EQ(Js("document.getElementById('text').textContent").toString(), "still here");
}

TEST_F(BrowserHost, AMainFrameLeftBlankGetsItsPageBack) {
    // The engine commits about:blank without asking the page object.
    LoadHtml("<p id='text'>home</p>");
    Js("location.href = 'about:blank'");
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            return page()->url() == UrlOf("page.html") &&
                   Js("document.getElementById('text') && 'found'").toString() == "found";
        },
        kWait));
}

TEST_F(BrowserHost, NewWindowsOpenOnlyWebAndMessagingAddresses) {
    LoadHtml(
        "<a id='share' target='_blank' href='smb://host/share' style='display:block;height:30px'>"
        "s</a><a id='web' target='_blank' href='https://example.com/w' "
        "style='display:block;height:30px'>w</a>");
    Js("['file:///etc/passwd', 'javascript:1', 'data:text/html,x',"
       " 'http://command.korvane.invalid/reNote/'].forEach(function (u) { window.open(u); })");
    QTest::mouseClick(renderWidget(), Qt::LeftButton, {}, CentreOf("share"));
    QTest::mouseClick(renderWidget(), Qt::LeftButton, {}, CentreOf("web"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !opened_.empty(); }, kWait));
    QTest::qWait(300);
    EXPECT_EQ(opened_, std::vector<QUrl>{QUrl("https://example.com/w")});
    EXPECT_TRUE(commands_.empty());
    EXPECT_EQ(page()->url(), UrlOf("page.html"));
}

TEST_F(BrowserHost, WithoutAHomePageOrdinaryNavigationsProceed) {
    container_->SetHomeUrl({});
    LoadHtml("<a id='next' href='next.html'>next</a>");
    const QUrl next = Write("next.html", Page("<p>next page</p>"));
    bool finished = false;
    QObject::connect(page(), &QWebEnginePage::loadFinished, [&] { finished = true; });
    Js("document.getElementById('next').click()");
    ASSERT_TRUE(QTest::qWaitFor([&] { return finished; }, kWait));
    EXPECT_EQ(page()->url(), next);
    EXPECT_TRUE(commands_.empty());
}

TEST_F(BrowserHost, NewWindowLinksGoToTheSystemHandler) {
    LoadHtml(
        "<a id='web' target='_blank' href='http://example.invalid/chat?uid=7' "
        "style='display:block;height:40px'>web</a>"
        "<a id='msn' target='_blank' href='msnim:add?contact=someone' "
        "style='display:block;height:40px'>msn</a>");
    QTest::mouseClick(renderWidget(), Qt::LeftButton, {}, CentreOf("web"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !opened_.empty(); }, kWait));
    EXPECT_EQ(opened_[0], QUrl("http://example.invalid/chat?uid=7"));
    QTest::mouseClick(renderWidget(), Qt::LeftButton, {}, CentreOf("msn"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return opened_.size() == 2; }, kWait));
    EXPECT_EQ(opened_[1], QUrl("msnim:add?contact=someone"));
    EXPECT_EQ(view_.findChildren<QWebEngineView*>().size(), 0);
}

TEST_F(BrowserHost, RightClicksNeverReachThePage) {
    LoadHtml(
        "<div id='area' style='height:200px'>area</div>"
        "<script>window.buttons = []; window.menus = 0;"
        "document.addEventListener('mousedown', function (e) { buttons.push(e.button); });"
        "document.addEventListener('contextmenu', function () { menus++; });</script>");
    const QPoint at = CentreOf("area");
    QTest::mouseClick(renderWidget(), Qt::RightButton, {}, at);
    QTest::mouseDClick(renderWidget(), Qt::RightButton, {}, at);
    // A left click afterwards shows when the page has seen everything sent.
    QTest::mouseClick(renderWidget(), Qt::LeftButton, {}, at);
    ASSERT_TRUE(QTest::qWaitFor([&] { return Js("buttons.length").toInt() > 0; }, kWait));
    EXPECT_EQ(Js("buttons.join(',')").toString(), "0");
    EXPECT_EQ(Js("menus").toInt(), 0);
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
}

TEST_F(BrowserHost, AContextMenuAskedForFromTheKeyboardStillOpens) {
    LoadHtml("<input id='box'>");
    Js("document.getElementById('box').focus()");
    QTest::keyClick(renderWidget(), Qt::Key_Menu);
    ASSERT_TRUE(
        QTest::qWaitFor([] { return QApplication::activePopupWidget() != nullptr; }, kWait));
    QApplication::activePopupWidget()->close();
}

TEST_F(BrowserHost, TheFilterFollowsTheRenderWidgetTheEngineReplaces) {
    container_->SetHomeUrl({});
    LoadHtml("<p>first</p>");
    QWidget* first = renderWidget();
    // Changing sites makes the engine create a new render widget.
    bool finished = false;
    auto connection =
        QObject::connect(page(), &QWebEnginePage::loadFinished, [&] { finished = true; });
    view_.load(QUrl("http://127.0.0.1:9/"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return finished; }, kWait));
    QObject::disconnect(connection);
    ASSERT_TRUE(QTest::qWaitFor([&] { return renderWidget() != first; }, kWait));
    LoadHtml(
        "<div id='area' style='height:200px'>area</div>"
        "<script>window.buttons = [];"
        "document.addEventListener('mousedown', function (e) { buttons.push(e.button); "
        "});</script>");
    const QPoint at = CentreOf("area");
    QTest::mouseClick(renderWidget(), Qt::RightButton, {}, at);
    QTest::mouseClick(renderWidget(), Qt::LeftButton, {}, at);
    ASSERT_TRUE(QTest::qWaitFor([&] { return Js("buttons.length").toInt() > 0; }, kWait));
    EXPECT_EQ(Js("buttons.join(',')").toString(), "0");
}

TEST_F(BrowserHost, TextFieldsKeepTheirEditingKeys) {
    LoadHtml("<input id='box'>");
    Js("document.getElementById('box').focus()");
    const auto becomes = [&](const QString& text) {
        return QTest::qWaitFor(
            [&] { return Js("document.getElementById('box').value").toString() == text; }, kWait);
    };
    QTest::keyClicks(renderWidget(), "abc def");
    ASSERT_TRUE(becomes("abc def"));
    QTest::keyClick(renderWidget(), Qt::Key_Backspace, Qt::ControlModifier);  // a word
    EXPECT_TRUE(becomes("abc "));
    QTest::keyClick(renderWidget(), Qt::Key_Z, Qt::ControlModifier);  // undo
    EXPECT_TRUE(becomes("abc def"));
    QTest::keyClick(renderWidget(), Qt::Key_Y, Qt::ControlModifier);  // redo
    EXPECT_TRUE(becomes("abc "));
    QTest::keyClick(renderWidget(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_TRUE(becomes("abc def"));
    QTest::keyClick(renderWidget(), Qt::Key_Left, Qt::ControlModifier);  // back a word
    QTest::keyClicks(renderWidget(), "q");
    EXPECT_TRUE(becomes("abc qdef"));
    // Ctrl+A selects everything: the next letter replaces it.
    QTest::keyClick(renderWidget(), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(renderWidget(), "x");
    EXPECT_TRUE(becomes("x"));
}

TEST_F(BrowserHost, TheEngineNeitherNavigatesNorReloadsNorZoomsOnItsOwn) {
    // Without a home page, so that only the withholding keeps the view here.
    container_->SetHomeUrl({});
    Load(Write("first.html", Page("<p>first</p>")));
    LoadHtml("<input id='box'>");
    Js("window.kept = 1; document.getElementById('box').focus()");  // gone if loaded again
    for (const QKeyCombination key :
         {Qt::ALT | Qt::Key_Left, Qt::ALT | Qt::Key_Right, Qt::CTRL | Qt::Key_R,
          QKeyCombination(Qt::Key_F5), Qt::CTRL | Qt::Key_Plus, Qt::CTRL | Qt::Key_Minus}) {
        QTest::keyClick(renderWidget(), key.key(), key.keyboardModifiers());
    }
    const QPoint at = CentreOf("box");
    QTest::mouseClick(renderWidget(), Qt::BackButton, {}, at);
    QWheelEvent zoom(at, renderWidget()->mapToGlobal(at), {}, {0, 120}, Qt::NoButton,
                     Qt::ControlModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(renderWidget(), &zoom);
    page()->triggerAction(QWebEnginePage::Reload);
    QTest::qWait(300);
    view_.back();
    // Once the page has the letter typed last it has had everything before.
    QTest::keyClicks(renderWidget(), "z");
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return Js("document.getElementById('box').value").toString() == "z"; }, kWait));
    QTest::qWait(500);
    EXPECT_EQ(page()->url(), UrlOf("page.html"));
    EXPECT_EQ(Js("window.kept").toInt(), 1);
    EXPECT_EQ(view_.zoomFactor(), 1.0);
}

TEST(InputFilter, WithholdsTheEnginesOwnMouseControlsButNoKeys) {
    EXPECT_FALSE(
        IsWithheldInput(QKeyEvent(QEvent::ShortcutOverride, Qt::Key_Z, Qt::ControlModifier)));
    EXPECT_FALSE(IsWithheldInput(QKeyEvent(QEvent::KeyPress, Qt::Key_Left, Qt::AltModifier)));
    const QPointF at(5, 5);
    const auto click = [&](Qt::MouseButton button) {
        return IsWithheldInput(
            QMouseEvent(QEvent::MouseButtonDblClick, at, at, button, button, {}));
    };
    EXPECT_TRUE(click(Qt::RightButton) && click(Qt::BackButton) && click(Qt::ForwardButton));
    EXPECT_FALSE(click(Qt::LeftButton) || click(Qt::MiddleButton));
    const auto wheel = [&](Qt::KeyboardModifiers modifiers) {
        return IsWithheldInput(
            QWheelEvent(at, at, {}, {0, 120}, Qt::NoButton, modifiers, Qt::NoScrollPhase, false));
    };
    EXPECT_TRUE(wheel(Qt::ControlModifier | Qt::ShiftModifier));
    EXPECT_FALSE(wheel(Qt::ShiftModifier));
    const auto gesture = [&](Qt::NativeGestureType type) {
        return IsWithheldInput(QNativeGestureEvent(type, QPointingDevice::primaryPointingDevice(),
                                                   2, at, at, at, 0.1, {}, 0));
    };
    EXPECT_TRUE(gesture(Qt::ZoomNativeGesture));
    EXPECT_FALSE(gesture(Qt::PanNativeGesture));
}

TEST(PageText, JsStringLiteralsCannotBeBrokenOutOf) {
    EXPECT_EQ(JsStringLiteral("a\"b\\c</script>\n\u2028"), "\"a\\\"b\\\\c<\\/script>\\n\\u2028\"");
}

TEST_F(BrowserHost, HostileMarkupArrivesVerbatimInTheListElement) {
    LoadHtml("<div id='MyWinS'>old</div><div id='MyWinS'>second</div>");
    const QString hostile = QString::fromUtf8(
        "a\"b'c\\d</script><script>window.pwned=1</script>\xe2\x80\xa8"
        "e\xe2\x80\xa9"
        "f\ng${1}%1%2\\u0022 `x` </textarea");
    bool found = false;
    bool done = false;
    SetInnerHtmlById(page(), "MyWinS", "<textarea id='t'>" + hostile + "</textarea>", [&](bool f) {
        found = f;
        done = true;
    });
    ASSERT_TRUE(QTest::qWaitFor([&] { return done; }, kWait));
    EXPECT_TRUE(found);
    EXPECT_EQ(Js("document.getElementById('t').value").toString(), hostile);
    EXPECT_EQ(Js("typeof window.pwned").toString(), "undefined");
    // Only the first element with the id is written.
    EXPECT_EQ(Js("document.querySelectorAll('#MyWinS')[1].innerHTML").toString(), "second");
}

TEST_F(BrowserHost, ListsAreRenderedOnlyForAPageWithTheListElement) {
    LoadHtml("<p id='other'>no list</p>");
    int rendered = 0;
    std::optional<bool> found;
    auto render = [&] {
        ++rendered;
        return Cp("<b>中文</b>");
    };
    FillListElement(page(), render, [&](bool f) { found = f; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return found.has_value(); }, kWait));
    EXPECT_FALSE(*found);
    EXPECT_EQ(rendered, 0);

    LoadHtml("<div id='MyWinS'></div><script>window.hits = 0;</script>");
    found.reset();
    FillListElement(
        page(), [] { return Cp("<b>中文</b><i id='go' onclick='window.hits++'>go</i>"); },
        [&](bool f) { found = f; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return found.has_value(); }, kWait));
    EXPECT_TRUE(*found);
    EXPECT_EQ(Js("document.getElementById('MyWinS').textContent").toString(),
              QString::fromUtf8("中文go"));
    // Handlers in the written markup run in the page's own script world.
    EXPECT_EQ(Js("document.getElementById('go').click(); window.hits").toInt(), 1);
}

// The main window's side of the commands, reduced to the list writing.
class ListOnlyHost : public DispatchHost {
  public:
    explicit ListOnlyHost(QWebEnginePage* page) : page_(page) {}
    void SetPage(QWebEnginePage* page) { page_ = page; }
    void ShowStandard() override {}
    bool EditNote(int) override { return false; }
    bool EditContact(int) override { return false; }
    bool Ask(const std::string&) override { return false; }
    void Notify(const std::string&) override {}
    StoreResult DeleteRecord(RecordKind, int64_t) override { return {StoreStatus::Failed}; }
    void OfferUndo(RecordKind, int64_t) override {}
    StoreResult Trash(TrashAction, int64_t) override { return {StoreStatus::Failed}; }
    void ShowList(const ListRequest& request) override {
        FillListElement(page_, [kind = request.kind] {
            return Cp("<p id='rendered'>列表 ") + std::to_string(kind) + "</p>";
        });
    }

  private:
    QWebEnginePage* page_;
};

TEST(BrowserWiring, TheShippedPageDrivesTheHostLikeTheMainWindowWiresIt) {
    QWebEngineView view;
    ListOnlyHost host(nullptr);
    std::vector<QString> names;
    TExternalContainer* container = AttachBrowserHost(
        &view, [&host](const std::string& url) { RunCommand(url, host); },
        [&](const DoExCall& call) { names.push_back(call.n); });
    const QUrl url = QUrl::fromLocalFile(KORVANE_DATA_DIR "/hd/main.html");
    container->SetHomeUrl(url);
    host.SetPage(view.page());
    bool finished = false;
    QObject::connect(view.page(), &QWebEnginePage::loadFinished, [&] { finished = true; });
    view.load(url);
    ASSERT_TRUE(QTest::qWaitFor([&] { return finished; }, kWait));

    Eval(view.page(), "location.href = 'http://command.korvane.invalid/reCont/'");
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            return Eval(view.page(), "(document.getElementById('rendered') || {}).textContent")
                       .toString() == QString::fromUtf8("列表 1");
        },
        kWait));
    EXPECT_EQ(view.page()->url(), url);

    EXPECT_EQ(Eval(view.page(), "CallHost('SHOW')").toBool(), true);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !names.empty(); }, kWait));
    EXPECT_EQ(names, std::vector<QString>{"SHOW"});
}

TEST_F(BrowserHost, APlainContainerGivesThePageNoScriptObject) {
    QWebEngineView plain;
    auto* container = new TNulWBContainer(&plain);
    ASSERT_EQ(plain.page(), container->Page());
    bool finished = false;
    QObject::connect(plain.page(), &QWebEnginePage::loadFinished, [&] { finished = true; });
    plain.load(Write("plain.html", Page("<p>plain</p>")));
    ASSERT_TRUE(QTest::qWaitFor([&] { return finished; }, kWait));
    EXPECT_EQ(Eval(plain.page(), "window.seenAtStart").toString(), "undefined");
}

}  // namespace
}  // namespace korvane
