// What the two record editors share beyond their forms: the save outcome
// handling and the check for a record that has gone since its editor opened.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "store/records.h"

class QObject;

namespace korvane {

// True when no row with this record number exists any more (a read that fails
// for any other reason, such as a missing table, is left to the save itself
// to report).
bool RecordIsGone(int recordId);

// One field of a record as an editor read it (see EditableField).
using EditorField = EditableField;

// A record read for editing. When `readable` is false nothing may be written
// over the record, and `failure` says why in the code page.
struct EditorRecord {
    bool readable = false;
    bool gone = false;  // no such record (any more): saving makes a new one
    std::string failure;
    std::vector<EditorField> fields;
};

// Reads the fields an editor of `kind` shows (EditorColumns) of one record.
EditorRecord LoadForEditing(RecordKind kind, int recordId);

// The save both editors make on their save button, with its checks: nothing
// typed (`hasContent` false), a record that was never read, a record deleted
// since the editor opened (`recordId` becomes 0, so the next press saves a new
// one). `values` are the typed texts, trimmed, in the order of `columns`.
// Shows nothing itself: the editor shows the outcome's notice.
struct SaveOutcome {
    bool saved = false;
    // Why not, for the user (code page); when saved, what the history could
    // not keep of the replaced version (see KeepingNotice), mostly empty.
    std::string notice;
};
SaveOutcome SaveFromEditor(RecordKind kind, int& recordId, const EditorRecord& loaded,
                           const std::vector<std::string>& columns,
                           const std::vector<std::string>& values, bool hasContent,
                           const std::string& time);

// Hands `tell` the notice for a record the editor could not read once the
// editor is up (a notice opened while the editor itself is being shown would
// come first).
void ReportUnreadableLater(QObject* editor, const EditorRecord& record,
                           std::function<void(const std::string&)> tell);

// The notice shown when the editor could not read its record, naming why.
std::string UnreadableRecordNotice(const std::string& failure);

// Program texts shown by both editors, in the code page.
namespace editortexts {
const std::string& NothingToSave();
const std::string& SavedOk();
}  // namespace editortexts

}  // namespace korvane
