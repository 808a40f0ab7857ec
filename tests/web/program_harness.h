// The program as its entry assembles it, over a temporary application folder:
// the main window created with an executable path inside the folder, the
// three dialogs over it, and a private autostart folder so nothing outside
// the test is touched. Script helpers run in the page the window shows.
#pragma once

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <QVariant>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineView>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>

#include "dialogs/dialogs.h"
#include "mainwindow/mainwindow.h"
#include "support/find.h"
#include "support/tempdir.h"
#include "support/waits.h"

namespace korvane::test {

// Points XDG_CONFIG_HOME (where autostart entries go) at a folder of its own
// while it lives.
class ScopedConfigHome {
  public:
    explicit ScopedConfigHome(const std::string& name) : dir_(name) {
        if (const char* old = std::getenv("XDG_CONFIG_HOME")) old_ = old;
        ::setenv("XDG_CONFIG_HOME", dir_.path().c_str(), 1);
    }
    ~ScopedConfigHome() {
        if (old_) {
            ::setenv("XDG_CONFIG_HOME", old_->c_str(), 1);
        } else {
            ::unsetenv("XDG_CONFIG_HOME");
        }
    }
    ScopedConfigHome(const ScopedConfigHome&) = delete;
    ScopedConfigHome& operator=(const ScopedConfigHome&) = delete;

  private:
    TempDir dir_;
    std::optional<std::string> old_;
};

// The program as its entry assembles it: the main window and the dialogs.
class ProgramTest : public ::testing::Test {
  protected:
    explicit ProgramTest(const std::string& name) : app_(name), config_(name + " config") {
        window_ = std::make_unique<TMyHappy>(app_.CodePageDir() + "korvane");
        NE = window_->Forms().NE;
        fcon = window_->Forms().fcon;
        smsf = window_->Forms().smsf;
    }

    TMyHappy& Window() { return *window_; }
    QWebEnginePage* Page() { return test::Find<QWebEngineView>(*window_, "MyBody")->page(); }

    // The value of a script expression in the page; invalid when the page
    // does not answer within the wait.
    QVariant Eval(const QString& expression, int timeoutMs = 5000) {
        auto result = std::make_shared<std::optional<QVariant>>();
        Page()->runJavaScript(expression, [result](const QVariant& v) { *result = v; });
        if (!Eventually([&] { return result->has_value(); }, timeoutMs)) return {};
        return **result;
    }

    bool EventuallyEquals(const QString& expression, const QVariant& expected,
                          int timeoutMs = 5000) {
        return Eventually([&] { return Eval(expression) == expected; }, timeoutMs);
    }

    // Counts, in every document the page loads from now on, the calls of
    // BodyLoad() (window.bodyLoads) and the lists the program hands the page
    // (window.listWrites), from before the page's own start-up runs.
    void CountStartUpsAndLists() {
        QWebEngineScript counters;
        counters.setName(QStringLiteral("counters"));
        counters.setInjectionPoint(QWebEngineScript::DocumentReady);
        counters.setWorldId(QWebEngineScript::MainWorld);
        counters.setRunsOnSubFrames(false);
        counters.setSourceCode(QStringLiteral(R"(
(function () {
    window.bodyLoads = 0;
    window.listWrites = 0;
    if (typeof BodyLoad === 'function') {
        var original = BodyLoad;
        BodyLoad = function () { window.bodyLoads += 1; return original.apply(this, arguments); };
    }
    if (typeof KvList === 'function') {
        var take = KvList;
        KvList = function () { window.listWrites += 1; return take.apply(this, arguments); };
    }
})();
)"));
        Page()->scripts().insert(counters);
    }

    AppFolder app_;
    ScopedConfigHome config_;
    std::unique_ptr<TMyHappy> window_;
    // The window's dialogs, owned by its command host.
    TNE* NE = nullptr;
    Tfcon* fcon = nullptr;
    Tsmsf* smsf = nullptr;
};

}  // namespace korvane::test
