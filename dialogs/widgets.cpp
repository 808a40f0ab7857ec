#include "dialogs/widgets.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionButton>
#include <QStylePainter>
#include <algorithm>

namespace korvane {

namespace {

// A caption of Chinese characters stands one under the other in a tall,
// narrow button; one of letters too wide for a line is turned instead, as
// letters broken one under the other are hard to read.
bool Turned(const QString& caption, int width, const QRect& area) {
    if (width <= area.width() || area.height() <= area.width()) return false;
    return std::none_of(caption.begin(), caption.end(),
                        [](QChar c) { return c.unicode() >= 0x2E80; });
}

}  // namespace

WrapButton::WrapButton(const QString& caption, QWidget* parent) : QPushButton(caption, parent) {}

void WrapButton::paintEvent(QPaintEvent*) {
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    option.text.clear();
    painter.drawControl(QStyle::CE_PushButton, option);
    painter.setPen(
        palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::ButtonText));
    const QRect area = rect().adjusted(1, 1, -1, -1);
    if (Turned(text(), fontMetrics().horizontalAdvance(text()), area)) {
        // Along the button, read from the bottom up, as vertical tabs are.
        painter.translate(area.center());
        painter.rotate(-90);
        const QRect along(-area.height() / 2, -area.width() / 2, area.height(), area.width());
        painter.drawText(along, Qt::AlignCenter, text());
        return;
    }
    painter.drawText(area, Qt::AlignCenter | Qt::TextWrapAnywhere, text());
}

PictureButton::PictureButton(QWidget* parent) : QLabel(parent) {
    setAlignment(Qt::AlignCenter);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::StrongFocus);
}

void PictureButton::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Space:
        case Qt::Key_Return:
        case Qt::Key_Enter:
            event->accept();
            emit clicked();
            return;
        default:
            QLabel::keyPressEvent(event);
    }
}

void PictureButton::paintEvent(QPaintEvent* event) {
    QLabel::paintEvent(event);
    if (!hasFocus()) return;
    QPainter painter(this);
    painter.setPen(QPen(palette().color(QPalette::Highlight), 2));
    painter.drawRect(rect().adjusted(1, 1, -1, -1));
}

void PictureButton::mousePressEvent(QMouseEvent* event) {
    pressed_ = event->button() == Qt::LeftButton;
    event->accept();
}

void PictureButton::mouseReleaseEvent(QMouseEvent* event) {
    const bool click = pressed_ && event->button() == Qt::LeftButton &&
                       rect().contains(event->position().toPoint());
    pressed_ = false;
    event->accept();
    if (click) emit clicked();
}

}  // namespace korvane
