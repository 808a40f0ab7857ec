#include "mainwindow/attach.h"

namespace korvane {

TExternalContainer* AttachBrowserHost(QWebEngineView* body, TBodyPage::CommandHandler onCommand,
                                      TMyExternal::DoExHandler doEx) {
    auto* container = new TExternalContainer(body);
    container->SetCommandFilter(&IsCommandUrl);
    container->SetCommandHandler(std::move(onCommand));
    container->External()->SetDoEx(std::move(doEx));
    return container;
}

}  // namespace korvane
