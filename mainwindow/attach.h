// The browser host wired to the main window in one step.
#pragma once

#include "browser/externalcontainer.h"
#include "logic/dispatch.h"

namespace korvane {

// Creates the host for `body`: main-frame navigations that IsCommandUrl names
// are cancelled and handed to `onCommand` from the event loop, never inside
// the engine's callback; every MyDoEx call of the page goes to `doEx`. The
// container is a child of `body`. The caller gives it the program's page with
// SetHomeUrl, which keeps the view on that page.
TExternalContainer* AttachBrowserHost(QWebEngineView* body, TBodyPage::CommandHandler onCommand,
                                      TMyExternal::DoExHandler doEx);

}  // namespace korvane
