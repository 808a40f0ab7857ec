// Runs sync passes off the interface thread: the network on a worker thread
// of its own, every use of the notebook store handed back to the thread the
// runner lives on (the store has one connection, used from there).
#pragma once

#include <QObject>
#include <QString>
#include <memory>

#include "logic/syncengine.h"
#include "logic/syncsettings.h"

namespace korvane {

class SyncRunner : public QObject {
    Q_OBJECT
  public:
    explicit SyncRunner(QObject* parent = nullptr);
    ~SyncRunner() override;

    // Starts a pass with these settings and password unless one is running;
    // false then (the caller may try again after Finished).
    bool Start(const SyncSettings& settings, const QString& password,
               const SyncOptions& options = {});
    bool Running() const;
    // Asks a running pass to stop at its next step.
    void Cancel();

  signals:
    void Finished(const korvane::SyncReport& report);

  private:
    struct Pass;
    std::unique_ptr<Pass> pass_;
};

}  // namespace korvane
