// The browser host with the script object: window.external.MyDoEx in the top
// frame of every page the view loads, present before the page's scripts run.
// The web channel behind it belongs to the program's isolated script world.
#pragma once

#include "browser/myexternal.h"
#include "browser/nulcontainer.h"

class QWebChannel;

namespace korvane {

class TExternalContainer : public TNulWBContainer {
    Q_OBJECT
  public:
    explicit TExternalContainer(QWebEngineView* body);
    ~TExternalContainer() override;

    TMyExternal* External() const { return external_; }

  private:
    TMyExternal* external_;
    QWebChannel* channel_;
};

}  // namespace korvane
