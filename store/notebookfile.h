// What a notebook file holds, read before it is trusted: a backup before it is
// offered, a copy left by an interrupted write before it is removed.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "store/sqlitelayer.h"

namespace korvane {

// True when the connection's database has the notebook's table with the
// columns the program reads and writes.
bool HasNotebookTable(TSQLiteDatabase& db);

// True when the notebook's table holds a record or ever held one; cheap at
// any size. Failures throw.
bool EverHeldRecord(TSQLiteDatabase& db);

struct NotebookFacts {
    int64_t records = 0;          // rows of the notebook's table
    bool everHeldRecord = false;  // a record was ever added, even if deleted since
    int64_t trashed = 0;          // rows of the trash table, when there is one
    // What the file keeps of the user's records: a delete moves a record
    // from the table into the trash and leaves this as it was.
    int64_t Kept() const { return records + trashed; }
};

// The facts of the notebook at `path`, read over a read-only connection of
// its own; nothing when the path is no regular file (a folder, a symbolic
// link, a FIFO), is no SQLite database, lacks the notebook's table, or, with
// `checkWhole`, fails SQLite's quick check.
std::optional<NotebookFacts> ReadNotebookFacts(const std::string& path, bool checkWhole);

}  // namespace korvane
