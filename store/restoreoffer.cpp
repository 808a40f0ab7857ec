#include "store/restoreoffer.h"

#include <array>
#include <limits>
#include <string_view>
#include <vector>

#include "platform/fileinfo.h"
#include "platform/files.h"
#include "store/notebook.h"
#include "store/notebookfile.h"

namespace korvane {

namespace {

constexpr std::array<std::string_view, 3> kKeptAside{".damaged-", ".replaced-", ".unfinished-"};

// A file kept aside, when it is a whole notebook last written no earlier
// than `since` (seconds since 1970): an older one is not offered over a
// backup written after it.
std::optional<RestoreOffer> KeptAsideOffer(const std::string& path, int64_t since) {
    const auto seconds = platform::ModifiedSeconds(path);
    if (!seconds || *seconds < since) return std::nullopt;
    const auto facts = ReadNotebookFacts(path, true);
    if (!facts) return std::nullopt;
    return RestoreOffer{RestoreOffer::Source::KeptAside, path, facts->records,
                        DayText(LocalDay(std::chrono::system_clock::from_time_t(*seconds))), 0};
}

// The files kept aside beside the working notebook.
std::vector<std::string> KeptAsideFiles(const std::string& working) {
    const size_t separator = platform::LastSeparator(working);
    const std::string folder = separator == std::string::npos ? "." : working.substr(0, separator);
    const std::string base = working.substr(separator == std::string::npos ? 0 : separator + 1);
    std::vector<std::string> files;
    for (const std::string& name : platform::FileNamesIn(folder)) {
        for (const std::string_view why : kKeptAside) {
            if (name.starts_with(base + std::string(why)) && !name.ends_with("-journal"))
                files.push_back(folder + platform::PathSeparator() + name);
        }
    }
    return files;
}

// Keeps `candidate` when it holds more than what is offered so far.
void Consider(std::optional<RestoreOffer>& best, std::optional<RestoreOffer> candidate) {
    if (candidate && (!best || candidate->records > best->records)) best = std::move(candidate);
}

// True when the open notebook was found whole, nothing was left unfinished
// and it holds records or did: the common start, answered without counting.
bool NothingToOffer(const OpenFindings& findings) {
    if (findings.working != OpenFindings::Working::Whole || !findings.unfinished.empty() ||
        Database() == nullptr)
        return false;
    try {
        return EverHeldRecord(*Database());
    } catch (const ESQLiteException&) {
        return false;
    }
}

}  // namespace

std::optional<RestoreOffer> FindRestoreOffer(const DailyBackup& backups) {
    const OpenFindings& findings = LastOpenFindings();
    if (NothingToOffer(findings)) return std::nullopt;
    const auto working = ReadNotebookFacts(NotebookPath(), false);
    const int64_t held = working ? working->records : 0;
    const bool emptied =
        findings.working != OpenFindings::Working::Whole || !working || !working->everHeldRecord;
    std::optional<RestoreOffer> best;
    if (emptied) {
        int64_t backupWritten = std::numeric_limits<int64_t>::min();
        if (const auto backup = backups.NewestGood()) {
            best = RestoreOffer{RestoreOffer::Source::Backup, backups.PathOf(backup->name),
                                backup->records, DayText(backup->day), 0};
            backupWritten = backup->writtenAt;
        }
        for (const std::string& file : KeptAsideFiles(NotebookPath()))
            Consider(best, KeptAsideOffer(file, backupWritten));
    } else {
        for (const std::string& file : findings.unfinished)
            Consider(best, KeptAsideOffer(file, std::numeric_limits<int64_t>::min()));
    }
    if (!best || best->records <= held) return std::nullopt;
    best->workingRecords = held;
    return best;
}

}  // namespace korvane
