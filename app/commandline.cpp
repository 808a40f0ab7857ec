#include "app/commandline.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QStringList>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "dialogs/qttext.h"
#include "logic/exportjob.h"
#include "logic/importjob.h"
#include "logic/syncengine.h"
#include "logic/syncsettings.h"
#include "mainwindow/language.h"
#include "mainwindow/showrequest.h"
#include "platform/apppaths.h"
#include "platform/codepage.h"
#include "platform/datafolder.h"
#include "platform/files.h"
#include "platform/instance.h"
#include "platform/process.h"
#include "platform/uitext.h"
#include "store/notebook.h"
#include "syncqt/qthttpclient.h"

namespace korvane {
namespace {

// How the command line is used, in the language of the texts.
std::string Usage() {
    return Ui::tr(
        "用法：\n"
        "  korvane                              启动 Korvane\n"
        "  korvane --export 文件夹 [--vcard4]   把记事和联系人导出到文件夹\n"
        "                                       （记事为 Markdown 和网页，联系人为 vCard 3.0，\n"
        "                                        加 --vcard4 写 vCard 4.0）\n"
        "  korvane --import 文件或文件夹...     导入 .vcf、.md、.txt、.note 和 .enex 文件\n"
        "  korvane --sync [--password-file 文件] [--confirm-deletes]\n"
        "                                       用 sys.ini 里 [sync] 的帐户同步一次\n"
        "                                       （密码文件只能由本用户读写；\n"
        "                                        --confirm-deletes 允许一次删除很多记录）\n");
}

void Print(FILE* stream, const std::string& codePage) {
    const std::string text = platform::FromCodePage(codePage) + "\n";
    std::fwrite(text.data(), 1, text.size(), stream);
    std::fflush(stream);
}

bool IsJobArgument(const char* argument) {
    return std::strcmp(argument, "--export") == 0 || std::strcmp(argument, "--import") == 0 ||
           std::strcmp(argument, "--sync") == 0 || std::strcmp(argument, "--help") == 0;
}

// A path as the user typed it, made whole against the working folder.
std::string WholePath(const QString& typed) {
    return FromQt(QFileInfo(typed).absoluteFilePath());
}

// Closes the notebook when the job ends, before the writer lock goes.
struct NotebookCloser {
    ~NotebookCloser() { CloseDatabase(); }
};

int Export(const QStringList& arguments) {
    ExportRequest request;
    for (const QString& argument : arguments) {
        if (argument == QLatin1String("--vcard4")) {
            request.vcard = VCardVersion::V4;
        } else if (request.folder.empty() && !argument.startsWith(QLatin1String("--"))) {
            request.folder = WholePath(argument);
        } else {
            Print(stderr, Usage());
            return 2;
        }
    }
    if (request.folder.empty()) {
        Print(stderr, Usage());
        return 2;
    }
    const NotebookCloser closer;
    const ExportResult result = ExportNotebook(request);
    const bool done = result.outcome == ExportResult::Outcome::Done;
    Print(done ? stdout : stderr, ExportResultText(result, request.folder));
    return done ? 0 : 1;
}

int Import(const QStringList& arguments) {
    std::vector<std::string> paths;
    for (const QString& argument : arguments) paths.push_back(WholePath(argument));
    if (paths.empty()) {
        Print(stderr, Usage());
        return 2;
    }
    // One writer per notebook: a running copy adds the records itself.
    const platform::WriterLock writer(NotebookLockPath());
    if (writer.state() == platform::WriterLock::State::kHeldElsewhere) {
        Print(stderr, Ui::tr("Korvane 正在运行并使用这个记事本，没有导入。请用它的“导入…”菜单，"
                             "或者先退出它再导入。"));
        return 1;
    }
    const NotebookCloser closer;
    const ImportResult result = ImportFiles(paths, StoredTimeNow());
    const bool whole = result.stored.Ok() && result.refused.empty();
    Print(whole ? stdout : stderr, ImportResultText(result));
    return whole ? 0 : 1;
}

// Exit codes of --sync beyond 0 and 1: stopped before a mass delete.
constexpr int kStoppedBeforeDeleting = 3;

// How long the running copy may take for its pass, queued behind one that
// runs already: each request may take the account's timeout, and a pass
// makes many.
constexpr int kRunningCopyAnswerMs = 10 * 60 * 1000;

int SyncInRunningCopy(bool confirmDeletes) {
    const SyncAnswer answer =
        AskToSync(ShowRequestName(DataDirectory()), kRunningCopyAnswerMs, confirmDeletes);
    switch (answer.kind) {
        case SyncAnswer::Kind::Answered:
            Print(answer.exitStatus == 0 ? stdout : stderr, answer.words);
            return answer.exitStatus;
        case SyncAnswer::Kind::TooOld:
            Print(stderr, Ui::tr("正在运行的 Korvane 版本较旧，不能按要求同步，没有同步。"
                                 "请用它的“立即同步”，或者先退出它。"));
            return 1;
        case SyncAnswer::Kind::NoAnswer:
            break;
    }
    Print(stderr,
          Ui::tr("Korvane 正在运行并使用这个记事本，但没有回答同步的请求，不知道是否同步了。"
                 "请看它窗口底部的同步状态。"));
    return 1;
}

int Sync(const QStringList& arguments) {
    std::string passwordFile;
    SyncOptions options;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        if (arguments[i] == QLatin1String("--password-file") && i + 1 < arguments.size()) {
            passwordFile = WholePath(arguments[++i]);
        } else if (arguments[i] == QLatin1String("--confirm-deletes")) {
            options.confirmMassDelete = true;
        } else {
            Print(stderr, Usage());
            return 2;
        }
    }
    const SyncSettings settings = LoadSyncSettings(DataPath("sys.ini"));
    if (!settings.Configured()) {
        Print(stderr, Ui::tr("还没有设置同步帐户：sys.ini 的 [sync] 里没有 url 和 user。"));
        return 1;
    }
    // One writer per notebook: a running copy syncs the notebook itself,
    // with the password it keeps, and tells how it went.
    const platform::WriterLock writer(NotebookLockPath());
    if (writer.state() == platform::WriterLock::State::kHeldElsewhere) {
        return SyncInRunningCopy(options.confirmMassDelete);
    }
    if (passwordFile.empty()) {
        Print(stderr, Ui::tr("请用 --password-file 给出密码文件。"));
        return 2;
    }
    std::string error;
    const std::optional<std::string> password = ReadPasswordFile(passwordFile, error);
    if (!password) {
        Print(stderr, error);
        return 1;
    }
    const NotebookCloser closer;
    QtHttpClient client({QString::fromStdString(settings.user), QString::fromStdString(*password),
                         settings.timeoutSeconds, settings.plainHttp, nullptr});
    const StoreExecutor here = [](const std::function<void()>& work) { work(); };
    const SyncReport report = RunSync({settings.url, settings.user}, client, here, options);
    const bool done = report.status == SyncStatus::Done;
    Print(done ? stdout : stderr, SyncReportText(report));
    if (done) return 0;
    return report.status == SyncStatus::MassDelete ? kStoppedBeforeDeleting : 1;
}

}  // namespace

std::optional<int> RunCommandLine(int argc, char** argv) {
    if (argc < 2 || !IsJobArgument(argv[1])) return std::nullopt;
    platform::UseParentConsole();
    QCoreApplication app(argc, argv);
    QStringList arguments = QCoreApplication::arguments();
    arguments.removeFirst();
    const QString job = arguments.takeFirst();
    SetApplicationPaths(platform::RunningExecutablePath());
    platform::UsePerUserDataWhenReadOnly("korvane");
    // The texts' language, before the first text is made.
    InstallLanguageFromSettings(DataPath("sys.ini"));
    if (job == QLatin1String("--help")) {
        Print(stdout, Usage());
        return 0;
    }
    if (job == QLatin1String("--sync")) return Sync(arguments);
    return job == QLatin1String("--export") ? Export(arguments) : Import(arguments);
}

}  // namespace korvane
