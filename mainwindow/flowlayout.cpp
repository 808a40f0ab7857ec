#include "mainwindow/flowlayout.h"

#include <QWidget>
#include <algorithm>

namespace korvane {

FlowLayout::FlowLayout(QWidget* parent, int lineHeight, int spacing)
    : QLayout(parent), lineHeight_(lineHeight) {
    setSpacing(spacing);
}

FlowLayout::~FlowLayout() {
    qDeleteAll(items_);
}

void FlowLayout::addItem(QLayoutItem* item) {
    items_.append(item);
}

int FlowLayout::count() const {
    return static_cast<int>(items_.size());
}

QLayoutItem* FlowLayout::itemAt(int index) const {
    return items_.value(index);
}

QLayoutItem* FlowLayout::takeAt(int index) {
    return index >= 0 && index < items_.size() ? items_.takeAt(index) : nullptr;
}

QSize FlowLayout::sizeHint() const {
    const QMargins m = contentsMargins();
    int width = 0;
    for (const QLayoutItem* item : items_) {
        if (item->isEmpty()) continue;
        width += (width > 0 ? spacing() : 0) + item->sizeHint().width();
    }
    return {width + m.left() + m.right(), lineHeight_ + m.top() + m.bottom()};
}

QSize FlowLayout::minimumSize() const {
    const QMargins m = contentsMargins();
    int width = 0;
    for (const QLayoutItem* item : items_) {
        if (!item->isEmpty()) width = std::max(width, item->sizeHint().width());
    }
    return {width + m.left() + m.right(), lineHeight_ + m.top() + m.bottom()};
}

int FlowLayout::heightForWidth(int width) const {
    return Arrange(QRect(0, 0, width, 0), false);
}

void FlowLayout::setGeometry(const QRect& rect) {
    QLayout::setGeometry(rect);
    Arrange(rect, true);
}

int FlowLayout::Arrange(const QRect& rect, bool place) const {
    const QRect area = rect.marginsRemoved(contentsMargins());
    int x = area.left();
    int y = area.top();
    for (QLayoutItem* item : items_) {
        if (item->isEmpty()) continue;
        const QSize size = item->sizeHint();
        if (x > area.left() && x + size.width() > area.right() + 1) {
            x = area.left();
            y += lineHeight_;
        }
        if (place) {
            item->setGeometry(QRect(QPoint(x, y + (lineHeight_ - size.height()) / 2), size));
        }
        x += size.width() + spacing();
    }
    const QMargins m = contentsMargins();
    return y + lineHeight_ - rect.top() + m.bottom();
}

}  // namespace korvane
