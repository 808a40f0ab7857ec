// The list refresh of the real main window in the web engine, and the memory
// the program needs beside a bare web view.
//
// Refresh: from the page's navigation to the notes-list command until the list
// of 1,000 and of 10,000 notes is in the page, against the floor of setting
// the same markup from a script in the same engine. Both end at the same
// signal: an observer on the list element changes the page title, which the
// program side sees as QWebEnginePage::titleChanged.
//
// Memory: RSS and PSS (from /proc/<pid>/smaps_rollup) of the process and all
// its descendants, the web engine's helper processes, once the real main
// window shows the page with 100 notes, and once a bare QWebEngineView shows
// the same page file. Each side runs in a fresh copy of this program.
//
// usage: web_bench [--runs N]          everything, ratios included
//        web_bench --memory program|bare   one memory figure (used by the above)
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "app/dispatch.h"
#include "app/korvaneM.h"
#include "browser/pagedom.h"
#include "dialogs/dialogs.h"
#include "platform/codepage.h"
#include "render/listpage.h"
#include "store/dbfunc.h"

namespace fs = std::filesystem;
using namespace korvane;

namespace {

constexpr int kLoadWaitMs = 60000;

// ---- Waiting -----------------------------------------------------------------

// Runs the event loop until `done` holds or `timeoutMs` passes.
template <class Predicate>
bool RunUntil(Predicate done, int timeoutMs) {
    if (done()) return true;
    QEventLoop loop;
    QTimer poll;
    QElapsedTimer clock;
    clock.start();
    bool met = false;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        met = done();
        if (met || clock.elapsed() > timeoutMs) loop.quit();
    });
    poll.start(1);
    loop.exec();
    return met;
}

void Settle(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

QVariant Eval(QWebEnginePage* page, const QString& script) {
    auto result = std::make_shared<std::optional<QVariant>>();
    page->runJavaScript(script, [result](const QVariant& v) { *result = v; });
    RunUntil([&] { return result->has_value(); }, kLoadWaitMs);
    return result->value_or(QVariant());
}

// ---- The application folder --------------------------------------------------

// A fresh folder with the data files staged beside this program; removed at
// the end.
class AppFolder {
  public:
    AppFolder()
        : dir_(fs::temp_directory_path() / ("korvane-web-bench-" + std::to_string(getpid()))) {
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        const fs::path staged = QCoreApplication::applicationDirPath().toStdString();
        for (const char* folder : {"hd", "skin", "bmp"}) {
            if (fs::exists(staged / folder)) {
                fs::copy(staged / folder, dir_ / folder, fs::copy_options::recursive);
            }
        }
        fs::remove(dir_ / "hd" / "glst.mysql");
        ::setenv("XDG_CONFIG_HOME", (dir_ / "config").c_str(), 1);
    }
    ~AppFolder() {
        CloseDatabase();
        std::error_code ignored;
        fs::remove_all(dir_, ignored);
    }
    const fs::path& path() const { return dir_; }
    std::string Executable() const { return platform::ToCodePage((dir_ / "korvane").string()); }

  private:
    fs::path dir_;
};

// Replaces the notes with `count` notes like a user's: Chinese titles and
// bodies with line breaks and emoticons, distinct times.
void SeedNotes(int count) {
    ExecSql("DELETE FROM mylist");
    const std::string title = Cp("会议纪要 第");
    const std::string titleEnd = Cp("号");
    const std::string body = Cp("下午三点在二楼会议室讨论新版本的发布计划");
    const std::string line = Cp("记得带上笔记本电脑 {EM3EM} 和上周的报告");
    const std::string result = ExecSql(
        "INSERT INTO mylist(title,content,state,cre_date) "
        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i+1 FROM n WHERE i<" +
        std::to_string(count) + ") SELECT '" + title + "' || i || '" + titleEnd + "', '" + body +
        "' || char(13,10) || '" + line +
        "' || char(13,10) || '{EM' || (i%30) || 'EM}', 0, "
        "printf('20%02d-%02d-%02d %02d:%02d:%02d', 10 + i/100000, i/8640%12+1, i/288%28+1, "
        "i/12%24, i%12*5, i%60) FROM n");
    if (result != "Done") {
        std::fprintf(stderr, "seeding failed: %s\n", platform::FromCodePage(result).c_str());
        std::exit(1);
    }
}

// The real main window as the program's entry builds it, shown, with its
// start-up list in the page.
class Program {
  public:
    explicit Program(const AppFolder& app) : window_(app.Executable()) { CreateDialogs(&window_); }

    void ShowAndWaitForList() {
        window_.show();
        const bool shown = RunUntil(
            [&] {
                return Eval(Page(), QStringLiteral("!!document.querySelector('#MyWinS .New')"))
                    .toBool();
            },
            kLoadWaitMs);
        if (!shown) {
            std::fprintf(stderr, "the start-up list never arrived\n");
            std::exit(1);
        }
    }

    QWebEnginePage* Page() { return window_.MyBody->page(); }

  private:
    TMyHappy window_;
};

// ---- Refresh -----------------------------------------------------------------

// Every write into the list element changes the title to "w<count>".
class ListWatch {
  public:
    explicit ListWatch(QWebEnginePage* page) {
        Eval(page, QStringLiteral(
                       "window.benchWrites = 0; new MutationObserver(function () {"
                       " document.title = 'w' + (++window.benchWrites); })"
                       ".observe(document.getElementById('MyWinS'), { childList: true }); true"));
        connection_ = QObject::connect(page, &QWebEnginePage::titleChanged,
                                       [this](const QString& title) { title_ = title; });
    }
    ~ListWatch() { QObject::disconnect(connection_); }
    ListWatch(const ListWatch&) = delete;
    ListWatch& operator=(const ListWatch&) = delete;

    // Waits until the page has drawn what it was given, so that one write's
    // layout and painting are not counted in the next one's time.
    void WaitUntilIdle(QWebEnginePage* page) {
        const QString expected = QStringLiteral("idle%1").arg(++idles_);
        page->runJavaScript(
            QStringLiteral("requestAnimationFrame(function () { setTimeout(function () {"
                           " document.title = '%1'; }, 0); })")
                .arg(expected));
        RunUntil([&] { return title_ == expected; }, kLoadWaitMs);
    }

    // Milliseconds from `start` being called until the next write arrives.
    double Time(const std::function<void()>& start) {
        const QString expected = QStringLiteral("w%1").arg(++writes_);
        QElapsedTimer clock;
        clock.start();
        start();
        if (!RunUntil([&] { return title_ == expected; }, kLoadWaitMs)) {
            std::fprintf(stderr, "the list write never arrived\n");
            std::exit(1);
        }
        return static_cast<double>(clock.nsecsElapsed()) / 1e6;
    }

  private:
    QMetaObject::Connection connection_;
    QString title_;
    int writes_ = 0;
    int idles_ = 0;
};

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

void RefreshFigures(int runs) {
    AppFolder app;
    Program program(app);
    SeedNotes(1);
    program.ShowAndWaitForList();
    QWebEnginePage* page = program.Page();
    ListWatch watch(page);

    std::printf("Refresh of the notes list, median of %d runs (ms)\n", runs);
    std::printf("%8s %12s %12s %8s\n", "notes", "program", "floor", "ratio");
    for (const int count : {1000, 10000}) {
        SeedNotes(count);
        const QString html = QString::fromUtf8(platform::FromCodePage(BuildListPage(kNoteKind)));
        const QString setScript = QStringLiteral("document.getElementById('MyWinS').innerHTML = ") +
                                  JsStringLiteral(html) + QStringLiteral("; true");
        const QString navigate =
            QStringLiteral("location.href = ") +
            JsStringLiteral(QString::fromLatin1(kCommandBase.data(), kCommandBase.size()) +
                            QStringLiteral("reNote/"));
        std::vector<double> programTimes;
        std::vector<double> floorTimes;
        // One warm-up of each, then the two alternate so drift hits both alike.
        const auto viaProgram = [&] { return watch.Time([&] { page->runJavaScript(navigate); }); };
        const auto viaScript = [&] { return watch.Time([&] { page->runJavaScript(setScript); }); };
        watch.WaitUntilIdle(page);
        viaProgram();
        watch.WaitUntilIdle(page);
        viaScript();
        for (int i = 0; i < runs; ++i) {
            watch.WaitUntilIdle(page);
            programTimes.push_back(viaProgram());
            watch.WaitUntilIdle(page);
            floorTimes.push_back(viaScript());
        }
        const int shown =
            Eval(page, QStringLiteral("document.querySelectorAll('#MyWinS table.round').length"))
                .toInt();
        if (shown != count) {
            std::fprintf(stderr, "the page shows %d notes, expected %d\n", shown, count);
            std::exit(1);
        }
        const double ours = Median(programTimes);
        const double floor = Median(floorTimes);
        std::printf("%8d %12.1f %12.1f %7.2fx\n", count, ours, floor, ours / floor);
        std::fflush(stdout);
    }
}

// ---- Memory ------------------------------------------------------------------

struct Memory {
    long rssKib = 0;
    long pssKib = 0;
    int processes = 0;
};

long Field(const std::string& text, const std::string& name) {
    const size_t at = text.find("\n" + name + ":");
    if (at == std::string::npos) return 0;
    return std::strtol(text.c_str() + at + name.size() + 2, nullptr, 10);
}

// Parent of every process, from /proc/<pid>/stat (the name in parentheses
// may hold blanks, so the fields are read after its closing parenthesis).
std::multimap<int, int> ChildrenByParent() {
    std::multimap<int, int> children;
    for (const auto& entry : fs::directory_iterator("/proc")) {
        const std::string name = entry.path().filename().string();
        if (name.find_first_not_of("0123456789") != std::string::npos) continue;
        std::ifstream in(entry.path() / "stat");
        std::string stat((std::istreambuf_iterator<char>(in)), {});
        const size_t close = stat.rfind(')');
        if (close == std::string::npos) continue;
        std::istringstream rest(stat.substr(close + 1));
        std::string state;
        int parent = 0;
        rest >> state >> parent;
        children.emplace(parent, std::stoi(name));
    }
    return children;
}

Memory MeasureProcessTree() {
    const auto children = ChildrenByParent();
    std::vector<int> pending{getpid()};
    Memory total;
    while (!pending.empty()) {
        const int pid = pending.back();
        pending.pop_back();
        std::ifstream in("/proc/" + std::to_string(pid) + "/smaps_rollup");
        std::string rollup(1, '\n');  // so every field name follows a line break
        rollup.append(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        if (rollup.size() > 1) {
            total.rssKib += Field(rollup, "Rss");
            total.pssKib += Field(rollup, "Pss");
            ++total.processes;
        }
        const auto range = children.equal_range(pid);
        for (auto it = range.first; it != range.second; ++it) pending.push_back(it->second);
    }
    return total;
}

int MemoryFigure(const std::string& side) {
    AppFolder app;
    std::optional<Program> program;
    std::optional<QWebEngineView> bare;
    if (side == "program") {
        program.emplace(app);
        SeedNotes(100);
        program->ShowAndWaitForList();
    } else {
        bare.emplace();
        bare->resize(391, 570);
        bool finished = false;
        QObject::connect(&*bare, &QWebEngineView::loadFinished, [&] { finished = true; });
        bare->show();
        bare->load(
            QUrl::fromLocalFile(QString::fromStdString((app.path() / "hd/main.html").string())));
        if (!RunUntil([&] { return finished; }, kLoadWaitMs)) return 1;
    }
    Settle(3000);  // the engine finishes its start-up work
    const Memory m = MeasureProcessTree();
    std::printf("%ld %ld %d\n", m.rssKib, m.pssKib, m.processes);
    return 0;
}

std::optional<Memory> MemoryOfSide(const char* side) {
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--memory"), QString::fromLatin1(side)});
    if (!child.waitForFinished(120000) || child.exitCode() != 0) return std::nullopt;
    Memory m;
    std::istringstream out(child.readAllStandardOutput().toStdString());
    if (!(out >> m.rssKib >> m.pssKib >> m.processes)) return std::nullopt;
    return m;
}

int MemoryFigures() {
    const auto program = MemoryOfSide("program");
    const auto bare = MemoryOfSide("bare");
    if (!program || !bare) {
        std::fprintf(stderr, "a memory run failed\n");
        return 1;
    }
    std::printf("\nMemory after start-up, the process and its web engine helpers (MiB)\n");
    std::printf("%-34s %9s %9s %10s\n", "", "RSS", "PSS", "processes");
    std::printf("%-34s %9.1f %9.1f %10d\n", "main window, page with 100 notes",
                program->rssKib / 1024.0, program->pssKib / 1024.0, program->processes);
    std::printf("%-34s %9.1f %9.1f %10d\n", "bare QWebEngineView, same page", bare->rssKib / 1024.0,
                bare->pssKib / 1024.0, bare->processes);
    std::printf("memory ratio program/bare: RSS %.2fx, PSS %.2fx\n",
                double(program->rssKib) / double(bare->rssKib),
                double(program->pssKib) / double(bare->pssKib));
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (qgetenv("QT_QPA_PLATFORM").isEmpty()) qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);

    const QStringList args = QApplication::arguments();
    const qsizetype memory = args.indexOf(QStringLiteral("--memory"));
    if (memory >= 0 && memory + 1 < args.size())
        return MemoryFigure(args[memory + 1].toStdString());

    int runs = 7;
    const qsizetype runsAt = args.indexOf(QStringLiteral("--runs"));
    if (runsAt >= 0 && runsAt + 1 < args.size()) runs = std::max(1, args[runsAt + 1].toInt());
    RefreshFigures(runs);
    return MemoryFigures();
}
