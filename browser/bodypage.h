// The page object of the main window's browser view.
//
// It decides synchronously, inside the engine's navigation callback, whether a
// navigation is one of the program's commands; commands are refused there and
// handed to the command handler from the event loop afterwards, so nothing
// modal ever runs inside the engine's callback. Requests for a new window
// (target="_blank" links, window.open) never open a view of their own: their
// address goes to the system's default handler for it.
#pragma once

#include <QUrl>
#include <QWebEnginePage>
#include <functional>
#include <string>

namespace korvane {

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
    // Default: QDesktopServices::openUrl.
    void SetUrlOpener(UrlOpener opener) { opener_ = std::move(opener); }

  protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override;
    QWebEnginePage* createWindow(WebWindowType type) override;

  private:
    void OpenElsewhere(const QUrl& url);

    CommandFilter filter_;
    CommandHandler handler_;
    UrlOpener opener_;
};

}  // namespace korvane
