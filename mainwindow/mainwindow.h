// The main window: a frameless, skinned window around the page. It puts
// together its parts (the frame, the options bar, the page host, the compact
// view, the footer, the tray menu, the command host) and keeps the handlers
// the program and its tests call; the work is done by the parts.
#pragma once

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QMenu>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QToolButton>
#include <QWidget>
#include <memory>
#include <string>

#include "logic/theme.h"
#include "mainwindow/showrequest.h"
#include "mainwindow/syncservice.h"
#include "platform/autostart.h"

class QWebEngineView;

namespace korvane {

namespace platform {
class GlobalHotkey;
}
class ActivationReturn;
class Appearance;
class ActivationWatch;
class CommandHost;
class CompactView;
class ExchangeActions;
struct Dialogs;
class Footer;
class NotebookStart;
class PageHost;
class SecretStore;
struct StoredOptions;
class TaskbarMark;
class TExternalContainer;
class TrayMenu;
class WindowFrame;

// What the window syncs through: the desktop's secret store and the sync
// runner unless given (tests give their own), and when.
struct SyncParts {
    SecretStore* secrets = nullptr;
    SyncPasses* passes = nullptr;
    SyncTiming timing;
};

// The main window (the form the program shows, with its tray menu and page).
class TMyHappy : public QWidget {
    Q_OBJECT

  public:
    // Runs the create step: `executablePath` (code page) sets the application
    // directory and the executable name before anything else reads them.
    explicit TMyHappy(const std::string& executablePath, SyncParts sync = {});
    ~TMyHappy() override;

    // Caption bar.
    QWidget* PLC;          // the caption bar holding the parts below
    QLabel* Image1;        // left cap
    QLabel* Image3;        // stretched caption; pressing it moves the window
    QLabel* Image2;        // right cap
    QLabel* Image7;        // logo
    QLabel* Label5;        // title; pressing it moves the window
    QToolButton* BitBtn1;  // hide: to the notification area, or minimise without one
    QToolButton* BitBtn3;  // exit: closes the window, which ends the program
    QWidget* Image4;       // left grip
    QWidget* Image5;       // right grip
    QWidget* Image6;       // bottom grip
    // Content.
    QWidget* Panel3;         // the content column: options bar, page, footer
    QWidget* PLt;            // options bar
    QCheckBox* CB;           // 顶置: always on top
    QCheckBox* Run;          // 开机启动: start at logon (the autostart entry)
    QCheckBox* CBN;          // 自动精简显示: compact view when the window loses focus
    QCheckBox* CNQ;          // Ctrl+Q 显示面板: the global hotkey that brings the window up
    QLabel* version;         // never visible: the version stamp
    QLabel* Panel1;          // compact-view strip
    QWebEngineView* MyBody;  // the web view showing the list page (hd/main.html)
    QLabel* MyTop;           // white cover with status text over the page
    QWidget* PLb;            // footer
    QLabel* Label1;          // maker's notice
    // Tray, page timer.
    QSystemTrayIcon* TrayIcon1;  // the notification-area icon
    QMenu* PopupMenu1;           // its menu, N2 to N1 from the top
    QAction* N2;                 // tray menu: 标准窗口 (standard view)
    QAction* N3;                 // tray menu: 精简窗口 (compact view)
    QAction* N5;                 // tray menu: 显示窗口 (show the window)
    QAction* N6;                 // tray menu: 隐藏窗口 (hide the window)
    QAction* N1;                 // tray menu: 退出 (quit)
    QAction* SyncItem;           // tray menu: 同步… (the sync account)
    QAction* SyncNowItem;        // tray menu: 立即同步
    QToolButton* SyncButton;     // footer: 同步…, until there is an outcome to show
    QLabel* SyncState;           // footer: the last sync's outcome, in 同步…'s place
    QTimer* Timer1;  // page timer: BodyLoad() for a page whose load is not reported in a second

    // Runs one line of script (code page) in the page of `browser`. False only
    // when there is no browser; script failures are never reported. Afterwards
    // the working set is trimmed and pending events are processed once.
    static bool RunJs(QWebEngineView* browser, const std::string& line);

    // Display modes; both do nothing unless CBN is ticked.
    void ShowCompact();
    void ShowStandard();
    bool IsCompact() const;

    // The command dispatcher: carries out a command URL of the page, whose
    // navigation the browser host has already cancelled (see CommandHost).
    void MyBodyBeforeNavigate2(const std::string& url);

    // Commands from the page: "SHOW" and "UPFS", compared exactly.
    void DoEx(const QString& n);
    // Starts the updater beside the program and ends the program without
    // saving the settings.
    void StartUpdater();

    // The note editor, the contact editor and the message box, owned by the
    // window's command host.
    const Dialogs& Forms() const;

    // Hooks the browser host into MyBody; called by the create step once the
    // application paths are set.
    void AttachBrowser();

    // Autostart entry: written, removed, or checked (true when it exists).
    bool StartupLink(platform::AutostartAction action);

    // Writes position, size and options to sys.ini; what a close request does
    // before the window closes. A file that cannot be written is let go.
    void SaveSettings();

    // Ends the event loop at the next opportunity without a close request,
    // so the settings are not saved.
    void RequestTermination();
    bool TerminationRequested() const { return terminating_; }

    // Handlers.
    void CBClick();
    void CNQClick();
    void RunClick();
    void BitBtn1Click();
    void BitBtn3Click();
    void N1Click();
    void N2Click();
    void N3Click();
    void N5Click();
    void N6Click();
    void Label1Click();
    void Timer1Timer();
    // The page has finished loading: its start-up call, once per load.
    void PageLoadFinished();
    // The page's render process ended unasked (a crash, or killed for want of
    // memory): the page is loaded again (at the next show when hidden), so
    // the window is never left blank.
    void PageProcessEnded();
    void HotkeyPressed();

    // Sync: the account's dialog (over any open dialog it only brings that
    // one up); a pass now (the dialog instead while no account is set); a
    // second copy's request, answered with the pass's exit status and words.
    void OpenSyncDialog();
    void SyncNow();
    void SyncForRequest(const SyncOptions& options, const ShowRequests::Answer& answer);
    SyncService& Sync() { return *sync_; }

  protected:
    void showEvent(QShowEvent* event) override;
    // The page keeps its place and is given back after a while (PageHost).
    void hideEvent(QHideEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;

  private:
    void FormCreate(const std::string& executablePath, SyncParts sync);
    void BuildParts();
    void BuildSync(SyncParts parts);
    void ShowSyncOutcome(const SyncOutcome& outcome);
    void LayOut();
    void ConnectHandlers();
    // The caption, the bars, the strip and the page, light or dark; the
    // dialogs follow the application's palette by themselves.
    void ShowTheme(Theme theme);
    void RestoreSettings();
    StoredOptions Options();
    void LoadPage();
    void TrimAndProcess();
    // Tab goes from the caption's buttons through the options to the page and
    // the footer; F10 opens the tray's menu over the window.
    void SetUpKeys();
    // The Tab order, again whenever the view gets the engine's widget that
    // takes its keys (it comes with the page, and anew after a crash).
    void OrderTabs();
    // Hands the page's keys to the engine's widget in the view with a real
    // focus-in, so the page itself is focused (its focus ring and caret
    // show), when the view holds the window's focus.
    void FocusPageInput();

    Appearance* appearance_;
    WindowFrame* frame_;
    platform::GlobalHotkey* hotkey_;
    ActivationWatch* activation_;
    ActivationReturn* activationReturn_;
    PageHost* page_;
    CompactView* view_;
    Footer* footer_;
    TaskbarMark* taskbar_;
    NotebookStart* notebook_;
    ExchangeActions* exchange_;
    TrayMenu* tray_;
    std::unique_ptr<SecretStore> ownSecrets_;
    std::unique_ptr<SyncPasses> ownPasses_;
    SyncService* sync_ = nullptr;
    std::unique_ptr<CommandHost> commands_;
    TExternalContainer* container_ = nullptr;
    bool terminating_ = false;
};

}  // namespace korvane
