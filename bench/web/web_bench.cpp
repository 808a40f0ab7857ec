// The notes list of the real main window in the web engine, at notebooks of
// 100, 10,000, 100,000 and 1,000,000 realistic notes, side by side in one run.
//
// Each size runs in a fresh copy of this program (so launch and memory are a
// new process's), seeded with notes like a user's, and reports:
//   launch   from the window being shown until the first records are painted
//            (the page's start-up call comes as soon as it has loaded);
//   show     the same after a hide, as the tray menu shows it again (the
//            page still there refreshes what it shows);
//   refresh  after a note is saved, from the program sending the changed list
//            until its head is painted (median);
//   end      from the End key until the oldest note is painted (median);
//   window   from the page asking for the list window End needs until it is
//            painted: the request, the program's answer and the page's
//            layout (median);
//   memory   RSS and PSS of the process and all its web engine helpers after
//            start and three refreshes;
//   frame    the longest frame while the wheel scrolls through the list
//            (10,000 notes only);
//   ended    whether the page's render process ended on its own;
//   crossings  the calls between the program and the page for one list
//            window (fetched by End) and for one refresh: commands the page
//            sends (navigations to the command host), calls of its host
//            object over the web channel, scripts the program runs in the
//            page, and the answers of those scripts that come back to the
//            program.
// "Painted" is the page's next animation frame after it took the list.
//
// Beside them, the finder at 100,000 notes and 10,000 contacts:
//   results  from the query set in the search field until the first window of
//            its results is painted, for two Chinese characters, a Latin word
//            and a telephone fragment (the index ready; medians), against the
//            sqlite3 shell running the unfiltered notes list query over the
//            same notebook (process start included);
//   typing   the longest frame while five characters are typed into the
//            field, a tenth of a second apart, until their results are painted.
//
// And the tray (--tray): launch from the process start until the first
// records are painted, at 100 and 100,000 notes, with where the time goes;
// Ctrl+Q from hidden until the list is painted over a live page, a frozen
// one and one given back after a minute in the tray; memory with the window
// shown and after the minute in the tray, beside a bare view of the page.
//
// usage: web_bench [--runs N] [--no-million]    every size, with the ratios
//        web_bench --tray [--runs N]              launch, Ctrl+Q and the tray
//        web_bench --size N [--runs N] [--wheel]  one size (used by the above)
//        web_bench --find [--runs N]              the finder only
//        web_bench --heavy [--runs N]             the page's time for heavy records
#include <signal.h>
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QTest>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineView>
#include <QWheelEvent>
#include <algorithm>
#include <chrono>
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

#include "logic/dispatch.h"
#include "mainwindow/enginesetup.h"
#include "mainwindow/mainwindow.h"
#include "platform/apppaths.h"
#include "platform/codepage.h"
#include "platform/process.h"
#include "render/storetexts.h"
#include "store/notebook.h"
#include "support/seed.h"

namespace fs = std::filesystem;
using namespace korvane;

namespace {
void CountScript();
void CountAnswer();
}  // namespace

// Every script the program's code runs in the page goes through
// QWebEnginePage::runJavaScript(script, world, callback). This benchmark is
// linked with that symbol wrapped (--wrap in CMakeLists.txt): the program's
// calls come here, are counted with the answers their callbacks get, and go
// on to the engine unchanged. The program's own build is untouched. The
// bench's own scripts use the overload without a world and are not counted.
using ScriptCallback = std::function<void(const QVariant&)>;
extern "C" void __real__ZN14QWebEnginePage13runJavaScriptERK7QStringjRKSt8functionIFvRK8QVariantEE(
    QWebEnginePage* page, const QString& script, quint32 world, const ScriptCallback& callback);
extern "C" void __wrap__ZN14QWebEnginePage13runJavaScriptERK7QStringjRKSt8functionIFvRK8QVariantEE(
    QWebEnginePage* page, const QString& script, quint32 world, const ScriptCallback& callback) {
    CountScript();
    if (!callback) {
        __real__ZN14QWebEnginePage13runJavaScriptERK7QStringjRKSt8functionIFvRK8QVariantEE(
            page, script, world, callback);
        return;
    }
    __real__ZN14QWebEnginePage13runJavaScriptERK7QStringjRKSt8functionIFvRK8QVariantEE(
        page, script, world, [callback](const QVariant& result) {
            CountAnswer();
            callback(result);
        });
}

namespace {

constexpr int kLoadWaitMs = 120000;
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

// `text` as a script string literal.
QString JsLiteral(const QString& text) {
    const QByteArray json = QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact);
    return QString::fromUtf8(json.mid(1, json.size() - 2));
}

QVariant Eval(QWebEnginePage* page, const QString& script) {
    auto result = std::make_shared<std::optional<QVariant>>();
    page->runJavaScript(script, [result](const QVariant& v) { *result = v; });
    RunUntil([&] { return result->has_value(); }, kLoadWaitMs);
    return result->value_or(QVariant());
}

// ---- Crossings ----------------------------------------------------------------

// Scripts the program's code ran in the page, and answers that came back.
struct ScriptCount {
    long scripts = 0;
    long answers = 0;
};

ScriptCount& ProgramScripts() {
    static ScriptCount count;
    return count;
}

void CountScript() {
    ++ProgramScripts().scripts;
}
void CountAnswer() {
    ++ProgramScripts().answers;
}

// The crossings of one stretch of work. `windows` counts the list windows the
// page asked for in it.
struct Crossings {
    long commands = 0;
    long hostCalls = 0;
    long scripts = 0;
    long answers = 0;
    long windows = 0;

    long Asked() const { return commands + hostCalls; }
    Crossings& operator+=(const Crossings& other) {
        commands += other.commands;
        hostCalls += other.hostCalls;
        scripts += other.scripts;
        answers += other.answers;
        windows += other.windows;
        return *this;
    }
};

// ---- The application folder --------------------------------------------------

// A fresh folder with the data files staged beside this program; removed at
// the end.
class AppFolder {
  public:
    AppFolder()
        : dir_(fs::temp_directory_path() / ("korvane-web-bench-" + std::to_string(getpid()))) {
        Stage();
    }
    // A folder another process staged and seeded: used as it is and kept.
    explicit AppFolder(fs::path staged) : dir_(std::move(staged)), owned_(false) {
        ::setenv("XDG_CONFIG_HOME", (dir_ / "config").c_str(), 1);
    }
    ~AppFolder() {
        CloseDatabase();
        std::error_code ignored;
        if (owned_) fs::remove_all(dir_, ignored);
    }
    AppFolder(const AppFolder&) = delete;
    AppFolder& operator=(const AppFolder&) = delete;
    const fs::path& path() const { return dir_; }
    std::string Executable() const { return platform::ToCodePage((dir_ / "korvane").string()); }

  private:
    void Stage() {
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

    fs::path dir_;
    bool owned_ = true;
};

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

// Every list the page takes is followed, once painted, by a title "p<n>".
// The page's commands (all of them go through Go()) and its calls of the
// host object (CallHost()) are counted in benchCommands and benchHostCalls;
// benchWindowMs is the time from the last request for a list window until
// the list that followed it was painted.
constexpr char kPaintWatch[] = R"(
(function () {
    window.benchPaints = 0;
    window.benchCommands = [];
    window.benchHostCalls = 0;
    if (typeof Go === 'function') {
        var go = Go;
        Go = function (url) {
            window.benchCommands.push(String(url));
            if (/\/(WiNo|WiCn|Find)\//.test(String(url))) window.benchAskedAt = performance.now();
            return go.apply(this, arguments);
        };
    }
    if (typeof CallHost === 'function') {
        var call = CallHost;
        CallHost = function () {
            ++window.benchHostCalls;
            return call.apply(this, arguments);
        };
    }
    if (typeof KvList !== 'function') return;
    var take = KvList;
    KvList = function () {
        var start = performance.now();
        var result = take.apply(this, arguments);
        requestAnimationFrame(function () { setTimeout(function () {
            window.benchPageMs = performance.now() - start;
            if (window.benchAskedAt !== undefined) {
                window.benchWindowMs = performance.now() - window.benchAskedAt;
                window.benchAskedAt = undefined;
            }
            document.title = 'p' + (++window.benchPaints); }, 0); });
        return result;
    };
})();
)";

// The real main window as the program's entry builds it, with the paint watch
// in every page it loads.
class Program {
  public:
    explicit Program(const AppFolder& app) : window_(app.Executable()) {
        QWebEngineScript watch;
        watch.setName(QStringLiteral("bench paint watch"));
        watch.setInjectionPoint(QWebEngineScript::DocumentReady);
        watch.setWorldId(QWebEngineScript::MainWorld);
        watch.setRunsOnSubFrames(false);
        watch.setSourceCode(QString::fromLatin1(kPaintWatch));
        Page()->scripts().insert(watch);
        QObject::connect(Page(), &QWebEnginePage::titleChanged,
                         [this](const QString& title) { title_ = title; });
        QObject::connect(Page(), &QWebEnginePage::renderProcessTerminated,
                         [this] { processEnded_ = true; });
    }

    QWebEnginePage* Page() { return window_.MyBody->page(); }
    TMyHappy& Window() { return window_; }
    bool ProcessEnded() const { return processEnded_; }

    // Milliseconds from `start` until the page has painted a list for which
    // `ready` (a script expression) holds.
    double TimeUntilPainted(const std::function<void()>& start,
                            const QString& ready = QStringLiteral("true")) {
        title_.clear();
        QElapsedTimer clock;
        clock.start();
        start();
        const bool painted = RunUntil(
            [&] {
                if (!title_.startsWith(QLatin1Char('p'))) return false;
                if (Eval(Page(), ready).toBool()) return true;
                title_.clear();  // painted, but not yet what is waited for
                return false;
            },
            kLoadWaitMs);
        if (!painted) Fail("the list was never painted");
        return static_cast<double>(clock.nsecsElapsed()) / 1e6;
    }

    // Waits until the page has no request in flight and has drawn a frame.
    void WaitUntilIdle() {
        RunUntil([&] { return Eval(Page(), QStringLiteral("!list.pending")).toBool(); },
                 kLoadWaitMs);
        Settle(50);
    }

    // Starts counting the crossings between the program and the page anew.
    void ResetCrossings() {
        Eval(Page(), QStringLiteral("window.benchCommands = []; window.benchHostCalls = 0; true"));
        ProgramScripts() = {};
    }

    // The crossings since ResetCrossings(). A list window is a command asking
    // for the records at a place in a list (WiNo, WiCn) or in the results (Find).
    Crossings TakeCrossings() {
        const QStringList counts =
            Eval(Page(),
                 QStringLiteral("[window.benchCommands.length, window.benchHostCalls,"
                                " window.benchCommands.filter(function (u) {"
                                " return /\\/(WiNo|WiCn|Find)\\//.test(u); }).length].join(' ')"))
                .toString()
                .split(QLatin1Char(' '));
        if (counts.size() != 3) Fail("the page's counts of its commands are missing");
        Crossings taken;
        taken.commands = counts[0].toLong();
        taken.hostCalls = counts[1].toLong();
        taken.windows = counts[2].toLong();
        taken.scripts = ProgramScripts().scripts;
        taken.answers = ProgramScripts().answers;
        return taken;
    }

    void Key(Qt::Key key) {
        QWidget* input = window_.MyBody->focusProxy();
        if (!input) Fail("the view has no input widget");
        input->setFocus();
        QTest::keyClick(input, key);
    }

    [[noreturn]] static void Fail(const char* what) {
        std::fprintf(stderr, "%s\n", what);
        std::exit(1);
    }

  private:
    TMyHappy window_;
    QString title_;
    bool processEnded_ = false;
};

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

const QString kHasRecords = QStringLiteral("list.boxes.length > 0");
const QString kAtEnd = QStringLiteral(
    "list.first + list.boxes.length === list.total && list.boxes.length > 0 && "
    "ViewTop() >= ContentHeight() - list.parts.port.clientHeight - 1");

// A note saved the way the note editor saves a new one.
void SaveANote(int n) {
    const std::string result =
        ExecSql("INSERT INTO mylist(title,content,state,cre_date) VALUES('" + Cp("刚保存的记事 ") +
                std::to_string(n) + "','" + Cp("内容") + "',0,datetime('now','localtime'))");
    if (result != texts::kDone) Program::Fail("saving a note failed");
}

// Scrolls by wheel through the whole list and returns the longest frame (ms).
double LongestWheelFrame(Program& program) {
    QWebEnginePage* page = program.Page();
    Eval(page, QStringLiteral(
                   "window.frameLongest = 0; window.frameLast = performance.now();"
                   " window.frameRun = true; (function tick(now) {"
                   " window.frameLongest = Math.max(window.frameLongest, now - window.frameLast);"
                   " window.frameLast = now; if (window.frameRun) requestAnimationFrame(tick); })"
                   "(performance.now()); true"));
    QWidget* input = program.Window().MyBody->focusProxy();
    const QPointF at(input->width() / 2.0, input->height() / 2.0);
    QElapsedTimer clock;
    clock.start();
    while (!Eval(page, kAtEnd).toBool() && clock.elapsed() < 600000) {
        // A fast flick: ten notches per event, an event per frame.
        QWheelEvent wheel(at, input->mapToGlobal(at), QPoint(), QPoint(0, -1200), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(input, &wheel);
        Settle(16);
    }
    Eval(page, QStringLiteral("window.frameRun = false; true"));
    if (!Eval(page, kAtEnd).toBool()) Program::Fail("the wheel never reached the end");
    return Eval(page, QStringLiteral("window.frameLongest")).toDouble();
}

// Prints " asked scripts answers" per `per`: the page's commands and host
// calls, the program's scripts into the page, and their answers back.
void PrintCrossings(const Crossings& c, long per) {
    const double n = double(per);
    std::printf(" %.2f %.2f %.2f", double(c.Asked()) / n, double(c.scripts) / n,
                double(c.answers) / n);
}

// One size, in this process: prints "launch show refresh end rss pss frame
// ended", then the crossings per list window fetched by End and per refresh
// (as PrintCrossings), then "window" (-1 when End needed no window).
int SizeFigures(int notes, int runs, bool wheel) {
    AppFolder app;
    Program program(app);
    if (OpenDatabase() != texts::kOpen || test::SeedNotes(notes) != texts::kDone)
        Program::Fail("seeding failed");
    QWebEnginePage* page = program.Page();

    const double launch = program.TimeUntilPainted([&] { program.Window().show(); }, kHasRecords);
    program.WaitUntilIdle();
    program.Window().hide();
    Settle(200);
    const double show = program.TimeUntilPainted([&] { program.Window().show(); }, kHasRecords);
    program.WaitUntilIdle();

    std::vector<double> refreshes;
    Crossings refreshCrossings;
    for (int i = 0; i < std::max(runs, 3); ++i) {
        SaveANote(i);
        program.ResetCrossings();
        // The page's own refresh command, as the list asks for it after a save.
        refreshes.push_back(program.TimeUntilPainted([&] {
            program.Window().MyBodyBeforeNavigate2("http://command.korvane.invalid/reNote/");
        }));
        program.WaitUntilIdle();
        refreshCrossings += program.TakeCrossings();
        ++refreshCrossings.commands;  // the command handed over above
    }
    Settle(3000);  // the engine finishes its own work before memory is read
    const Memory memory = MeasureProcessTree();

    std::vector<double> ends;
    std::vector<double> windows;
    Crossings endCrossings;
    for (int i = 0; i < runs; ++i) {
        program.Key(Qt::Key_Home);
        RunUntil(
            [&] {
                return Eval(page, QStringLiteral("!list.pending && list.place === 0")).toBool();
            },
            kLoadWaitMs);
        program.WaitUntilIdle();
        program.ResetCrossings();
        Eval(page, QStringLiteral("window.benchWindowMs = -1; true"));
        ends.push_back(program.TimeUntilPainted([&] { program.Key(Qt::Key_End); }, kAtEnd));
        const double window = Eval(page, QStringLiteral("window.benchWindowMs")).toDouble();
        if (window >= 0) windows.push_back(window);
        program.WaitUntilIdle();
        endCrossings += program.TakeCrossings();
    }
    double frame = 0;
    if (wheel) {
        program.Key(Qt::Key_Home);
        program.WaitUntilIdle();
        frame = LongestWheelFrame(program);
    }
    std::printf("%.1f %.1f %.1f %.1f %ld %ld %.1f %d", launch, show, Median(refreshes),
                Median(ends), memory.rssKib, memory.pssKib, frame, program.ProcessEnded() ? 1 : 0);
    const int refreshRuns = std::max(runs, 3);
    PrintCrossings(endCrossings, std::max(1L, endCrossings.windows));
    PrintCrossings(refreshCrossings, refreshRuns);
    std::printf(" %.1f\n", windows.empty() ? -1.0 : Median(windows));
    return 0;
}

struct Figures {
    double launch = 0, show = 0, refresh = 0, end = 0;
    long rss = 0, pss = 0;
    double frame = 0;
    int ended = 0;
    double windowAsked = 0, windowScripts = 0, windowAnswers = 0;
    double refreshAsked = 0, refreshScripts = 0, refreshAnswers = 0;
    double window = 0;
};

std::optional<Figures> RunSize(int notes, int runs, bool wheel) {
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QStringList args{QStringLiteral("--size"), QString::number(notes), QStringLiteral("--runs"),
                     QString::number(runs)};
    if (wheel) args << QStringLiteral("--wheel");
    child.start(QCoreApplication::applicationFilePath(), args);
    if (!child.waitForFinished(1800000) || child.exitCode() != 0) return std::nullopt;
    Figures f;
    std::istringstream out(child.readAllStandardOutput().toStdString());
    if (!(out >> f.launch >> f.show >> f.refresh >> f.end >> f.rss >> f.pss >> f.frame >> f.ended >>
          f.windowAsked >> f.windowScripts >> f.windowAnswers >> f.refreshAsked >>
          f.refreshScripts >> f.refreshAnswers >> f.window))
        return std::nullopt;
    return f;
}

// ---- The finder -------------------------------------------------------------

constexpr int kFindNotes = 100000;
constexpr int kFindContacts = 10000;

// Contacts with a telephone number, a messenger id and now and then a Latin word.
void SeedContacts(int count) {
    const std::string result = ExecSql(
        "INSERT INTO mylist(title,tel,content,state,cre_date) "
        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i+1 FROM n WHERE i<" +
        std::to_string(count) + ") SELECT '" + Cp("联系人") + "' || i, '139' || " +
        "printf('%08d', (i*7919) % 100000000), '" + Cp("同事 ") +
        "' || CASE WHEN i%10=0 THEN 'Korvane team ' ELSE '' END || "
        "'{QQ' || (100000+i) || 'QQ}', 1, datetime(1262304000 + i*6000, 'unixepoch') FROM n");
    if (result != texts::kDone) Program::Fail("seeding contacts failed");
}

const QString kFoundReady = QStringLiteral(
    "(function (box) { return list.kind === FOUND && !list.pending && find.timer === null &&"
    " find.query === box.value; })(document.getElementById('findBox'))");

// The page holding the keys, as after a click into the view.
void FocusPage(Program& program) {
    program.Window().activateWindow();
    RunUntil([&] { return QApplication::activeWindow() == &program.Window(); }, 5000);
    QWidget* input = program.Window().MyBody->focusProxy();
    input->clearFocus();
    input->setFocus();
    RunUntil([&] { return Eval(program.Page(), QStringLiteral("document.hasFocus()")).toBool(); },
             5000);
}

// Milliseconds the sqlite3 shell takes for the unfiltered notes list query.
double ShellNotesList(const fs::path& notebook) {
    QProcess shell;
    shell.setStandardOutputFile(QProcess::nullDevice());
    QElapsedTimer clock;
    clock.start();
    shell.start(QStringLiteral("sqlite3"),
                {QString::fromStdString(notebook.string()),
                 QStringLiteral("SELECT cre_date,title,content,ID,tel FROM mylist WHERE state=0 "
                                "ORDER BY cre_date DESC, ID DESC")});
    if (!shell.waitForFinished(60000) || shell.exitCode() != 0) Program::Fail("sqlite3 failed");
    return static_cast<double>(clock.nsecsElapsed()) / 1e6;
}

// Prints "shell chinese latin telephone typing-frame typing-ms".
int FindFiguresHere(int runs) {
    AppFolder app;
    Program program(app);
    if (OpenDatabase() != texts::kOpen || test::SeedNotes(kFindNotes) != texts::kDone)
        Program::Fail("seeding failed");
    SeedContacts(kFindContacts);
    QWebEnginePage* page = program.Page();
    program.TimeUntilPainted([&] { program.Window().show(); }, kHasRecords);
    program.WaitUntilIdle();
    const auto setQuery = [&](const QString& query) {
        Eval(page, "(function (b) { b.value = " + JsLiteral(query) +
                       "; FindNow(); })(document.getElementById('findBox'))");
    };
    // The first query reads the notebook into the index; the figures below
    // are those of the ready index.
    program.TimeUntilPainted([&] { setQuery(QStringLiteral("x")); }, kFoundReady);

    std::vector<double> shell;
    for (int i = 0; i < runs; ++i)
        shell.push_back(ShellNotesList(app.path() / "hd" / "glst.mysql"));
    std::vector<double> found[3];
    const QString queries[3] = {QStringLiteral("重要"), QStringLiteral("korvane"),
                                QStringLiteral("7919")};
    for (int i = 0; i < runs; ++i) {
        for (int q = 0; q < 3; ++q) {
            setQuery(QStringLiteral("~"));  // another query first, so each is new
            program.WaitUntilIdle();
            found[q].push_back(
                program.TimeUntilPainted([&] { setQuery(queries[q]); }, kFoundReady));
        }
    }

    // Five characters typed a tenth of a second apart into the focused field.
    std::vector<double> frames;
    std::vector<double> typing;
    for (int i = 0; i < runs; ++i) {
        Eval(page, QStringLiteral("EndFind(); true"));
        program.WaitUntilIdle();
        FocusPage(program);
        Eval(page, QStringLiteral("FocusFind()"));
        Eval(page,
             QStringLiteral(
                 "window.frameLongest = 0; window.frameLast = performance.now();"
                 " window.frameRun = true; (function tick(now) {"
                 " window.frameLongest = Math.max(window.frameLongest, now - window.frameLast);"
                 " window.frameLast = now; if (window.frameRun) requestAnimationFrame(tick); })"
                 "(performance.now()); true"));
        QWidget* input = program.Window().MyBody->focusProxy();
        typing.push_back(program.TimeUntilPainted(
            [&] {
                for (const char key : std::string("korva")) {
                    QTest::keyClick(input, key);
                    Settle(100);
                }
            },
            kFoundReady + QStringLiteral(" && find.query === 'korva'")));
        Settle(200);
        Eval(page, QStringLiteral("window.frameRun = false; true"));
        frames.push_back(Eval(page, QStringLiteral("window.frameLongest")).toDouble());
    }
    std::printf("%.1f %.1f %.1f %.1f %.1f %.1f\n", Median(shell), Median(found[0]),
                Median(found[1]), Median(found[2]), *std::max_element(frames.begin(), frames.end()),
                Median(typing));
    return 0;
}

// ---- Heavy records ------------------------------------------------------------

// Milliseconds of the page's own time for the last list it took: from the
// answer's arrival until the frame after it was painted.
double PageMs(QWebEnginePage* page) {
    return Eval(page, QStringLiteral("window.benchPageMs")).toDouble();
}

// A note of `bytes` bytes of "a a a ..." and a contact whose remark is
// `bytes` bytes of "{QQQQ}", the newest of their lists.
void SeedHeavy(size_t bytes) {
    const std::string n = std::to_string(bytes / 2);
    const std::string m = std::to_string(bytes / 6);
    if (ExecSql("INSERT INTO mylist(title,content,state,cre_date) VALUES('heavy " + n +
                "', replace(hex(zeroblob(" + n + ")), '00', 'a '), 0, '2030-01-01 00:00:00')") !=
            texts::kDone ||
        ExecSql("INSERT INTO mylist(title,tel,content,state,cre_date) VALUES('heavy', '1', "
                "replace(hex(zeroblob(" +
                m + ")), '00', '{QQQQ}'), 1, '2030-01-01 00:00:00')") != texts::kDone)
        Program::Fail("seeding the heavy records failed");
}

// Prints "notes contacts search" page milliseconds, medians of `runs`, for a
// notebook of ordinary records with, when `bytes` > 0, the heavy ones on top.
int HeavyFiguresHere(size_t bytes, int runs) {
    AppFolder app;
    Program program(app);
    if (OpenDatabase() != texts::kOpen || test::SeedNotes(100) != texts::kDone)
        Program::Fail("seeding failed");
    SeedContacts(100);
    if (bytes > 0) SeedHeavy(bytes);
    QWebEnginePage* page = program.Page();
    program.TimeUntilPainted([&] { program.Window().show(); }, kHasRecords);
    program.WaitUntilIdle();
    std::vector<double> notes, contacts, search;
    for (int i = 0; i < runs; ++i) {
        program.TimeUntilPainted([&] { Eval(page, QStringLiteral("ShowList(1)")); },
                                 QStringLiteral("list.kind === 1 && list.boxes.length > 0"));
        contacts.push_back(PageMs(page));
        program.TimeUntilPainted([&] { Eval(page, QStringLiteral("ShowList(0)")); },
                                 QStringLiteral("list.kind === 0 && list.boxes.length > 0"));
        notes.push_back(PageMs(page));
        program.TimeUntilPainted(
            [&] {
                Eval(page, QStringLiteral("(function (b) { b.value = 'a'; FindNow(); })"
                                          "(document.getElementById('findBox'))"));
            },
            kFoundReady);
        search.push_back(PageMs(page));
        Eval(page, QStringLiteral("EndFind(); true"));
        program.WaitUntilIdle();
    }
    std::printf("%.1f %.1f %.1f\n", Median(notes), Median(contacts), Median(search));
    return 0;
}

// The page's time for the lists and a search that hold one heavy record
// (finding it in a 2 MB note matches a million times; a 1 MB remark of
// messenger tags would expand to megabytes of links), beside the same with
// ordinary records only, each size in a fresh process.
int HeavyFigures(int runs) {
    std::printf("\nThe page's time for one heavy record (ms, medians of %d; at most 200)\n", runs);
    std::printf("%-28s %8s %9s %8s\n", "records on top", "notes", "contacts", "search");
    for (const size_t bytes : {size_t{0}, size_t{512 * 1024}, size_t{2 * 1024 * 1024}}) {
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        child.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--heavy-here"), QString::number(bytes),
                     QStringLiteral("--runs"), QString::number(runs)});
        double notes = 0, contacts = 0, search = 0;
        std::istringstream out;
        if (child.waitForFinished(1800000) && child.exitCode() == 0)
            out.str(child.readAllStandardOutput().toStdString());
        if (!(out >> notes >> contacts >> search)) {
            std::fprintf(stderr, "the heavy run of %zu bytes failed\n", bytes);
            return 1;
        }
        const std::string what = bytes == 0 ? "ordinary records only"
                                            : std::to_string(bytes / 1024) + " KB note and remark";
        std::printf("%-28s %8.1f %9.1f %8.1f\n", what.c_str(), notes, contacts, search);
    }
    return 0;
}

int FindFigures(int runs) {
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--find-here"), QStringLiteral("--runs"), QString::number(runs)});
    double shell = 0, chinese = 0, latin = 0, telephone = 0, frame = 0, typing = 0;
    std::istringstream out;
    if (child.waitForFinished(1800000) && child.exitCode() == 0)
        out.str(child.readAllStandardOutput().toStdString());
    if (!(out >> shell >> chinese >> latin >> telephone >> frame >> typing)) {
        std::fprintf(stderr, "the finder's run failed\n");
        return 1;
    }
    std::printf("\nThe finder at %d notes and %d contacts; times in ms, medians of %d\n",
                kFindNotes, kFindContacts, runs);
    std::printf("  sqlite3 shell, unfiltered notes list query   %8.1f\n", shell);
    std::printf(
        "  first window of results painted: two Chinese characters %8.1f  (%.2fx the shell)\n",
        chinese, chinese / shell);
    std::printf(
        "                                   a Latin word           %8.1f  (%.2fx the shell)\n",
        latin, latin / shell);
    std::printf(
        "                                   a telephone fragment   %8.1f  (%.2fx the shell)\n",
        telephone, telephone / shell);
    std::printf(
        "  typing five characters: longest frame %.1f ms (at most 100); until the last"
        " results were painted %.1f ms\n",
        frame, typing);
    return 0;
}

// ---- Launch, Ctrl+Q and the tray ----------------------------------------------

constexpr int kTrayNotes = 100000;
constexpr int kHiddenSeconds = 60;  // how long the window stays in the tray
constexpr int kFrozenMs = 8000;     // hidden long enough for the page to be frozen

// Stages and seeds a folder that child processes start the program over.
void SeedFolder(const AppFolder& app, int notes) {
    SetApplicationPaths(app.Executable());
    if (OpenDatabase() != texts::kOpen || test::SeedNotes(notes) != texts::kDone)
        Program::Fail("seeding failed");
    CloseDatabase();
}

// Milliseconds of the steady clock, which all processes share.
double SteadyMs() {
    return std::chrono::duration<double, std::milli>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// When this process reached its main() and made its application object.
struct StartStamps {
    double main = 0;
    double app = 0;
};
StartStamps& Stamps() {
    static StartStamps stamps;
    return stamps;
}

// The program over a seeded folder, as its entry starts it. Prints, once its
// first records are painted, "painted" and the steady clock at main(), at the
// application object, with the window built, shown, at the page's load and
// at the paint.
int LaunchHere(const fs::path& dir) {
    AppFolder app(dir);
    Program program(app);
    const double built = SteadyMs();
    double loaded = 0;
    QObject::connect(program.Page(), &QWebEnginePage::loadFinished,
                     [&] { loaded = loaded > 0 ? loaded : SteadyMs(); });
    double shown = 0;
    program.TimeUntilPainted(
        [&] {
            program.Window().show();
            shown = SteadyMs();
        },
        kHasRecords);
    std::printf("painted %.3f %.3f %.3f %.3f %.3f %.3f\n", Stamps().main, Stamps().app, built,
                shown, loaded, SteadyMs());
    std::fflush(stdout);
    return 0;
}

// Where a launch's time goes, in ms from starting the process: reaching
// main() (loading the program and its libraries), the application object,
// the window built (the engine's profile and view included), the window
// shown, the page loaded, the first records painted.
struct Launch {
    double main = 0, app = 0, built = 0, shown = 0, loaded = 0, painted = 0;
};

Launch TimeLaunch(const fs::path& dir) {
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QByteArray out;
    QObject::connect(&child, &QProcess::readyReadStandardOutput,
                     [&] { out += child.readAllStandardOutput(); });
    const double started = SteadyMs();
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--launch-here"), QString::fromStdString(dir.string())});
    RunUntil([&] { return out.contains('\n') || child.state() == QProcess::NotRunning; },
             kLoadWaitMs);
    child.waitForFinished(60000);
    std::istringstream line(out.toStdString());
    std::string word;
    Launch at;
    if (!(line >> word >> at.main >> at.app >> at.built >> at.shown >> at.loaded >> at.painted) ||
        word != "painted")
        Program::Fail("the launched program never painted its list");
    for (double* stamp : {&at.main, &at.app, &at.built, &at.shown, &at.loaded, &at.painted})
        *stamp -= started;
    return at;
}

// The main window shown, hidden and called back with Ctrl+Q. Prints "shown
// RSS, PSS; Ctrl+Q over a live page, over a frozen one; RSS, PSS after the
// tray's minute; Ctrl+Q over the page given back".
int TrayHere(int runs) {
    AppFolder app;
    Program program(app);
    if (OpenDatabase() != texts::kOpen || test::SeedNotes(kTrayNotes) != texts::kDone)
        Program::Fail("seeding failed");
    program.TimeUntilPainted([&] { program.Window().show(); }, kHasRecords);
    program.WaitUntilIdle();
    for (int i = 0; i < 3; ++i) {
        SaveANote(i);
        program.TimeUntilPainted([&] {
            program.Window().MyBodyBeforeNavigate2("http://command.korvane.invalid/reNote/");
        });
        program.WaitUntilIdle();
    }
    Settle(3000);
    const Memory shown = MeasureProcessTree();
    const auto callBack = [&](int hiddenMs) {
        program.Window().hide();
        Settle(hiddenMs);
        const double ms =
            program.TimeUntilPainted([&] { program.Window().HotkeyPressed(); }, kHasRecords);
        program.WaitUntilIdle();
        return ms;
    };
    std::vector<double> alive;
    std::vector<double> frozen;
    for (int i = 0; i < runs; ++i) alive.push_back(callBack(500));
    for (int i = 0; i < std::max(1, runs / 2); ++i) frozen.push_back(callBack(kFrozenMs));
    program.Window().hide();
    Settle(kHiddenSeconds * 1000);
    const Memory hidden = MeasureProcessTree();
    const double given =
        program.TimeUntilPainted([&] { program.Window().HotkeyPressed(); }, kHasRecords);
    std::printf("%ld %ld %.1f %.1f %ld %ld %.1f\n", shown.rssKib, shown.pssKib, Median(alive),
                Median(frozen), hidden.rssKib, hidden.pssKib, given);
    return 0;
}

// A bare view showing the same page, without the program: prints "RSS PSS".
int BareHere() {
    AppFolder app;
    QWebEngineView view;
    view.resize(391, 570);
    bool loaded = false;
    QObject::connect(&view, &QWebEngineView::loadFinished, [&] { loaded = true; });
    view.load(QUrl::fromLocalFile(QString::fromStdString((app.path() / "hd/main.html").string())));
    view.show();
    RunUntil([&] { return loaded; }, kLoadWaitMs);
    Settle(3000);
    const Memory memory = MeasureProcessTree();
    std::printf("%ld %ld\n", memory.rssKib, memory.pssKib);
    return 0;
}

// The output of this program run with `args` in a child process.
std::string ChildOutput(const QStringList& args) {
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationFilePath(), args);
    if (!child.waitForFinished(1800000) || child.exitCode() != 0)
        Program::Fail("a child run failed");
    return child.readAllStandardOutput().toStdString();
}

int TrayFigures(int runs) {
    std::map<int, double> launch;
    Launch steps;  // medians of each step at 100,000 notes
    for (int notes : {100, kTrayNotes}) {
        AppFolder app;
        SeedFolder(app, notes);
        std::vector<Launch> times;
        for (int i = 0; i < runs; ++i) times.push_back(TimeLaunch(app.path()));
        const auto median = [&](double Launch::*step) {
            std::vector<double> values;
            for (const Launch& t : times) values.push_back(t.*step);
            return Median(values);
        };
        launch[notes] = median(&Launch::painted);
        if (notes == kTrayNotes) {
            steps = {median(&Launch::main),  median(&Launch::app),    median(&Launch::built),
                     median(&Launch::shown), median(&Launch::loaded), median(&Launch::painted)};
        }
    }
    std::istringstream tray(ChildOutput(
        {QStringLiteral("--tray-here"), QStringLiteral("--runs"), QString::number(runs)}));
    long shownRss = 0, shownPss = 0, hiddenRss = 0, hiddenPss = 0;
    double alive = 0, frozen = 0, given = 0;
    if (!(tray >> shownRss >> shownPss >> alive >> frozen >> hiddenRss >> hiddenPss >> given))
        Program::Fail("the tray run printed no figures");
    std::istringstream bare(ChildOutput({QStringLiteral("--bare-here")}));
    long bareRss = 0, barePss = 0;
    if (!(bare >> bareRss >> barePss)) Program::Fail("the bare view printed no figures");

    std::printf("Launch, Ctrl+Q and the tray; times in ms, medians of %d\n", runs);
    std::printf(
        "  launch: process start to first records painted   %8.1f at 100 notes, %8.1f at "
        "100,000 (goal: at most 400)\n",
        launch[100], launch[kTrayNotes]);
    std::printf(
        "    where it goes at 100,000 (ms from the process start): main() %.1f,"
        " application %.1f, window built %.1f, shown %.1f, page loaded %.1f,"
        " painted %.1f\n",
        steps.main, steps.app, steps.built, steps.shown, steps.loaded, steps.painted);
    std::printf("  Ctrl+Q from hidden to list painted, page live    %8.1f (goal: at most 100)\n",
                alive);
    std::printf("  the same after %d s hidden, page frozen           %8.1f (goal: at most 100)\n",
                kFrozenMs / 1000, frozen);
    std::printf("  the same after %d s hidden, page given back      %8.1f (goal: at most 300)\n",
                kHiddenSeconds, given);
    std::printf(
        "  memory at 100,000 notes, all processes, MiB: shown RSS %.1f PSS %.1f;"
        " after %d s in the tray RSS %.1f PSS %.1f (%.0f%% / %.0f%%, goal at most 40%%)\n",
        shownRss / 1024.0, shownPss / 1024.0, kHiddenSeconds, hiddenRss / 1024.0,
        hiddenPss / 1024.0, 100.0 * double(hiddenRss) / double(shownRss),
        100.0 * double(hiddenPss) / double(shownPss));
    std::printf(
        "  a bare view showing the same page: RSS %.1f PSS %.1f MiB (the program %.2fx,"
        " %.2fx)\n",
        bareRss / 1024.0, barePss / 1024.0, double(shownRss) / double(bareRss),
        double(shownPss) / double(barePss));
    return 0;
}

int AllFigures(int runs, bool million) {
    std::vector<int> sizes{100, 10000, 100000};
    if (million) sizes.push_back(1000000);
    std::map<int, Figures> figures;
    for (int notes : sizes) {
        const auto f = RunSize(notes, runs, notes == 10000);
        if (!f) {
            std::fprintf(stderr, "the run with %d notes failed\n", notes);
            return 1;
        }
        figures[notes] = *f;
    }
    std::printf("Notes list in the real program; times in ms, medians of %d where repeated\n",
                runs);
    std::printf("%9s %8s %8s %8s %8s %8s %9s %9s %8s %6s\n", "notes", "launch", "show", "refresh",
                "end", "window", "RSS MiB", "PSS MiB", "frame", "ended");
    for (const auto& [notes, f] : figures) {
        std::printf("%9d %8.1f %8.1f %8.1f %8.1f %8.1f %9.1f %9.1f %8s %6s\n", notes, f.launch,
                    f.show, f.refresh, f.end, f.window, f.rss / 1024.0, f.pss / 1024.0,
                    notes == 10000 ? QByteArray::number(f.frame, 'f', 1).constData() : "-",
                    f.ended ? "yes" : "no");
    }
    const Figures& small = figures[100];
    const Figures& big = figures[100000];
    std::printf("\n100,000 notes against 100 notes:\n");
    std::printf("  refresh after a save   %.2fx (at most 1.5)\n", big.refresh / small.refresh);
    std::printf("  launch                 %.2fx (at most 1.5)\n", big.launch / small.launch);
    std::printf("  show again             %.2fx (at most 1.5)\n", big.show / small.show);
    std::printf("  End at 100,000 against a refresh at 100: %.2fx (at most 2)\n",
                big.end / small.refresh);
    std::printf("  memory                 RSS %.2fx, PSS %.2fx (at most 1.3)\n",
                double(big.rss) / double(small.rss), double(big.pss) / double(small.pss));
    std::printf(
        "Longest frame while the wheel scrolls through 10,000 notes: %.1f ms (at most 50)\n",
        figures[10000].frame);
    std::printf(
        "\nCrossings between the program and the page: the page's commands and host calls,"
        " the program's scripts, their answers\n");
    for (const auto& [notes, f] : figures) {
        std::printf(
            "%9d notes: crossings per list window %.2f (%.2f + %.2f + %.2f),"
            " per refresh %.2f (%.2f + %.2f + %.2f)\n",
            notes, f.windowAsked + f.windowScripts + f.windowAnswers, f.windowAsked,
            f.windowScripts, f.windowAnswers, f.refreshAsked + f.refreshScripts + f.refreshAnswers,
            f.refreshAsked, f.refreshScripts, f.refreshAnswers);
    }
    if (million) {
        std::printf(
            "1,000,000 notes: render process ended: %s; End reached the oldest in %.1f ms\n",
            figures[1000000].ended ? "yes" : "no", figures[1000000].end);
    }
    return FindFigures(runs);
}

}  // namespace

int main(int argc, char** argv) {
    Stamps().main = SteadyMs();
    if (qgetenv("QT_QPA_PLATFORM").isEmpty()) qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    platform::ReturnFreedMemoryPromptly();  // as the program does
    PrepareWebEngine();
    QApplication app(argc, argv);
    Stamps().app = SteadyMs();
    QApplication::setQuitOnLastWindowClosed(false);

    const QStringList args = QApplication::arguments();
    int runs = 5;
    const qsizetype runsAt = args.indexOf(QStringLiteral("--runs"));
    if (runsAt >= 0 && runsAt + 1 < args.size()) runs = std::max(1, args[runsAt + 1].toInt());
    if (args.contains(QStringLiteral("--find-here"))) return FindFiguresHere(runs);
    if (args.contains(QStringLiteral("--find"))) return FindFigures(runs);
    const qsizetype heavy = args.indexOf(QStringLiteral("--heavy-here"));
    if (heavy >= 0 && heavy + 1 < args.size())
        return HeavyFiguresHere(args[heavy + 1].toULongLong(), runs);
    if (args.contains(QStringLiteral("--heavy"))) return HeavyFigures(runs);
    const qsizetype launchAt = args.indexOf(QStringLiteral("--launch-here"));
    if (launchAt >= 0 && launchAt + 1 < args.size())
        return LaunchHere(args[launchAt + 1].toStdString());
    if (args.contains(QStringLiteral("--tray-here"))) return TrayHere(runs);
    if (args.contains(QStringLiteral("--bare-here"))) return BareHere();
    if (args.contains(QStringLiteral("--tray"))) return TrayFigures(runs);
    const qsizetype size = args.indexOf(QStringLiteral("--size"));
    if (size >= 0 && size + 1 < args.size())
        return SizeFigures(args[size + 1].toInt(), runs, args.contains(QStringLiteral("--wheel")));
    return AllFigures(runs, !args.contains(QStringLiteral("--no-million")));
}
