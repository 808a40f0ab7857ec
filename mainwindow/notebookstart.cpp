#include "mainwindow/notebookstart.h"

#include <optional>
#include <utility>

#include "dialogs/messagebox.h"
#include "mainwindow/windowlog.h"
#include "platform/codepage.h"
#include "platform/uitext.h"
#include "render/notices.h"
#include "render/storetexts.h"
#include "store/keeping.h"
#include "store/notebook.h"
#include "store/restoreoffer.h"

namespace korvane {

namespace {

constexpr std::chrono::milliseconds kBackupPoll{500};

std::string WhatWasFound(const RestoreOffer& offer, const OpenFindings& findings,
                         const std::string& notebook, const std::string& notice) {
    switch (findings.working) {
        case OpenFindings::Working::Missing:
            return Ui::tr("找不到记事本 ") + notebook + Ui::tr("，已新建了一个空记事本。");
        case OpenFindings::Working::Damaged:
            return notice;
        case OpenFindings::Working::Whole:
            break;
    }
    // What else the open found (a notebook only read, triggers that do not
    // run) comes first.
    const std::string before = notice.empty() ? std::string() : notice + "\r\n\r\n";
    if (!findings.unfinished.empty()) {
        return before +
               Ui::tr("上次写回或恢复记事本时程序被中断，未完成的副本已另存，没有删除。记事本 ") +
               notebook + Ui::tr(" 现有 ") + std::to_string(offer.workingRecords) +
               Ui::tr(" 条记录。");
    }
    return before + Ui::tr("记事本 ") + notebook + Ui::tr(" 中没有任何记录。");
}

}  // namespace

std::string RestoreQuestion(const RestoreOffer& offer, const OpenFindings& findings,
                            const std::string& notebook, const std::string& notice) {
    const std::string what =
        offer.source == RestoreOffer::Source::Backup ? Ui::tr("备份") : Ui::tr("另存的文件");
    return WhatWasFound(offer, findings, notebook, notice) + "\r\n\r\n" + Ui::tr("是否从 ") +
           std::to_string(offer.records) + Ui::tr(" 条记录的") + what + Ui::tr("（") + offer.date +
           Ui::tr("）恢复？") + "\r\n" + offer.path;
}

NotebookStart::NotebookStart(QObject* parent, Tsmsf& messages, std::function<void()> relist,
                             Clock clock)
    : QObject(parent), messages_(messages), relist_(std::move(relist)), clock_(std::move(clock)) {
    backupWatch_.setInterval(kBackupPoll);
    connect(&backupWatch_, &QTimer::timeout, this, [this] { TellBackupOutcome(); });
}

void NotebookStart::Open() {
    if (opened_) return;
    opened_ = true;
    OpenDatabase();
    // Once the window is up the user hears what was found and is offered what
    // can be put back. The day's backup waits for that answer, so it never
    // copies an empty notebook beside the day's good one.
    QTimer::singleShot(0, this, [this] {
        OfferRestore();
        KeepUpkeep();
        StartDailyBackup();
        if (ready_) std::exchange(ready_, {})();
    });
}

// On the notebook the user keeps (after any restore): trash copies past
// their time go and the history is held to its bound, before the day's
// backup copies it. Either is a look at one table when there is nothing to
// do; a failure leaves everything as it was and is only logged.
void NotebookStart::KeepUpkeep() {
    const int64_t now =
        std::chrono::duration_cast<std::chrono::seconds>(clock_().time_since_epoch()).count();
    for (const StoreResult& result : {PurgeOldTrash(now), BoundHistory()}) {
        if (!result.Ok()) {
            qCWarning(lcWindow) << "the trash or history was not tidied:"
                                << static_cast<int>(result.status) << result.detail.c_str();
        }
    }
}

void NotebookStart::OfferRestore() {
    const std::string notice = OpenNotice();
    const std::optional<RestoreOffer> offer = FindRestoreOffer(DailyBackup::ForNotebook());
    if (!offer) {
        if (!notice.empty()) ShowMsgBox(messages_, notice, false, 1);
        return;
    }
    const std::string question =
        RestoreQuestion(*offer, LastOpenFindings(), NotebookPath(), notice);
    if (!ShowMsgBox(messages_, question, true, 1)) return;
    const std::string restored = RestoreText(RestoreFromBackup(offer->path));
    if (restored != texts::kOpen) ShowMsgBox(messages_, restored, false, 1);
    relist_();  // the list shows the restored notebook
}

void NotebookStart::StartDailyBackup() {
    backupStarted_ = clock_();
    backupRun_ = DailyBackup::ForNotebook().RunInBackground(backupStarted_);
    backupWatch_.start();
}

// Once the day's backup has ended: a failure is told once, with where and
// that the notebook is unharmed.
void NotebookStart::TellBackupOutcome() {
    if (!backupRun_.valid() ||
        backupRun_.wait_for(std::chrono::seconds(0)) != std::future_status::ready)
        return;
    backupWatch_.stop();
    const DailyBackup::Outcome outcome = backupRun_.get();
    const std::string notice = BackupNotice(DailyBackup::ForNotebook(), outcome, backupStarted_);
    if (!notice.empty()) ShowMsgBox(messages_, notice, false, 1);
}

}  // namespace korvane
