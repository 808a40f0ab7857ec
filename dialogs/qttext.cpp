#include "dialogs/qttext.h"

#include <QDateTime>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextDocument>

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

std::string MemoText(const QPlainTextEdit& memo) {
    // The raw text keeps every typed character (toPlainText would turn
    // non-breaking spaces into blanks); blocks are separated by U+2029.
    QString text = memo.document()->toRawText();
    text.replace(QChar(QChar::ParagraphSeparator), QStringLiteral("\r\n"));
    text.replace(QChar(QChar::LineSeparator), QStringLiteral("\r\n"));
    return FromQt(text);
}

void SetMemoText(QPlainTextEdit& memo, const std::string& codePage) {
    memo.setPlainText(WithLfBreaks(ToQt(codePage)));
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
