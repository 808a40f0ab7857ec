// Program entry: one copy per user and one writer per notebook, the four
// windows in their order, the event loop.
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QSessionManager>
#include <QTimer>
#include <optional>
#include <string>
#include <vector>

#include "app/commandline.h"
#include "dialogs/qttext.h"
#include "logic/settings.h"
#include "mainwindow/corelog.h"
#include "mainwindow/enginesetup.h"
#include "mainwindow/language.h"
#include "mainwindow/mainwindow.h"
#include "mainwindow/showrequest.h"
#include "platform/apppaths.h"
#include "platform/codepage.h"
#include "platform/datafolder.h"
#include "platform/files.h"
#include "platform/instance.h"
#include "platform/process.h"
#include "platform/uitext.h"
#include "platformqt/termination.h"
#include "render/notices.h"
#include "store/notebook.h"
#include "store/portablecopy.h"

namespace {

// Tells the user that another copy writes this data folder's notebook, then
// asks that copy to show its window.
void ShowTheRunningCopy(const QString& showName) {
    using korvane::ToQt;
    using korvane::Ui;
    const QString notebook = QString::fromStdString(
        korvane::platform::FromCodePage(korvane::DataPath("hd\\glst.mysql")));
    QMessageBox notice(QMessageBox::Information, ToQt(Ui::tr("温馨提示")),
                       ToQt(Ui::tr("Korvane 已在运行，正在使用同一个记事本：\n%1\n\n"
                                   "将显示正在运行的窗口。本次启动没有打开也没有改动记事本。"))
                           .arg(notebook),
                       QMessageBox::Ok);
    notice.exec();
    korvane::AskToShow(showName);
}

}  // namespace

int main(int argc, char** argv) {
    using namespace korvane;
    // Export and import from the command line run without a window.
    if (const std::optional<int> job = RunCommandLine(argc, argv)) return *job;
    platform::ReturnFreedMemoryPromptly();
    PrepareWebEngine();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("korvane"));
    // The desktop matches the windows to the menu entry (and its icon) by this
    // name; on Wayland it is the windows' application id.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.example.korvane"));
    InstallCoreLogSink();
    // The program lives in the notification area: closing a dialog while the
    // main window is hidden must not end it. Closing the main window does.
    QApplication::setQuitOnLastWindowClosed(false);

    // An installed copy cannot write beside itself; its data then goes to the
    // user's data folder. Decided once, before anything is read or written
    // (the settings file gives the texts' language, which even the notice of a
    // second copy is in).
    const std::string executable = platform::RunningExecutablePath();
    SetApplicationPaths(executable);
    platform::UsePerUserDataWhenReadOnly("korvane");
    // The texts' language, before the first text is made.
    InstallLanguageFromSettings(DataPath("sys.ini"));

    const platform::InstanceLock lock("TulkaMainMemoFree");
    if (lock.state() == platform::InstanceLock::State::kAlreadyRunning) {
        // The running copy is left exactly as it is.
        QMessageBox notice(QMessageBox::Information, ToQt(Ui::tr("温馨提示")),
                           ToQt(Ui::tr("您已经运行了，不必再次运行!")), QMessageBox::Ok);
        notice.exec();
        return 0;
    }
    // A lock that cannot be made means running without the check.

    // One writer per notebook: copies with different runtime folders or
    // sessions meet at the lock beside the data. The second one leaves the
    // notebook alone and brings the first one's window up.
    const platform::WriterLock writer(NotebookLockPath());
    const QString showName = ShowRequestName(DataDirectory());
    if (writer.state() == platform::WriterLock::State::kHeldElsewhere) {
        ShowTheRunningCopy(showName);
        return 0;
    }
    // A lock that cannot be made (a folder that takes no new file) means
    // running without the check; saves there say why they fail.

    // What the user hears once the window shows: the notes of a read-only
    // portable copy taken over, a settings file that is not used.
    const std::vector<std::string> notices = {TakeOverNotice(TakeOverNotebookBesideProgram()),
                                              SettingsFileNotice(DataPath("sys.ini"))};

    // The notebook is closed after the window and its dialogs are gone and
    // before the writer lock is given up.
    struct NotebookCloser {
        ~NotebookCloser() { CloseDatabase(); }
    } closer;
    TMyHappy mainWindow(executable);
    // Logoff and shutdown end the program like a close: the settings are saved.
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &mainWindow,
                     [&mainWindow](QSessionManager&) { mainWindow.SaveSettings(); });
    // A second copy asks to see the window, or (korvane --sync) for a pass.
    const ShowRequests showRequests(
        showName, [&mainWindow] { mainWindow.HotkeyPressed(); },
        [&mainWindow](const SyncOptions& options, const ShowRequests::Answer& answer) {
            mainWindow.SyncForRequest(options, answer);
        });
    platform::TerminationWatcher termination;
    QObject::connect(&termination, &platform::TerminationWatcher::requested, &mainWindow,
                     &QWidget::close);

    mainWindow.show();
    // A box that fits its text: these notices name whole paths.
    QTimer::singleShot(0, &mainWindow, [&notices, &mainWindow] {
        for (const std::string& notice : notices) {
            if (notice.empty()) continue;
            QMessageBox box(QMessageBox::Information, ToQt(Ui::tr("温馨提示")), ToQt(notice),
                            QMessageBox::Ok, &mainWindow);
            box.button(QMessageBox::Ok)->setText(ToQt(Ui::tr("确　定")));
            box.exec();
        }
    });
    return QApplication::exec();
}
