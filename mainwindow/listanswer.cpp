#include "mainwindow/listanswer.h"

#include <utility>

#include "render/finder.h"
#include "render/listpage.h"

namespace korvane {

static_assert(kFoundInListKind == kFoundKind, "the page knows results by one kind number");

PageList ListAnswer(const ListRequest& request, FindIndex& finder) {
    static const QString modes[] = {QStringLiteral("show"), QStringLiteral("refresh"),
                                    QStringLiteral("window")};
    ListWindow window = request.kind == kFoundInListKind
                            ? BuildFoundWindow(finder, request.query, request.first, request.count)
                            : BuildListWindow(request.kind, request.first, request.count);
    return PageList{modes[static_cast<int>(request.mode)],
                    window.kind,
                    window.total,
                    window.first,
                    request.serial,
                    std::move(window.header),
                    std::move(window.boxes)};
}

}  // namespace korvane
