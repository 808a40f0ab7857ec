#include "mainwindow/compactview.h"

#include <QCoreApplication>
#include <QEvent>

#include "dialogs/qttext.h"
#include "mainwindow/pagehost.h"
#include "mainwindow/windowlog.h"
#include "platform/process.h"
#include "platform/uitext.h"

namespace korvane {

CompactView::CompactView(QWidget* parent) : QObject(parent) {
    strip = new QLabel(ToQt(Ui::tr(" -> 双击此处恢复标准窗口")), parent);
    strip->setObjectName(QStringLiteral("Panel1"));
    strip->setFixedHeight(17);
    strip->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    SetDark(false);
    strip->hide();
    strip->installEventFilter(this);
}

void CompactView::SetDark(bool dark) {
    strip->setStyleSheet(
        dark ? QStringLiteral(
                   "background: #1b1f24; color: #7f8a98; border-bottom: 1px solid #3a424d;")
             : QStringLiteral(
                   "background: white; color: silver; border-bottom: 1px solid #e3e8ee;"));
}

void CompactView::Bind(QList<QWidget*> bars, QCheckBox* allowed, QWebEngineView* page) {
    bars_ = std::move(bars);
    allowed_ = allowed;
    page_ = page;
}

bool CompactView::IsCompact() const {
    return bars_.first()->isHidden();
}

void CompactView::Switch(bool compact) {
    // Pending work runs first, even when nothing is switched after all; it
    // may switch the view itself, so the checks come after it.
    platform::TrimWorkingSet();
    QCoreApplication::processEvents();
    if (!allowed_->isChecked()) return;
    if (IsCompact() == compact) return;
    ShowBars(!compact);
    try {
        PageHost::RunJs(page_, compact ? "htit()" : "stit()");
    } catch (const std::exception& e) {
        // The controls have switched; the page simply keeps its look.
        qCWarning(lcWindow) << "the page's view not switched:" << e.what();
    } catch (...) {
        qCWarning(lcWindow) << "the page's view not switched";
    }
}

void CompactView::ShowBars(bool standard) {
    for (QWidget* bar : bars_) bar->setVisible(standard);
    strip->hide();
}

bool CompactView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == strip && event->type() == QEvent::MouseButtonDblClick) {
        emit restoreRequested();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace korvane
