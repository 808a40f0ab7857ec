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

// A file that may be offered, with what it keeps of the user's records
// (NotebookFacts::Kept) and when it was written (seconds since 1970).
struct Candidate {
    RestoreOffer offer;
    int64_t kept = 0;
    int64_t writtenAt = 0;
};

// A file kept aside, when it is a whole notebook last written no earlier
// than `since` (seconds since 1970): an older one is not offered over a
// backup written after it.
std::optional<Candidate> KeptAsideOffer(const std::string& path, int64_t since) {
    const auto seconds = platform::ModifiedSeconds(path);
    if (!seconds || *seconds < since) return std::nullopt;
    const auto facts = ReadNotebookFacts(path, true);
    if (!facts) return std::nullopt;
    return Candidate{{RestoreOffer::Source::KeptAside, path, facts->records,
                      DayText(LocalDay(std::chrono::system_clock::from_time_t(*seconds))), 0},
                     facts->Kept(),
                     *seconds};
}

// The newest good backup as a candidate; its trash is counted as well.
std::optional<Candidate> BackupOffer(const DailyBackup& backups) {
    const auto backup = backups.NewestGood();
    if (!backup) return std::nullopt;
    const std::string path = backups.PathOf(backup->name);
    const auto facts = ReadNotebookFacts(path, false);
    return Candidate{{RestoreOffer::Source::Backup, path, backup->records, DayText(backup->day), 0},
                     facts ? facts->Kept() : backup->records,
                     backup->writtenAt};
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

// Keeps `candidate` when it keeps more than what is offered so far, or as
// much and was written later: edits and deletes leave the count as it was,
// and the later file holds them.
void Consider(std::optional<Candidate>& best, std::optional<Candidate> candidate) {
    if (!candidate) return;
    if (!best || candidate->kept > best->kept ||
        (candidate->kept == best->kept && candidate->writtenAt > best->writtenAt)) {
        best = std::move(candidate);
    }
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
    const int64_t heldKept = working ? working->Kept() : 0;
    const bool emptied =
        findings.working != OpenFindings::Working::Whole || !working || !working->everHeldRecord;
    std::optional<Candidate> best;
    if (emptied) {
        best = BackupOffer(backups);
        const int64_t backupWritten = best ? best->writtenAt : std::numeric_limits<int64_t>::min();
        for (const std::string& file : KeptAsideFiles(NotebookPath()))
            Consider(best, KeptAsideOffer(file, backupWritten));
    } else {
        for (const std::string& file : findings.unfinished)
            Consider(best, KeptAsideOffer(file, std::numeric_limits<int64_t>::min()));
    }
    if (!best || best->offer.records == 0 || best->kept <= heldKept) return std::nullopt;
    best->offer.workingRecords = held;
    return best->offer;
}

}  // namespace korvane
