#include "browser/attach.h"

namespace korvane {

TExternalContainer* AttachBrowserHost(QWebEngineView* body, DispatchHost& host,
                                      TMyExternal::DoExHandler doEx) {
    auto* container = new TExternalContainer(body);
    container->SetCommandFilter(&IsCommandUrl);
    container->SetCommandHandler([&host](const std::string& url) { RunCommand(url, host); });
    container->External()->SetDoEx(std::move(doEx));
    return container;
}

}  // namespace korvane
