// A thin object layer over the SQLite 3 C library.
//
// TSQLiteDatabase opens one database file and runs SQL text; TSQLiteTable holds
// every row of a query in memory; every failure is an ESQLiteException with a
// fixed English text and SQLite's result code. SQL text and values pass through as bytes,
// unchanged; only the file name is converted from the code page to UTF-8.
// Every connection, backup targets included, runs only the SQL the program
// hands it: triggers and views found in a file never run (using a view
// fails), the schema cannot call functions, and SQLite's defensive mode is on.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace korvane {

class ESQLiteException : public std::runtime_error {
  public:
    explicit ESQLiteException(const std::string& what, int code = 0)
        : std::runtime_error(what), code_(code) {}
    // SQLite's extended result code behind the failure (SQLITE_READONLY_DBMOVED,
    // SQLITE_BUSY, ...); 0 when the failure did not come from SQLite.
    int Code() const { return code_; }
    // The primary result code: the low byte of Code().
    int PrimaryCode() const { return code_ & 0xff; }

  private:
    int code_ = 0;
};

// The English sentence for a primary SQLite result code.
std::string ResultCodeText(int code);

// A blob value for a positional parameter.
struct SqlBlob {
    std::string bytes;
};

// One positional parameter value; monostate binds NULL.
using SqlValue = std::variant<std::monostate, bool, int32_t, int64_t, double, char, std::string,
                              std::u16string, SqlBlob>;
using SqlValues = std::vector<SqlValue>;

class TSQLiteTable;

// How a database copy is read: `pagesPerStep` pages at a time (all at once
// when negative) with a pause between steps, so that a copy taken beside a
// working program never holds the file long enough to delay its writes.
struct BackupPace {
    int pagesPerStep = -1;
    int pauseMilliseconds = 0;
    // How long a copy waits in all for a file another connection has locked.
    int busyLimitMilliseconds = 10000;
    // A write by another connection makes SQLite start a paced copy again;
    // after this long the rest is copied in one step.
    int pacedLimitMilliseconds = 20000;
};

class TSQLiteDatabase {
  public:
    enum class Mode { ReadWriteCreate, ReadOnly };
    explicit TSQLiteDatabase(const std::string& fileName, Mode mode = Mode::ReadWriteCreate);
    ~TSQLiteDatabase();
    TSQLiteDatabase(const TSQLiteDatabase&) = delete;
    TSQLiteDatabase& operator=(const TSQLiteDatabase&) = delete;

    // Runs the first statement of `sql`; it must finish without a row.
    void Execute(const std::string& sql, const SqlValues& values = {});
    // Runs the first statement of `sql` and reads every row before returning.
    std::unique_ptr<TSQLiteTable> OpenQuery(const std::string& sql, const SqlValues& values = {});
    // True when a table of that name exists (ASCII case ignored).
    bool HasTable(const std::string& name);
    // Rows changed by this connection since it was opened.
    int64_t TotalChanges() const;
    // Called with the table's name and the row's rowid for every row this
    // connection inserts, updates or deletes (SQLite's update hook), so that
    // copies kept of the rows can follow the connection's own writes. An
    // empty watcher stops the calls.
    using RowWatcher = std::function<void(std::string_view table, int64_t rowid)>;
    void WatchRows(RowWatcher watcher);
    // How long a statement waits for a lock another connection holds before it
    // fails with SQLITE_BUSY.
    void SetBusyTimeout(int milliseconds);
    // True when PRAGMA quick_check finds the file whole. A file that is no
    // database, or one too damaged to read, throws.
    bool QuickCheckOk();
    // Writes a consistent copy of this database into the file `fileName`
    // (created, or overwritten page by page) with SQLite's online backup.
    void BackupTo(const std::string& fileName, const BackupPace& pace = {});

  private:
    friend class TSQLiteTable;
    friend class Statement;
    [[noreturn]] void RaiseSqliteError(const std::string& message, const std::string& sql);

    sqlite3* db_ = nullptr;
    std::unique_ptr<RowWatcher> watcher_;  // the hook's argument, alive while set
};

class TSQLiteTable {
  public:
    ~TSQLiteTable();
    TSQLiteTable(const TSQLiteTable&) = delete;
    TSQLiteTable& operator=(const TSQLiteTable&) = delete;

    int RowCount() const { return rowCount_; }
    int ColumnCount() const { return columnCount_; }
    bool AtEnd() const { return row_ >= rowCount_; }
    bool GoFirst();
    bool GoNext();

    std::string FieldText(int column);
    int64_t FieldInt64(int column);
    double FieldFloat(int column);
    // The blob's bytes, or nothing for an absent cell. The view stays valid as
    // long as the table lives.
    std::optional<std::string_view> FieldStream(int column);
    std::string FieldBlobText(int column);

  private:
    friend class TSQLiteDatabase;
    enum class Kind { Integer = 1, Float = 2, Text = 3, Blob = 4, Null = 5 };
    // An absent cell (NULL or empty blob) is monostate; text and blob bytes are strings.
    using Cell = std::variant<std::monostate, int64_t, double, std::string>;

    TSQLiteTable(TSQLiteDatabase& db, const std::string& sql, const SqlValues& values);
    void ReadRow(sqlite3_stmt* stmt);
    const Cell& CellAt(int column);
    Kind KindOf(int column) const { return kinds_[column]; }

    std::vector<Cell> cells_;
    std::vector<Kind> kinds_;
    int rowCount_ = 0;
    int columnCount_ = 0;
    int row_ = 0;
};

}  // namespace korvane
