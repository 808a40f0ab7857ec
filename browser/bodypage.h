// The page object of the main window's browser view.
//
// It keeps the view on the program's own page. Every decision is taken
// synchronously inside the engine's navigation callback:
// - a main-frame navigation that the command filter names is a command: it is
//   refused there and handed to the command handler from the event loop
//   afterwards, so nothing modal ever runs inside the engine's callback;
// - frames never navigate, not even to a command: the page has no frames of
//   its own, and markup shown in the page must not reach the program through one;
// - once the home address is set, the main frame loads and reloads that page
//   and goes nowhere else. A link the user follows to an address the desktop
//   opens (OpensOnDesktop) is passed to the system's handler instead.
// Requests for a new window (target="_blank" links, window.open) never open a
// view of their own: an address the desktop opens goes to the system's
// handler, any other is dropped. The engine's history, reload, save and
// view-source actions do nothing, whoever triggers them.
#pragma once

#include <QUrl>
#include <QWebEnginePage>
#include <functional>
#include <string>

namespace korvane {

// True for the addresses handed to the system's handler: http and https
// addresses of a named host that is not one of the program's own, and mailto,
// msnim and callto addresses. Everything else (file, smb, javascript, data, ...)
// is never passed on.
bool OpensOnDesktop(const QUrl& url);

// True when `url` names the same page as `home`, fragments aside. Local files
// are compared by their decoded paths, so the engine's percent-encoding of a
// path does not matter.
bool IsSamePage(const QUrl& url, const QUrl& home);

class TBodyPage : public QWebEnginePage {
    Q_OBJECT
  public:
    // Takes the address as encoded ASCII text; true cancels the navigation.
    using CommandFilter = std::function<bool(const std::string& url)>;
    using CommandHandler = std::function<void(const std::string& url)>;
    using UrlOpener = std::function<void(const QUrl& url)>;

    explicit TBodyPage(QObject* parent = nullptr);

    void SetCommandFilter(CommandFilter filter) { filter_ = std::move(filter); }
    void SetCommandHandler(CommandHandler handler) { handler_ = std::move(handler); }
    // Default: QDesktopServices::openUrl. Called from the event loop.
    void SetUrlOpener(UrlOpener opener) { opener_ = std::move(opener); }
    // The program's page. While it is empty the main frame navigates freely
    // (commands aside), as a plain browser would.
    void SetHomeUrl(QUrl url) { home_ = std::move(url); }

    void triggerAction(WebAction action, bool checked = false) override;

  protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override;
    QWebEnginePage* createWindow(WebWindowType type) override;

  private:
    bool AcceptOwnNavigation(const QUrl& url, NavigationType type);
    void RunCommandLater(const std::string& url);
    void OpenElsewhere(const QUrl& url);
    void ReturnHomeFrom(const QUrl& url);

    CommandFilter filter_;
    CommandHandler handler_;
    UrlOpener opener_;
    QUrl home_;
};

}  // namespace korvane
