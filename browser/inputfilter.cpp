#include "browser/inputfilter.h"

#include <QChildEvent>
#include <QMouseEvent>
#include <QNativeGestureEvent>
#include <QWheelEvent>
#include <QWidget>

namespace korvane {
namespace {

// The right button would open the context menu; the engine goes back and
// forward in its history for the other two.
bool IsWithheldButton(Qt::MouseButton button) {
    return button == Qt::RightButton || button == Qt::BackButton || button == Qt::ForwardButton;
}

bool IsWithheldClick(const QEvent& event) {
    switch (event.type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
            return IsWithheldButton(static_cast<const QMouseEvent&>(event).button());
        default:
            return false;
    }
}

// The engine zooms the page for a wheel turned with Ctrl held and for a pinch.
bool IsZoom(const QEvent& event) {
    if (event.type() == QEvent::Wheel) {
        return static_cast<const QWheelEvent&>(event).modifiers() & Qt::ControlModifier;
    }
    if (event.type() == QEvent::NativeGesture) {
        const Qt::NativeGestureType gesture =
            static_cast<const QNativeGestureEvent&>(event).gestureType();
        return gesture == Qt::ZoomNativeGesture || gesture == Qt::SmartZoomNativeGesture;
    }
    return false;
}

}  // namespace

bool IsWithheldInput(const QEvent& event) {
    return IsWithheldClick(event) || IsZoom(event);
}

TInputFilter::TInputFilter(QWidget* view) : QObject(view), view_(view) {
    // The engine creates its render widget as a child of the view, and creates
    // it anew when the page or its render process changes.
    Watch(view);
    for (QObject* child : view->findChildren<QObject*>()) Watch(child);
}

TInputFilter::~TInputFilter() {
    // The view may be part-way through its own destruction here, so only the
    // widgets known to be alive are touched.
    for (const QPointer<QObject>& watched : watched_) {
        if (watched) watched->removeEventFilter(this);
    }
}

void TInputFilter::Watch(QObject* child) {
    if (!child->isWidgetType() || watched_.contains(child)) return;
    child->installEventFilter(this);
    watched_.append(child);
}

bool TInputFilter::eventFilter(QObject* watched, QEvent* event) {
    if (watched == view_) {
        if (event->type() == QEvent::ChildAdded || event->type() == QEvent::ChildPolished) {
            Watch(static_cast<QChildEvent*>(event)->child());
        }
    }
    return IsWithheldInput(*event);
}

}  // namespace korvane
