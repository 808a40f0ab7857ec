// Two small controls the dialogs need beyond the standard ones.
#pragma once

#include <QLabel>
#include <QPushButton>

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

}  // namespace korvane
