#include "mainwindow/bars.h"

#include <QCheckBox>
#include <QDesktopServices>
#include <QHBoxLayout>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QUrl>

#include "dialogs/qttext.h"
#include "mainwindow/flowlayout.h"
#include "platform/uitext.h"

namespace korvane {
namespace {

// The footer's notice and where a click on it leads.
QString MakersNotice() {
    return ToQt(Ui::tr("Korvane 工作室出品 · 访问主页"));
}
const char* const kHomePage = "https://korvane.example.org/Brisvale/";

QCheckBox* Option(QWidget* parent, const QString& text, const char* name) {
    auto* box = new QCheckBox(text, parent);
    box->setObjectName(QLatin1String(name));
    box->setFocusPolicy(Qt::TabFocus);
    return box;
}

// A flat link-like button of the footer.
QToolButton* FooterButton(QWidget* parent, const QString& text, const QString& tip,
                          const char* name) {
    auto* button = new QToolButton(parent);
    button->setObjectName(QLatin1String(name));
    button->setText(text);
    button->setToolTip(tip);
    button->setAutoRaise(true);
    button->setCursor(Qt::PointingHandCursor);
    button->setFixedHeight(16);
    return button;
}

// A one-line label that ends its text with "…" where it has no room for all
// of it, and takes no room from its neighbours.
class ElidedLabel : public QLabel {
  public:
    explicit ElidedLabel(QWidget* parent) : QLabel(parent) {
        setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    }

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        const QRect area = contentsRect().adjusted(margin(), 0, -margin(), 0);
        painter.setPen(palette().color(foregroundRole()));
        painter.drawText(area, Qt::AlignLeft | Qt::AlignVCenter,
                         fontMetrics().elidedText(text(), Qt::ElideRight, area.width()));
    }
};

}  // namespace

OptionsBar::OptionsBar(QWidget* parent) {
    bar = new QWidget(parent);
    bar->setObjectName(QStringLiteral("PLt"));
    bar->setAttribute(Qt::WA_StyledBackground);

    onTop = Option(bar, ToQt(Ui::tr("顶置")), "CB");
    onTop->setToolTip(ToQt(Ui::tr("保持在最上方显示,始终显示在最上层")));
    run = Option(bar, ToQt(Ui::tr("开机启动")), "Run");
    compact = Option(bar, ToQt(Ui::tr("自动精简显示")), "CBN");
    hotkey = Option(bar, ToQt(Ui::tr("Ctrl+Q 显示面板")), "CNQ");
    version = new QLabel(QStringLiteral("20110913"), bar);
    version->setObjectName(QStringLiteral("version"));
    version->hide();
    PaintOptionsBar(bar, false);

    // One line of 20 pixels at the designed width; a narrower window gives
    // the options more lines instead of cutting their labels off.
    auto* lines = new FlowLayout(bar, 20, 10);
    lines->setContentsMargins(6, 0, 6, 1);
    for (QWidget* item :
         {static_cast<QWidget*>(onTop), static_cast<QWidget*>(run), static_cast<QWidget*>(compact),
          static_cast<QWidget*>(hotkey), static_cast<QWidget*>(version)}) {
        lines->addWidget(item);
    }
}

Footer::Footer(QWidget* parent) : QObject(parent) {
    bar = new QWidget(parent);
    bar->setObjectName(QStringLiteral("PLb"));
    bar->setFixedHeight(18);
    bar->setAttribute(Qt::WA_StyledBackground);
    exportAll = FooterButton(bar, ToQt(Ui::tr("导出…")),
                             ToQt(Ui::tr("把记事导出为 Markdown 文件和网页，联系人导出为 vCard")),
                             "ExportButton");
    importFiles = FooterButton(bar, ToQt(Ui::tr("导入…")),
                               ToQt(Ui::tr("从 vCard、Markdown、文本、Gnote 和 Evernote 文件导入")),
                               "ImportButton");
    sync =
        FooterButton(bar, ToQt(Ui::tr("同步…")),
                     ToQt(Ui::tr("与自己的 CalDAV/CardDAV 服务器同步记事和联系人")), "SyncButton");
    connect(sync, &QToolButton::clicked, this, &Footer::syncClicked);
    syncState = new ElidedLabel(bar);
    syncState->setObjectName(QStringLiteral("SyncState"));
    syncState->setMargin(4);
    syncState->setCursor(Qt::PointingHandCursor);
    syncState->installEventFilter(this);
    ShowSyncState({}, false);
    notice = new QLabel(bar);
    notice->setObjectName(QStringLiteral("Label1"));
    notice->setCursor(Qt::PointingHandCursor);
    notice->installEventFilter(this);
    SetDark(false);
    auto* row = new QHBoxLayout(bar);
    row->setContentsMargins(0, 1, 0, 0);
    row->setSpacing(0);
    row->addWidget(exportAll);
    row->addWidget(importFiles);
    row->addWidget(sync);
    row->addWidget(syncState, 1);
    row->addStretch(0);
    row->addWidget(notice);
}

void Footer::ShowSyncState(const QString& line, bool failed) {
    sync->setHidden(!line.isEmpty());
    syncState->setHidden(line.isEmpty());
    syncState->setText(line);
    syncState->setToolTip(line + ToQt(Ui::tr("\n（点击打开“同步…”）")));
    failed_ = failed;
    PaintSyncState();
}

void Footer::SetDark(bool dark) {
    dark_ = dark;
    bar->setStyleSheet(
        dark ? QStringLiteral("#PLb { background: #23272d; border-top: 1px solid #3a424d; }"
                              "#PLb QToolButton { color: #8dbaf5; border: none; padding: 0 4px; "
                              "background: transparent; }"
                              "#PLb QToolButton:hover { text-decoration: underline; }")
             : QStringLiteral("#PLb { background: #f4f7fb; border-top: 1px solid #d3dce6; }"
                              "#PLb QToolButton { color: #2c63b3; border: none; padding: 0 4px; "
                              "background: transparent; }"
                              "#PLb QToolButton:hover { text-decoration: underline; }"));
    notice->setStyleSheet(dark ? QStringLiteral("background: #3a3524; color: #e8d9a0; "
                                                "padding: 0 6px; border-left: 1px solid #5a5236;")
                               : QStringLiteral("background: #ffffe1; color: #6b5a1e; "
                                                "padding: 0 6px; border-left: 1px solid #e6dfb4;"));
    PaintSyncState();
}

void Footer::PaintSyncState() {
    const char* colour =
        failed_ ? (dark_ ? "#ff8a80" : "#b00000") : (dark_ ? "#a3afbd" : "#5b6b7b");
    syncState->setStyleSheet(QStringLiteral("color: %1;").arg(QLatin1String(colour)));
}

bool Footer::ShowNotice() {
    notice->setText(MakersNotice());
    return notice->text() == MakersNotice();
}

void Footer::OpenHomePage() {
    if (!QDesktopServices::openUrl(QUrl(QString::fromLatin1(kHomePage)))) {
        QWidget* window = bar->window();
        QMessageBox::critical(window, window->windowTitle(),
                              ToQt(Ui::tr("无法打开网页浏览器：%1")).arg(kHomePage));
    }
}

bool Footer::eventFilter(QObject* watched, QEvent* event) {
    if ((watched == notice || watched == syncState) &&
        event->type() == QEvent::MouseButtonRelease) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        const auto* label = static_cast<QWidget*>(watched);
        if (mouse->button() == Qt::LeftButton &&
            label->rect().contains(mouse->position().toPoint())) {
            if (watched == notice) {
                emit noticeClicked();
            } else {
                emit syncClicked();
            }
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

void PaintOptionsBar(QWidget* bar, bool dark) {
    bar->setStyleSheet(
        dark ? QStringLiteral("#PLt { background: #23272d; border-bottom: 1px solid #3a424d; }"
                              "QCheckBox { color: #d5dde6; spacing: 3px; }")
             : QStringLiteral("#PLt { background: #f4f7fb; border-bottom: 1px solid #d3dce6; }"
                              "QCheckBox { color: #33475b; spacing: 3px; }"));
    // The style draws a box's border a shade darker than the palette's window
    // colour, which on the dark bar would leave a ticked box a bare tick; a
    // light window colour gives every box a border that shows.
    // In the light a box takes the application's colours, as before.
    QPalette colours;
    if (dark) colours.setColor(QPalette::Window, QColor(0xb4, 0xc0, 0xcf));
    for (QCheckBox* option : bar->findChildren<QCheckBox*>()) option->setPalette(colours);
    // A changed sheet alone leaves the bar painted as before.
    bar->style()->unpolish(bar);
    bar->style()->polish(bar);
    bar->update();
}

void ShowHotkeyUnavailable(QCheckBox* option) {
    option->setEnabled(false);
    option->setToolTip(
        ToQt(Ui::tr("此桌面不提供全局快捷键，Ctrl+Q 无法使用"
                    "（Wayland 桌面需要提供全局快捷键门户 GlobalShortcuts）")));
}

}  // namespace korvane
