// Where the main window shows its page: the browser, the white cover that
// hides it until a page has loaded or carries a status text instead, and the
// page timer that gives each loaded page its start-up call a second later.
#pragma once

#include <QLabel>
#include <QList>
#include <QObject>
#include <QTimer>
#include <QUrl>
#include <string>

class QWebEngineView;

namespace korvane {

class PageHost : public QObject {
    Q_OBJECT

  public:
    // Builds the page area as a child of `parent`; the cover is up.
    explicit PageHost(QWidget* parent);

    QWidget* area;         // holds the browser and the cover
    QWebEngineView* view;  // MyBody
    QLabel* cover;         // MyTop
    QTimer* timer;         // Timer1

    // Runs one line of script (code page) in the page of `browser`. False only
    // when there is no browser; script failures are never reported. Afterwards
    // the working set is trimmed and pending events are processed once.
    static bool RunJs(QWebEngineView* browser, const std::string& line);

    // Follows the view's page: the end of its own load, and its render
    // process ending unasked.
    void Watch();

    // Takes the cover down, loads `url` and starts the page timer; a pending
    // tick is restarted, so each show gets one start-up call.
    void Load(const QUrl& url);
    // Puts the cover up over the page with `text` on it.
    void Cover(const QString& text);
    // Gives the page's search field the keys, its text selected, once the
    // page is there (a show loads it anew).
    void FocusFind();
    // The program is ending: an ending render process is not restarted.
    void Stop() { stopped_ = true; }

    void Tick();          // the page timer's tick
    void LoadFinished();  // the page has finished loading
    void ProcessEnded();  // the render process ended unasked

  signals:
    // The cover was double-clicked.
    void restoreRequested();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void FocusFindWhenLoaded();

    QUrl pageUrl_;                  // the page of the current show
    bool pageLoaded_ = false;       // the page of the current show has loaded
    bool bodyLoadPending_ = false;  // the tick came before the page had loaded
    bool stopped_ = false;
    bool focusFindPending_ = false;  // the search field gets the keys once the page has loaded
    QList<qint64> restarts_;         // when the page was last loaded again after its process ended
};

}  // namespace korvane
