#include "dialogs/historydialog.h"

#include <QApplication>
#include <QDateTime>
#include <QHBoxLayout>
#include <QShowEvent>
#include <QTextBlock>
#include <QTextCursor>
#include <utility>

#include "base/linediff.h"
#include "dialogs/accessnames.h"
#include "dialogs/qttext.h"
#include "dialogs/widgets.h"
#include "platform/uitext.h"

namespace korvane {
namespace {

constexpr QSize kClientSize(640, 420);
constexpr int kPreviewChars = 16;
// Beyond this many bytes of a version and the current text together the
// texts are shown whole, side by side: a difference of megabyte lines would
// only be hard to read and slow to lay out.
constexpr size_t kMaxComparedBytes = size_t{1} << 20;

// One text field of a record as the dialog compares it.
struct Field {
    QString caption;
    std::string RecordVersion::*text;
};

std::vector<Field> FieldsOf(RecordKind kind) {
    if (kind == RecordKind::Contact) {
        return {{ToQt(Ui::tr("联系人", "a contact's name field")), &RecordVersion::title},
                {ToQt(Ui::tr("电话")), &RecordVersion::tel},
                {ToQt(Ui::tr("备注")), &RecordVersion::content}};
    }
    return {{ToQt(Ui::tr("标题")), &RecordVersion::title},
            {ToQt(Ui::tr("内容")), &RecordVersion::content}};
}

// The title, or else the body's first line, on one line and shortened.
QString Preview(const RecordVersion& version) {
    QString text = WithLfBreaks(ToQt(version.title)).trimmed();
    if (text.isEmpty()) text = WithLfBreaks(ToQt(version.content)).trimmed();
    text = text.section(QLatin1Char('\n'), 0, 0).simplified();
    if (text.size() > kPreviewChars) text = text.left(kPreviewChars) + QStringLiteral("…");
    return text.isEmpty() ? ToQt(Ui::tr("（空）")) : text;
}

QString LocalTime(int64_t unixSeconds) {
    return QDateTime::fromSecsSinceEpoch(unixSeconds)
        .toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
}

// Three lines: when the version was saved, when it was replaced, its preview.
QString VersionLabel(const RecordVersion& version) {
    return ToQt(version.date) + ToQt(Ui::tr(" 保存\n")) + LocalTime(version.savedAt) +
           ToQt(Ui::tr(" 被替换\n")) + Preview(version);
}

// Appends one line to the view, its gutter and background by its kind.
void AppendLine(QTextCursor& cursor, const QString& gutter, const QString& text,
                const QColor& background, bool bold = false) {
    if (!cursor.atStart()) cursor.insertBlock();
    QTextBlockFormat block;
    if (background.isValid()) block.setBackground(background);
    cursor.setBlockFormat(block);
    QTextCharFormat chars;
    chars.setFontWeight(bold ? QFont::Bold : QFont::Normal);
    cursor.insertText(gutter + text, chars);
}

// Every line of both texts, the unchanged ones without a mark; a field that
// did not change says so first when `markUnchanged`.
void AppendDiff(QTextCursor& cursor, const LineDiff& diff, bool markUnchanged) {
    // Pale red and green behind dark text, deep ones behind light text.
    const bool dark = IsDark(QApplication::palette());
    const QColor removed = dark ? QColor(0x5C, 0x2B, 0x2E) : QColor(255, 220, 220);
    const QColor added = dark ? QColor(0x23, 0x4A, 0x2F) : QColor(215, 245, 215);
    if (markUnchanged && !diff.Changed()) {
        AppendLine(cursor, QString(), ToQt(Ui::tr("（没有改动）")), QColor());
    }
    for (const DiffLine& line : diff.lines) {
        const QString text = ToQt(line.text);
        switch (line.kind) {
            case DiffLine::Kind::Same:
                AppendLine(cursor, QStringLiteral("  "), text, QColor());
                break;
            case DiffLine::Kind::Removed:
                AppendLine(cursor, QStringLiteral("- "), text, removed);
                break;
            case DiffLine::Kind::Added:
                AppendLine(cursor, QStringLiteral("+ "), text, added);
                break;
        }
    }
}

// The whole record as one text (code page): each field under its caption.
std::string WholeText(RecordKind kind, const RecordVersion& version) {
    std::string text;
    for (const Field& field : FieldsOf(kind)) {
        text +=
            FromQt(field.caption + ToQt(Ui::tr("："))) + "\r\n" + version.*field.text + "\r\n\r\n";
    }
    return text;
}

QPlainTextEdit* ReadOnlyText(QWidget* parent) {
    auto* view = new QPlainTextEdit(parent);
    view->setReadOnly(true);
    view->setLineWrapMode(QPlainTextEdit::NoWrap);
    return view;
}

}  // namespace

HistoryDialog::HistoryDialog(QWidget* parent, RecordKind kind, RecordVersion current,
                             std::vector<RecordVersion> versions, Restore restore)
    : FormDialog(parent, kClientSize),
      kind_(kind),
      current_(std::move(current)),
      versions_(std::move(versions)),
      restore_(std::move(restore)) {
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setWindowTitle(ToQt(Ui::tr("历史版本")));
    setMinimumSize(480, 300);

    Versions = new QListWidget(this);
    Place(Versions, 8, 8, 230, 372, kLeft | kTop | kBottom);
    Versions->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Versions->setTextElideMode(Qt::ElideRight);
    Versions->setSpacing(2);
    Versions->addItem(ToQt(Ui::tr("当前\n")) + Preview(current_));
    Versions->item(0)->setFont(FormFont(true));
    for (const RecordVersion& version : versions_) Versions->addItem(VersionLabel(version));

    Caption = new QLabel(this);
    Caption->setTextFormat(Qt::PlainText);
    Place(Caption, 246, 8, 386, 17, kLeft | kTop | kRight);

    DiffView = new QTextEdit(this);
    DiffView->setReadOnly(true);
    DiffView->setAcceptRichText(false);
    DiffView->setLineWrapMode(QTextEdit::WidgetWidth);
    Place(DiffView, 246, 28, 386, 352, kAllSides);

    SideBySide = new QWidget(this);
    auto* sides = new QHBoxLayout(SideBySide);
    sides->setContentsMargins(0, 0, 0, 0);
    OldView = ReadOnlyText(SideBySide);
    NewView = ReadOnlyText(SideBySide);
    sides->addWidget(OldView);
    sides->addWidget(NewView);
    Place(SideBySide, 246, 28, 386, 352, kAllSides);
    SideBySide->hide();

    RestoreButton = new QPushButton(ToQt(Ui::tr("恢复此版本")), this);
    RestoreButton->setAutoDefault(false);
    Place(RestoreButton, 476, 388, 82, 25, kRight | kBottom);
    connect(RestoreButton, &QPushButton::clicked, this, &HistoryDialog::RestoreClick);
    CloseButton = new QPushButton(ToQt(Ui::tr("关 闭")), this);
    CloseButton->setAutoDefault(false);
    Place(CloseButton, 557, 388, 75, 25, kRight | kBottom);
    connect(CloseButton, &QPushButton::clicked, this, &QDialog::reject);

    connect(Versions, &QListWidget::currentRowChanged, this, &HistoryDialog::ShowSelected);
    Versions->setCurrentRow(versions_.empty() ? 0 : 1);
    ShowSelected();
    NameForReaders(*this);
}

const RecordVersion& HistoryDialog::VersionInRow(int row) const {
    return row <= 0 ? current_ : versions_.at(static_cast<size_t>(row - 1));
}

void HistoryDialog::showEvent(QShowEvent* event) {
    if (!event->spontaneous()) CentreOverMainWindow(true);
    FormDialog::showEvent(event);
}

void HistoryDialog::ShowSelected() {
    const int row = Versions->currentRow();
    RestoreButton->setEnabled(row > 0);
    const RecordVersion& version = VersionInRow(row);
    size_t bytes = 0;
    for (const Field& field : FieldsOf(kind_)) {
        bytes += (version.*field.text).size() + (current_.*field.text).size();
    }
    bool compared = bytes <= kMaxComparedBytes;
    std::vector<LineDiff> diffs;
    for (const Field& field : FieldsOf(kind_)) {
        if (!compared) break;
        diffs.push_back(DiffTexts(version.*field.text, current_.*field.text));
        compared = diffs.back().compared;
    }
    DiffView->setVisible(compared);
    SideBySide->setVisible(!compared);
    if (row <= 0) {
        Caption->setText(ToQt(Ui::tr("当前保存的内容")));
    } else if (compared) {
        Caption->setText(ToQt(Ui::tr("所选版本（-）改为当前内容（+）：")));
    } else {
        Caption->setText(ToQt(Ui::tr("内容太长，不逐行比较：左为所选版本，右为当前内容")));
    }
    if (!compared) {
        SetMemoText(*OldView, WholeText(kind_, version));
        SetMemoText(*NewView, WholeText(kind_, current_));
        return;
    }
    DiffView->clear();
    QTextCursor cursor(DiffView->document());
    const std::vector<Field> fields = FieldsOf(kind_);
    for (size_t i = 0; i < fields.size(); ++i) {
        AppendLine(cursor, QString(), fields[i].caption + ToQt(Ui::tr("：")), QColor(), true);
        AppendDiff(cursor, diffs[i], row > 0);
    }
    DiffView->moveCursor(QTextCursor::Start);
}

void HistoryDialog::RestoreClick() {
    const int row = Versions->currentRow();
    if (row <= 0 || !restore_) return;
    if (restore_(VersionInRow(row).versionId)) accept();
}

}  // namespace korvane
