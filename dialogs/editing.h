// What the two record editors share beyond their forms: the save outcome
// handling and the check for a record that has gone since its editor opened.
#pragma once

#include <string>

namespace korvane {

// True when no row with this record number exists any more (a read that fails
// for any other reason, such as a missing table, is left to the save itself
// to report).
bool RecordIsGone(int recordId);

// Program texts shown by both editors, in the code page.
namespace editortexts {
const std::string& NothingToSave();
const std::string& SavedOk();
}  // namespace editortexts

}  // namespace korvane
