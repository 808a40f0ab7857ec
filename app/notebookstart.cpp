#include "app/notebookstart.h"

#include <QTimer>
#include <chrono>
#include <optional>

#include "dialogs/fsms.h"
#include "platform/codepage.h"
#include "store/dbfunc.h"

namespace korvane {

NotebookStart::NotebookStart(QObject* parent, std::function<void()> relist)
    : QObject(parent), relist_(std::move(relist)) {}

void NotebookStart::Open() {
    if (opened_) return;
    opened_ = true;
    OpenDatabase();
    if (OpenNotice().empty()) {
        StartDailyBackup();
        return;
    }
    // A damaged notebook was kept aside and a fresh one made. Once the window
    // is up the user is told where the old file is and offered the newest good
    // backup. The day's backup waits for that answer, so it never copies the
    // fresh notebook over the day's good one.
    QTimer::singleShot(0, this, [this] {
        OfferNewestBackup();
        StartDailyBackup();
    });
}

void NotebookStart::OfferNewestBackup() {
    const std::string notice = OpenNotice();
    // Only a damaged notebook replaced by a fresh one calls for a backup.
    const std::optional<std::string> backup =
        OpenKeptDamagedAside() ? DailyBackup::ForNotebook().NewestGood() : std::nullopt;
    if (!backup) {
        ShowMsgBox(notice, false, 1);
        return;
    }
    static const std::string question = Cp("\r\n\r\n是否用最近的备份恢复记事本？\r\n");
    if (!ShowMsgBox(notice + question + *backup, true, 1)) return;
    const std::string restored = RestoreFromBackup(*backup);
    if (restored != texts::kOpen) ShowMsgBox(restored, false, 1);
    relist_();  // the list shows the restored notebook
}

void NotebookStart::StartDailyBackup() {
    backupRun_ = DailyBackup::ForNotebook().RunInBackground(std::chrono::system_clock::now());
}

}  // namespace korvane
