// Opens the notebook at the main window's first show, asks whether to put
// back a backup when the notebook was missing, damaged or never written to
// (or a copy a kill left half-way), then removes old trash and holds the
// history to its bound, runs the day's backup off the user-interface thread,
// and tells the user when the day's backup could not be written.
#pragma once

#include <QObject>
#include <QTimer>
#include <chrono>
#include <functional>
#include <future>

#include "store/dailybackup.h"

namespace korvane {

struct OpenFindings;
class Tsmsf;
struct RestoreOffer;

// The question the start asks before it puts `offer` in place of the notebook
// (code page): what was found, the file's record count, date and path.
std::string RestoreQuestion(const RestoreOffer& offer, const OpenFindings& findings,
                            const std::string& notebook, const std::string& notice);

class NotebookStart : public QObject {
  public:
    using Clock = std::function<std::chrono::system_clock::time_point()>;

    // `messages` asks the questions and tells the notices (the main
    // window's message box, which outlives this); `relist` shows the list
    // again after a backup was restored; `clock` gives the day of the backup
    // and the moment the trash's ages are counted from.
    NotebookStart(QObject* parent, Tsmsf& messages, std::function<void()> relist,
                  Clock clock = std::chrono::system_clock::now);

    // Does its work once; later calls do nothing.
    void Open();
    // `ready` runs once the notebook the user keeps is settled: opened, and
    // any restore offered at the start answered and carried out.
    void WhenReady(std::function<void()> ready) { ready_ = std::move(ready); }

  private:
    void OfferRestore();
    void KeepUpkeep();
    void StartDailyBackup();
    void TellBackupOutcome();

    Tsmsf& messages_;
    std::function<void()> relist_;
    std::function<void()> ready_;
    Clock clock_;
    bool opened_ = false;
    std::chrono::system_clock::time_point backupStarted_;
    std::future<DailyBackup::Outcome> backupRun_;  // waited for when the window goes
    QTimer backupWatch_;
};

}  // namespace korvane
