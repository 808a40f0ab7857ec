#include "browser/nulcontainer.h"

#include <QWebEngineView>

#include "browser/inputfilter.h"

namespace korvane {

TNulWBContainer::TNulWBContainer(QWebEngineView* body)
    : QObject(body), page_(new TBodyPage(body)), input_(new TInputFilter(body)) {
    // The page is the view's child: the view keeps it for as long as it lives.
    body->setPage(page_);
    body->setContextMenuPolicy(Qt::DefaultContextMenu);
}

TNulWBContainer::~TNulWBContainer() {
    // Once the host is gone the view behaves as a plain browser again, except
    // that it keeps the program's page.
    delete input_;
    if (page_) {
        page_->SetCommandFilter({});
        page_->SetCommandHandler({});
    }
}

void TNulWBContainer::SetCommandFilter(TBodyPage::CommandFilter filter) {
    if (page_) page_->SetCommandFilter(std::move(filter));
}

void TNulWBContainer::SetCommandHandler(TBodyPage::CommandHandler handler) {
    if (page_) page_->SetCommandHandler(std::move(handler));
}

void TNulWBContainer::SetUrlOpener(TBodyPage::UrlOpener opener) {
    if (page_) page_->SetUrlOpener(std::move(opener));
}

void TNulWBContainer::SetHomeUrl(const QUrl& url) {
    if (page_) page_->SetHomeUrl(url);
}

}  // namespace korvane
