// Two small controls the dialogs need beyond the standard ones.
#pragma once

#include <QLabel>
#include <QPalette>
#include <QPushButton>
#include <functional>

namespace korvane {

// A push button whose caption wraps inside the button, character by
// character where needed, so a tall narrow button shows its caption as a column.
class WrapButton : public QPushButton {
    Q_OBJECT
  public:
    WrapButton(const QString& caption, QWidget* parent);

  protected:
    void paintEvent(QPaintEvent* event) override;
};

// A picture drawn centred in its cell that reports clicks, like a button:
// it takes the focus (drawn as a frame), and Space or Enter press it.
class PictureButton : public QLabel {
    Q_OBJECT
  public:
    explicit PictureButton(QWidget* parent);

  signals:
    void clicked();

  protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

  private:
    bool pressed_ = false;
};

// The most device pixels to a pixel of any screen (1 on an ordinary one).
qreal HighestPixelRatio();

// Emoticon n for the note editor's palette, or a null picture when its bitmap
// (bmp/<n>.bmp beside the program) is missing or unreadable: then the palette
// has no cell for it. Shown from the transparent picture beside the bitmap
// where there is one, the one at twice the size (device pixel ratio 2) when
// `pixelRatio` is above 1, so it stays sharp and fits a light or dark palette.
QPixmap EmoticonPicture(int n, qreal pixelRatio);

// True when `palette` is a dark one: its window colour below the middle.
bool IsDark(const QPalette& palette);

// Runs `paint` now and again whenever the palette reaching `widget` changes
// (the program switched between light and dark), once the change has
// settled: the colours a dialog sets for itself follow the application's.
void FollowPalette(QWidget* widget, std::function<void()> paint);

}  // namespace korvane
