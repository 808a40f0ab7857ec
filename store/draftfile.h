// Draft files of the record editors: what the user typed, kept in a file
// under hd/drafts/ until it is saved, so that closing the editor or the
// program ending loses nothing.
//
// A draft file holds the code-page bytes of each field exactly:
//
//   korvane-draft 1\n
//   <editor> <record>\n     e.g. "note 5", "contact new"
//   <field count>\n
//   <byte count>\n<bytes>\n  once for each field
//
// The header names the editor and the record, so a file is only ever offered
// to the editor and record it was written for.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace korvane {

using DraftFields = std::vector<std::string>;

// Names the record a draft belongs to: the editor ("note", "contact") and the
// record number, 0 or less for a record not yet stored.
struct DraftOwner {
    std::string editor;
    int recordId = 0;
};

// The largest draft file that is written or read back. Far above anything
// typed (the note editor is measured with notes of 5 MB; this is twelve
// times that), yet bounded, so a file put in a draft's place costs at most
// this much memory when an editor opens.
inline constexpr uint64_t kDraftMaxBytes = uint64_t{64} << 20;

// The file name of the owner's draft: "<editor>-new" or "<editor>-<record>".
std::string DraftFileName(const DraftOwner& owner);

// The code-page path of the owner's draft file.
std::string DraftPath(const DraftOwner& owner);

std::string EncodeDraft(const DraftOwner& owner, const DraftFields& fields);

// The fields of a draft written for `owner` with `fieldCount` fields; nothing
// for a file of any other owner, shape or a damaged one. Any bytes may come
// in: a field's byte count is checked against what is there before use.
std::optional<DraftFields> DecodeDraft(std::string_view bytes, const DraftOwner& owner,
                                       size_t fieldCount);

// Writes the draft through a temporary file in the drafts folder that is
// flushed and then renamed over the old draft (a link in its place is
// replaced, never written through); true when it is in place. A draft of more
// than kDraftMaxBytes is not written: the last one stays.
bool WriteDraft(const DraftOwner& owner, const DraftFields& fields);

// True when every field holds nothing but blanks, line breaks and other
// characters a save trims away: such a draft would save nothing.
bool IsBlankDraft(const DraftFields& fields);

// The owner's draft. Only a regular file of at most kDraftMaxBytes is read;
// a link, a FIFO, a device, a folder or a larger file in its place is left
// alone with a warning in the log, never waited for: nothing then, as for no
// draft. A blank draft (IsBlankDraft) is nothing as well: there is nothing
// to restore.
std::optional<DraftFields> ReadDraft(const DraftOwner& owner, size_t fieldCount);

// True when the owner has no draft afterwards.
bool RemoveDraft(const DraftOwner& owner);

}  // namespace korvane
