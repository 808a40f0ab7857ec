#include "browser/pagedom.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPointer>
#include <QVariant>
#include <QWebEnginePage>
#include <QWebEngineScript>

#include "platform/codepage.h"

namespace korvane {
namespace {

// A world of the program's own: the DOM is shared, the page's globals are not.
constexpr quint32 kDomWorld = QWebEngineScript::ApplicationWorld;

void Report(const std::function<void(bool)>& done, bool found) {
    if (done) done(found);
}

// The document as JSON text that is safe anywhere in a script. JSON leaves
// U+2028 and U+2029 raw, which older script parsers take for line ends, and
// "</" would end an inline script block if the text were ever placed in one.
QString ScriptJson(const QJsonDocument& document) {
    QString json = QString::fromUtf8(document.toJson(QJsonDocument::Compact));
    json.replace(QChar(0x2028), QStringLiteral("\\u2028"));
    json.replace(QChar(0x2029), QStringLiteral("\\u2029"));
    json.replace(QStringLiteral("</"), QStringLiteral("<\\/"));
    return json;
}

}  // namespace

QString JsStringLiteral(const QString& text) {
    // A one-element JSON array gives a correctly escaped string; strip the brackets.
    const QString json = ScriptJson(QJsonDocument(QJsonArray{text}));
    return json.mid(1, json.size() - 2);
}

void SetInnerHtmlById(QWebEnginePage* page, const QString& id, const QString& html,
                      std::function<void(bool found)> done) {
    if (!page) return Report(done, false);
    const QString script =
        QStringLiteral(
            "(function (id, html) { var e = document.getElementById(id); if (!e) return false;"
            " e.innerHTML = html; return true; })(%1, %2)")
            .arg(JsStringLiteral(id), JsStringLiteral(html));
    page->runJavaScript(script, kDomWorld,
                        [done](const QVariant& result) { Report(done, result.toBool()); });
}

void FillElementById(QWebEnginePage* page, const QString& id, std::function<QString()> html,
                     std::function<void(bool found)> done) {
    if (!page) return Report(done, false);
    const QString lookup =
        QStringLiteral("document.getElementById(%1) !== null").arg(JsStringLiteral(id));
    QPointer<QWebEnginePage> target(page);
    page->runJavaScript(lookup, kDomWorld, [target, id, html, done](const QVariant& found) {
        if (!target || !found.toBool()) return Report(done, false);
        SetInnerHtmlById(target, id, html(), done);
    });
}

QString PageListJson(const PageList& list) {
    QJsonArray boxes;
    for (const std::string& box : list.boxes) {
        boxes.append(QString::fromUtf8(platform::FromCodePage(box)));
    }
    const QJsonObject object{
        {QStringLiteral("mode"), list.mode},
        {QStringLiteral("kind"), list.kind},
        {QStringLiteral("total"), list.total},
        {QStringLiteral("first"), list.first},
        {QStringLiteral("serial"), list.serial},
        {QStringLiteral("header"), QString::fromUtf8(platform::FromCodePage(list.header))},
        {QStringLiteral("boxes"), boxes},
    };
    return ScriptJson(QJsonDocument(object));
}

void FillListWindow(QWebEnginePage* page, std::function<PageList()> read,
                    std::function<void(bool found)> done) {
    if (!page) return Report(done, false);
    // One crossing: the answer goes with the script that looks the element
    // up, and is taken only when the page has it. The page's own script
    // places the records, so this runs in its world. The answer travels as
    // one string literal that JSON.parse reads: as an object literal the
    // engine would compile a script of some hundred kilobytes for every
    // window, and the garbage of that made pauses of a fifth of a second
    // while scrolling.
    const QString script =
        QStringLiteral(
            "(function (answer) { var e = document.getElementById(%1); if (!e) return false;"
            " if (typeof KvList === 'function') KvList(answer);"
            " else e.innerHTML = answer.header + answer.boxes.join(''); return true; })"
            "(JSON.parse(%2))")
            .arg(JsStringLiteral(QString::fromLatin1(kListElementId)),
                 JsStringLiteral(PageListJson(read())));
    page->runJavaScript(script, QWebEngineScript::MainWorld,
                        [done](const QVariant& result) { Report(done, result.toBool()); });
}

void FillListElement(QWebEnginePage* page, std::function<std::string()> renderList,
                     std::function<void(bool found)> done) {
    FillElementById(
        page, QString::fromLatin1(kListElementId),
        [renderList] { return QString::fromUtf8(platform::FromCodePage(renderList())); },
        std::move(done));
}

}  // namespace korvane
