#include "dialogs/qttext.h"

#include <QDateTime>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QStringList>
#include <QTextBlock>
#include <QTextDocument>
#include <algorithm>
#include <vector>

#include "platform/codepage.h"

namespace korvane {

QString ToQt(const std::string& codePage) {
    return QString::fromStdString(platform::FromCodePage(codePage));
}

std::string FromQt(const QString& text) {
    return platform::ToCodePage(text.toStdString());
}

QString WithLfBreaks(const QString& text) {
    QString result = text;
    result.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    result.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return result;
}

namespace {

// A line longer than this is shown as several blocks of the editor: an edit
// lays out its own block only, never a line of megabytes. The separators
// between those blocks are no line breaks of the text; LineJoins keeps their
// positions through every change, and reading the text back joins the blocks
// there again. Undo is switched off for such a text, because an undone
// deletion comes back as new text and its separators would become breaks.
constexpr int kLongLine = 2000;

class LineJoins : public QObject {
  public:
    LineJoins(QTextDocument* document, std::vector<int> separators)
        : QObject(document), separators_(std::move(separators)) {
        setObjectName(kName);
        connect(document, &QTextDocument::contentsChange, this, &LineJoins::Follow);
    }

    // The document's joins, or null when it holds no long line.
    static LineJoins* Of(const QTextDocument* document) {
        return static_cast<LineJoins*>(
            document->findChild<QObject*>(kName, Qt::FindDirectChildrenOnly));
    }

    // True when the separator at `position` only splits a long line.
    bool Joins(int position) const {
        return std::binary_search(separators_.begin(), separators_.end(), position);
    }

  private:
    // Separators inside the replaced text are gone; the ones after it move.
    void Follow(int position, int removed, int added) {
        const auto first = std::lower_bound(separators_.begin(), separators_.end(), position);
        const auto last = std::lower_bound(first, separators_.end(), position + removed);
        const auto rest = separators_.erase(first, last);
        for (auto it = rest; it != separators_.end(); ++it) *it += added - removed;
    }

    static inline const QString kName = QStringLiteral("korvane-line-joins");
    std::vector<int> separators_;
};

// Where to cut a long line at or before `limit`: after a blank near the limit
// when there is one, and never between the halves of a surrogate pair.
qsizetype CutAt(const QString& line, qsizetype from, qsizetype limit) {
    const qsizetype blank = line.lastIndexOf(QLatin1Char(' '), from + limit - 1);
    if (blank >= from + limit - 200) return blank + 1;
    qsizetype cut = from + limit;
    if (line.at(cut - 1).isHighSurrogate()) --cut;
    return cut;
}

}  // namespace

std::string MemoText(const QPlainTextEdit& memo) {
    // The blocks' raw text keeps every typed character (toPlainText would
    // turn non-breaking spaces into blanks).
    const QTextDocument* document = memo.document();
    const LineJoins* joins = LineJoins::Of(document);
    QString text;
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
        if (block != document->begin() && !(joins && joins->Joins(block.position() - 1)))
            text += QStringLiteral("\r\n");
        text += block.text();
    }
    text.replace(QChar(QChar::LineSeparator), QStringLiteral("\r\n"));
    return FromQt(text);
}

void SetMemoText(QPlainTextEdit& memo, const std::string& codePage) {
    QTextDocument* document = memo.document();
    delete LineJoins::Of(document);
    QString text;
    std::vector<int> joins;  // positions of the separators that split long lines
    const QStringList lines = WithLfBreaks(ToQt(codePage)).split(QLatin1Char('\n'));
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString& line = lines[i];
        if (i > 0) text += QLatin1Char('\n');
        qsizetype from = 0;
        while (line.size() - from > kLongLine) {
            const qsizetype cut = CutAt(line, from, kLongLine);
            text += QStringView(line).mid(from, cut - from);
            joins.push_back(static_cast<int>(text.size()));
            text += QLatin1Char('\n');
            from = cut;
        }
        text += QStringView(line).mid(from);
    }
    memo.setUndoRedoEnabled(joins.empty());
    memo.setPlainText(text);
    if (!joins.empty()) new LineJoins(document, std::move(joins));
}

std::string EditText(const QLineEdit& edit) {
    return FromQt(edit.text());
}

void SetEditText(QLineEdit& edit, const std::string& codePage) {
    edit.setText(ToQt(codePage));
    edit.setCursorPosition(0);
}

std::string NowText() {
    return FromQt(QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")));
}

}  // namespace korvane
