// The main window's two views. The compact view hides the caption, the grips,
// the options bar and the footer; the page is told of each switch and shows
// the one control that restores the standard view (恢复标准窗口, in the Tab
// order). The strip whose double-click asks for the standard view stays
// hidden, so the compact view never shows two such controls.
#pragma once

#include <QCheckBox>
#include <QLabel>
#include <QList>
#include <QObject>

class QWebEngineView;

namespace korvane {

class CompactView : public QObject {
    Q_OBJECT

  public:
    // Builds the strip (hidden) as a child of `parent`.
    explicit CompactView(QWidget* parent);

    // What the views switch: the bars (the options bar first, which tells the
    // view), the box that allows the compact view, and the page.
    void Bind(QList<QWidget*> bars, QCheckBox* allowed, QWebEngineView* page);

    QLabel* strip;  // Panel1

    // Colours the strip light or dark.
    void SetDark(bool dark);

    // Both do nothing unless the box is ticked; the page is told by script.
    void Switch(bool compact);
    // Sets the bars without the page: for a page that is about to load anew.
    void ShowBars(bool standard);
    bool IsCompact() const;

  signals:
    // The strip was double-clicked.
    void restoreRequested();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QList<QWidget*> bars_;
    QCheckBox* allowed_ = nullptr;
    QWebEngineView* page_ = nullptr;
};

}  // namespace korvane
