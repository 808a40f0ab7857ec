// The one way the editors write a record: a new note or contact, or the
// fields of an existing one, always through bound parameters.
#pragma once

#include <string>
#include <vector>

namespace korvane {

// One text field of a record as an editor holds it.
struct RecordField {
    std::string column;  // title, content or tel
    std::string value;   // as typed, already trimmed
    // An update writes only the fields that were read back as text; any other
    // stored value was shown only as a conversion and must stay as it is. A
    // new record writes every field.
    bool write = true;
};

// Saves a record of `kind` (0 note, 1 contact) dated `time`: a new one when
// `recordId` is not positive, else the writable fields and the date of that
// record. Every ASCII apostrophe in a value is stored as the full-width
// apostrophe, as the notebook has always stored them. "Done", or the notice
// for the user (never empty). A column outside the three text columns is
// refused before anything is written.
std::string SaveRecord(int kind, int recordId, const std::vector<RecordField>& fields,
                       const std::string& time);

}  // namespace korvane
