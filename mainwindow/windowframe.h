// The main window's own frame: the skinned caption bar with the logo, the
// title and the hide and exit buttons, the three resize grips, and the
// window's mask, which makes the caption's key colour see-through.
#pragma once

#include <QLabel>
#include <QObject>
#include <QToolButton>
#include <QWidget>

namespace korvane {

class ActivationWatch;
class FrameDrag;

class WindowFrame : public QObject {
    Q_OBJECT

  public:
    // Builds the caption and the grips as children of `window`; their drags
    // are reported to `activation`.
    WindowFrame(QWidget* window, ActivationWatch* activation);

    // Draws the caption, its buttons and the grips light or dark, with the
    // pictures that suit the screens' pixel ratio.
    void SetDark(bool dark);

    QWidget* caption;         // PLC
    QLabel* leftCap;          // Image1
    QLabel* stretch;          // Image3: pressing it moves the window
    QLabel* rightCap;         // Image2
    QLabel* logo;             // Image7
    QLabel* title;            // Label5: pressing it moves the window
    QToolButton* hideButton;  // BitBtn1
    QToolButton* exitButton;  // BitBtn3
    QWidget* leftGrip;        // Image4
    QWidget* rightGrip;       // Image5
    QWidget* bottomGrip;      // Image6

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void BuildCaption();
    void BuildGrips();
    FrameDrag* WatchedDrag(Qt::Edges edges);
    void PlaceButtons();
    void ScheduleMaskUpdate();
    void UpdateMask();
    void ShowPictures();

    QWidget* window_;
    ActivationWatch* activation_;
    bool maskPending_ = false;
    bool dark_ = false;
};

}  // namespace korvane
