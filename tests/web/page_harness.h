// The shipped page in a real web engine view, with a stand-in for the program:
// navigations to the command host are recorded and cancelled, and the two
// list commands write the rendered list into #MyWinS as the program does.
#pragma once

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineView>
#include <filesystem>
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "browser/pagedom.h"
#include "logic/dispatch.h"
#include "mainwindow/listanswer.h"
#include "platform/codepage.h"
#include "render/finder.h"
#include "render/listpage.h"
#include "render/storetexts.h"
#include "store/notebook.h"
#include "support/tempdir.h"
#include "support/waits.h"

// Readable test failures for Qt strings.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace korvane::test {

inline constexpr char kCommandBase[] = "http://command.korvane.invalid/";
inline constexpr char kRestoreUrl[] = "http://restore.korvane.invalid/";

// Records every navigation request and lets none of the program's pseudo-URLs through.
class RecordingPage : public QWebEnginePage {
  public:
    using QWebEnginePage::QWebEnginePage;

    std::vector<QString> requests;
    std::vector<QString> errors;  // console errors of the page
    std::function<void(const QString&)> onCommand;

  protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType, bool) override {
        const QString text = url.toString();
        requests.push_back(text);
        const bool command =
            url.host() == "command.korvane.invalid" || url.host() == "restore.korvane.invalid";
        if (command && onCommand) {
            // Never work inside the engine's callback: decide now, act later.
            QTimer::singleShot(0, this, [this, text] { onCommand(text); });
        }
        return !command;
    }

    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString& message,
                                  int line, const QString&) override {
        if (level == ErrorMessageLevel)
            errors.push_back(message + " (line " + QString::number(line) + ")");
    }
};

// A JavaScript string literal holding `text`.
inline QString JsString(const QString& text) {
    const QByteArray json = QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact);
    return QString::fromUtf8(json.mid(1, json.size() - 2));
}

inline QString FromProgram(const std::string& codePage) {
    return QString::fromUtf8(platform::FromCodePage(codePage));
}

class PageHarness {
  public:
    // Loads hd/main.html of `app` into a view of the program's window size.
    explicit PageHarness(const AppFolder& app, QSize size = QSize(391, 570)) {
        page_ = new RecordingPage(&profile_, &view_);
        view_.setPage(page_);
        view_.resize(size);
        view_.show();
        page_->onCommand = [this](const QString& url) { Dispatch(url); };
        QSignalSpy loaded(page_, &QWebEnginePage::loadFinished);
        const auto file = app.path() / "hd" / "main.html";
        page_->load(QUrl::fromLocalFile(QString::fromStdString(file.string())));
        loadOk_ = loaded.wait(20000) && loaded.first().first().toBool();
        page_->requests.clear();
    }

    bool loaded() const { return loadOk_; }
    RecordingPage& page() { return *page_; }
    QWebEngineView& view() { return view_; }

    // Runs script in the page and waits for its value.
    QVariant Js(const QString& script) {
        QVariant result;
        bool done = false;
        page_->runJavaScript(script, [&](const QVariant& v) {
            result = v;
            done = true;
        });
        (void)WaitUntil([&] { return done; }, 10000);
        return result;
    }

    // Runs script and reports "ok" or the exception it threw.
    QString JsGuarded(const QString& script) {
        return Js("(function(){try{" + script + ";return 'ok';}catch(e){return 'threw: '+e;}})()")
            .toString();
    }

    // The next navigation the page asks for, or "" when none comes within the wait.
    QString NextRequest(int timeoutMs = 5000) {
        (void)WaitUntil([&] { return seen_ < page_->requests.size(); }, timeoutMs);
        return seen_ < page_->requests.size() ? page_->requests[seen_++] : QString();
    }

    // Skips the requests made so far.
    void Forget() { seen_ = page_->requests.size(); }

    void SetList(const QString& html) {
        Js("document.getElementById('MyWinS').innerHTML = " + JsString(html) + ";");
    }

    // Waits until every picture in the page has finished loading; returns the
    // sources of those that failed.
    QStringList BrokenImages() {
        (void)WaitUntil(
            [&] { return Js("Array.from(document.images).every(i => i.complete)").toBool(); },
            10000);
        return Js("Array.from(document.images).filter(i => !i.complete || i.naturalWidth === 0)"
                  ".map(i => i.getAttribute('src'))")
            .toStringList();
    }

    int listWrites = 0;

  private:
    // What the program does with the list commands and the window requests.
    void Dispatch(const QString& url) {
        ListRequest request;
        if (auto window = WindowRequestFor(url.toStdString())) {
            request = *window;
        } else if (auto found = FindRequestFor(url.toStdString())) {
            request = *found;
        } else if (url == QString(kCommandBase) + "reCont/") {
            request.kind = kContactKind;
        } else if (url == QString(kCommandBase) + "reTrash/") {
            request.kind = kTrashListKind;
        } else if (url != QString(kCommandBase) + "reNote/") {
            return;
        }
        ShowList(request);
    }

  public:
    // Hands the page a list as the program does; listWrites counts it once
    // the page has taken it.
    void ShowList(const ListRequest& request) {
        FillListWindow(
            page_, [this, request] { return ListAnswer(request, finder_); },
            [this](bool) { ++listWrites; });
    }

  private:
    // Declared in this order so the view, and with it the page, goes before
    // the profile. The profile is off the record: nothing is written to disk.
    QWebEngineProfile profile_;
    QWebEngineView view_;
    RecordingPage* page_ = nullptr;
    FindIndex finder_;
    size_t seen_ = 0;
    bool loadOk_ = false;
};

// Adds records the way the editors store them (texts in UTF-8 here).
inline std::string AddNote(const std::string& title, const std::string& body,
                           const std::string& date) {
    return ExecSql("INSERT INTO mylist(title,content,state,cre_date)VALUES('" +
                   ReplaceApostrophes(platform::ToCodePage(title)) + "','" +
                   ReplaceApostrophes(platform::ToCodePage(body)) + "',0,'" + date + "')");
}

inline std::string AddContact(const std::string& name, const std::string& tel,
                              const std::string& remark, const std::string& date) {
    return ExecSql("INSERT INTO mylist(title,tel,content,state,cre_date)VALUES('" +
                   ReplaceApostrophes(platform::ToCodePage(name)) + "','" +
                   ReplaceApostrophes(platform::ToCodePage(tel)) + "','" +
                   ReplaceApostrophes(platform::ToCodePage(remark)) + "',1,'" + date + "')");
}

// A test over the page loaded on a fresh notebook, showing one of its lists.
// Any script error the page reported fails the test.
class ListPageTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_EQ(OpenDatabase(), "1"); }

    void TearDown() override {
        if (harness_) {
            EXPECT_TRUE(harness_->page().errors.empty())
                << harness_->page().errors.front().toStdString();
        }
    }

    // Loads the page and shows the notes (0), the contacts (1) or the trash
    // (2) as its tabs ask for them.
    void LoadList(int kind) {
        harness_ = std::make_unique<PageHarness>(app_);
        ASSERT_TRUE(harness_->loaded());
        const int before = harness_->listWrites;
        harness_->Js(kind == 0 ? "ShowList(0)" : kind == 1 ? "ShowList(1)" : "ShowTrash()");
        ASSERT_TRUE(WaitUntil([&] { return harness_->listWrites > before; }, 5000));
    }

    PageHarness& page() { return *harness_; }

    AppFolder app_;
    std::unique_ptr<PageHarness> harness_;
};

}  // namespace korvane::test
