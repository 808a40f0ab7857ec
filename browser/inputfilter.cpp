#include "browser/inputfilter.h"

#include <QChildEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWidget>

namespace korvane {
namespace {

bool IsWithheldKeyCode(int key) {
    switch (key) {
        case Qt::Key_Backspace:
        case Qt::Key_Left:
        case Qt::Key_Up:
        case Qt::Key_Right:
        case Qt::Key_W:
        case Qt::Key_Y:
        case Qt::Key_Z:
            return true;
        default:
            return (key >= Qt::Key_0 && key <= Qt::Key_9) || (key >= Qt::Key_D && key <= Qt::Key_U);
    }
}

bool IsRightButtonClick(const QEvent* event) {
    switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
            return static_cast<const QMouseEvent*>(event)->button() == Qt::RightButton;
        default:
            return false;
    }
}

bool IsWithheldKeyEvent(const QEvent* event) {
    // The engine picks its editing command for a key from the shortcut
    // override and runs it with the next key press it sees, so the override
    // must be kept from it as well as the key itself.
    const QEvent::Type type = event->type();
    if (type != QEvent::ShortcutOverride && type != QEvent::KeyPress &&
        type != QEvent::KeyRelease) {
        return false;
    }
    const auto* key = static_cast<const QKeyEvent*>(event);
    return IsWithheldKey(key->key(), key->modifiers());
}

}  // namespace

bool IsWithheldKey(int key, Qt::KeyboardModifiers modifiers) {
    return (modifiers & (Qt::ControlModifier | Qt::AltModifier)) && IsWithheldKeyCode(key);
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
    return IsRightButtonClick(event) || IsWithheldKeyEvent(event);
}

}  // namespace korvane
