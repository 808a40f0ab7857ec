// Import: notes and contacts from the files other programs write, added to
// the notebook in one transaction. A file is read whole or refused whole,
// with the reason; records the notebook already holds are left out, so
// importing a file twice does not double them.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "logic/exportjob.h"
#include "store/storestatus.h"

namespace korvane {

// The largest file import reads.
inline constexpr uint64_t kImportFileLimit = uint64_t{64} << 20;

struct ImportResult {
    size_t files = 0;            // files read whole
    size_t notes = 0;            // added
    size_t contacts = 0;         // added
    size_t alreadyThere = 0;     // left out: the notebook holds them already
    size_t picturesSkipped = 0;  // photos and attachments left out
    struct Refused {
        std::string path;  // code page
        std::string why;   // code page
    };
    std::vector<Refused> refused;  // files not imported, each with its reason
    bool cancelled = false;
    StoreResult stored;  // the notebook's answer to the adding
};

// Imports the files, and the files of the kinds it reads in folders given
// (and their folders one level down). `now` dates records a file gives no
// date ("yyyy-mm-dd hh:mm:ss").
ImportResult ImportFiles(const std::vector<std::string>& paths, const std::string& now,
                         const ExchangeProgress& progress = {});

// The result in words for the user (code page): what came in, what was left
// out and why.
std::string ImportResultText(const ImportResult& result);

// The current local time as the notebook stores it.
std::string StoredTimeNow();

}  // namespace korvane
