#include "store/sqlitelayer.h"

#include <sqlite3.h>
#include <chrono>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "base/ansitext.h"
#include "platform/codepage.h"

namespace korvane {

std::string ResultCodeText(int code) {
    static const char* const kTexts[] = {
        "Successful result",
        "SQL error or missing database",
        "An internal logic error in SQLite",
        "Access permission denied",
        "Callback routine requested an abort",
        "The database file is locked",
        "A table in the database is locked",
        "A malloc() failed",
        "Attempt to write a readonly database",
        "Operation terminated by sqlite3_interrupt()",
        "Some kind of disk I/O error occurred",
        "The database disk image is malformed",
        "(Internal Only) Table or record not found",
        "Insertion failed because database is full",
        "Unable to open the database file",
        "Database lock protocol error",
        "Database is empty",
        "The database schema changed",
        "Too much data for one row of a table",
        "Abort due to contraint violation",
        "Data type mismatch",
        "Library used incorrectly",
        "Uses OS features not supported on host",
        "Authorization denied",
        "Auxiliary database format error",
        "2nd parameter to sqlite3_bind out of range",
        "File opened that is not a database file",
    };
    if (code >= 0 && code <= 26) return kTexts[code];
    if (code == 100) return "sqlite3_step() has another row ready";
    if (code == 101) return "sqlite3_step() has finished executing";
    return "Unknown SQLite Error Code \"" + std::to_string(code) + "\"";
}

// A compiled statement with its values bound, finalized on every way out.
class Statement {
  public:
    Statement(TSQLiteDatabase& db, const std::string& sql, const SqlValues& values) : db_(db) {
        if (sqlite3_prepare_v2(db.db_, sql.c_str(), -1, &stmt_, nullptr) != SQLITE_OK) {
            Finalize();
            db.RaiseSqliteError("Error executing SQL", sql);
        }
        if (stmt_ == nullptr) db.RaiseSqliteError("Could not prepare SQL statement", sql);
        try {
            for (size_t i = 0; i < values.size(); ++i) Bind(static_cast<int>(i) + 1, values[i]);
        } catch (...) {
            Finalize();  // a throwing constructor runs no destructor
            throw;
        }
    }
    ~Statement() { Finalize(); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    sqlite3_stmt* get() const { return stmt_; }

  private:
    void Finalize() {
        if (stmt_ != nullptr) sqlite3_finalize(stmt_);
        stmt_ = nullptr;
    }

    void Check(int rc, const char* message) {
        if (rc != SQLITE_OK) db_.RaiseSqliteError(message, "BindData");
    }

    void Bind(int index, const SqlValue& value) {
        struct Binder {
            Statement& s;
            int i;
            void operator()(std::monostate) {
                s.Check(sqlite3_bind_null(s.stmt_, i), "Could not bind null");
            }
            void operator()(bool v) {
                s.Check(sqlite3_bind_int(s.stmt_, i, v ? 1 : 0), "Could not bind boolean");
            }
            void operator()(int32_t v) {
                s.Check(sqlite3_bind_int(s.stmt_, i, v), "Could not bind integer");
            }
            void operator()(int64_t v) {
                s.Check(sqlite3_bind_int64(s.stmt_, i, v), "Could not bind int64");
            }
            void operator()(double v) {
                s.Check(sqlite3_bind_double(s.stmt_, i, v), "Could not bind extended");
            }
            void operator()(char v) {
                s.Check(sqlite3_bind_text(s.stmt_, i, &v, 1, SQLITE_TRANSIENT),
                        "Could not bind text");
            }
            void operator()(const std::string& v) {
                s.Check(sqlite3_bind_text(s.stmt_, i, v.data(), static_cast<int>(v.size()),
                                          SQLITE_TRANSIENT),
                        "Could not bind text");
            }
            void operator()(const std::u16string& v) {
                s.Check(sqlite3_bind_text16(s.stmt_, i, v.data(),
                                            static_cast<int>(v.size() * sizeof(char16_t)),
                                            SQLITE_TRANSIENT),
                        "Could not bind text");
            }
            void operator()(const SqlBlob& v) {
                s.Check(sqlite3_bind_blob(s.stmt_, i, v.bytes.data(),
                                          static_cast<int>(v.bytes.size()), SQLITE_TRANSIENT),
                        "Could not bind BLOB");
            }
        };
        std::visit(Binder{*this, index}, value);
    }

    TSQLiteDatabase& db_;
    sqlite3_stmt* stmt_ = nullptr;
};

namespace {

int OpenFlags(TSQLiteDatabase::Mode mode) {
    return mode == TSQLiteDatabase::Mode::ReadOnly ? SQLITE_OPEN_READONLY
                                                   : SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE;
}

// A file may come from anyone: its schema must not make this connection run
// SQL the program did not write. Triggers and views stay in the file but never
// run, functions named in the schema are refused, and the statements that
// could damage the file on purpose (writable_schema and its kin) are off.
// SQLITE_OK, or the code of the setting that failed.
int RunOnlyOwnSql(sqlite3* db) {
    struct Setting {
        int option;
        int value;
    };
    static constexpr Setting kSettings[] = {
        {SQLITE_DBCONFIG_DEFENSIVE, 1},
        {SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0},
        {SQLITE_DBCONFIG_ENABLE_TRIGGER, 0},
        {SQLITE_DBCONFIG_ENABLE_VIEW, 0},
    };
    for (const Setting& setting : kSettings) {
        int now = -1;
        const int rc = sqlite3_db_config(db, setting.option, setting.value, &now);
        if (rc != SQLITE_OK) return rc;
        if (now != setting.value) return SQLITE_MISUSE;
    }
    return SQLITE_OK;
}

// Opens `fileName` (code page) into `db` with only the program's own SQL
// allowed to run; throws with SQLite's reason.
void OpenConnection(const std::string& fileName, int flags, sqlite3*& db) {
    const std::string utf8 = platform::FromCodePage(fileName);
    int rc = sqlite3_open_v2(utf8.c_str(), &db, flags, nullptr);
    if (rc == SQLITE_OK) rc = RunOnlyOwnSql(db);
    if (rc == SQLITE_OK) return;
    if (db == nullptr) {
        throw ESQLiteException("Failed to open database \"" + fileName + "\" : unknown error", rc);
    }
    const std::string message =
        "Failed to open database \"" + fileName + "\" : " + sqlite3_errmsg(db);
    const int code = sqlite3_extended_errcode(db) != SQLITE_OK ? sqlite3_extended_errcode(db) : rc;
    sqlite3_close(db);
    db = nullptr;
    throw ESQLiteException(message, code);
}

// A connection closed when the object goes.
struct Connection {
    sqlite3* db = nullptr;
    ~Connection() { sqlite3_close(db); }
};

// A backup in progress, finished when the object goes.
struct BackupRun {
    sqlite3_backup* backup;
    ~BackupRun() {
        if (backup != nullptr) sqlite3_backup_finish(backup);
    }
    int Finish() {
        const int rc = sqlite3_backup_finish(backup);
        backup = nullptr;
        return rc;
    }
};

// Steps a backup to its end at the given pace; the last step's result code.
int StepBackup(sqlite3_backup* backup, const BackupPace& pace) {
    const auto start = std::chrono::steady_clock::now();
    int waited = 0;
    for (;;) {
        // Saves by other connections restart a paced copy; one that has run
        // too long takes the rest at once, holding the file for one read.
        const bool overdue = std::chrono::steady_clock::now() - start >
                             std::chrono::milliseconds(pace.pacedLimitMilliseconds);
        const int rc = sqlite3_backup_step(backup, overdue ? -1 : pace.pagesPerStep);
        if (rc == SQLITE_DONE) return rc;
        const bool locked = rc == SQLITE_BUSY || rc == SQLITE_LOCKED;
        if (rc != SQLITE_OK && !locked) return rc;
        if (locked && waited >= pace.busyLimitMilliseconds) return rc;
        const int pause = locked ? std::max(pace.pauseMilliseconds, 10) : pace.pauseMilliseconds;
        if (locked) waited += pause;
        if (pause > 0) sqlite3_sleep(pause);
    }
}

}  // namespace

TSQLiteDatabase::TSQLiteDatabase(const std::string& fileName, Mode mode) {
    OpenConnection(fileName, OpenFlags(mode), db_);
}

TSQLiteDatabase::~TSQLiteDatabase() {
    if (db_ != nullptr) sqlite3_close(db_);
}

void TSQLiteDatabase::RaiseSqliteError(const std::string& message, const std::string& sql) {
    const int code = sqlite3_errcode(db_);
    if (code == SQLITE_OK) throw ESQLiteException(message);
    const std::string detail = sqlite3_errmsg(db_);
    throw ESQLiteException(message + ".\rError [" + std::to_string(code) +
                               "]: " + ResultCodeText(code) + ".\r\"" + sql + "\": " + detail,
                           sqlite3_extended_errcode(db_));
}

void TSQLiteDatabase::SetBusyTimeout(int milliseconds) {
    sqlite3_busy_timeout(db_, milliseconds);
}

bool TSQLiteDatabase::QuickCheckOk() {
    const auto result = OpenQuery("PRAGMA quick_check");
    return result->RowCount() == 1 && result->GoFirst() && result->FieldText(0) == "ok";
}

void TSQLiteDatabase::BackupTo(const std::string& fileName, const BackupPace& pace) {
    Connection target;
    OpenConnection(fileName, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, target.db);
    BackupRun run{sqlite3_backup_init(target.db, "main", db_, "main")};
    if (run.backup == nullptr) {
        throw ESQLiteException(
            std::string("Could not start the backup: ") + sqlite3_errmsg(target.db),
            sqlite3_extended_errcode(target.db));
    }
    const int stepped = StepBackup(run.backup, pace);
    const int finished = run.Finish();
    if (stepped != SQLITE_DONE || finished != SQLITE_OK) {
        const int code = stepped != SQLITE_DONE ? stepped : finished;
        throw ESQLiteException("Backup failed: " + ResultCodeText(code & 0xff), code);
    }
}

void TSQLiteDatabase::Execute(const std::string& sql, const SqlValues& values) {
    Statement statement(*this, sql, values);
    if (sqlite3_step(statement.get()) != SQLITE_DONE) {
        sqlite3_reset(statement.get());
        RaiseSqliteError("Error executing SQL statement", sql);
    }
}

std::unique_ptr<TSQLiteTable> TSQLiteDatabase::OpenQuery(const std::string& sql,
                                                         const SqlValues& values) {
    return std::unique_ptr<TSQLiteTable>(new TSQLiteTable(*this, sql, values));
}

int64_t TSQLiteDatabase::TotalChanges() const {
    return sqlite3_total_changes64(db_);
}

void TSQLiteDatabase::WatchRows(RowWatcher watcher) {
    if (!watcher) {
        sqlite3_update_hook(db_, nullptr, nullptr);
        watcher_.reset();
        return;
    }
    auto next = std::make_unique<RowWatcher>(std::move(watcher));
    sqlite3_update_hook(
        db_,
        [](void* self, int, const char*, const char* table, sqlite3_int64 rowid) {
            (*static_cast<RowWatcher*>(self))(table ? std::string_view(table) : std::string_view(),
                                              rowid);
        },
        next.get());
    watcher_ = std::move(next);
}

bool TSQLiteDatabase::HasTable(const std::string& name) {
    const auto table =
        OpenQuery("select [sql] from sqlite_master where [type] = 'table' and lower(name) = '" +
                  LowerAscii(name) + "' ");
    return table->RowCount() > 0;
}

TSQLiteTable::TSQLiteTable(TSQLiteDatabase& db, const std::string& sql, const SqlValues& values) {
    Statement statement(db, sql, values);
    sqlite3_stmt* stmt = statement.get();
    for (;;) {
        const int rc = sqlite3_step(stmt);
        if (rc == SQLITE_DONE) break;
        if (rc == SQLITE_BUSY) throw ESQLiteException("Could not prepare SQL statement", rc);
        if (rc != SQLITE_ROW) {
            sqlite3_reset(stmt);
            db.RaiseSqliteError("Could not retrieve data", sql);
        }
        ReadRow(stmt);
    }
    row_ = 0;
}

TSQLiteTable::~TSQLiteTable() = default;

void TSQLiteTable::ReadRow(sqlite3_stmt* stmt) {
    if (++rowCount_ == 1) {
        columnCount_ = sqlite3_column_count(stmt);
        kinds_.reserve(columnCount_);
        for (int c = 0; c < columnCount_; ++c) {
            const char* declared = sqlite3_column_decltype(stmt, c);
            const std::string_view d = declared != nullptr ? declared : "";
            if (declared == nullptr) {
                kinds_.push_back(static_cast<Kind>(sqlite3_column_type(stmt, c)));
            } else if (d == "INTEGER" || d == "BOOLEAN") {
                kinds_.push_back(Kind::Integer);
            } else if (d == "NUMERIC" || d == "FLOAT" || d == "DOUBLE" || d == "REAL") {
                kinds_.push_back(Kind::Float);
            } else if (d == "BLOB") {
                kinds_.push_back(Kind::Blob);
            } else {
                kinds_.push_back(Kind::Text);
            }
        }
        cells_.reserve(static_cast<size_t>(columnCount_) * 16);
    }
    for (int c = 0; c < columnCount_; ++c) {
        if (sqlite3_column_type(stmt, c) == SQLITE_NULL) {
            cells_.emplace_back();
            continue;
        }
        switch (kinds_[c]) {
            case Kind::Integer:
                cells_.emplace_back(static_cast<int64_t>(sqlite3_column_int64(stmt, c)));
                break;
            case Kind::Float:
                cells_.emplace_back(sqlite3_column_double(stmt, c));
                break;
            case Kind::Blob: {
                const int size = sqlite3_column_bytes(stmt, c);
                const auto* data = static_cast<const char*>(sqlite3_column_blob(stmt, c));
                if (size == 0 || data == nullptr) {
                    cells_.emplace_back();
                } else {
                    cells_.emplace_back(std::string(data, size));
                }
                break;
            }
            case Kind::Text:
            case Kind::Null: {
                // Text is kept up to its first zero byte.
                const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, c));
                cells_.emplace_back(std::string(text != nullptr ? text : ""));
                break;
            }
        }
    }
}

bool TSQLiteTable::GoFirst() {
    if (rowCount_ == 0) return false;
    row_ = 0;
    return true;
}

bool TSQLiteTable::GoNext() {
    if (AtEnd()) return false;
    ++row_;
    return true;
}

namespace {

// Truncates toward zero; values beyond the 64-bit range saturate and NaN is 0,
// where a plain conversion would be undefined.
int64_t TruncateToInt64(double value) {
    if (std::isnan(value)) return 0;
    if (value >= 9223372036854775807.0) return INT64_MAX;
    if (value <= -9223372036854775808.0) return INT64_MIN;
    return static_cast<int64_t>(value);
}

}  // namespace

const TSQLiteTable::Cell& TSQLiteTable::CellAt(int column) {
    if (AtEnd()) throw ESQLiteException("Table is at End of File");
    if (column < 0 || column >= columnCount_) {
        throw std::out_of_range("column index " + std::to_string(column) + " out of range");
    }
    return cells_[static_cast<size_t>(row_) * columnCount_ + column];
}

std::string TSQLiteTable::FieldText(int column) {
    const Cell& cell = CellAt(column);
    switch (KindOf(column)) {
        case Kind::Integer:
            return std::to_string(FieldInt64(column));
        case Kind::Float: {
            char buffer[40];
            std::snprintf(buffer, sizeof buffer, "%.15g", FieldFloat(column));
            return buffer;
        }
        case Kind::Text:
            return std::holds_alternative<std::string>(cell) ? std::get<std::string>(cell)
                                                             : std::string();
        case Kind::Blob:
            return FieldBlobText(column);
        case Kind::Null:
            return {};
    }
    return {};
}

int64_t TSQLiteTable::FieldInt64(int column) {
    const Cell& cell = CellAt(column);
    if (std::holds_alternative<std::monostate>(cell)) return 0;
    if (KindOf(column) == Kind::Integer) return std::get<int64_t>(cell);
    if (KindOf(column) == Kind::Float) return TruncateToInt64(std::get<double>(cell));
    throw ESQLiteException("Not an integer or numeric field");
}

double TSQLiteTable::FieldFloat(int column) {
    const Cell& cell = CellAt(column);
    if (std::holds_alternative<std::monostate>(cell)) return 0;
    if (KindOf(column) == Kind::Integer) return static_cast<double>(std::get<int64_t>(cell));
    if (KindOf(column) == Kind::Float) return std::get<double>(cell);
    throw ESQLiteException("Not an integer or numeric field");
}

std::optional<std::string_view> TSQLiteTable::FieldStream(int column) {
    const Cell& cell = CellAt(column);
    if (std::holds_alternative<std::monostate>(cell)) return std::nullopt;
    if (KindOf(column) != Kind::Blob) throw ESQLiteException("Not a Blob field");
    return std::string_view(std::get<std::string>(cell));
}

std::string TSQLiteTable::FieldBlobText(int column) {
    const auto stream = FieldStream(column);
    return stream ? std::string(*stream) : std::string();
}

}  // namespace korvane
