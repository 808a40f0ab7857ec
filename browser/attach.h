// The browser host wired to the main window in one step.
#pragma once

#include "app/dispatch.h"
#include "browser/externalcontainer.h"

namespace korvane {

// Creates the host for `body`: navigations that IsCommandUrl names are
// cancelled and carried out by RunCommand on `host` from the event loop, and
// every MyDoEx call of the page goes to `doEx`. `host` must outlive the view.
// The container is a child of `body`.
TExternalContainer* AttachBrowserHost(QWebEngineView* body, DispatchHost& host,
                                      TMyExternal::DoExHandler doEx);

}  // namespace korvane
