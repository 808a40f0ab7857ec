// Opens the notebook at the main window's first show, tells the user of a
// damaged file that was kept aside (offering the newest good backup), and
// runs the day's backup off the user-interface thread.
#pragma once

#include <QObject>
#include <functional>
#include <future>

#include "store/dailybackup.h"

namespace korvane {

class NotebookStart : public QObject {
  public:
    // `relist` shows the list again after a backup was restored.
    NotebookStart(QObject* parent, std::function<void()> relist);

    // Does its work once; later calls do nothing.
    void Open();

  private:
    void OfferNewestBackup();
    void StartDailyBackup();

    std::function<void()> relist_;
    bool opened_ = false;
    std::future<DailyBackup::Outcome> backupRun_;  // waited for when the window goes
};

}  // namespace korvane
