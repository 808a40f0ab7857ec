#include "browser/bodypage.h"

#include <QDesktopServices>
#include <QMetaObject>
#include <QWebEngineNewWindowRequest>
#include <string_view>

#include "base/commandurls.h"
#include "browser/browserlog.h"

Q_LOGGING_CATEGORY(lcBrowser, "korvane.browser", QtWarningMsg)

namespace korvane {
namespace {

bool IsProgramHost(const QString& host) {
    const auto is = [&](std::string_view own) {
        return host.compare(QLatin1String(own.data(), qsizetype(own.size())),
                            Qt::CaseInsensitive) == 0;
    };
    return is(kCommandHost) || is(kRestoreHost);
}

bool IsWebAddress(const QString& scheme) {
    return scheme == QLatin1String("http") || scheme == QLatin1String("https");
}

bool IsMessagingAddress(const QString& scheme) {
    return scheme == QLatin1String("mailto") || scheme == QLatin1String("msnim") ||
           scheme == QLatin1String("callto");
}

// The actions that would take the view off its page, load it afresh, or show
// or save the markup it holds.
bool IsWithheldAction(QWebEnginePage::WebAction action) {
    switch (action) {
        case QWebEnginePage::Back:
        case QWebEnginePage::Forward:
        case QWebEnginePage::Reload:
        case QWebEnginePage::ReloadAndBypassCache:
        case QWebEnginePage::ViewSource:
        case QWebEnginePage::SavePage:
            return true;
        default:
            return false;
    }
}

}  // namespace

bool OpensOnDesktop(const QUrl& url) {
    if (!url.isValid()) return false;
    const QString scheme = url.scheme().toLower();
    if (IsWebAddress(scheme)) return !url.host().isEmpty() && !IsProgramHost(url.host());
    return IsMessagingAddress(scheme);
}

bool IsSamePage(const QUrl& url, const QUrl& home) {
    if (url.isLocalFile() && home.isLocalFile()) {
        return url.toLocalFile() == home.toLocalFile() && url.hasQuery() == home.hasQuery() &&
               url.query(QUrl::FullyDecoded) == home.query(QUrl::FullyDecoded);
    }
    return url.adjusted(QUrl::RemoveFragment) == home.adjusted(QUrl::RemoveFragment);
}

TBodyPage::TBodyPage(QObject* parent) : QWebEnginePage(parent) {
    connect(this, &QWebEnginePage::newWindowRequested, this,
            [this](QWebEngineNewWindowRequest& request) { OpenElsewhere(request.requestedUrl()); });
    connect(this, &QWebEnginePage::urlChanged, this, &TBodyPage::ReturnHomeFrom);
}

void TBodyPage::triggerAction(WebAction action, bool checked) {
    if (IsWithheldAction(action)) return;
    QWebEnginePage::triggerAction(action, checked);
}

bool TBodyPage::acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) {
    // A frame's first document (about:blank, about:srcdoc) never comes here;
    // anything a frame asks for afterwards is refused.
    if (!isMainFrame) {
        qCDebug(lcBrowser) << "a frame's navigation refused:" << url.toDisplayString().left(200);
        return false;
    }
    const std::string text = url.toString(QUrl::FullyEncoded).toStdString();
    if (filter_ && filter_(text)) {
        RunCommandLater(text);
        return false;
    }
    if (home_.isEmpty()) return QWebEnginePage::acceptNavigationRequest(url, type, isMainFrame);
    return AcceptOwnNavigation(url, type);
}

bool TBodyPage::AcceptOwnNavigation(const QUrl& url, NavigationType type) {
    // The program loads its page (typed) and may reload it. The page's own
    // links, forms, refreshes and script reloads arrive as link clicks, form
    // submissions and redirects, and never load anything.
    if (IsSamePage(url, home_)) return type == NavigationTypeTyped || type == NavigationTypeReload;
    if (type == NavigationTypeLinkClicked) {
        OpenElsewhere(url);
    } else {
        qCDebug(lcBrowser) << "the page's navigation dropped:" << url.toDisplayString().left(200);
    }
    return false;
}

QWebEnginePage* TBodyPage::createWindow(WebWindowType) {
    // The address of the requested window was already dealt with by
    // newWindowRequested; no view is ever created for it.
    return nullptr;
}

void TBodyPage::RunCommandLater(const std::string& url) {
    // The handler may open modal dialogs; the engine must get its answer first.
    if (!handler_) return;
    QMetaObject::invokeMethod(
        this, [handler = handler_, url] { handler(url); }, Qt::QueuedConnection);
}

void TBodyPage::OpenElsewhere(const QUrl& url) {
    if (!OpensOnDesktop(url)) return;
    QMetaObject::invokeMethod(
        this,
        [this, url] {
            if (opener_) {
                opener_(url);
            } else {
                QDesktopServices::openUrl(url);
            }
        },
        Qt::QueuedConnection);
}

void TBodyPage::ReturnHomeFrom(const QUrl& url) {
    // The engine commits about: addresses in the main frame without asking
    // acceptNavigationRequest; the program's page is brought back instead.
    // Only those: a failed load of the page itself must not start a loop.
    if (home_.isEmpty() || url.scheme() != QLatin1String("about")) return;
    QMetaObject::invokeMethod(
        this, [this] { load(home_); }, Qt::QueuedConnection);
}

}  // namespace korvane
