// Export: every note as a Markdown file, all notes as one HTML page and every
// contact in one vCard file, written into a folder. Everything is written
// into a staging folder beside the result first and moved into place only
// when all of it is written, so a cancel, a failure or a kill leaves the
// folder as it was: never a half-written file, never half an export.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

#include "exchange/vcard.h"
#include "store/storestatus.h"

namespace korvane {

// What the export writes into its folder.
inline constexpr std::string_view kNotesFolder = "notes";
inline constexpr std::string_view kNotesPage = "notes.html";
inline constexpr std::string_view kContactsFile = "contacts.vcf";
// The mark of a folder that holds an export: a later export may replace it.
inline constexpr std::string_view kExportMark = ".korvane-export";

struct ExportRequest {
    std::string folder;  // code page; made when missing
    VCardVersion vcard = VCardVersion::V3;
};

// Told after each step how many of how many are done; false cancels.
using ExchangeProgress = std::function<bool(size_t done, size_t total)>;

struct ExportResult {
    enum class Outcome {
        Done,
        Cancelled,
        NotRead,      // the notebook could not be read (`read`)
        FolderTaken,  // the folder holds other files than an earlier export (`path`)
        NotWritten,   // a file or folder could not be written or moved (`path`)
    };
    Outcome outcome = Outcome::Done;
    size_t notes = 0;
    size_t contacts = 0;
    size_t pictures = 0;  // emoticon pictures copied beside the notes
    StoreResult read;
    std::string path;  // code page
};

ExportResult ExportNotebook(const ExportRequest& request, const ExchangeProgress& progress = {});

// The result in words for the user (code page).
std::string ExportResultText(const ExportResult& result, const std::string& folder);

}  // namespace korvane
