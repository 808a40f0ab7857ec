#include "render/listpage.h"

#include <algorithm>
#include <cstdint>
#include <exception>

#include "base/log.h"
#include "platform/codepage.h"
#include "platform/uitext.h"
#include "render/recordbox.h"
#include "render/storetexts.h"
#include "store/listrows.h"
#include "store/notebook.h"

namespace korvane {
namespace {

const std::string& QueryFailed() {
    static const std::string text = Ui::tr("无法完成！请与软件商联系！");
    return text;
}

// The kind of a list the page numbers; another number throws, before any read.
RecordKind ListKind(int kind) {
    ListHeader(kind, 0);  // refuses an unknown kind with the header's own failure
    return RecordKindOf(kind).value();
}

// Everything after the notebook is open; failures throw.
std::string BuildList(int kind) {
    const std::vector<ListRow> rows = ReadList(ListKind(kind));
    std::string out = ListHeader(kind, static_cast<int64_t>(rows.size()), BoxForm::kReference);
    for (size_t i = 0; i < rows.size(); ++i)
        out += RecordBox(kind, rows[i], static_cast<int>(i) + 1, BoxForm::kReference);
    return out;
}

void FillWindow(ListWindow& window, int count) {
    const ListRows read = ReadListWindow(ListKind(window.kind), window.first, count);
    window.total = static_cast<int>(std::min<int64_t>(read.total, INT32_MAX));
    window.header = ListHeader(window.kind, read.total);
    window.boxes.reserve(read.rows.size());
    for (size_t i = 0; i < read.rows.size(); ++i)
        window.boxes.push_back(
            RecordBox(window.kind, read.rows[i], window.first + static_cast<int>(i) + 1));
}

// The text for a failure that leaves no list; out of memory even for the
// message gives an empty text.
std::string FailureText(const char* what) noexcept {
    try {
        log::Warn(log::Area::Render, std::string("list not built: ") + what);
        return QueryFailed();
    } catch (...) {
        return std::string();
    }
}

// What takes a list's place when the store could not read it: why the
// notebook is missing, unreadable or broken in the store's words, any other
// failure as a list that could not be built.
std::string NoListText(const StoreResult& result) noexcept {
    try {
        if (result.status == StoreStatus::Failed) return FailureText(result.detail.c_str());
        return StatusText(result);
    } catch (...) {
        return std::string();
    }
}

}  // namespace

std::string BuildListPage(int kind) {
    std::string out;
    const StoreResult read = UseNotebook([&] { out = BuildList(kind); });
    return read.Ok() ? out : NoListText(read);
}

ListWindow BuildListWindow(int kind, int first, int count) {
    return BuildWindow(kind, first, count, [count](ListWindow& window) {
        return UseNotebook([&window, count] { FillWindow(window, count); });
    });
}

ListWindow BuildWindow(int kind, int first, int count,
                       const std::function<StoreResult(ListWindow&)>& fill) {
    ListWindow window;
    window.kind = kind;
    window.first = first;
    try {
        if (first < 0 || count < 0 || count > kMaxWindowRecords) {
            window.header = QueryFailed();
            return window;
        }
        const StoreResult read = fill(window);
        if (read.Ok()) return window;
        window.header = NoListText(read);
    } catch (const std::exception& e) {
        window.header = FailureText(e.what());
    } catch (...) {
        window.header = FailureText("unknown failure");
    }
    window.total = 0;
    window.boxes.clear();
    return window;
}

}  // namespace korvane
