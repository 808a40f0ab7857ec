#include "mainwindow/framedrag.h"

#include <QMouseEvent>
#include <QWidget>
#include <QWindow>
#include <algorithm>

namespace korvane {

FrameDrag::FrameDrag(QWidget* window, Qt::Edges edges)
    : QObject(window), window_(window), edges_(edges) {}

void FrameDrag::Attach(QWidget* handle) {
    handle->installEventFilter(this);
}

bool FrameDrag::StartBySystem() {
    QWindow* handle = window_->windowHandle();
    if (!handle) return false;
    return edges_ ? handle->startSystemResize(edges_) : handle->startSystemMove();
}

void FrameDrag::Follow(QPoint globalPos) {
    const QPoint delta = globalPos - pressPos_;
    QRect g = startGeometry_;
    if (!edges_) {
        window_->move(g.topLeft() + delta);
        return;
    }
    const int minWidth = std::max(window_->minimumWidth(), 1);
    const int minHeight = std::max(window_->minimumHeight(), 1);
    if (edges_ & Qt::LeftEdge) g.setLeft(std::min(g.left() + delta.x(), g.right() + 1 - minWidth));
    if (edges_ & Qt::RightEdge) g.setWidth(std::max(g.width() + delta.x(), minWidth));
    if (edges_ & Qt::BottomEdge) g.setHeight(std::max(g.height() + delta.y(), minHeight));
    window_->setGeometry(g);
}

bool FrameDrag::eventFilter(QObject*, QEvent* event) {
    switch (event->type()) {
        case QEvent::MouseButtonPress: {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            // The window manager's move protocol follows the left button; a
            // press with another button is dragged here so it ends on its release.
            manual_ = mouse->button() != Qt::LeftButton || !StartBySystem();
            pressed_ = manual_;
            bySystem_ = !manual_;
            if (bySystem_) emit systemDragStarted();
            pressPos_ = mouse->globalPosition().toPoint();
            startGeometry_ = window_->geometry();
            return true;
        }
        case QEvent::MouseMove:
            if (!pressed_) return false;
            Follow(static_cast<QMouseEvent*>(event)->globalPosition().toPoint());
            return true;
        case QEvent::MouseButtonRelease:
            if (bySystem_) {
                bySystem_ = false;
                emit systemDragEnded();
            }
            if (!pressed_) return false;
            if (static_cast<QMouseEvent*>(event)->buttons() == Qt::NoButton) pressed_ = false;
            return true;
        default:
            return false;
    }
}

}  // namespace korvane
