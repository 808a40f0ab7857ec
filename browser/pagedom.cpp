#include "browser/pagedom.h"

#include <QJsonArray>
#include <QJsonDocument>
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

}  // namespace

QString JsStringLiteral(const QString& text) {
    // A one-element JSON array gives a correctly escaped string; strip the brackets.
    QString json =
        QString::fromUtf8(QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact));
    json = json.mid(1, json.size() - 2);
    // JSON leaves these raw; older script parsers take them for line ends, and
    // "</" would end an inline script block if the text were ever placed in one.
    json.replace(QChar(0x2028), QStringLiteral("\\u2028"));
    json.replace(QChar(0x2029), QStringLiteral("\\u2029"));
    json.replace(QStringLiteral("</"), QStringLiteral("<\\/"));
    return json;
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

void FillListElement(QWebEnginePage* page, std::function<std::string()> renderList,
                     std::function<void(bool found)> done) {
    FillElementById(
        page, QString::fromLatin1(kListElementId),
        [renderList] { return QString::fromUtf8(platform::FromCodePage(renderList())); },
        std::move(done));
}

}  // namespace korvane
