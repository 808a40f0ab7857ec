// The common ground of the program's dialogs: fixed pixel layout with anchors,
// the dialog keys, the font, and placement over the main window.
#pragma once

#include <QDialog>
#include <QFont>
#include <QRect>
#include <QSize>
#include <vector>

namespace korvane {

// Which edges of its parent a control keeps its distance to when the parent
// changes size. Left|Right stretches the width, Top|Bottom the height; Right
// alone moves the control with the right edge, Bottom alone with the bottom.
enum Anchor { kLeft = 1, kTop = 2, kRight = 4, kBottom = 8 };
inline constexpr int kLeftTop = kLeft | kTop;
inline constexpr int kAllSides = kLeft | kTop | kRight | kBottom;

// The dialogs' font: a CJK face, 9 points unless told, bold on request.
QFont FormFont(bool bold = false, int points = 9);

// The "Tag" of a control (0 when it has none) and setting it.
int TagOf(const QObject* control);
void SetTag(QObject* control, int tag);

class FormDialog : public QDialog {
    Q_OBJECT
  public:
    // `clientSize` is the size at which the controls' places were designed.
    FormDialog(QWidget* parent, QSize clientSize);

    // Moves the dialog so that its centre lies over the centre of the main
    // window (the parent's window); `horizontal` false keeps the left edge.
    void CentreOverMainWindow(bool horizontal);

  protected:
    // Gives `control` its designed place inside its parent and keeps it
    // anchored from then on. Parents must be placed before their children.
    void Place(QWidget* control, int x, int y, int width, int height, int anchors = kLeftTop);

    // Enter and Return press the focused button (no button is a default one);
    // Escape cancels, as the close box does; every other key is handled as usual.
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    struct Placed {
        QWidget* control;
        QRect design;
        QSize parentDesign;
        int anchors;
    };
    QSize DesignSizeOf(const QWidget* widget) const;
    void ApplyAnchors();

    QSize clientSize_;
    std::vector<Placed> placed_;
};

}  // namespace korvane
