#include "mainwindow/windowframe.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QIcon>
#include <QPalette>
#include <QRegion>

#include "base/version.h"
#include "dialogs/qttext.h"
#include "dialogs/widgets.h"
#include "mainwindow/activationwatch.h"
#include "mainwindow/framedrag.h"
#include "mainwindow/skin.h"
#include "platform/uitext.h"

namespace korvane {
namespace {

constexpr int kDesignWidth = 391;
constexpr int kGripSize = 3;

QLabel* Picture(QWidget* parent, const char* name) {
    auto* label = new QLabel(parent);
    label->setObjectName(QLatin1String(name));
    return label;
}

QPixmap Keyed(std::string_view name, bool dark) {
    return QPixmap::fromImage(
        skin::HardenAlpha(skin::Picture(name, dark, HighestPixelRatio()).toImage()));
}

QToolButton* CaptionButton(QWidget* parent, const char* name) {
    auto* button = new QToolButton(parent);
    button->setObjectName(QLatin1String(name));
    button->setIconSize(QSize(18, 18));
    button->setFixedSize(18, 18);
    button->setAutoRaise(true);
    // Reached by Tab, never taken by a click, so the page keeps the keys.
    button->setFocusPolicy(Qt::TabFocus);
    button->setCursor(Qt::PointingHandCursor);
    button->setStyleSheet(QStringLiteral(
        "QToolButton { border: none; background: transparent; padding: 0; }"
        "QToolButton:focus { border: 1px solid white; border-radius: 9px; }"
        "QToolButton:hover { background: rgba(255, 255, 255, 45); border-radius: 9px; }"
        "QToolButton:pressed { background: rgba(0, 0, 0, 40); border-radius: 9px; }"));
    return button;
}

QWidget* Grip(QWidget* parent, Qt::CursorShape cursor, const char* name) {
    auto* grip = new QWidget(parent);
    grip->setObjectName(QLatin1String(name));
    grip->setCursor(cursor);
    grip->setAutoFillBackground(true);
    return grip;
}

void Paint(QWidget* grip, const QColor& colour) {
    QPalette palette = grip->palette();
    palette.setColor(QPalette::Window, colour);
    grip->setPalette(palette);
}

}  // namespace

WindowFrame::WindowFrame(QWidget* window, ActivationWatch* activation)
    : QObject(window), window_(window), activation_(activation) {
    BuildCaption();
    BuildGrips();
    ShowPictures();
}

void WindowFrame::SetDark(bool dark) {
    if (dark == dark_) return;
    dark_ = dark;
    ShowPictures();
    ScheduleMaskUpdate();
}

void WindowFrame::ShowPictures() {
    leftCap->setPixmap(Keyed("caption_left", dark_));
    stretch->setPixmap(Keyed("caption", dark_));
    rightCap->setPixmap(Keyed("caption_right", dark_));
    const qreal ratio = HighestPixelRatio();
    logo->setPixmap(skin::Picture("logo", dark_, ratio));
    hideButton->setIcon(QIcon(skin::Picture("btn_hide", dark_, ratio)));
    exitButton->setIcon(QIcon(skin::Picture("btn_close", dark_, ratio)));
    for (QWidget* grip : {leftGrip, rightGrip, bottomGrip}) {
        Paint(grip, dark_ ? skin::kDarkFrameColour : skin::kFrameColour);
    }
}

void WindowFrame::BuildCaption() {
    caption = new QWidget(window_);
    caption->setObjectName(QStringLiteral("PLC"));
    caption->setFixedHeight(skin::kCaptionHeight);
    caption->setAutoFillBackground(true);
    QPalette palette = caption->palette();
    palette.setColor(QPalette::Window, skin::kKeyColour);
    caption->setPalette(palette);

    leftCap = Picture(caption, "Image1");
    leftCap->setFixedWidth(12);
    stretch = Picture(caption, "Image3");
    stretch->setScaledContents(true);
    stretch->setMinimumWidth(1);
    stretch->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Expanding);
    rightCap = Picture(caption, "Image2");
    rightCap->setFixedWidth(11);
    auto* row = new QHBoxLayout(caption);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    row->addWidget(leftCap);
    row->addWidget(stretch);
    row->addWidget(rightCap);

    logo = Picture(caption, "Image7");
    logo->setGeometry(0, 0, 34, 30);

    title = new QLabel(QStringLiteral("Korvane V") + QLatin1String(kVersion), caption);
    title->setObjectName(QStringLiteral("Label5"));
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(12);
    font.setBold(true);
    title->setFont(font);
    title->setStyleSheet(QStringLiteral("color: white; background: transparent;"));
    title->move(35, 6);
    title->adjustSize();

    hideButton = CaptionButton(caption, "BitBtn1");
    hideButton->setAccessibleName(ToQt(Ui::tr("隐藏窗口")));
    exitButton = CaptionButton(caption, "BitBtn3");
    exitButton->setAccessibleName(ToQt(Ui::tr("退出")));
    PlaceButtons();

    auto* mover = WatchedDrag({});
    mover->Attach(stretch);
    mover->Attach(title);
    caption->installEventFilter(this);
}

void WindowFrame::BuildGrips() {
    leftGrip = Grip(window_, Qt::SizeHorCursor, "Image4");
    leftGrip->setFixedWidth(kGripSize);
    rightGrip = Grip(window_, Qt::SizeHorCursor, "Image5");
    rightGrip->setFixedWidth(kGripSize);
    bottomGrip = Grip(window_, Qt::SizeVerCursor, "Image6");
    bottomGrip->setFixedHeight(kGripSize);
    WatchedDrag(Qt::LeftEdge)->Attach(leftGrip);
    WatchedDrag(Qt::RightEdge)->Attach(rightGrip);
    WatchedDrag(Qt::BottomEdge)->Attach(bottomGrip);
}

FrameDrag* WindowFrame::WatchedDrag(Qt::Edges edges) {
    // A move or resize of our own window is no loss of activation.
    auto* drag = new FrameDrag(window_, edges);
    connect(drag, &FrameDrag::systemDragStarted, activation_, &ActivationWatch::OwnDragStarted);
    connect(drag, &FrameDrag::systemDragEnded, activation_, &ActivationWatch::OwnDragEnded);
    return drag;
}

void WindowFrame::PlaceButtons() {
    // The buttons keep their designed distance from the right end.
    const int w = caption->width() > 0 ? caption->width() : kDesignWidth;
    hideButton->move(w - (kDesignWidth - 344), 5);
    exitButton->move(w - (kDesignWidth - 365), 5);
}

void WindowFrame::ScheduleMaskUpdate() {
    // Drawing the caption for the mask sends pending resize events, which
    // would ask for the mask again: the work runs once, from the event loop.
    if (maskPending_) return;
    maskPending_ = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            maskPending_ = false;
            UpdateMask();
        },
        Qt::QueuedConnection);
}

void WindowFrame::UpdateMask() {
    if (caption->isHidden()) {
        window_->clearMask();
        return;
    }
    // The caption is see-through wherever it shows the key colour.
    const QRect area = caption->geometry();
    QImage image = caption->grab().toImage();
    if (image.size() != area.size()) image = image.scaled(area.size());
    QRegion region(window_->rect());
    region -= QRegion(area);
    region += skin::OpaqueRegion(image).translated(area.topLeft());
    window_->setMask(region);
}

bool WindowFrame::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (watched == caption) {
        if (type == QEvent::Resize) PlaceButtons();
        if (type == QEvent::Resize || type == QEvent::Show || type == QEvent::Hide) {
            ScheduleMaskUpdate();
        }
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace korvane
