// The one way the editors and the page's commands reach a record: a new note
// or contact, the fields of an existing one (always through bound
// parameters), the record read for editing, and the delete.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "store/keeping.h"
#include "store/storestatus.h"

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

// Saves a record of `kind` dated `time`: a new one when `recordId` is not
// positive, else the writable fields and the date of that record. Every ASCII
// apostrophe in a value is stored as the full-width apostrophe, as the
// notebook has always stored them. Done, or why not (see RunStatement). A
// column outside the three text columns is refused (Failed) before anything
// is written.
// An update that changes a written field keeps the version it replaces in
// the history (store/keeping.h), dated `now`.
StoreResult SaveRecord(RecordKind kind, int recordId, const std::vector<RecordField>& fields,
                       const std::string& time, int64_t now = UnixNow());

// A whole record brought in from elsewhere (a file): every field as the
// notebook stores it, code-page bytes.
struct NewRecord {
    RecordKind kind = RecordKind::Note;
    int64_t id = 0;  // the number it asks for; 0 for any
    std::string title;
    std::string content;
    std::string tel;
    std::string date;  // cre_date
};

// Adds the records in one transaction: all of them, or none when the
// notebook refuses one (see RunStatement for why). A record keeps the number
// it asks for when no record holds it, else it gets the next one; ASCII
// apostrophes are stored as the full-width one, as SaveRecord stores them.
StoreResult AddRecords(const std::vector<NewRecord>& records);

// Deletes the record numbered `id`, whatever its kind: the kind names the
// list the caller shows afterwards. Done (also when there was no such
// record), or why not (see RunStatement).
// The deleted record is kept in the trash (store/keeping.h), dated `now`.
StoreResult DeleteRecord(RecordKind kind, int64_t id, int64_t now = UnixNow());

// The columns an editor of `kind` shows, in the order of its fields: a
// note's title and content, a contact's title, telephone and remark.
const std::vector<std::string>& EditorColumns(RecordKind kind);

// One field of a record as an editor reads it. Only a field read as text (a
// text or empty value, read back byte for byte) may be written back: any other
// value shows only a conversion of what is stored, and writing that would
// replace it.
struct EditableField {
    std::string text;
    bool readAsText = false;
};

// A record read for editing: Done with its fields in the order of
// EditorColumns; NotFound when there is no such record (any more); Broken,
// Failed or why the notebook is not open otherwise, with no fields.
struct RecordForEditing {
    StoreResult result;
    std::vector<EditableField> fields;
};
RecordForEditing LoadRecordForEditing(RecordKind kind, int64_t id);

// Done when the record numbered `id` exists, NotFound when it does not, or why
// it could not be looked up.
StoreResult LookUpRecord(int64_t id);

}  // namespace korvane
