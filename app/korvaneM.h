// The main window: a frameless, skinned window around the page, with its
// options bar, its compact view, the tray icon and menu, the Ctrl+Q hotkey,
// the settings file, autostart, the updater hand-off and the page loading.
#pragma once

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QMenu>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QToolButton>
#include <QUrl>
#include <QWidget>
#include <functional>
#include <future>
#include <string>

#include "app/dispatch.h"
#include "store/dailybackup.h"

class QWebEngineView;

namespace korvane {

namespace platform {
class GlobalHotkey;
}
class TExternalContainer;

class TMyHappy : public QWidget, public DispatchHost {
    Q_OBJECT

  public:
    // Runs the create step: `executablePath` (code page) sets the application
    // directory and the executable name before anything else reads them.
    explicit TMyHappy(const std::string& executablePath);
    ~TMyHappy() override;

    // Caption bar.
    QWidget* PLC;
    QLabel* Image1;        // left cap
    QLabel* Image3;        // stretched caption; pressing it moves the window
    QLabel* Image2;        // right cap
    QLabel* Image7;        // logo
    QLabel* Label5;        // title; pressing it moves the window
    QToolButton* BitBtn1;  // hide
    QToolButton* BitBtn3;  // exit
    // Resize grips: left, right, bottom.
    QWidget* Image4;
    QWidget* Image5;
    QWidget* Image6;
    // Content.
    QWidget* Panel3;
    QWidget* PLt;     // options bar
    QCheckBox* CB;    // always on top
    QCheckBox* Run;   // start at logon
    QCheckBox* CBN;   // automatic compact view
    QCheckBox* CNQ;   // Ctrl+Q hotkey
    QLabel* version;  // never visible: the version stamp
    QLabel* Panel1;   // compact-view strip
    QWebEngineView* MyBody;
    QLabel* MyTop;   // white cover with status text over the page
    QWidget* PLb;    // footer
    QLabel* Label1;  // maker's notice
    // Tray, page timer.
    QSystemTrayIcon* TrayIcon1;
    QMenu* PopupMenu1;
    QAction* N2;
    QAction* N3;
    QAction* N5;
    QAction* N6;
    QAction* N1;
    QTimer* Timer1;

    // Runs one line of script (code page) in the page of `browser`. False only
    // when there is no browser; script failures are never reported. Afterwards
    // the working set is trimmed and pending events are processed once.
    static bool RunJs(QWebEngineView* browser, const std::string& line);

    // Display modes; both do nothing unless CBN is ticked.
    void ShowCompact();
    void ShowStandard() override;
    bool IsCompact() const;

    // The command dispatcher: carries out a command URL of the page, whose
    // navigation the browser host has already cancelled. Runs from the event
    // loop, never inside the engine's navigation callback, so the editors and
    // the message dialog may run modally here.
    void MyBodyBeforeNavigate2(const std::string& url);

    // What the dispatcher asks of the window.
    bool EditNote(int recordId) override;
    bool EditContact(int recordId) override;
    bool Ask(const std::string& question) override;
    void Notify(const std::string& text) override;
    std::string ExecSql(const std::string& statement) override;
    void ShowList(const ListRequest& request) override;

    // Commands from the page: "SHOW" and "UPFS", compared exactly.
    void DoEx(const QString& n);
    // Starts the updater beside the program and ends the program without
    // saving the settings.
    void StartUpdater();

    // Hooks the browser host into MyBody; called by the create step once the
    // application paths are set.
    void AttachBrowser();

    // Autostart entry: 0 create, 1 delete, 2 query (true when it exists).
    bool StartupLink(int mode);

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
    // The page has finished loading: runs a start-up call the tick deferred.
    void PageLoadFinished();
    // The page's render process ended unasked (a crash, or killed for want of
    // memory): the page is loaded again, so the window is never left blank.
    void PageProcessEnded();
    void HotkeyPressed();

  protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void FormCreate(const std::string& executablePath);
    void BuildCaption();
    void BuildGrips();
    void BuildContent();
    void BuildOptionsBar();
    void BuildFooter();
    void BuildTray();
    void RestoreSettings();
    void LoadPage();
    // Opens the notebook at the first show, tells the user of a damaged file
    // kept aside, and starts the day's backup off the user-interface thread.
    void OpenNotebook();
    void OfferNewestBackup();
    void StartDailyBackup();
    void SwitchView(bool compact);
    void PlaceCaptionButtons();
    void ScheduleMaskUpdate();
    void UpdateMask();
    void BringToFront();
    void ApplyOnTop(bool on);
    // Greys out the Ctrl+Q option, saying why, where the desktop offers no
    // global key; its setting is still read and written.
    void ShowHotkeyAvailability();
    void TrimAndProcess();

    // Places an editor over the window: width first, then the left edge; the
    // editor keeps its own vertical place.
    void PlaceEditor(QWidget* editor) const;

    platform::GlobalHotkey* hotkey_;
    TExternalContainer* container_ = nullptr;
    QWidget* bodyArea_;
    bool terminating_ = false;
    QUrl pageUrl_;                  // the page of the current show
    bool pageLoaded_ = false;       // the page of the current show has loaded
    bool bodyLoadPending_ = false;  // the tick came before the page had loaded
    bool maskPending_ = false;
    bool taskbarCheckPending_ = false;
    bool notebookOpened_ = false;
    std::future<DailyBackup::Outcome> backupRun_;  // waited for when the window goes
    bool runningCommand_ = false;  // a command (and any dialog it opened) is running
    QList<qint64> pageRestarts_;   // when the page was last loaded again after its process ended
};

// The program's one main window.
extern TMyHappy* MyHappy;

}  // namespace korvane
