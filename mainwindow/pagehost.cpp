#include "mainwindow/pagehost.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDateTime>
#include <QEvent>
#include <QJsonArray>
#include <QJsonDocument>
#include <QPointer>
#include <QVBoxLayout>
#include <QWebEngineLoadingInfo>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineView>

#include "browser/pagedom.h"
#include "dialogs/qttext.h"
#include "mainwindow/pagetexts.h"
#include "mainwindow/windowlog.h"
#include "platform/codepage.h"
#include "platform/process.h"
#include "platform/uitext.h"

namespace korvane {
namespace {

// The page timer: a page that has not reported its load by then gets its
// start-up call anyway, if its script is there.
constexpr int kPageTimerMs = 1000;
// A hidden page is frozen (its timers and scripts stop) after a few seconds,
// and given back after half a minute: its render process ends, and with it
// most of the memory the program holds. A show within the half minute finds
// the page as it was; a later one loads it again (about a fifth of a second)
// and brings it back at its place.
constexpr int kFreezeMs = 5000;
constexpr int kGiveBackMs = 30000;

// BodyLoad() once per load of the page: the flag lives in the page's own
// window, which each load makes anew. Before the page's script and the
// document are there, nothing runs.
const char kStartOnce[] =
    "if (window.kvStarted !== true && typeof BodyLoad === 'function' &&"
    " document.readyState !== 'loading') { window.kvStarted = true; BodyLoad(); }";

// The page's dark set is a class on its root element (style.css), put there
// by the program: the engine does not follow the desktop's scheme itself.
const QString kThemeScriptName = QStringLiteral("korvane-theme");

QString ThemeLine(bool dark) {
    return QStringLiteral(
               "(function (dark) { var root = document.documentElement;"
               " if (root) { root.classList.toggle('dark', dark); return; }"
               " document.addEventListener('readystatechange', function () {"
               " document.documentElement.classList.toggle('dark', dark); }, { once: true });"
               " })(%1);")
        .arg(dark ? QStringLiteral("true") : QStringLiteral("false"));
}

QString CoverStyle(bool dark) {
    return dark ? QStringLiteral("background: #1b1f24; color: #a3afbd;")
                : QStringLiteral("background: white; color: #5a6b7d;");
}

}  // namespace

PageHost::PageHost(QWidget* parent) : QObject(parent) {
    setObjectName(QStringLiteral("PageHost"));
    area = new QWidget(parent);
    area->setObjectName(QStringLiteral("PageArea"));
    view = new QWebEngineView(area);
    view->setObjectName(QStringLiteral("MyBody"));
    // Starting the view now gives it its drawing surface before the window
    // exists; a surface added to a shown window makes the toolkit re-create
    // the whole window, which flickers and drops its window-manager states.
    view->setUrl(QUrl(QStringLiteral("about:blank")));
    auto* body = new QVBoxLayout(area);
    body->setContentsMargins(0, 0, 0, 0);
    body->addWidget(view);

    // The white cover hides the browser until a page is loaded.
    cover = new QLabel(area);
    cover->setObjectName(QStringLiteral("MyTop"));
    cover->setAlignment(Qt::AlignCenter);
    cover->setWordWrap(true);
    cover->setStyleSheet(CoverStyle(false));
    cover->setGeometry(area->rect());
    cover->raise();
    cover->installEventFilter(this);
    area->installEventFilter(this);

    timer = new QTimer(this);
    timer->setObjectName(QStringLiteral("Timer1"));
    timer->setSingleShot(true);
    timer->setInterval(kPageTimerMs);
    connect(timer, &QTimer::timeout, this, &PageHost::Tick);

    freezeTimer_.setSingleShot(true);
    freezeTimer_.setInterval(kFreezeMs);
    connect(&freezeTimer_, &QTimer::timeout, this, &PageHost::Freeze);
    giveBackTimer_.setSingleShot(true);
    giveBackTimer_.setInterval(kGiveBackMs);
    connect(&giveBackTimer_, &QTimer::timeout, this, &PageHost::GiveBack);
}

bool PageHost::RunJs(QWebEngineView* browser, const std::string& line) {
    if (!browser) return false;
    try {
        if (QWebEnginePage* page = browser->page()) {
            page->runJavaScript(QString::fromUtf8(platform::FromCodePage(line)));
        }
    } catch (const std::exception& e) {
        // Script never reports failures to the user.
        qCWarning(lcWindow) << "script not run:" << e.what();
    } catch (...) {
        qCWarning(lcWindow) << "script not run";
    }
    platform::TrimWorkingSet();
    QCoreApplication::processEvents();
    return true;
}

void PageHost::SetDark(bool dark) {
    cover->setStyleSheet(CoverStyle(dark));
    QWebEnginePage* page = view->page();
    if (!page) return;
    page->setBackgroundColor(dark ? QColor(0x1B, 0x1F, 0x24) : QColor(Qt::white));
    QWebEngineScriptCollection& scripts = page->scripts();
    for (const QWebEngineScript& old : scripts.find(kThemeScriptName)) scripts.remove(old);
    QWebEngineScript script;
    script.setName(kThemeScriptName);
    script.setSourceCode(ThemeLine(dark));
    script.setInjectionPoint(QWebEngineScript::DocumentCreation);
    script.setWorldId(QWebEngineScript::MainWorld);
    script.setRunsOnSubFrames(false);
    scripts.insert(script);
    // The page on screen changes now; a page still loading gets it from the
    // script above.
    page->runJavaScript(ThemeLine(dark));
}

void PageHost::Watch() {
    connect(view->page(), &QWebEnginePage::renderProcessTerminated, this,
            [this](QWebEnginePage::RenderProcessTerminationStatus status) {
                if (status != QWebEnginePage::NormalTerminationStatus) {
                    QMetaObject::invokeMethod(
                        this, [this] { ProcessEnded(); }, Qt::QueuedConnection);
                }
            });
    // Only the end of the page's own load counts, not that of a load it replaced.
    connect(view->page(), &QWebEnginePage::loadingChanged, this,
            [this](const QWebEngineLoadingInfo& info) {
                if (info.url() == pageUrl_ &&
                    info.status() != QWebEngineLoadingInfo::LoadStartedStatus) {
                    LoadFinished();
                }
            });
}

void PageHost::Load(const QUrl& url) {
    cover->hide();
    freezeTimer_.stop();
    giveBackTimer_.stop();
    hidden_ = false;
    givenBack_ = false;
    endedWhileHidden_ = false;
    resumeNext_ = false;
    pageUrl_ = url;
    pageLoaded_ = false;
    view->page()->setLifecycleState(QWebEnginePage::LifecycleState::Active);
    view->load(pageUrl_);
    timer->start();
}

bool PageHost::Reshow(const QUrl& url) {
    if (url != pageUrl_ || !cover->isHidden()) return false;
    const bool given = givenBack_;
    const bool ended = endedWhileHidden_;
    if (!given && !ended && !pageLoaded_) return false;
    hidden_ = false;
    givenBack_ = false;
    endedWhileHidden_ = false;
    freezeTimer_.stop();
    giveBackTimer_.stop();
    if (ended) {
        LoadToResume();
    } else if (given) {
        // The engine loads a discarded page again as it becomes active.
        pageLoaded_ = false;
        resumeNext_ = true;
        timer->start();
        view->page()->setLifecycleState(QWebEnginePage::LifecycleState::Active);
    } else {
        view->page()->setLifecycleState(QWebEnginePage::LifecycleState::Active);
        view->page()->runJavaScript(
            QStringLiteral("if (typeof Reshown === 'function') Reshown();"));
    }
    return true;
}

void PageHost::RecordsChanged() {
    if (hidden_ || !pageLoaded_ || !cover->isHidden()) return;
    view->page()->runJavaScript(QStringLiteral("if (typeof Reshown === 'function') Reshown();"));
}

void PageHost::Hidden() {
    hidden_ = true;
    if (!pageLoaded_) return;
    // Nothing moves the page while the window is hidden, so its place now is
    // the place to come back to.
    QPointer<PageHost> self(this);
    view->page()->runJavaScript(
        QStringLiteral("typeof PageState === 'function' ? PageState() : ''"),
        [self](const QVariant& state) {
            if (self) self->resume_ = state.toString();
        });
    freezeTimer_.start();
    giveBackTimer_.start();
}

void PageHost::SetGiveBackDelays(int freezeMs, int discardMs) {
    freezeTimer_.setInterval(freezeMs);
    giveBackTimer_.setInterval(discardMs);
}

void PageHost::Freeze() {
    if (!hidden_ || !pageLoaded_) return;
    view->page()->setLifecycleState(QWebEnginePage::LifecycleState::Frozen);
}

void PageHost::GiveBack() {
    if (!hidden_ || !pageLoaded_) return;
    qCInfo(lcWindow) << "hidden page given back";
    pageLoaded_ = false;
    givenBack_ = true;
    view->page()->setLifecycleState(QWebEnginePage::LifecycleState::Discarded);
    emit givenBack();
    platform::GiveBackIdleMemory();
}

void PageHost::LoadToResume() {
    pageLoaded_ = false;
    resumeNext_ = true;
    timer->start();
    view->load(pageUrl_);
}

void PageHost::Cover(const QString& text) {
    cover->show();
    cover->raise();
    cover->setText(text);
}

void PageHost::Start() {
    timer->stop();
    QString script;
    if (resumeNext_ && !resume_.isEmpty()) {
        // The place as the page wrote it, read back by the page as JSON; the
        // text goes in as a quoted string, so it is never run as script.
        const QByteArray quoted = QJsonDocument(QJsonArray{resume_}).toJson(QJsonDocument::Compact);
        script = QStringLiteral("try { window.kvResume = JSON.parse(") + QString::fromUtf8(quoted) +
                 QStringLiteral("[0]); } catch (e) {}\n");
    }
    // A tick before the load keeps the place for the start-up call the load brings.
    if (pageLoaded_) resumeNext_ = false;
    // The page's own texts, in the program's language, before its start.
    script += QStringLiteral("window.kvTexts = JSON.parse(") + JsStringLiteral(PageTextsJson()) +
              QStringLiteral(");\n");
    script += QString::fromLatin1(kStartOnce);
    view->page()->runJavaScript(script);
}

void PageHost::Tick() {
    timer->stop();
    // A page that has not reported its load by now (a slow or busy machine,
    // or a load whose end the engine never told) gets its call now if its
    // script is there, else when it reports its load.
    Start();
}

void PageHost::LoadFinished() {
    pageLoaded_ = true;
    FocusFindWhenLoaded();
    Start();
}

void PageHost::FocusFind() {
    if (QApplication::activeModalWidget()) return;  // the open editor keeps the keys
    view->setFocus(Qt::ActiveWindowFocusReason);
    focusFindPending_ = true;
    if (pageLoaded_) FocusFindWhenLoaded();
}

void PageHost::FocusFindWhenLoaded() {
    if (!focusFindPending_) return;
    focusFindPending_ = false;
    RunJs(view, "FocusFind()");
}

void PageHost::ProcessEnded() {
    if (stopped_ || pageUrl_.isEmpty() || givenBack_) return;
    if (hidden_) {
        // Nobody looks at it: it is loaded again at the next show.
        pageLoaded_ = false;
        endedWhileHidden_ = true;
        freezeTimer_.stop();
        giveBackTimer_.stop();
        return;
    }
    // A page that keeps ending its process would be loaded again for ever;
    // after a few ends within a minute the window says so instead.
    constexpr int kRestarts = 3;
    constexpr qint64 kWithinMs = 60000;
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    restarts_.append(now);
    while (!restarts_.isEmpty() && now - restarts_.first() > kWithinMs) restarts_.removeFirst();
    if (restarts_.size() > kRestarts) {
        Cover(ToQt(Ui::tr("页面多次意外关闭，请重新打开窗口")));
        return;
    }
    pageLoaded_ = false;
    timer->start();
    view->load(pageUrl_);  // BodyLoad() runs as soon as the page has loaded
}

bool PageHost::eventFilter(QObject* watched, QEvent* event) {
    if (watched == area && event->type() == QEvent::Resize) {
        cover->setGeometry(area->rect());
    } else if (watched == cover && event->type() == QEvent::MouseButtonDblClick) {
        emit restoreRequested();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace korvane
