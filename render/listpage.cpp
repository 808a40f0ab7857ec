#include "render/listpage.h"

#include <algorithm>
#include <cstdint>
#include <exception>

#include "base/log.h"
#include "platform/codepage.h"
#include "render/recordbox.h"
#include "store/listrows.h"
#include "store/notebook.h"
#include "store/sqlitelayer.h"

namespace korvane {
namespace {

const std::string& QueryFailed() {
    static const std::string text = Cp("无法完成！请与软件商联系！");
    return text;
}

// Everything after the database is open; failures throw.
std::string BuildList(int kind) {
    if (!Database()->HasTable("mylist")) return texts::DatabaseBroken();
    const std::vector<ListRow> rows = ReadList(kind);
    std::string out = ListHeader(kind, static_cast<int64_t>(rows.size()), BoxForm::kReference);
    for (size_t i = 0; i < rows.size(); ++i)
        out += RecordBox(kind, rows[i], static_cast<int>(i) + 1, BoxForm::kReference);
    return out;
}

void FillWindow(ListWindow& window, int count) {
    if (!Database()->HasTable("mylist")) {
        window.header = texts::DatabaseBroken();
        return;
    }
    ListHeader(window.kind, 0);  // refuses an unknown kind before any read
    const ListRows read = ReadListWindow(window.kind, window.first, count);
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

}  // namespace

std::string BuildListPage(int kind) {
    try {
        std::string opened = OpenDatabase();
        if (opened != texts::kOpen) return opened;
        return BuildList(kind);
    } catch (const std::exception& e) {
        return FailureText(e.what());
    } catch (...) {
        return FailureText("unknown failure");
    }
}

ListWindow BuildListWindow(int kind, int first, int count) {
    return BuildWindow(kind, first, count,
                       [count](ListWindow& window) { FillWindow(window, count); });
}

ListWindow BuildWindow(int kind, int first, int count,
                       const std::function<void(ListWindow&)>& fill) {
    ListWindow window;
    window.kind = kind;
    window.first = first;
    try {
        if (first < 0 || count < 0 || count > kMaxWindowRecords) {
            window.header = QueryFailed();
            return window;
        }
        std::string opened = OpenDatabase();
        if (opened != texts::kOpen) {
            window.header = std::move(opened);
            return window;
        }
        fill(window);
        return window;
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
