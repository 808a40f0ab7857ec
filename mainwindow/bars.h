// The options bar above the page and the footer below it.
#pragma once

#include <QCheckBox>
#include <QLabel>
#include <QObject>
#include <QToolButton>
#include <QWidget>

namespace korvane {

// The four options and the hidden version stamp. The options wrap onto more
// lines rather than being cut off in a narrow window.
struct OptionsBar {
    explicit OptionsBar(QWidget* parent);

    QWidget* bar;        // PLt
    QCheckBox* onTop;    // CB
    QCheckBox* run;      // Run: start at logon
    QCheckBox* compact;  // CBN: automatic compact view
    QCheckBox* hotkey;   // CNQ: the Ctrl+Q hotkey
    QLabel* version;     // never visible: the version stamp
};

// Colours the options bar light or dark.
void PaintOptionsBar(QWidget* bar, bool dark);

// Greys out the Ctrl+Q option, saying why, where the desktop offers no global
// key; its setting is still read and written.
void ShowHotkeyUnavailable(QCheckBox* option);

// The footer with the maker's notice at its right end; a click on the notice
// is reported.
class Footer : public QObject {
    Q_OBJECT

  public:
    explicit Footer(QWidget* parent);

    QWidget* bar;    // PLb
    QLabel* notice;  // Label1
    // At the footer's left end: the options bar is full at the window's
    // designed width.
    QToolButton* exportAll;    // the notebook into files
    QToolButton* importFiles;  // records from files
    QToolButton* sync;         // 同步…: the sync account
    QLabel* syncState;         // the last sync: "已同步 12:34" or what failed

    // Shows the last sync's outcome in the sync entry's place (the footer
    // has room for one of them at the window's designed width), cut short
    // with "…" where even that is too narrow, the whole of it in the
    // tooltip. A click on it opens the account's dialog, as 同步… does.
    void ShowSyncState(const QString& line, bool failed);

    // Colours the footer light or dark.
    void SetDark(bool dark);

    // Puts the maker's notice on the label; true when the label carries it
    // unaltered (a build whose notice was altered counts as damaged).
    bool ShowNotice();
    // Opens the maker's home page in the web browser; tells the user when
    // there is none.
    void OpenHomePage();

  signals:
    void noticeClicked();
    // 同步…, or the sync's state in its place, was clicked.
    void syncClicked();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void PaintSyncState();

    bool dark_ = false;
    bool failed_ = false;
};

}  // namespace korvane
