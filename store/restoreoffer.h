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
// beside the notebook (damaged-, replaced-, unfinished-) when it holds more
// and was written after that backup;
// otherwise only a copy this start kept aside as unfinished. Whatever is
// offered holds more records than the working notebook and has the
// notebook's table.
std::optional<RestoreOffer> FindRestoreOffer(const DailyBackup& backups);

}  // namespace korvane
