// The rows of the two lists as the notebook stores them: all records of a
// kind, or one window of them, newest first. Turning rows into markup is the
// render layer's job.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "store/storestatus.h"

namespace korvane {

class TSQLiteDatabase;

// One record of a list; every field as its stored text.
struct ListRow {
    std::string date;  // cre_date
    std::string title;
    std::string content;
    std::string id;
    std::string tel;
};

// A window of a list: `rows` are the records at positions
// [first, first + rows.size()) of the whole list, counted from 0.
struct ListRows {
    int64_t total = 0;  // records of the kind in the whole list
    int first = 0;
    std::vector<ListRow> rows;
};

// A stored note or contact, for readers that take both kinds.
struct StoredRecord {
    RecordKind kind = RecordKind::Note;
    int64_t number = 0;  // the record number (ID) read as an integer
    ListRow row;
};

// All need the connection open and the records table present (checked by
// the caller, or by UseNotebook and ReadNotebookAtOnce around them), and
// throw on failure.
std::vector<ListRow> ReadList(RecordKind kind);
// The count and the rows come from one read of the notebook (a read
// transaction of its own). `first` beyond the end gives no rows.
ListRows ReadListWindow(RecordKind kind, int first, int count);
// Every note and contact, newest first (the lists' order across both kinds).
std::vector<StoredRecord> ReadAllRecords();
// The same from `db`, a connection of the caller's own (a reader on another
// thread); no open notebook is needed.
std::vector<StoredRecord> ReadAllRecords(TSQLiteDatabase& db);
// Every note and contact, newest first, read in one read of the notebook file
// at `path` over a read-only connection of its own, for a reader on a thread
// of its own (see NotebookPath); throws on failure.
std::vector<StoredRecord> ReadAllRecordsApart(const std::string& path);
// The notes and contacts among the records with these numbers, in no
// particular order; numbers with no such record are left out.
std::vector<StoredRecord> ReadRecordsByNumber(const std::vector<int64_t>& numbers);

}  // namespace korvane
