// What the store did or found at the start, in the user's words (code page):
// the open's findings, a restore's failure, the day's backup that could not
// be written, the notebook taken over from beside the program. Each says
// what happened, where (the path) and what was kept.
#pragma once

#include <chrono>
#include <string>

#include "store/dailybackup.h"
#include "store/notebook.h"
#include "store/portablecopy.h"

namespace korvane {

// What an open did or found that the user should hear about (a damaged
// notebook kept aside and a fresh one made, triggers or views that will not
// run, a notebook opened read-only), one paragraph each; empty when nothing.
// `notebook` is the notebook's path.
std::string OpenNotice(const OpenFindings& findings, const std::string& notebook);
// The same for the last open.
std::string OpenNotice();

// What a restore came to: "1" when the restored notebook is open, the
// notebook's status text when it did not open, the notice of what failed
// otherwise, and "stopped" for a restore told to stop early.
std::string RestoreText(const RestoreResult& result);
inline constexpr const char* kStoppedEarly = "stopped";

// What the user is told of an outcome of `backup`'s Run(now): what failed,
// where, and that the notebook itself is unharmed; empty for the outcomes
// that need no word.
std::string BackupNotice(const DailyBackup& backup, DailyBackup::Outcome outcome,
                         std::chrono::system_clock::time_point now);

// Where the notes were, where the program keeps its data now and what was
// done (copied, or why not, and that the notes beside the program are
// untouched); empty when there was nothing to do.
std::string TakeOverNotice(const TakeOver& takeOver);

}  // namespace korvane
