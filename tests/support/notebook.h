// Helpers of the store's file tests: the shipped pristine notebook, a note
// saved through the store, notebooks made from the SQL texts in
// tests/data/notebooks, and what the working file holds as another
// connection reads it. Header only.
#pragma once

#include <sqlite3.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "render/storetexts.h"
#include "store/notebook.h"
#include "store/sqlitelayer.h"
#include "support/tempdir.h"

namespace korvane::test {

inline std::filesystem::path Pristine(const AppFolder& app) {
    return app.path() / "hd" / "glst.mysql.root";
}

inline std::string InsertNote(const std::string& title) {
    return ExecSql("INSERT INTO mylist(title,content,state,cre_date)VALUES('" + title +
                   "','body',0,'2026-12-07 10:00:00')");
}

// The titles in the working file, read by a connection of its own.
inline std::vector<std::string> TitlesIn(const std::filesystem::path& db) {
    TSQLiteDatabase connection(CodePagePath(db));
    auto table = connection.OpenQuery("SELECT title FROM mylist ORDER BY ID");
    std::vector<std::string> titles;
    for (table->GoFirst(); !table->AtEnd(); table->GoNext()) titles.push_back(table->FieldText(0));
    return titles;
}

// Makes the file `db` from the SQL text of tests/data/notebooks/<name>.sql,
// over a plain SQLite connection. False, with the reason in `error`, when the
// text did not run.
inline bool MakeNotebook(const std::filesystem::path& db, const std::string& name,
                         std::string& error) {
    const std::string sql = ReadFile(std::filesystem::path(KORVANE_SOURCE_DIR) / "tests" / "data" /
                                     "notebooks" / (name + ".sql"));
    if (sql.empty()) {
        error = "no SQL text for " + name;
        return false;
    }
    sqlite3* connection = nullptr;
    bool made = sqlite3_open(Utf8(db).c_str(), &connection) == SQLITE_OK;
    char* message = nullptr;
    made = made && sqlite3_exec(connection, sql.c_str(), nullptr, nullptr, &message) == SQLITE_OK;
    if (!made) error = message ? message : sqlite3_errmsg(connection);
    sqlite3_free(message);
    sqlite3_close(connection);
    return made;
}

// The first column of every row of `query` on the file `db`, as text, read
// over a plain SQLite connection.
inline std::vector<std::string> ColumnOf(const std::filesystem::path& db,
                                         const std::string& query) {
    std::vector<std::string> values;
    sqlite3* connection = nullptr;
    if (sqlite3_open_v2(Utf8(db).c_str(), &connection, SQLITE_OPEN_READONLY, nullptr) ==
        SQLITE_OK) {
        sqlite3_exec(
            connection, query.c_str(),
            [](void* out, int, char** row, char**) {
                static_cast<std::vector<std::string>*>(out)->push_back(row[0] ? row[0] : "");
                return 0;
            },
            &values, nullptr);
    }
    sqlite3_close(connection);
    return values;
}

// The names in a folder, sorted.
inline std::vector<std::string> NamesIn(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// Files in hd/ whose names start with `prefix`.
inline std::vector<std::filesystem::path> FilesStartingWith(const AppFolder& app,
                                                            const std::string& prefix) {
    std::vector<std::filesystem::path> found;
    for (const auto& entry : std::filesystem::directory_iterator(app.path() / "hd")) {
        if (entry.path().filename().string().starts_with(prefix)) found.push_back(entry.path());
    }
    return found;
}

}  // namespace korvane::test
