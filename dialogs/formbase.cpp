#include "dialogs/formbase.h"

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QScreen>
#include <QVariant>
#include <algorithm>

namespace korvane {

QFont FormFont(bool bold, int points) {
    QFont font;
    font.setFamilies({QStringLiteral("WenQuanYi Micro Hei"), QStringLiteral("Microsoft YaHei"),
                      QStringLiteral("SimSun"), QStringLiteral("Noto Sans CJK SC")});
    font.setPointSize(points);
    font.setBold(bold);
    return font;
}

int TagOf(const QObject* control) {
    return control != nullptr ? control->property("Tag").toInt() : 0;
}

void SetTag(QObject* control, int tag) {
    control->setProperty("Tag", tag);
}

FormDialog::FormDialog(QWidget* parent, QSize clientSize)
    : QDialog(parent), clientSize_(clientSize) {
    setFont(FormFont());
    resize(clientSize);
}

QSize FormDialog::DesignSizeOf(const QWidget* widget) const {
    if (widget == this) return clientSize_;
    const auto found = std::find_if(placed_.begin(), placed_.end(),
                                    [widget](const Placed& p) { return p.control == widget; });
    return found != placed_.end() ? found->design.size() : widget->size();
}

void FormDialog::Place(QWidget* control, int x, int y, int width, int height, int anchors) {
    const QRect design(x, y, width, height);
    placed_.push_back({control, design, DesignSizeOf(control->parentWidget()), anchors});
    control->setGeometry(design);
    ApplyAnchors();
}

void FormDialog::ApplyAnchors() {
    // Parents come before their children, so each parent has its final size
    // by the time its children are placed.
    for (const Placed& p : placed_) {
        const QSize grown = p.control->parentWidget()->size() - p.parentDesign;
        QRect r = p.design;
        if (p.anchors & kRight) {
            if (p.anchors & kLeft) {
                r.setWidth(std::max(0, r.width() + grown.width()));
            } else {
                r.translate(grown.width(), 0);
            }
        }
        if (p.anchors & kBottom) {
            if (p.anchors & kTop) {
                r.setHeight(std::max(0, r.height() + grown.height()));
            } else {
                r.translate(0, grown.height());
            }
        }
        p.control->setGeometry(r);
    }
}

void FormDialog::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    ApplyAnchors();
}

void FormDialog::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (auto* button = qobject_cast<QAbstractButton*>(focusWidget());
                button != nullptr && button->isVisible() && button->isEnabled()) {
                button->click();
            }
            event->accept();
            return;
        case Qt::Key_Escape:
            event->accept();
            close();
            return;
        default:
            QDialog::keyPressEvent(event);
    }
}

void FormDialog::CentreOverMainWindow(bool horizontal) {
    QRect over;
    if (parentWidget() != nullptr) {
        over = parentWidget()->window()->frameGeometry();
    } else if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        over = screen->availableGeometry();
    }
    if (!over.isValid()) return;
    const QRect frame = frameGeometry();
    // pos() is where move() put the frame, whether or not it is known yet.
    const int x = horizontal ? over.center().x() - frame.width() / 2 : pos().x();
    const int y = over.center().y() - frame.height() / 2;
    move(x, y);
}

}  // namespace korvane
