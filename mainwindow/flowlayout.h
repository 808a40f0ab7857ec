// A layout that sets its items side by side in lines of a fixed height and
// starts a new line where the next item would not fit, so that every item
// keeps its full width however narrow the window gets.
#pragma once

#include <QLayout>
#include <QList>

namespace korvane {

class FlowLayout : public QLayout {
  public:
    FlowLayout(QWidget* parent, int lineHeight, int spacing);
    ~FlowLayout() override;

    void addItem(QLayoutItem* item) override;
    int count() const override;
    QLayoutItem* itemAt(int index) const override;
    QLayoutItem* takeAt(int index) override;

    // One line holding everything; the widest item alone.
    QSize sizeHint() const override;
    QSize minimumSize() const override;
    Qt::Orientations expandingDirections() const override { return {}; }
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    void setGeometry(const QRect& rect) override;

  private:
    // Lays the items out in `rect` (only measures unless `place`) and returns
    // the height used, margins included.
    int Arrange(const QRect& rect, bool place) const;

    QList<QLayoutItem*> items_;
    int lineHeight_;
};

}  // namespace korvane
