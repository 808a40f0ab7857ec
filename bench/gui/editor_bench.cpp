// Opening a note of 5 MB in the note editor: one line of 5 MB against 5 MB of
// ordinary lines of about 80 bytes, side by side. Each run shows the real
// editor on a stored note and waits until it has been drawn.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QWidget>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "dialogs/noteeditor.h"
#include "platform/apppaths.h"
#include "platform/codepage.h"
#include "render/storetexts.h"
#include "store/notebook.h"
#include "store/sqlitelayer.h"

namespace {

namespace fs = std::filesystem;
using namespace korvane;

constexpr size_t kNoteBytes = 5u << 20;

// A fresh application folder with the pristine notebook, removed at the end.
class Folder {
  public:
    Folder() : dir_(fs::temp_directory_path() / "korvane-editor-bench") {
        fs::remove_all(dir_);
        fs::create_directories(dir_ / "hd");
        const fs::path staged = QCoreApplication::applicationDirPath().toStdString();
        fs::copy_file(staged / "hd" / "glst.mysql.root", dir_ / "hd" / "glst.mysql.root");
        CloseDatabase();
        SetApplicationPaths(platform::ToCodePage((dir_ / "korvane").string()));
    }
    ~Folder() {
        CloseDatabase();
        fs::remove_all(dir_);
    }

  private:
    fs::path dir_;
};

// Stores a note of about 5 MB and returns its record number.
int StoreNote(bool oneLine) {
    const std::string words = Cp("会议纪要 下午三点讨论发布计划 {EM3EM} ");
    const std::string line = Cp("下午三点在二楼会议室讨论新版本的发布计划，请各位提前准备好材料。");
    std::string body;
    while (body.size() < kNoteBytes) body += oneLine ? words : line + "\r\n";
    if (ExecSql("INSERT INTO mylist(title,content,state,cre_date) VALUES('big','" + body +
                "',0,'2026-01-01 00:00:00')") != texts::kDone) {
        std::abort();
    }
    auto id = Database()->OpenQuery("SELECT max(ID) FROM mylist");
    id->GoFirst();
    return static_cast<int>(id->FieldInt64(0));
}

void OpenNote(benchmark::State& state) {
    Folder folder;
    const int id = StoreNote(state.range(0) == 1);
    QWidget main;
    main.resize(391, 570);
    TNE editor(&main);
    for (auto _ : state) {
        editor.RecordId = id;
        editor.show();
        editor.repaint();
        QCoreApplication::processEvents();
        state.PauseTiming();
        editor.hide();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
    state.SetLabel(state.range(0) == 1 ? "5 MB on one line" : "5 MB of ordinary lines");
}
BENCHMARK(OpenNote)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace

int main(int argc, char** argv) {
    if (qgetenv("QT_QPA_PLATFORM").isEmpty()) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
