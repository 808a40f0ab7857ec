#include "app/korvaneM.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDateTime>
#include <QDesktopServices>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QMessageBox>
#include <QMouseEvent>
#include <QScreen>
#include <QUrl>
#include <QVBoxLayout>
#include <QWebEngineLoadingInfo>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <QWindow>
#include <optional>
#include <vector>

#include "app/framedrag.h"
#include "app/listanswer.h"
#include "app/md5.h"
#include "app/settings.h"
#include "app/skin.h"
#include "app/updater.h"
#include "base/ansitext.h"
#include "base/apppaths.h"
#include "browser/attach.h"
#include "browser/pagedom.h"
#include "dialogs/fconf.h"
#include "dialogs/formbase.h"
#include "dialogs/fsms.h"
#include "dialogs/new.h"
#include "platform/autostart.h"
#include "platform/codepage.h"
#include "platform/files.h"
#include "platform/hotkey.h"
#include "platform/process.h"
#include "platform/taskbar.h"
#include "render/listpage.h"
#include "store/dailybackup.h"
#include "store/dbfunc.h"

namespace korvane {

TMyHappy* MyHappy = nullptr;

namespace {

constexpr int kDesignWidth = 391;
constexpr int kDesignHeight = 570;
constexpr int kCaptionHeight = 28;
constexpr int kGripSize = 3;
constexpr uint32_t kKeysymQ = 0x71;
constexpr int kPageTimerMs = 1000;

// The footer's notice and where a click on it leads.
QString MakersNotice() {
    return QStringLiteral("Korvane 工作室出品 · 访问主页");
}
const char* const kHomePage = "https://korvane.example.org/Brisvale/";

std::string CodePage(const QString& text) {
    return platform::ToCodePage(text.toUtf8().toStdString());
}

QLabel* Picture(QWidget* parent, const QPixmap& pixmap, const char* name) {
    auto* label = new QLabel(parent);
    label->setObjectName(QLatin1String(name));
    label->setPixmap(pixmap);
    return label;
}

QPixmap Keyed(std::string_view name) {
    return QPixmap::fromImage(skin::HardenAlpha(skin::Picture(name).toImage()));
}

QToolButton* CaptionButton(QWidget* parent, std::string_view picture, const char* name) {
    auto* button = new QToolButton(parent);
    button->setObjectName(QLatin1String(name));
    button->setIcon(QIcon(skin::Picture(picture)));
    button->setIconSize(QSize(18, 18));
    button->setFixedSize(18, 18);
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::NoFocus);
    button->setCursor(Qt::PointingHandCursor);
    button->setStyleSheet(QStringLiteral(
        "QToolButton { border: none; background: transparent; padding: 0; }"
        "QToolButton:hover { background: rgba(255, 255, 255, 45); border-radius: 9px; }"
        "QToolButton:pressed { background: rgba(0, 0, 0, 40); border-radius: 9px; }"));
    return button;
}

QWidget* Grip(QWidget* parent, Qt::CursorShape cursor, const char* name) {
    auto* grip = new QWidget(parent);
    grip->setObjectName(QLatin1String(name));
    grip->setCursor(cursor);
    grip->setAutoFillBackground(true);
    QPalette palette = grip->palette();
    palette.setColor(QPalette::Window, skin::kFrameColour);
    grip->setPalette(palette);
    return grip;
}

WindowRect ToRect(const QRect& r) {
    return {r.x(), r.y(), r.width(), r.height()};
}

}  // namespace

TMyHappy::TMyHappy(const std::string& executablePath)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint) {
    MyHappy = this;
    FormCreate(executablePath);
}

TMyHappy::~TMyHappy() {
    // Destroy step: the browser host goes first, so no command reaches a
    // window being torn down; the hotkey is released whether or not it was
    // registered; the tray icon goes with the window.
    delete container_;
    container_ = nullptr;
    Timer1->stop();
    hotkey_->Unregister();
    if (MyHappy == this) MyHappy = nullptr;
}

// ---------------------------------------------------------------------------
// Create step

void TMyHappy::FormCreate(const std::string& executablePath) {
    // The skin and the shipped files are read from the application directory;
    // what the program writes goes to the data directory chosen at start.
    SetApplicationPaths(executablePath);

    setObjectName(QStringLiteral("MyHappy"));
    setWindowTitle(QStringLiteral("Korvane"));
    setWindowIcon(skin::ProgramIcon());
    setFont(FormFont());
    setMinimumSize(200, 120);
    resize(kDesignWidth, kDesignHeight);

    BuildCaption();
    BuildGrips();
    BuildContent();

    auto* frame = new QGridLayout(this);
    frame->setContentsMargins(0, 0, 0, 0);
    frame->setSpacing(0);
    frame->addWidget(PLC, 0, 0, 1, 3);
    frame->addWidget(Image4, 1, 0);
    frame->addWidget(Panel3, 1, 1);
    frame->addWidget(Image5, 1, 2);
    frame->addWidget(Image6, 2, 0, 1, 3);

    Timer1 = new QTimer(this);
    Timer1->setSingleShot(true);
    Timer1->setInterval(kPageTimerMs);
    connect(Timer1, &QTimer::timeout, this, &TMyHappy::Timer1Timer);

    hotkey_ = new platform::GlobalHotkey(Qt::ControlModifier, kKeysymQ, this);
    // Queued, so the toolkit first takes the key's time stamp as the user's
    // last action; window managers grant activation by it.
    connect(hotkey_, &platform::GlobalHotkey::activated, this, &TMyHappy::HotkeyPressed,
            Qt::QueuedConnection);
    ShowHotkeyAvailability();

    BuildTray();

    // The white cover hides the browser until a page is loaded.
    MyTop->setGeometry(bodyArea_->rect());
    MyTop->show();
    MyTop->raise();

    AttachBrowser();

    // Whenever the program as a whole loses activation, go compact.
    connect(qApp, &QGuiApplication::applicationStateChanged, this,
            [this](Qt::ApplicationState state) {
                if (state != Qt::ApplicationActive) ShowCompact();
            });

    // An existing autostart entry ticks Run, which rewrites the entry for the
    // executable's current place.
    Run->setChecked(StartupLink(2));
}

void TMyHappy::BuildCaption() {
    PLC = new QWidget(this);
    PLC->setObjectName(QStringLiteral("PLC"));
    PLC->setFixedHeight(kCaptionHeight);
    PLC->setAutoFillBackground(true);
    QPalette palette = PLC->palette();
    palette.setColor(QPalette::Window, skin::kKeyColour);
    PLC->setPalette(palette);

    Image1 = Picture(PLC, Keyed("caption_left"), "Image1");
    Image1->setFixedWidth(12);
    Image3 = Picture(PLC, Keyed("caption"), "Image3");
    Image3->setScaledContents(true);
    Image3->setMinimumWidth(1);
    Image3->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Expanding);
    Image2 = Picture(PLC, Keyed("caption_right"), "Image2");
    Image2->setFixedWidth(11);
    auto* row = new QHBoxLayout(PLC);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    row->addWidget(Image1);
    row->addWidget(Image3);
    row->addWidget(Image2);

    Image7 = Picture(PLC, skin::Picture("logo"), "Image7");
    Image7->setGeometry(0, 0, 34, 30);

    Label5 = new QLabel(QStringLiteral("Korvane V3.016"), PLC);
    Label5->setObjectName(QStringLiteral("Label5"));
    QFont title(QStringLiteral("Arial"));
    title.setPixelSize(12);
    title.setBold(true);
    Label5->setFont(title);
    Label5->setStyleSheet(QStringLiteral("color: white; background: transparent;"));
    Label5->move(35, 6);
    Label5->adjustSize();

    BitBtn1 = CaptionButton(PLC, "btn_hide", "BitBtn1");
    BitBtn3 = CaptionButton(PLC, "btn_close", "BitBtn3");
    connect(BitBtn1, &QToolButton::clicked, this, &TMyHappy::BitBtn1Click);
    connect(BitBtn3, &QToolButton::clicked, this, &TMyHappy::BitBtn3Click);
    PlaceCaptionButtons();

    auto* mover = new FrameDrag(this, {});
    mover->Attach(Image3);
    mover->Attach(Label5);
    PLC->installEventFilter(this);
}

void TMyHappy::BuildGrips() {
    Image4 = Grip(this, Qt::SizeHorCursor, "Image4");
    Image4->setFixedWidth(kGripSize);
    Image5 = Grip(this, Qt::SizeHorCursor, "Image5");
    Image5->setFixedWidth(kGripSize);
    Image6 = Grip(this, Qt::SizeVerCursor, "Image6");
    Image6->setFixedHeight(kGripSize);
    (new FrameDrag(this, Qt::LeftEdge))->Attach(Image4);
    (new FrameDrag(this, Qt::RightEdge))->Attach(Image5);
    (new FrameDrag(this, Qt::BottomEdge))->Attach(Image6);
}

void TMyHappy::BuildContent() {
    Panel3 = new QWidget(this);
    Panel3->setObjectName(QStringLiteral("Panel3"));
    BuildOptionsBar();

    Panel1 = new QLabel(QStringLiteral(" -> 双击此处恢复标准窗口"), Panel3);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFixedHeight(17);
    Panel1->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    Panel1->setStyleSheet(
        QStringLiteral("background: white; color: silver; border-bottom: 1px solid #e3e8ee;"));
    Panel1->hide();
    Panel1->installEventFilter(this);

    bodyArea_ = new QWidget(Panel3);
    MyBody = new QWebEngineView(bodyArea_);
    MyBody->setObjectName(QStringLiteral("MyBody"));
    // Starting the view now gives it its drawing surface before the window
    // exists; a surface added to a shown window makes the toolkit re-create
    // the whole window, which flickers and drops its window-manager states.
    MyBody->setUrl(QUrl(QStringLiteral("about:blank")));
    auto* body = new QVBoxLayout(bodyArea_);
    body->setContentsMargins(0, 0, 0, 0);
    body->addWidget(MyBody);
    MyTop = new QLabel(bodyArea_);
    MyTop->setObjectName(QStringLiteral("MyTop"));
    MyTop->setAlignment(Qt::AlignCenter);
    MyTop->setWordWrap(true);
    MyTop->setStyleSheet(QStringLiteral("background: white; color: #5a6b7d;"));
    MyTop->installEventFilter(this);
    bodyArea_->installEventFilter(this);

    BuildFooter();

    auto* column = new QVBoxLayout(Panel3);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(PLt);
    column->addWidget(Panel1);
    column->addWidget(bodyArea_, 1);
    column->addWidget(PLb);
}

void TMyHappy::BuildOptionsBar() {
    PLt = new QWidget(Panel3);
    PLt->setObjectName(QStringLiteral("PLt"));
    PLt->setFixedHeight(21);
    PLt->setAttribute(Qt::WA_StyledBackground);
    PLt->setStyleSheet(
        QStringLiteral("#PLt { background: #f4f7fb; border-bottom: 1px solid #d3dce6; }"
                       "QCheckBox { color: #33475b; spacing: 3px; }"));

    CB = new QCheckBox(QStringLiteral("顶置"), PLt);
    CB->setObjectName(QStringLiteral("CB"));
    CB->setToolTip(QStringLiteral("保持在最上方显示,始终显示在最上层"));
    Run = new QCheckBox(QStringLiteral("开机启动"), PLt);
    Run->setObjectName(QStringLiteral("Run"));
    CBN = new QCheckBox(QStringLiteral("自动精简显示"), PLt);
    CBN->setObjectName(QStringLiteral("CBN"));
    CNQ = new QCheckBox(QStringLiteral("Ctrl+Q 显示面板"), PLt);
    CNQ->setObjectName(QStringLiteral("CNQ"));
    version = new QLabel(QStringLiteral("20110913"), PLt);
    version->setObjectName(QStringLiteral("version"));
    version->hide();

    auto* row = new QHBoxLayout(PLt);
    row->setContentsMargins(6, 0, 6, 1);
    row->setSpacing(10);
    for (QCheckBox* box : {CB, Run, CBN, CNQ}) {
        box->setFocusPolicy(Qt::NoFocus);
        row->addWidget(box);
    }
    row->addStretch(1);
    row->addWidget(version);

    // A tick or untick, by the user or from code, runs the box's handler; a
    // setChecked that changes nothing runs nothing.
    connect(CB, &QCheckBox::toggled, this, &TMyHappy::CBClick);
    connect(Run, &QCheckBox::toggled, this, &TMyHappy::RunClick);
    connect(CBN, &QCheckBox::toggled, this, &TMyHappy::RunClick);
    connect(CNQ, &QCheckBox::toggled, this, &TMyHappy::CNQClick);
}

void TMyHappy::BuildFooter() {
    PLb = new QWidget(Panel3);
    PLb->setObjectName(QStringLiteral("PLb"));
    PLb->setFixedHeight(18);
    PLb->setAttribute(Qt::WA_StyledBackground);
    PLb->setStyleSheet(
        QStringLiteral("#PLb { background: #f4f7fb; border-top: 1px solid #d3dce6; }"));
    Label1 = new QLabel(PLb);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setCursor(Qt::PointingHandCursor);
    Label1->setStyleSheet(
        QStringLiteral("background: #ffffe1; color: #6b5a1e; padding: 0 6px;"
                       "border-left: 1px solid #e6dfb4;"));
    Label1->installEventFilter(this);
    auto* row = new QHBoxLayout(PLb);
    row->setContentsMargins(0, 1, 0, 0);
    row->setSpacing(0);
    row->addStretch(1);
    row->addWidget(Label1);
}

void TMyHappy::BuildTray() {
    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    N2 = PopupMenu1->addAction(QStringLiteral("标准窗口"), this, &TMyHappy::N2Click);
    N3 = PopupMenu1->addAction(QStringLiteral("精简窗口"), this, &TMyHappy::N3Click);
    PopupMenu1->addSeparator();
    N5 = PopupMenu1->addAction(QStringLiteral("显示窗口"), this, &TMyHappy::N5Click);
    N6 = PopupMenu1->addAction(QStringLiteral("隐藏窗口"), this, &TMyHappy::N6Click);
    PopupMenu1->addSeparator();
    N1 = PopupMenu1->addAction(QStringLiteral("退　　出"), this, &TMyHappy::N1Click);

    TrayIcon1 = new QSystemTrayIcon(skin::ProgramIcon(), this);
    TrayIcon1->setObjectName(QStringLiteral("TrayIcon1"));
    TrayIcon1->setToolTip(QStringLiteral("Korvane V2.016"));
    TrayIcon1->setContextMenu(PopupMenu1);
    connect(TrayIcon1, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                // A double-click brings a minimised or covered window up, but
                // does not show one that was hidden on purpose.
                if (reason != QSystemTrayIcon::DoubleClick || !isVisible()) return;
                if (isMinimized()) showNormal();
                BringToFront();
            });
    TrayIcon1->show();
}

void TMyHappy::AttachBrowser() {
    container_ = AttachBrowserHost(
        MyBody, [this](const std::string& url) { MyBodyBeforeNavigate2(url); },
        [this](const DoExCall& call) { DoEx(call.n); });
    // The view shows the program's page (the one LoadPage loads) and nothing else.
    container_->SetHomeUrl(
        QUrl::fromLocalFile(QString::fromUtf8(platform::NativePath(AppPath("hd/main.html")))));
    connect(MyBody->page(), &QWebEnginePage::renderProcessTerminated, this,
            [this](QWebEnginePage::RenderProcessTerminationStatus status) {
                if (status != QWebEnginePage::NormalTerminationStatus) {
                    QMetaObject::invokeMethod(
                        this, [this] { PageProcessEnded(); }, Qt::QueuedConnection);
                }
            });
    // Only the end of the page's own load counts, not that of a load it replaced.
    connect(MyBody->page(), &QWebEnginePage::loadingChanged, this,
            [this](const QWebEngineLoadingInfo& info) {
                if (info.url() == pageUrl_ &&
                    info.status() != QWebEngineLoadingInfo::LoadStartedStatus) {
                    PageLoadFinished();
                }
            });
}

// ---------------------------------------------------------------------------
// Command dispatcher

void TMyHappy::MyBodyBeforeNavigate2(const std::string& url) {
    // An editor or a question runs a nested event loop, in which further
    // commands of the page arrive. None of them may open another dialog or
    // re-target the open editor: they are dropped, not queued, so nothing the
    // user did not ask for happens once the dialog closes.
    if ((runningCommand_ || QApplication::activeModalWidget()) && CommandOpensDialog(url)) return;
    const bool outer = !runningCommand_;
    runningCommand_ = true;
    RunCommand(url, *this);
    if (outer) runningCommand_ = false;
}

void TMyHappy::PlaceEditor(QWidget* editor) const {
    editor->resize(width() - 10, editor->height());
    editor->move(x() + 5, editor->y());
}

bool TMyHappy::EditNote(int recordId) {
    PlaceEditor(NE);
    NE->RecordId = recordId;
    NE->exec();
    return NE->Saved;
}

bool TMyHappy::EditContact(int recordId) {
    PlaceEditor(fcon);
    fcon->RecordId = recordId;
    fcon->exec();
    return fcon->Saved;
}

bool TMyHappy::Ask(const std::string& question) {
    return ShowMsgBox(question, true, 1);
}

void TMyHappy::Notify(const std::string& text) {
    ShowMsgBox(text, false, 1);
}

std::string TMyHappy::ExecSql(const std::string& statement) {
    return korvane::ExecSql(statement);
}

void TMyHappy::ShowList(const ListRequest& request) {
    FillListWindow(MyBody->page(), [request] { return ListAnswer(request); });
}

// ---------------------------------------------------------------------------
// Show step, close request, page timer

void TMyHappy::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (event->spontaneous()) return;  // un-minimising is no show
    // Without a notification area the taskbar is the only way back. The mark
    // is checked again once the window is on screen: the toolkit replaces the
    // native window on the first show after always-on-top changed.
    if (QSystemTrayIcon::isSystemTrayAvailable() && windowHandle()) {
        platform::KeepOffTaskbar(windowHandle());
        windowHandle()->installEventFilter(this);
        taskbarCheckPending_ = true;
    }
    RestoreSettings();
    OpenNotebook();
    LoadPage();
}

void TMyHappy::OpenNotebook() {
    if (notebookOpened_) return;
    notebookOpened_ = true;
    OpenDatabase();
    if (OpenNotice().empty()) {
        StartDailyBackup();
        return;
    }
    // A damaged notebook was kept aside and a fresh one made. Once the window
    // is up the user is told where the old file is and offered the newest good
    // backup. The day's backup waits for that answer, so it never copies the
    // fresh notebook over the day's good one.
    QTimer::singleShot(0, this, [this] {
        OfferNewestBackup();
        StartDailyBackup();
    });
}

void TMyHappy::OfferNewestBackup() {
    const std::string notice = OpenNotice();
    const std::optional<std::string> backup = DailyBackup::ForNotebook().NewestGood();
    if (!backup) {
        ShowMsgBox(notice, false, 1);
        return;
    }
    static const std::string question = Cp("\r\n\r\n是否用最近的备份恢复记事本？\r\n");
    if (!ShowMsgBox(notice + question + *backup, true, 1)) return;
    const std::string restored = RestoreFromBackup(*backup);
    if (restored != texts::kOpen) ShowMsgBox(restored, false, 1);
    RunJs(MyBody, "BodyLoad()");  // the list shows the restored notebook
}

void TMyHappy::StartDailyBackup() {
    backupRun_ = DailyBackup::ForNotebook().RunInBackground(std::chrono::system_clock::now());
}

void TMyHappy::RestoreSettings() {
    try {
        const StoredWindow stored = LoadWindowSettings(DataPath("sys.ini"));
        const QScreen* primary = QGuiApplication::primaryScreen();
        if (!primary) return;
        const QRect screen = primary->geometry();
        const auto bounds = RestoreGeometry(stored, screen.width(), screen.height(), width());
        if (!bounds) return;
        std::vector<WindowRect> displays;
        for (const QScreen* s : QGuiApplication::screens())
            displays.push_back(ToRect(s->geometry()));
        const WindowRect r = KeepOnDisplays(*bounds, displays, ToRect(screen));
        setGeometry(r.left, r.top, r.width, r.height);

        CBN->setChecked(stored.compact);
        if (stored.onTop) {
            CB->setChecked(true);
            CBClick();
        }
        if (stored.hotkey) {
            CNQ->setChecked(true);
            CNQClick();
        }
    } catch (const std::exception&) {
        // A settings file that cannot be used leaves the window as it is.
    }
}

void TMyHappy::LoadPage() {
    const std::string page = AppPath("hd/main.html");
    if (!platform::FileExists(page)) {
        static const std::string incomplete = Cp("安装不完整，请重新下载安装");
        ShowMsgBox(incomplete, false, 1);
        RequestTermination();
        return;
    }
    Label1->setText(MakersNotice());
    // The footer must still carry the maker's notice: a build whose notice was
    // altered is treated like a damaged installation.
    if (CheckPageFile(page) && Label1->text() == MakersNotice()) {
        MyTop->hide();
        pageUrl_ = QUrl::fromLocalFile(QString::fromUtf8(platform::NativePath(page)));
        pageLoaded_ = false;
        bodyLoadPending_ = false;
        MyBody->load(pageUrl_);
        Timer1->start();  // restarts a pending tick: one BodyLoad() per show
        return;
    }
    MyTop->show();
    MyTop->raise();
    MyTop->setText(QStringLiteral("您的文件可能已被破坏，请重新安装"));
}

void TMyHappy::Timer1Timer() {
    Timer1->stop();
    // A page still loading when the second is up (a slow or busy machine)
    // would miss its start-up call; it then gets it as soon as it has loaded.
    if (!pageLoaded_) {
        bodyLoadPending_ = true;
        return;
    }
    RunJs(MyBody, "BodyLoad()");
}

void TMyHappy::PageLoadFinished() {
    // A page that loads again without a show (the view brought itself back
    // to it) starts afresh and needs its start-up call as well.
    const bool loadedAgain = pageLoaded_;
    pageLoaded_ = true;
    if (!bodyLoadPending_ && !loadedAgain) return;
    bodyLoadPending_ = false;
    RunJs(MyBody, "BodyLoad()");
}

void TMyHappy::PageProcessEnded() {
    if (terminating_ || pageUrl_.isEmpty()) return;
    // A page that keeps ending its process would be loaded again for ever;
    // after a few ends within a minute the window says so instead.
    constexpr int kRestarts = 3;
    constexpr qint64 kWithinMs = 60000;
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    pageRestarts_.append(now);
    while (!pageRestarts_.isEmpty() && now - pageRestarts_.first() > kWithinMs)
        pageRestarts_.removeFirst();
    if (pageRestarts_.size() > kRestarts) {
        MyTop->show();
        MyTop->raise();
        MyTop->setText(QStringLiteral("页面多次意外关闭，请重新打开窗口"));
        return;
    }
    pageLoaded_ = false;
    bodyLoadPending_ = true;  // BodyLoad() runs as soon as the page has loaded
    MyBody->load(pageUrl_);
}

void TMyHappy::closeEvent(QCloseEvent* event) {
    SaveSettings();
    event->accept();
    // Closing the main window ends the program.
    QCoreApplication::quit();
}

void TMyHappy::SaveSettings() {
    const StoredWindow values{
        x(), y(), width(), height(), CBN->isChecked(), CB->isChecked(), CNQ->isChecked()};
    // A file that cannot be written ends the save quietly; the close goes on.
    SaveWindowSettings(DataPath("sys.ini"), values);
}

void TMyHappy::RequestTermination() {
    terminating_ = true;
    // exit, not quit: a quit first closes every visible window, and the main
    // window's close request would write the settings after all.
    QMetaObject::invokeMethod(
        qApp, [] { QCoreApplication::exit(0); }, Qt::QueuedConnection);
}

// ---------------------------------------------------------------------------
// Display modes and script

bool TMyHappy::RunJs(QWebEngineView* browser, const std::string& line) {
    if (!browser) return false;
    try {
        if (QWebEnginePage* page = browser->page()) {
            page->runJavaScript(QString::fromUtf8(platform::FromCodePage(line)));
        }
    } catch (...) {
        // Script never reports failures to the user.
    }
    platform::TrimWorkingSet();
    QCoreApplication::processEvents();
    return true;
}

void TMyHappy::ShowCompact() {
    SwitchView(true);
}
void TMyHappy::ShowStandard() {
    SwitchView(false);
}
bool TMyHappy::IsCompact() const {
    return PLt->isHidden();
}

void TMyHappy::SwitchView(bool compact) {
    TrimAndProcess();
    if (!CBN->isChecked()) return;
    if (IsCompact() == compact) return;
    for (QWidget* bar : {PLt, PLb, PLC, Image4, Image5, Image6}) bar->setVisible(!compact);
    Panel1->setVisible(compact);
    try {
        RunJs(MyBody, compact ? "htit()" : "stit()");
    } catch (...) {
        // The controls have switched; the page simply keeps its look.
    }
}

void TMyHappy::TrimAndProcess() {
    platform::TrimWorkingSet();
    QCoreApplication::processEvents();
}

// ---------------------------------------------------------------------------
// Options

void TMyHappy::ApplyOnTop(bool on) {
    // Changing the widget's flags would re-create and hide the window; the
    // native window takes the state as it is, and the widget's copy of the
    // flags is kept in step without touching the window.
    Qt::WindowFlags flags = windowFlags();
    flags.setFlag(Qt::WindowStaysOnTopHint, on);
    overrideWindowFlags(flags);
    if (QWindow* handle = windowHandle()) handle->setFlag(Qt::WindowStaysOnTopHint, on);
}

void TMyHappy::CBClick() {
    ApplyOnTop(CB->isChecked());
}

void TMyHappy::ShowHotkeyAvailability() {
    if (hotkey_->IsAvailable()) return;
    CNQ->setEnabled(false);
    CNQ->setToolTip(
        QStringLiteral("此桌面不提供全局快捷键，Ctrl+Q 无法使用"
                       "（Wayland 桌面需要提供全局快捷键门户 GlobalShortcuts）"));
}

void TMyHappy::CNQClick() {
    if (CNQ->isChecked()) {
        hotkey_->Register();
    } else {
        hotkey_->Unregister();
    }
}

void TMyHappy::RunClick() {
    StartupLink(Run->isChecked() ? 0 : 1);
}

bool TMyHappy::StartupLink(int mode) {
    const std::string title = Trim(CodePage(Label5->text()));
    const std::string entry = platform::AutostartEntryPath(title);
    switch (mode) {
        case 0: {
            const std::string error = platform::WriteAutostartEntry(
                entry, title, ApplicationDirectory() + ExecutableName(), ApplicationDirectory());
            if (!error.empty()) {
                QMessageBox::critical(this, windowTitle(), QString::fromUtf8(error));
            }
            return false;
        }
        case 1:
            platform::RemoveAutostartEntry(entry);
            return false;
        case 2:
            return platform::AutostartEntryExists(entry);
        default:
            return false;
    }
}

// ---------------------------------------------------------------------------
// Caption, tray menu, hotkey, footer, updater

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
}

void TMyHappy::N6Click() {
    hide();
    TrimAndProcess();
}

void TMyHappy::HotkeyPressed() {
    if (!isVisible()) show();
    if (isMinimized()) showNormal();  // minimised by the hide button where there is no tray
    BringToFront();
}

void TMyHappy::BringToFront() {
    QWidget* target = QApplication::activeModalWidget();
    if (!target) target = this;
    if (!target->isVisible() || !target->isEnabled()) return;
    target->raise();
    target->activateWindow();
}

void TMyHappy::Label1Click() {
    if (!QDesktopServices::openUrl(QUrl(QString::fromLatin1(kHomePage)))) {
        QMessageBox::critical(this, windowTitle(),
                              QStringLiteral("无法打开网页浏览器：%1").arg(kHomePage));
    }
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
    const std::string name = executable.substr(executable.find_last_of('/') + 1);
    // The program ends only once the updater runs; without it, it keeps going.
    if (!platform::StartProgram(std::string(kUpdaterProgram),
                                UpdaterArguments(CodePage(version->text()), name),
                                ApplicationDirectory())) {
        ShowMsgBox(UpdaterNotStarted());
        return;
    }
    RequestTermination();
}

// ---------------------------------------------------------------------------
// Frame geometry and events

void TMyHappy::PlaceCaptionButtons() {
    const int w = PLC->width() > 0 ? PLC->width() : kDesignWidth;
    BitBtn1->move(w - (kDesignWidth - 344), 5);
    BitBtn3->move(w - (kDesignWidth - 365), 5);
}

void TMyHappy::ScheduleMaskUpdate() {
    // Drawing the caption for the mask sends pending resize events, which
    // would ask for the mask again: the work runs once, from the event loop.
    if (maskPending_) return;
    maskPending_ = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            maskPending_ = false;
            UpdateMask();
        },
        Qt::QueuedConnection);
}

void TMyHappy::UpdateMask() {
    if (PLC->isHidden()) {
        clearMask();
        return;
    }
    // The caption is see-through wherever it shows the key colour.
    const QRect caption = PLC->geometry();
    QImage image = PLC->grab().toImage();
    if (image.size() != caption.size()) image = image.scaled(caption.size());
    QRegion region(rect());
    region -= QRegion(caption);
    region += skin::OpaqueRegion(image).translated(caption.topLeft());
    setMask(region);
}

bool TMyHappy::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (watched == windowHandle()) {
        if (type == QEvent::Expose && taskbarCheckPending_ && windowHandle()->isExposed()) {
            taskbarCheckPending_ = false;
            platform::KeepOffTaskbar(windowHandle());
        }
    } else if (watched == PLC) {
        if (type == QEvent::Resize) PlaceCaptionButtons();
        if (type == QEvent::Resize || type == QEvent::Show || type == QEvent::Hide) {
            ScheduleMaskUpdate();
        }
    } else if (watched == bodyArea_ && type == QEvent::Resize) {
        MyTop->setGeometry(bodyArea_->rect());
    } else if ((watched == Panel1 || watched == MyTop) && type == QEvent::MouseButtonDblClick) {
        ShowStandard();
        return true;
    } else if (watched == Label1 && type == QEvent::MouseButtonRelease) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton &&
            Label1->rect().contains(mouse->position().toPoint())) {
            Label1Click();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace korvane
