// The notebook opener on notebooks made by someone else. The input builds the
// working file: its first byte picks the text encoding, the shape of the
// records table and what happens to the finished file (nothing, bytes added,
// cut short), the next ones where it is cut and what is added; the rest is a
// list of schema statements from a small grammar
// (notes, extra tables, triggers on insert, update and delete, views, indexes,
// a view put in the records table's place), each taking its argument bytes
// from the input. Every trigger writes the table "sentinel". The store then
// opens the file, reads both lists and a record (also as the editors read
// one), and runs a save, an edit and a delete through ExecSql and the
// editors' and the page's own calls. Checked: nothing crashes, no trigger ran (the
// sentinel holds what it held), a notebook not in UTF-8 is never written, and
// a damaged file kept aside keeps every byte.
#include <sqlite3.h>
#include <unistd.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "base/log.h"
#include "platform/apppaths.h"
#include "render/storetexts.h"
#include "store/listrows.h"
#include "store/notebook.h"
#include "store/records.h"

namespace fs = std::filesystem;

namespace {

// Reads the input front to back; past its end every read is zero.
class Input {
  public:
    Input(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    bool Empty() const { return at_ >= size_; }
    uint8_t Byte() { return at_ < size_ ? data_[at_++] : 0; }
    // Up to `most` bytes as an SQL blob literal, X'..'.
    std::string Literal(size_t most) {
        static const char kHex[] = "0123456789abcdef";
        const size_t n = std::min<size_t>(Byte() % (most + 1), size_ - std::min(at_, size_));
        std::string literal = "X'";
        for (size_t i = 0; i < n; ++i) {
            const uint8_t b = data_[at_++];
            literal += kHex[b >> 4];
            literal += kHex[b & 15];
        }
        return literal + "'";
    }
    // Up to `most` bytes, their count read first.
    std::string_view Bytes(size_t most) {
        const size_t wanted = Byte() % (most + 1);
        const size_t from = std::min(at_, size_);
        const size_t n = std::min(wanted, size_ - from);
        at_ = from + n;
        return {reinterpret_cast<const char*>(data_) + from, n};
    }

  private:
    const uint8_t* data_;
    size_t size_;
    size_t at_ = 0;
};

std::string ReadBytes(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// The records table as the program makes it, and shapes it does not expect.
constexpr char kProgramsRecordTable[] =
    "CREATE TABLE mylist (ID INTEGER PRIMARY KEY AUTOINCREMENT, title TEXT NOT NULL DEFAULT '', "
    "content TEXT NOT NULL DEFAULT '', tel TEXT NOT NULL DEFAULT '', state INTEGER NOT NULL "
    "DEFAULT 0, cre_date TEXT NOT NULL DEFAULT '')";
constexpr char kWithoutRowid[] =
    "CREATE TABLE mylist (ID INTEGER PRIMARY KEY, title TEXT, content TEXT, tel TEXT, "
    "state INTEGER, cre_date TEXT) WITHOUT ROWID";
const char* const kRecordTables[] = {
    kProgramsRecordTable,
    "CREATE TABLE mylist (ID INTEGER PRIMARY KEY, title, content, tel, state, cre_date, extra)",
    "CREATE TABLE mylist (ID TEXT, title BLOB, content REAL, state TEXT, cre_date INTEGER)",
    "CREATE TABLE mylist (title TEXT, state INTEGER)",
    kWithoutRowid,
    "CREATE TABLE notmylist (a)",
};

const char* const kEncodings[] = {"UTF-8", "UTF-16le", "UTF-16be"};

// One schema statement of the grammar; `n` keeps names apart.
std::string Statement(Input& in, int n) {
    const std::string id = std::to_string(n);
    const char* const kEvents[] = {"AFTER INSERT", "AFTER UPDATE",  "BEFORE DELETE",
                                   "AFTER DELETE", "BEFORE INSERT", "BEFORE UPDATE"};
    switch (in.Byte() % 10) {
        case 0:
        case 1:
            return "INSERT INTO mylist (title, content, tel, state, cre_date) VALUES (CAST(" +
                   in.Literal(12) + " AS TEXT), CAST(" + in.Literal(24) + " AS TEXT), '', " +
                   std::to_string(in.Byte() % 3) + ", '2026-12-0" + std::to_string(in.Byte() % 9) +
                   "')";
        case 2:
            return "CREATE TABLE extra" + id + " (a, b)";
        case 3:
            return "CREATE TRIGGER t" + id + " " + kEvents[in.Byte() % 6] +
                   " ON mylist BEGIN INSERT INTO sentinel VALUES ('t" + id +
                   "'); DELETE FROM mylist; END";
        case 4:
            return "CREATE TRIGGER r" + id + " " + kEvents[in.Byte() % 6] +
                   " ON mylist BEGIN INSERT INTO sentinel VALUES ('r" + id +
                   "'); SELECT RAISE(ABORT, 'no'); END";
        case 5:
            return "CREATE VIEW v" + id + " AS SELECT * FROM mylist";
        case 6:
            return "CREATE INDEX i" + id + " ON mylist (" +
                   (in.Byte() % 2 ? "state, cre_date" : "title") + ")";
        case 7:
            return "CREATE INDEX e" + id + " ON mylist (length(title) + " +
                   std::to_string(in.Byte()) + ")";
        case 8:
            // The records behind another name and a view in their place that
            // keeps whatever is written to it.
            return "ALTER TABLE mylist RENAME TO stored" + id +
                   "; CREATE VIEW mylist AS SELECT * FROM stored" + id + "; CREATE TRIGGER k" + id +
                   " INSTEAD OF INSERT ON mylist BEGIN INSERT INTO sentinel VALUES ('k" + id +
                   "'); END";
        default:
            return "CREATE TRIGGER s" + id + " AFTER INSERT ON extra" + std::to_string(n - 1) +
                   " BEGIN INSERT INTO sentinel VALUES ('s" + id + "'); END";
    }
}

// Builds the notebook at `file` as the input says, over a plain connection
// with SQLite's defaults (the way another program would). Statements that do
// not fit the table's shape simply fail.
void Build(const fs::path& file, Input& in, uint8_t shape) {
    sqlite3* db = nullptr;
    if (sqlite3_open(file.c_str(), &db) != SQLITE_OK) std::abort();
    const std::string encoding = std::string("PRAGMA encoding='") + kEncodings[shape % 3] + "'";
    sqlite3_exec(db, encoding.c_str(), nullptr, nullptr, nullptr);
    sqlite3_exec(db, kRecordTables[(shape / 3) % std::size(kRecordTables)], nullptr, nullptr,
                 nullptr);
    sqlite3_exec(db, "CREATE TABLE sentinel (what)", nullptr, nullptr, nullptr);
    for (int n = 0; n < 24 && !in.Empty(); ++n) {
        const std::string statement = Statement(in, n);
        sqlite3_exec(db, statement.c_str(), nullptr, nullptr, nullptr);
    }
    sqlite3_close(db);
}

// What happens to the finished file: nothing, bytes added to its end, or the
// file cut at a point; read from the input before the statements.
struct Tail {
    int what = 0;  // 0 nothing, 1 bytes added, 2 cut short
    size_t cut = 0;
    std::string added;

    Tail(Input& in, uint8_t shape) : what((shape / 18) % 3) {
        cut = size_t{in.Byte()} << 8;
        cut |= in.Byte();
        added = std::string(in.Bytes(64));
    }
    void ApplyTo(const fs::path& file) const {
        if (what == 0) return;
        std::string bytes = ReadBytes(file);
        if (what == 1) bytes += added;
        if (what == 2) bytes.resize(cut % (bytes.size() + 1));
        std::ofstream(file, std::ios::binary | std::ios::trunc) << bytes;
    }
};

// The text encoding the file's header names (1 UTF-8, 2 UTF-16le, 3 UTF-16be),
// 0 when it has no database header.
uint32_t HeaderEncoding(const std::string& bytes) {
    if (bytes.size() < 100 || bytes.compare(0, 16, std::string("SQLite format 3\0", 16)) != 0)
        return 0;
    const auto* b = reinterpret_cast<const unsigned char*>(bytes.data()) + 56;
    return uint32_t{b[0]} << 24 | uint32_t{b[1]} << 16 | uint32_t{b[2]} << 8 | b[3];
}

// The rows of the sentinel table, or -1 when it cannot be read.
int64_t SentinelRows(const fs::path& file) {
    sqlite3* db = nullptr;
    int64_t rows = -1;
    if (sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_stmt* stmt = nullptr;
        if (sqlite3_prepare_v2(db, "SELECT count(*) FROM sentinel", -1, &stmt, nullptr) ==
                SQLITE_OK &&
            sqlite3_step(stmt) == SQLITE_ROW) {
            rows = sqlite3_column_int64(stmt, 0);
        }
        sqlite3_finalize(stmt);
    }
    sqlite3_close(db);
    return rows;
}

// A folder of the process's own with the pristine notebook the store restores
// from, made once.
struct Folder {
    fs::path root =
        fs::temp_directory_path() / ("korvane-notebook-fuzz-" + std::to_string(::getpid()));
    fs::path hd = root / "hd";
    fs::path working = hd / "glst.mysql";
    Folder() {
        fs::remove_all(root);
        fs::create_directories(hd);
        sqlite3* db = nullptr;
        if (sqlite3_open((hd / "glst.mysql.root").c_str(), &db) != SQLITE_OK) std::abort();
        sqlite3_exec(db, kProgramsRecordTable, nullptr, nullptr, nullptr);
        sqlite3_close(db);
        korvane::SetApplicationPaths(root.string() + "/korvane");
        korvane::SetDataDirectory({});
        korvane::log::SetSink([](korvane::log::Area, std::string_view) {});
    }
    // Runs at exit, after the store (made later) has closed its connection.
    ~Folder() {
        std::error_code ignored;
        fs::remove_all(root, ignored);
    }
    Folder(const Folder&) = delete;
    Folder& operator=(const Folder&) = delete;
    // Everything but the pristine notebook goes.
    void Empty() const {
        for (const auto& entry : fs::directory_iterator(hd)) {
            if (entry.path().filename() != "glst.mysql.root") fs::remove_all(entry.path());
        }
    }
};

// Reads both lists and a record, as the window does; failures are answers.
void ReadLikeTheWindow() {
    for (const korvane::RecordKind kind :
         {korvane::RecordKind::Note, korvane::RecordKind::Contact}) {
        korvane::UseNotebook([kind] { korvane::ReadListWindow(kind, 0, 20); });
        korvane::LoadRecordForEditing(kind, 1);
    }
    std::array<std::string, 9> values;
    korvane::LoadRecord("SELECT title,content,cre_date FROM mylist ORDER BY ID LIMIT 1", values);
}

void SaveEditDelete() {
    korvane::ExecSql(
        "INSERT INTO mylist(title,content,state,cre_date)VALUES(?1,?2,0,'2026-12-08 10:00:00')",
        {std::string("\xd6\xd0\xce\xc4"), std::string("\x80\xff body")});
    korvane::ExecSql("UPDATE mylist SET title='edited' WHERE ID=1");
    korvane::ExecSql("DELETE FROM mylist WHERE ID=2");
    korvane::SaveRecord(korvane::RecordKind::Contact, 0, {{"title", "c"}, {"tel", "1"}},
                        "2026-12-08 11:00:00");
    korvane::DeleteRecord(korvane::RecordKind::Note, 3);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const Folder folder;
    korvane::CloseDatabase();
    folder.Empty();
    Input in(data, size);
    const uint8_t shape = in.Byte();
    const Tail tail(in, shape);
    Build(folder.working, in, shape);
    tail.ApplyTo(folder.working);

    const std::string before = ReadBytes(folder.working);
    const int64_t sentinel = SentinelRows(folder.working);
    const bool opened = korvane::OpenDatabase() == korvane::texts::kOpen;
    if (opened) {
        ReadLikeTheWindow();
        SaveEditDelete();
    }
    const bool keptAside = korvane::OpenKeptDamagedAside();
    const bool readOnly = korvane::OpenedReadOnly();
    korvane::CloseDatabase();

    if (keptAside) {
        // The damaged file went aside whole; the fresh notebook has no sentinel.
        bool found = false;
        for (const auto& entry : fs::directory_iterator(folder.hd)) {
            const std::string name = entry.path().filename().string();
            if (name.rfind("glst.mysql.damaged-", 0) == 0)
                found = found || ReadBytes(entry.path()) == before;
        }
        if (!found) std::abort();
        return 0;
    }
    const std::string after = ReadBytes(folder.working);
    const uint32_t encoding = HeaderEncoding(before);
    if (encoding == 2 || encoding == 3) {
        // Never written, and opened only read-only.
        if (after != before) std::abort();
        if (opened && !readOnly) std::abort();
    }
    if (opened && sentinel >= 0 && SentinelRows(folder.working) != sentinel) std::abort();
    return 0;
}
