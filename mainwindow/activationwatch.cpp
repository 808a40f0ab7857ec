#include "mainwindow/activationwatch.h"

#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QGuiApplication>

namespace korvane {

ActivationWatch::ActivationWatch(QObject* parent)
    : QObject(parent), active_(QGuiApplication::applicationState() == Qt::ApplicationActive) {
    settle_.setSingleShot(true);
    settle_.setInterval(kSettleMs);
    connect(&settle_, &QTimer::timeout, this, &ActivationWatch::Settled);
}

void ActivationWatch::StateChanged(Qt::ApplicationState state) {
    active_ = state == Qt::ApplicationActive;
    if (active_) {
        // The drag has given the keyboard back, or the user came back.
        dragging_ = false;
        settle_.stop();
        return;
    }
    if (!dragging_) emit deactivated();
}

void ActivationWatch::OwnDragStarted() {
    dragging_ = true;
    settle_.stop();
}

void ActivationWatch::OwnDragEnded() {
    if (!dragging_) return;
    if (active_) {
        dragging_ = false;
        return;
    }
    // The activation normally comes back right after the release; if it does
    // not, another program took it while the button was down.
    settle_.start();
}

void ActivationWatch::Settled() {
    dragging_ = false;
    if (!active_) emit deactivated();
}

ActivationReturn::ActivationReturn(QWidget* window) : QObject(window), window_(window) {
    qApp->installEventFilter(this);
}

bool ActivationReturn::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Hide && qobject_cast<QDialog*>(watched) != nullptr &&
        static_cast<QWidget*>(watched)->isWindow()) {
        // After the dialog's own loop has ended and its window is gone.
        QTimer::singleShot(0, this, &ActivationReturn::Return);
    }
    return QObject::eventFilter(watched, event);
}

void ActivationReturn::Return() {
    if (!window_->isVisible() || window_->isMinimized()) return;
    QWidget* target = QApplication::activeModalWidget();
    if (target == nullptr) target = window_;
    target->raise();
    target->activateWindow();
}

}  // namespace korvane
