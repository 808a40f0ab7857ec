#include "render/trashpage.h"

#include <algorithm>

#include "platform/codepage.h"
#include "platform/uitext.h"
#include "render/recordbox.h"
#include "store/keeping.h"
#include "store/notebook.h"

namespace korvane {
namespace {

void FillTrash(ListWindow& window, int count) {
    const TrashWindow read = ReadTrashWindow(window.first, count);
    window.total = static_cast<int>(std::min<int64_t>(read.total, INT32_MAX));
    window.header = TrashHeader(read.total);
    window.boxes.reserve(read.rows.size());
    for (size_t i = 0; i < read.rows.size(); ++i) {
        const TrashedRecord& record = read.rows[i];
        const int kind = StateOf(record.kind);
        window.boxes.push_back(TrashBox(kind, ShowRecord(kind, record.row), record.trashId,
                                        window.first + static_cast<int>(i) + 1, KindBadge(kind)));
    }
}

}  // namespace

std::string TrashHeader(int64_t count) {
    static const std::string empty = Ui::tr("回收站是空的");
    static const std::string button = "<span class=\"New\"><input type=\"Button\" value=\"" +
                                      Ui::tr("清空回收站") +
                                      "\" class=\"BTN\" data-empty=\"1\"></span>";
    static const std::string total = Ui::tr("回收站 共%1项");
    if (count <= 0) return empty;
    return button + "<span class=\"TlNo\">" + UiArgs(total, {std::to_string(count)}) + "</span>";
}

ListWindow BuildTrashWindow(int first, int count) {
    return BuildWindow(kTrashKind, first, count, [count](ListWindow& window) {
        return UseNotebook([&window, count] { FillTrash(window, count); });
    });
}

}  // namespace korvane
