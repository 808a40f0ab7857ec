// What the start offers to put back after it found the notebook missing,
// damaged or never written to, or found a copy a kill left on its way in.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "store/dailybackup.h"

namespace korvane {

struct RestoreOffer {
    enum class Source { Backup, KeptAside };
    Source source = Source::Backup;
    std::string path;  // code page
    int64_t records = 0;
    std::string date;  // YYYY-MM-DD: the backup's day, or when the kept file was last written
    int64_t workingRecords = 0;
};

// After OpenNotebook: the file to offer, or nothing. When the working
// notebook was missing or damaged at this start, or never held a record (so
// also at the start after one whose offer was never answered), the newest
// whole backup that holds records is offered, or a whole file kept aside
// beside the notebook (damaged-, replaced-, unfinished-) when it was written
// after that backup and keeps more, or as much and is newer;
// otherwise only a copy this start kept aside as unfinished. Records are
// counted with those in the file's trash (NotebookFacts::Kept), so a file
// whose records were deleted or edited since is not passed over for an older
// one of the same count. Whatever is offered holds records, keeps more than
// the working notebook and has the notebook's table.
std::optional<RestoreOffer> FindRestoreOffer(const DailyBackup& backups);

}  // namespace korvane
