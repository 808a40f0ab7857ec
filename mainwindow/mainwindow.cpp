#include "mainwindow/mainwindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGridLayout>
#include <QKeySequence>
#include <QShortcut>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>
#include <QWebEngineView>

#include "dialogs/dialogs.h"
#include "dialogs/formbase.h"
#include "dialogs/qttext.h"
#include "logic/md5.h"
#include "logic/settings.h"
#include "logic/updater.h"
#include "mainwindow/activationwatch.h"
#include "mainwindow/appearance.h"
#include "mainwindow/attach.h"
#include "mainwindow/bars.h"
#include "mainwindow/commandhost.h"
#include "mainwindow/compactview.h"
#include "mainwindow/exchangeactions.h"
#include "mainwindow/notebookstart.h"
#include "mainwindow/pagehost.h"
#include "mainwindow/placement.h"
#include "mainwindow/readernames.h"
#include "mainwindow/skin.h"
#include "mainwindow/startuplink.h"
#include "mainwindow/syncdialog.h"
#include "mainwindow/traymenu.h"
#include "mainwindow/windowframe.h"
#include "platform/apppaths.h"
#include "platform/codepage.h"
#include "platform/files.h"
#include "platform/process.h"
#include "platform/uitext.h"
#include "platformqt/hotkey.h"
#include "syncqt/secretstore.h"

namespace korvane {
namespace {

constexpr int kDesignWidth = 391;
constexpr int kFinderDelayMs = 1500;
constexpr int kDesignHeight = 570;

std::string CodePage(const QString& text) {
    return platform::ToCodePage(text.toUtf8().toStdString());
}

QUrl PageUrl() {
    return QUrl::fromLocalFile(QString::fromUtf8(platform::NativePath(AppPath("hd/main.html"))));
}

}  // namespace

TMyHappy::TMyHappy(const std::string& executablePath, SyncParts sync)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint) {
    FormCreate(executablePath, sync);
}

TMyHappy::~TMyHappy() {
    // Destroy step: the browser host goes first, so no command reaches a
    // window being torn down; the hotkey is released whether or not it was
    // registered; the tray icon goes with the window.
    delete container_;
    container_ = nullptr;
    Timer1->stop();
    hotkey_->Unregister();
    // The sync goes before its secret store and runner.
    delete sync_;
    sync_ = nullptr;
}

// ---------------------------------------------------------------------------
// Create step

void TMyHappy::FormCreate(const std::string& executablePath, SyncParts sync) {
    // The skin and every data path are read from the application directory.
    SetApplicationPaths(executablePath);
    // Light or dark before the first widget is made, so every part starts
    // with the application's palette it keeps.
    appearance_ = new Appearance(DataPath("sys.ini"), nullptr, this);

    setObjectName(QStringLiteral("MyHappy"));
    setWindowTitle(QStringLiteral("Korvane"));
    setWindowIcon(skin::ProgramIcon());
    setFont(FormFont());
    setMinimumSize(200, 120);
    resize(kDesignWidth, kDesignHeight);

    BuildParts();
    LayOut();
    ConnectHandlers();
    SetUpKeys();
    AttachBrowser();
    ShowTheme(appearance_->Current());
    connect(appearance_, &Appearance::changed, this, &TMyHappy::ShowTheme);

    // An existing autostart entry ticks Run, which rewrites the entry for the
    // executable's current place.
    Run->setChecked(StartupLink(platform::AutostartAction::Check));

    // The dialogs come last, over the finished window; the notebook's start
    // asks and tells through its message box.
    commands_ = std::make_unique<CommandHost>(
        this, MyBody, [this] { ShowStandard(); }, [this] { sync_->Changed(); });
    notebook_ = new NotebookStart(this, *Forms().smsf, [this] { RunJs(MyBody, "BodyLoad()"); });
    BuildSync(sync);
}

void TMyHappy::BuildSync(SyncParts parts) {
    if (parts.secrets == nullptr) {
        ownSecrets_ = std::make_unique<DesktopSecretStore>();
        parts.secrets = ownSecrets_.get();
    }
    if (parts.passes == nullptr) {
        ownPasses_ = MakeRunnerPasses();
        parts.passes = ownPasses_.get();
    }
    sync_ = new SyncService(DataPath("sys.ini"), *parts.secrets, *parts.passes, parts.timing, this);
    connect(sync_, &SyncService::finished, this, &TMyHappy::ShowSyncOutcome);
    connect(sync_, &SyncService::recordsChanged, page_, &PageHost::RecordsChanged);
    connect(footer_, &Footer::syncClicked, this, &TMyHappy::OpenSyncDialog);
    connect(SyncItem, &QAction::triggered, this, &TMyHappy::OpenSyncDialog);
    connect(SyncNowItem, &QAction::triggered, this, &TMyHappy::SyncNow);
    // The first pass waits for the notebook the user keeps: a sync while the
    // start still offers to restore a backup would fill a notebook about to
    // be replaced.
    notebook_->WhenReady([this] { sync_->Begin(); });
}

const Dialogs& TMyHappy::Forms() const {
    return commands_->Forms();
}

void TMyHappy::BuildParts() {
    activation_ = new ActivationWatch(this);
    activationReturn_ = new ActivationReturn(this);
    auto* frame = new WindowFrame(this, activation_);
    frame_ = frame;
    PLC = frame->caption;
    Image1 = frame->leftCap;
    Image3 = frame->stretch;
    Image2 = frame->rightCap;
    Image7 = frame->logo;
    Label5 = frame->title;
    BitBtn1 = frame->hideButton;
    BitBtn3 = frame->exitButton;
    Image4 = frame->leftGrip;
    Image5 = frame->rightGrip;
    Image6 = frame->bottomGrip;

    Panel3 = new QWidget(this);
    Panel3->setObjectName(QStringLiteral("Panel3"));
    exchange_ = new ExchangeActions(this, [this](int kind) {
        // The list of what came in, with the records added.
        ListRequest request;
        request.kind = kind;
        request.mode = ListRequest::Mode::kRefresh;
        if (commands_) commands_->ShowList(request);
        if (sync_) sync_->Changed();
    });
    const OptionsBar options(Panel3);
    PLt = options.bar;
    CB = options.onTop;
    Run = options.run;
    CBN = options.compact;
    CNQ = options.hotkey;
    version = options.version;
    view_ = new CompactView(Panel3);
    Panel1 = view_->strip;
    page_ = new PageHost(Panel3);
    MyBody = page_->view;
    MyTop = page_->cover;
    Timer1 = page_->timer;
    footer_ = new Footer(Panel3);
    PLb = footer_->bar;
    Label1 = footer_->notice;
    SyncButton = footer_->sync;
    SyncState = footer_->syncState;
    connect(footer_->exportAll, &QToolButton::clicked, exchange_, &ExchangeActions::Export);
    connect(footer_->importFiles, &QToolButton::clicked, exchange_, &ExchangeActions::Import);
    connect(footer_, &Footer::noticeClicked, this, &TMyHappy::Label1Click);
    // The options bar goes first: the window is compact exactly when it is hidden.
    view_->Bind({PLt, PLb, PLC, Image4, Image5, Image6}, CBN, MyBody);

    tray_ = new TrayMenu(this);
    TrayIcon1 = tray_->icon;
    PopupMenu1 = tray_->menu;
    N2 = tray_->standard;
    N3 = tray_->compact;
    N5 = tray_->show;
    N6 = tray_->hide;
    N1 = tray_->quit;
    SyncItem = tray_->sync;
    SyncNowItem = tray_->syncNow;
    connect(tray_->exportAll, &QAction::triggered, exchange_, &ExchangeActions::Export);
    connect(tray_->importFiles, &QAction::triggered, exchange_, &ExchangeActions::Import);
    // After the tray's own handling of a double-click (which brings a visible
    // window up), the search field gets the keys.
    connect(TrayIcon1, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                if (reason == QSystemTrayIcon::DoubleClick && isVisible()) page_->FocusFind();
            });

    taskbar_ = new TaskbarMark(this);
    hotkey_ = new platform::GlobalHotkey(Qt::ControlModifier | Qt::Key_Q, this);
    if (!hotkey_->IsAvailable()) ShowHotkeyUnavailable(CNQ);
    NameForReaders(*this);
}

void TMyHappy::LayOut() {
    auto* column = new QVBoxLayout(Panel3);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(PLt);
    column->addWidget(Panel1);
    column->addWidget(page_->area, 1);
    column->addWidget(PLb);

    auto* frame = new QGridLayout(this);
    frame->setContentsMargins(0, 0, 0, 0);
    frame->setSpacing(0);
    frame->addWidget(PLC, 0, 0, 1, 3);
    frame->addWidget(Image4, 1, 0);
    frame->addWidget(Panel3, 1, 1);
    frame->addWidget(Image5, 1, 2);
    frame->addWidget(Image6, 2, 0, 1, 3);
    // The content takes all room the frame leaves. Without the stretch, a
    // compact view (grips hidden, their columns empty) shares the room out
    // among the empty columns too, and the page stays at its old width
    // between two grey bands.
    frame->setColumnStretch(1, 1);
    frame->setRowStretch(1, 1);
}

void TMyHappy::ShowTheme(Theme theme) {
    const bool dark = theme == Theme::kDark;
    frame_->SetDark(dark);
    PaintOptionsBar(PLt, dark);
    footer_->SetDark(dark);
    view_->SetDark(dark);
    page_->SetDark(dark);
}

void TMyHappy::ConnectHandlers() {
    connect(BitBtn1, &QToolButton::clicked, this, &TMyHappy::BitBtn1Click);
    connect(BitBtn3, &QToolButton::clicked, this, &TMyHappy::BitBtn3Click);
    // A tick or untick, by the user or from code, runs the box's handler; a
    // setChecked that changes nothing runs nothing.
    connect(CB, &QCheckBox::toggled, this, &TMyHappy::CBClick);
    connect(Run, &QCheckBox::toggled, this, &TMyHappy::RunClick);
    // Intended: CBN runs Run's handler, not one of its own. Every change of
    // CBN writes the autostart entry again (Run ticked) or removes it (Run
    // cleared), so the entry keeps following the executable's place.
    connect(CBN, &QCheckBox::toggled, this, &TMyHappy::RunClick);
    connect(CNQ, &QCheckBox::toggled, this, &TMyHappy::CNQClick);

    connect(N2, &QAction::triggered, this, &TMyHappy::N2Click);
    connect(N3, &QAction::triggered, this, &TMyHappy::N3Click);
    connect(N5, &QAction::triggered, this, &TMyHappy::N5Click);
    connect(N6, &QAction::triggered, this, &TMyHappy::N6Click);
    connect(N1, &QAction::triggered, this, &TMyHappy::N1Click);

    connect(view_, &CompactView::restoreRequested, this, &TMyHappy::ShowStandard);
    connect(page_, &PageHost::restoreRequested, this, &TMyHappy::ShowStandard);
    // The finder's index is read again after the next show.
    connect(page_, &PageHost::givenBack, this, [this] { commands_->ReleaseFinder(); });

    // Queued, so the toolkit first takes the key's time stamp as the user's
    // last action; window managers grant activation by it.
    connect(hotkey_, &platform::GlobalHotkey::activated, this, &TMyHappy::HotkeyPressed,
            Qt::QueuedConnection);

    // Whenever the program as a whole loses activation, go compact.
    connect(qApp, &QGuiApplication::applicationStateChanged, activation_,
            &ActivationWatch::StateChanged);
    connect(activation_, &ActivationWatch::deactivated, this, [this] {
        // A hidden window has no view to change; its next show starts standard.
        if (isVisible()) ShowCompact();
    });
}

void TMyHappy::OrderTabs() {
    QWidget* page = MyBody->focusProxy() != nullptr ? MyBody->focusProxy() : MyBody;
    const std::vector<QWidget*> order{
        BitBtn1,      BitBtn3, CB, Run, CBN, CNQ, page, footer_->exportAll, footer_->importFiles,
        footer_->sync};
    for (size_t i = 1; i < order.size(); ++i) setTabOrder(order[i - 1], order[i]);
}

bool TMyHappy::eventFilter(QObject* watched, QEvent* event) {
    if (watched == MyBody && event->type() == QEvent::ChildAdded) {
        QTimer::singleShot(0, this, [this] {
            OrderTabs();
            FocusPageInput();
        });
    }
    return QWidget::eventFilter(watched, event);
}

void TMyHappy::FocusPageInput() {
    QWidget* input = MyBody->focusProxy();
    if (input == nullptr || !isActiveWindow()) return;
    QWidget* focused = focusWidget();
    if (focused != nullptr && focused != MyBody && focused != input) return;
    // The view was focused before the engine's widget came, or the window
    // was inactive when it was: the page heard of no focus. Out and in again.
    input->clearFocus();
    input->setFocus(Qt::ActiveWindowFocusReason);
}

void TMyHappy::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) {
        QTimer::singleShot(0, this, &TMyHappy::FocusPageInput);
    }
}

void TMyHappy::SetUpKeys() {
    OrderTabs();
    MyBody->installEventFilter(this);
    // A page loaded under an active window has not heard of its focus yet.
    connect(MyBody, &QWebEngineView::loadFinished, this,
            [this] { QTimer::singleShot(0, this, &TMyHappy::FocusPageInput); });
    auto* menuKey = new QShortcut(QKeySequence(Qt::Key_F10), this);
    menuKey->setContext(Qt::WindowShortcut);
    connect(menuKey, &QShortcut::activated, this, [this] {
        PopupMenu1->popup(mapToGlobal(QPoint(8, PLC->isVisible() ? PLC->height() : 8)));
        if (!PopupMenu1->actions().isEmpty())
            PopupMenu1->setActiveAction(PopupMenu1->actions().first());
    });
}

void TMyHappy::AttachBrowser() {
    container_ = AttachBrowserHost(
        MyBody, [this](const std::string& url) { MyBodyBeforeNavigate2(url); },
        [this](const DoExCall& call) { DoEx(call.n); });
    // The view shows the program's page (the one LoadPage loads) and nothing else.
    container_->SetHomeUrl(PageUrl());
    page_->Watch();
}

// ---------------------------------------------------------------------------
// Show step, close request, page loading

void TMyHappy::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (event->spontaneous()) return;  // un-minimising is no show
    taskbar_->Shown(windowHandle());
    // Every show begins in the standard view, and the page in its standard
    // look. The settings read next may clear CBN, which would leave a
    // compact window that nothing can bring back and nothing can move.
    view_->ShowBars(true);
    RestoreSettings();
    notebook_->Open();
    LoadPage();
    // The window takes the keys at once: the page (its list) has them, so
    // End, Ctrl+F and typing work before any click.
    MyBody->setFocus(Qt::ActiveWindowFocusReason);
    QTimer::singleShot(0, activationReturn_, &ActivationReturn::Return);
    // The finder's index is read in the background once the page has shown
    // its list, so the first search does not wait for it and the start does
    // not share the processor with it.
    QTimer::singleShot(kFinderDelayMs, this, [this] { commands_->PrepareFinder(); });
}

void TMyHappy::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    if (event->spontaneous()) return;  // minimising is no hide
    page_->Hidden();
}

void TMyHappy::RestoreSettings() {
    RestoreWindow(DataPath("sys.ini"), *this, Options());
}

void TMyHappy::LoadPage() {
    const std::string page = AppPath("hd/main.html");
    if (!platform::FileExists(page)) {
        static const std::string incomplete = Ui::tr("安装不完整，请重新下载安装");
        ShowMsgBox(*Forms().smsf, incomplete, false, 1);
        RequestTermination();
        return;
    }
    // The footer must still carry the maker's notice: a build whose notice was
    // altered is treated like a damaged installation.
    const bool noticeIntact = footer_->ShowNotice();
    if (CheckPageFile(page) && noticeIntact) {
        // A page still there is shown as it is, refreshed in place; only a
        // page never loaded, or covered, is loaded afresh.
        if (!page_->Reshow(PageUrl())) page_->Load(PageUrl());
        return;
    }
    page_->Cover(ToQt(Ui::tr("您的文件可能已被破坏，请重新安装")));
}

void TMyHappy::Timer1Timer() {
    page_->Tick();
}

void TMyHappy::PageLoadFinished() {
    page_->LoadFinished();
}

void TMyHappy::PageProcessEnded() {
    page_->ProcessEnded();
}

void TMyHappy::closeEvent(QCloseEvent* event) {
    SaveSettings();
    event->accept();
    // Closing the main window ends the program.
    QCoreApplication::quit();
}

void TMyHappy::SaveSettings() {
    SaveWindow(DataPath("sys.ini"), *this, Options());
}

StoredOptions TMyHappy::Options() {
    return {CBN, CB, CNQ, [this] { CBClick(); }, [this] { CNQClick(); }};
}

void TMyHappy::RequestTermination() {
    terminating_ = true;
    page_->Stop();
    // exit, not quit: a quit first closes every visible window, and the main
    // window's close request would write the settings after all.
    QMetaObject::invokeMethod(
        qApp, [] { QCoreApplication::exit(0); }, Qt::QueuedConnection);
}

// ---------------------------------------------------------------------------
// Display modes, script, commands

bool TMyHappy::RunJs(QWebEngineView* browser, const std::string& line) {
    return PageHost::RunJs(browser, line);
}

void TMyHappy::ShowCompact() {
    view_->Switch(true);
}
void TMyHappy::ShowStandard() {
    view_->Switch(false);
}
bool TMyHappy::IsCompact() const {
    return view_->IsCompact();
}

void TMyHappy::TrimAndProcess() {
    platform::TrimWorkingSet();
    QCoreApplication::processEvents();
}

void TMyHappy::MyBodyBeforeNavigate2(const std::string& url) {
    commands_->Run(url);
}

void TMyHappy::DoEx(const QString& n) {
    switch (ExternalRequestFor(n.toStdString())) {
        case ExternalRequest::kShowStandard:
            ShowStandard();
            break;
        case ExternalRequest::kUpdate:
            StartUpdater();
            break;
        case ExternalRequest::kNone:
            break;
    }
}

void TMyHappy::StartUpdater() {
    const std::string executable = platform::RunningExecutablePath();
    const std::string name = executable.substr(platform::LastSeparator(executable) + 1);
    // The program ends only once the updater runs; without it, it keeps going.
    if (!platform::StartProgram(std::string(kUpdaterProgram),
                                UpdaterArguments(CodePage(version->text()), name),
                                ApplicationDirectory())) {
        ShowMsgBox(*Forms().smsf, UpdaterNotStarted());
        return;
    }
    RequestTermination();
}

// ---------------------------------------------------------------------------
// Options

void TMyHappy::CBClick() {
    SetStaysOnTop(*this, CB->isChecked());
}

void TMyHappy::CNQClick() {
    if (CNQ->isChecked()) {
        hotkey_->Register();
    } else {
        hotkey_->Unregister();
    }
}

void TMyHappy::RunClick() {
    StartupLink(Run->isChecked() ? platform::AutostartAction::Write
                                 : platform::AutostartAction::Remove);
}

bool TMyHappy::StartupLink(platform::AutostartAction action) {
    return StartupLinkFor(action, CodePage(Label5->text()), this);
}

// ---------------------------------------------------------------------------
// Caption, tray menu, hotkey, footer

void TMyHappy::BitBtn1Click() {
    // Hidden windows come back through the tray; without one, minimise so the
    // taskbar still leads back.
    if (QSystemTrayIcon::isSystemTrayAvailable()) {
        hide();
    } else {
        showMinimized();
    }
}

void TMyHappy::BitBtn3Click() {
    RequestTermination();
    close();
}

void TMyHappy::N1Click() {
    close();
}

void TMyHappy::N2Click() {
    CBN->setChecked(true);
    ShowStandard();
}

void TMyHappy::N3Click() {
    CBN->setChecked(true);
    ShowCompact();
}

void TMyHappy::N5Click() {
    show();
    TrimAndProcess();
    page_->FocusFind();
}

void TMyHappy::N6Click() {
    hide();
    TrimAndProcess();
}

void TMyHappy::HotkeyPressed() {
    if (!isVisible()) show();
    if (isMinimized()) showNormal();  // minimised by the hide button where there is no tray
    BringToFront(*this);
    page_->FocusFind();
}

void TMyHappy::Label1Click() {
    footer_->OpenHomePage();
}

// ---------------------------------------------------------------------------
// Sync

void TMyHappy::OpenSyncDialog() {
    // One dialog at a time: an open editor, question or the sync dialog
    // itself comes up instead.
    if (QApplication::activeModalWidget() != nullptr) {
        BringToFront(*this);
        return;
    }
    SyncDialog dialog(this, *sync_, *Forms().smsf);
    dialog.exec();
}

void TMyHappy::SyncNow() {
    if (!LoadSyncSettings(sync_->IniPath()).Configured()) {
        OpenSyncDialog();
        return;
    }
    sync_->Ask({});
}

void TMyHappy::SyncForRequest(const SyncOptions& options, const ShowRequests::Answer& answer) {
    SyncRequest request;
    request.options = options;
    sync_->Ask(std::move(request), [answer](const SyncOutcome& outcome) {
        answer(SyncExitStatus(outcome), OutcomeText(outcome));
    });
}

// A failed pass is told here and in the tray's tooltip, never in a box of
// its own: only the dialog shows boxes.
void TMyHappy::ShowSyncOutcome(const SyncOutcome& outcome) {
    const QString line = StatusLine(outcome);
    footer_->ShowSyncState(line, !outcome.Ok());
    tray_->ShowSyncState(line);
}

}  // namespace korvane
