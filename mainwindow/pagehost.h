// Where the main window shows its page: the browser, the white cover that
// hides it until a page has loaded or carries a status text instead, the
// page's start-up call, and what the page holds while the window is hidden.
//
// A page gets its start-up call, BodyLoad(), once per load, as soon as it
// has loaded; the page timer only stands in for a page that never reports
// its load. A show over a page that is still loaded does not load it again:
// the page refreshes what it shows, at the same place. While the window is
// hidden the page is frozen after a few seconds and given back (its render
// process ended) after half a minute; the next show brings it back where
// it was.
#pragma once

#include <QLabel>
#include <QList>
#include <QObject>
#include <QString>
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
    QTimer* timer;         // Timer1: the start-up call for a page that never reports its load

    // Runs one line of script (code page) in the page of `browser`. False only
    // when there is no browser; script failures are never reported. Afterwards
    // the working set is trimmed and pending events are processed once.
    static bool RunJs(QWebEngineView* browser, const std::string& line);

    // Follows the view's page: the end of its own load, and its render
    // process ending unasked.
    void Watch();

    // Takes the cover down, loads `url` afresh and starts the page timer; the
    // page gets its start-up call once it has loaded.
    void Load(const QUrl& url);
    // Shows the page of the last Load again without loading it: a page still
    // there refreshes what it shows at the same place, tab and search; one
    // given back or whose process ended while hidden comes back where it
    // was. False when there is no such page (never loaded, still loading,
    // covered, or another address): then the caller loads it.
    bool Reshow(const QUrl& url);
    // The window was hidden: the page's place is kept, and the page is
    // frozen and later given back.
    void Hidden();
    // Records changed without the page asking (a sync): a page on screen
    // shows its list again at the same place, tab and search; a hidden one
    // does so at its next show anyway.
    void RecordsChanged();
    // How long a hidden page stays as it is before it is frozen, and before
    // it is given back (milliseconds).
    void SetGiveBackDelays(int freezeMs, int discardMs);

    // Shows the page light or dark: the page's root element carries the class
    // "dark" from the start of every load (and at once on the page shown),
    // and the view and the cover take the page's background.
    void SetDark(bool dark);

    // Puts the cover up over the page with `text` on it.
    void Cover(const QString& text);
    // Gives the page's search field the keys, its text selected, once the
    // page is there.
    void FocusFind();
    // The program is ending: an ending render process is not restarted.
    void Stop() { stopped_ = true; }

    void Tick();          // the page timer's tick
    void LoadFinished();  // the page has finished loading
    void ProcessEnded();  // the render process ended unasked

  signals:
    // The cover was double-clicked.
    void restoreRequested();
    // The hidden page was given back: whatever else the window holds for it
    // may go too.
    void givenBack();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void FocusFindWhenLoaded();
    // Runs BodyLoad() unless this load of the page has had it, with the place
    // to resume first when the load brings back a page given back.
    void Start();
    // Loads the page again after it was given back or its process ended,
    // to come back at the place kept when the window was hidden.
    void LoadToResume();
    void Freeze();
    void GiveBack();

    QUrl pageUrl_;             // the page of the last Load
    bool pageLoaded_ = false;  // that page has loaded and is there
    bool stopped_ = false;
    bool focusFindPending_ = false;  // the search field gets the keys once the page has loaded
    bool hidden_ = false;            // the window is hidden
    bool givenBack_ = false;         // the page was discarded while hidden
    bool endedWhileHidden_ = false;  // its process ended while hidden: loaded at the next show
    QString resume_;                 // the page's place when the window was hidden (JSON)
    bool resumeNext_ = false;        // the next start-up call resumes at resume_
    QTimer freezeTimer_;
    QTimer giveBackTimer_;
    QList<qint64> restarts_;  // when the page was last loaded again after its process ended
};

}  // namespace korvane
