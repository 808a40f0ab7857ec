#include "mainwindow/listanswer.h"

#include <utility>

#include "render/finder.h"
#include "render/listpage.h"
#include "render/trashpage.h"

namespace korvane {

static_assert(kFoundInListKind == kFoundKind, "the page knows results by one kind number");
static_assert(kTrashListKind == kTrashKind, "the page knows the trash by one kind number");
static_assert(kFoundInTrashKind == kTrashFoundKind, "the page knows results by one kind number");

namespace {

ListWindow ReadWindow(const ListRequest& request, FindIndex& finder) {
    switch (request.kind) {
        case kFoundInListKind:
            return BuildFoundWindow(finder, request.query, request.first, request.count);
        case kTrashListKind:
            return BuildTrashWindow(request.first, request.count);
        case kFoundInTrashKind:
            return BuildFoundInTrashWindow(request.query, request.first, request.count);
        default:
            return BuildListWindow(request.kind, request.first, request.count);
    }
}

}  // namespace

PageList ListAnswer(const ListRequest& request, FindIndex& finder) {
    static const QString modes[] = {QStringLiteral("show"), QStringLiteral("refresh"),
                                    QStringLiteral("window"), QStringLiteral("saved")};
    ListWindow window = ReadWindow(request, finder);
    return PageList{modes[static_cast<int>(request.mode)],
                    window.kind,
                    window.total,
                    window.first,
                    request.serial,
                    std::move(window.header),
                    std::move(window.boxes)};
}

}  // namespace korvane
