// Helpers of the store's file tests: the shipped pristine notebook, a note
// saved through the store, and what the working file holds as another
// connection reads it. Header only.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "store/SQLiteTable3.h"
#include "store/dbfunc.h"
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
