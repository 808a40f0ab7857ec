// The store's results in the user's words (code page), and the calls whose
// contract is a status text: "1" when the notebook is open, "Done" when a
// statement ran, "N-1" when no record was read, else a message for the user.
// The list page, the editors and the dispatcher show these texts.
#pragma once

#include <array>
#include <string>

#include "store/sqlitelayer.h"
#include "store/storestatus.h"

namespace korvane {

namespace texts {
// No notebook could be found or made (markup, shown in the list).
const std::string& DatabaseMissing();
// The notebook at `path` exists but this user may not read it; markup, like
// the missing text.
std::string NotebookUnreadable(const std::string& path);
// What a save says on a notebook opened read-only for its encoding.
std::string ReadOnlySaveRefused(const std::string& path);
const std::string& DatabaseBroken();  // the table is missing
const std::string& NoData();
// Why a statement could not be saved; each text tells the user the typed
// text is still in the editor.
enum class SaveFailure { Locked, ReadOnly, DiskFull, Damaged, Moved, Failed, Empty };
const std::string& SaveFailed(SaveFailure why);
inline constexpr const char* kOpen = "1";
inline constexpr const char* kDone = "Done";
inline constexpr const char* kNotFound = "N-1";
}  // namespace texts

// The status text of a result: "Done", or the message for the user.
std::string StatusText(const StoreResult& result);

// Opens the notebook (see OpenNotebook): "1", the unreadable-notebook text
// when this user may not read the file, or the database-missing text.
std::string OpenDatabase();

// Runs one statement that returns no rows (see RunStatement): "Done", or the
// text to show the user, never empty.
std::string ExecSql(const std::string& statement);
// The same with the statement's positional parameters bound to `values`.
std::string ExecSql(const std::string& statement, const SqlValues& values);

// Reads the first row of `query` into values[0..]. When no row can be read,
// values[0] is "N-1" and values[1] the reason.
void LoadRecord(const std::string& query, std::array<std::string, 9>& values);

}  // namespace korvane
