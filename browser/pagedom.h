// Writing HTML into elements of the page shown.
//
// The HTML travels to the page as a JSON string literal inside the script, so
// no text can end the literal or the script early, and the script runs in a
// world of its own, where the page's script cannot have replaced the DOM
// functions it uses. All of it is asynchronous: `done` is called once the page
// has answered (not at all if the page goes away first).
#pragma once

#include <QString>
#include <functional>
#include <string>
#include <vector>

class QWebEnginePage;

namespace korvane {

// The element the program writes each rendered list into.
inline constexpr const char* kListElementId = "MyWinS";

// `text` as a JavaScript string literal that is safe anywhere in a script.
QString JsStringLiteral(const QString& text);

// Sets the inner HTML of the first element with id `id`; `done` gets whether
// there was one.
void SetInnerHtmlById(QWebEnginePage* page, const QString& id, const QString& html,
                      std::function<void(bool found)> done = {});

// Looks the element up first and asks `html` for the markup only when it
// exists, then writes it as SetInnerHtmlById does.
void FillElementById(QWebEnginePage* page, const QString& id, std::function<QString()> html,
                     std::function<void(bool found)> done = {});

// One answer to the page's list: the mode the page takes it in ("show",
// "refresh", "window" or "saved"), the list's numbers and its code-page (GBK) markup.
struct PageList {
    QString mode;
    int kind = 0;
    int total = 0;
    int first = 0;
    int serial = 0;
    std::string header;
    std::vector<std::string> boxes;
};

// The answer as the argument of the page's KvList(): a JSON object whose texts
// are safe anywhere in a script.
QString PageListJson(const PageList& list);

// Reads the answer with `read` and hands it to the page's KvList() in one
// script, which takes it only when the page has the list element. A page
// without KvList() gets the header and the boxes as the element's inner HTML.
void FillListWindow(QWebEnginePage* page, std::function<PageList()> read,
                    std::function<void(bool found)> done = {});

// The list element filled with code-page (GBK) markup from `renderList`, which
// is called only when the page has the element.
void FillListElement(QWebEnginePage* page, std::function<std::string()> renderList,
                     std::function<void(bool found)> done = {});

}  // namespace korvane
