#include "browser/bodypage.h"

#include <QDesktopServices>
#include <QMetaObject>
#include <QWebEngineNewWindowRequest>

namespace korvane {

TBodyPage::TBodyPage(QObject* parent) : QWebEnginePage(parent) {
    connect(this, &QWebEnginePage::newWindowRequested, this,
            [this](QWebEngineNewWindowRequest& request) { OpenElsewhere(request.requestedUrl()); });
}

bool TBodyPage::acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) {
    // Frames are not told apart: a command from any frame is a command.
    const std::string text = url.toString(QUrl::FullyEncoded).toStdString();
    if (!filter_ || !filter_(text))
        return QWebEnginePage::acceptNavigationRequest(url, type, isMainFrame);
    // The handler may open modal dialogs; the engine must get its answer first.
    if (handler_) {
        QMetaObject::invokeMethod(
            this, [handler = handler_, text] { handler(text); }, Qt::QueuedConnection);
    }
    return false;
}

QWebEnginePage* TBodyPage::createWindow(WebWindowType) {
    // The address of the requested window was already passed on by
    // newWindowRequested; no view is ever created for it.
    return nullptr;
}

void TBodyPage::OpenElsewhere(const QUrl& url) {
    if (url.isEmpty()) return;
    if (opener_) {
        opener_(url);
    } else {
        QDesktopServices::openUrl(url);
    }
}

}  // namespace korvane
