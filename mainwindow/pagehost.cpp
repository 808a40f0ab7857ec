#include "mainwindow/pagehost.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDateTime>
#include <QEvent>
#include <QVBoxLayout>
#include <QWebEngineLoadingInfo>
#include <QWebEnginePage>
#include <QWebEngineView>

#include "mainwindow/windowlog.h"
#include "platform/codepage.h"
#include "platform/process.h"

namespace korvane {
namespace {

constexpr int kPageTimerMs = 1000;

}  // namespace

PageHost::PageHost(QWidget* parent) : QObject(parent) {
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
    cover->setStyleSheet(QStringLiteral("background: white; color: #5a6b7d;"));
    cover->setGeometry(area->rect());
    cover->raise();
    cover->installEventFilter(this);
    area->installEventFilter(this);

    timer = new QTimer(this);
    timer->setObjectName(QStringLiteral("Timer1"));
    timer->setSingleShot(true);
    timer->setInterval(kPageTimerMs);
    connect(timer, &QTimer::timeout, this, &PageHost::Tick);
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
    pageUrl_ = url;
    pageLoaded_ = false;
    bodyLoadPending_ = false;
    view->load(pageUrl_);
    timer->start();
}

void PageHost::Cover(const QString& text) {
    cover->show();
    cover->raise();
    cover->setText(text);
}

void PageHost::Tick() {
    timer->stop();
    // A page still loading when the second is up (a slow or busy machine)
    // would miss its start-up call; it then gets it as soon as it has loaded.
    if (!pageLoaded_) {
        bodyLoadPending_ = true;
        return;
    }
    RunJs(view, "BodyLoad()");
}

void PageHost::LoadFinished() {
    // A page that loads again without a show (the view brought itself back
    // to it) starts afresh and needs its start-up call as well.
    const bool loadedAgain = pageLoaded_;
    pageLoaded_ = true;
    FocusFindWhenLoaded();
    if (!bodyLoadPending_ && !loadedAgain) return;
    bodyLoadPending_ = false;
    RunJs(view, "BodyLoad()");
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
    if (stopped_ || pageUrl_.isEmpty()) return;
    // A page that keeps ending its process would be loaded again for ever;
    // after a few ends within a minute the window says so instead.
    constexpr int kRestarts = 3;
    constexpr qint64 kWithinMs = 60000;
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    restarts_.append(now);
    while (!restarts_.isEmpty() && now - restarts_.first() > kWithinMs) restarts_.removeFirst();
    if (restarts_.size() > kRestarts) {
        Cover(QStringLiteral("页面多次意外关闭，请重新打开窗口"));
        return;
    }
    pageLoaded_ = false;
    bodyLoadPending_ = true;  // BodyLoad() runs as soon as the page has loaded
    view->load(pageUrl_);
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
