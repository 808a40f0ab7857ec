#include "dialogs/widgets.h"

#include <QEvent>
#include <QFile>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QStyleOptionButton>
#include <QStylePainter>
#include <algorithm>
#include <string>
#include <utility>

#include "platform/apppaths.h"
#include "platform/codepage.h"

namespace korvane {
namespace {

// Repaints once per change, from the event loop: the palette events reach
// the widget before its children have theirs.
class PaletteFollower : public QObject {
  public:
    PaletteFollower(QWidget* widget, std::function<void()> paint)
        : QObject(widget), paint_(std::move(paint)) {
        widget->installEventFilter(this);
    }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        const QEvent::Type type = event->type();
        if ((type == QEvent::PaletteChange || type == QEvent::ApplicationPaletteChange) &&
            !pending_) {
            pending_ = true;
            QMetaObject::invokeMethod(
                this,
                [this] {
                    pending_ = false;
                    paint_();
                },
                Qt::QueuedConnection);
        }
        return QObject::eventFilter(watched, event);
    }

  private:
    std::function<void()> paint_;
    bool pending_ = false;
};

}  // namespace

qreal HighestPixelRatio() {
    qreal ratio = 1;
    for (const QScreen* screen : QGuiApplication::screens()) {
        ratio = std::max(ratio, screen->devicePixelRatio());
    }
    return ratio;
}

QPixmap EmoticonPicture(int n, qreal pixelRatio) {
    const std::string stem = "bmp\\" + std::to_string(n);
    const auto path = [&stem](const char* suffix) {
        return QString::fromStdString(platform::NativePath(AppPath(stem + suffix)));
    };
    QPixmap bitmap;
    if (!QFile::exists(path(".bmp")) || !bitmap.load(path(".bmp"))) return {};
    const std::pair<const char*, int> sharp[] = {{"@2x.png", 2}, {".png", 1}};
    for (const auto& [suffix, ratio] : sharp) {
        if (ratio > 1 && pixelRatio <= 1) continue;
        QPixmap picture;
        if (!QFile::exists(path(suffix)) || !picture.load(path(suffix))) continue;
        picture.setDevicePixelRatio(ratio);
        return picture;
    }
    return bitmap;
}

bool IsDark(const QPalette& palette) {
    return palette.color(QPalette::Window).lightness() < 128;
}

void FollowPalette(QWidget* widget, std::function<void()> paint) {
    paint();
    new PaletteFollower(widget, std::move(paint));
}

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
