// The host of the main window's browser view, without a script object.
//
// It makes the view behave as a part of the application rather than as a
// browser: the view gets the program's own page (commands are cancelled and
// handed on, the view stays on its home page, new windows go to the system's
// handler), right clicks on the page are swallowed and the engine's own
// history and zoom controls are withheld. The view shows no menus or toolbars
// of its own; a context menu asked for from the keyboard is the engine's
// default one.
#pragma once

#include <QObject>
#include <QPointer>

#include "browser/bodypage.h"
#include "browser/inputfilter.h"

#include <QWebEngineView>

namespace korvane {

class TNulWBContainer : public QObject {
    Q_OBJECT
  public:
    // Installs a TBodyPage on `body` (the view must not have loaded anything
    // the program relies on yet). The container is a child of the view.
    explicit TNulWBContainer(QWebEngineView* body);
    ~TNulWBContainer() override;

    TBodyPage* Page() const { return page_; }

    void SetCommandFilter(TBodyPage::CommandFilter filter);
    void SetCommandHandler(TBodyPage::CommandHandler handler);
    void SetUrlOpener(TBodyPage::UrlOpener opener);
    void SetHomeUrl(const QUrl& url);

  private:
    QPointer<TBodyPage> page_;
    QPointer<TInputFilter> input_;
};

}  // namespace korvane
