#include "app/listanswer.h"

#include <utility>

#include "render/listpage.h"

namespace korvane {

PageList ListAnswer(const ListRequest& request) {
    static const QString modes[] = {QStringLiteral("show"), QStringLiteral("refresh"),
                                    QStringLiteral("window")};
    ListWindow window = BuildListWindow(request.kind, request.first, request.count);
    return PageList{modes[static_cast<int>(request.mode)],
                    window.kind,
                    window.total,
                    window.first,
                    request.serial,
                    std::move(window.header),
                    std::move(window.boxes)};
}

}  // namespace korvane
