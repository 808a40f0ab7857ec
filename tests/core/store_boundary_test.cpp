// The store is the one door to the notebook: no program code outside store/
// holds SQL text, and the store holds no text for the user (the layers that
// show its results put them in words). The check reads every C++ file of the program's libraries
// (tests, benchmarks and fuzz targets build their own notebooks and are left
// out) and looks for statements in it.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <string>
#include <vector>

namespace korvane {
namespace {

namespace fs = std::filesystem;

// Statement shapes in string literals, matched in either case; comments are
// not read.
bool HoldsSql(const std::string& line) {
    // Inside a string literal: a quote comes first on the line.
    static const std::regex statements(
        R"x("[^"]*(\bselect\b.*\bfrom\s+\w+|\binsert\s+(or\s+\w+\s+)?into\b|)x"
        R"x(\bdelete\s+from\b|\bupdate\s+\w+\s+set\b|\bpragma\s+\w+|)x"
        R"x(\b(create|drop|alter)\s+(table|index|trigger|view|virtual)\b)|)x"
        R"x("\s*(begin|commit|rollback|savepoint)\b(?!:))x",
        std::regex::icase | std::regex::optimize);
    const size_t code = line.find_first_not_of(" \t");
    if (code == std::string::npos || line.compare(code, 2, "//") == 0 || line[code] == '*')
        return false;
    return std::regex_search(line, statements);
}

struct Sample {
    const char* line;
    bool sql;
};

class SqlDetector : public ::testing::TestWithParam<Sample> {};

TEST_P(SqlDetector, FindsStatementsAndNothingElse) {
    EXPECT_EQ(HoldsSql(GetParam().line), GetParam().sql) << GetParam().line;
}

INSTANTIATE_TEST_SUITE_P(
    Lines, SqlDetector,
    ::testing::Values(
        Sample{R"x(host.Run("DELETE FROM mylist WHERE ID=" + id);)x", true},
        Sample{R"x(q = "select title,content from mylist";)x", true},
        Sample{R"x(  "SELECT " + select + " FROM mylist WHERE ID=")x", true},
        Sample{R"x(db.Execute("INSERT OR REPLACE INTO mylist(title) VALUES(?1)");)x", true},
        Sample{R"x(sql = "UPDATE mylist SET title=?1";)x", true},
        Sample{R"x(Query("PRAGMA data_version");)x", true},
        Sample{R"x(db.Execute("CREATE INDEX IF NOT EXISTS i ON mylist (state)");)x", true},
        Sample{R"x(db.Execute("BEGIN");)x", true},
        // A vCard's "BEGIN:VCARD" is a keyword and a colon, which no statement is.
        Sample{R"x(std::string out = "BEGIN:VCARD\r\n";)x", false},
        Sample{R"x(p->name == "BEGIN" && value == "VCARD")x", true},
        Sample{R"x(// DELETE FROM mylist is run by the store)x", false},
        Sample{R"x( * SELECT title FROM mylist, in a block comment)x", false},
        Sample{R"x(edit->selectAll();)x", false},
        Sample{R"x(ShowMsgBox(Cp("是否真的要删除您所选择的记录？"));)x", false},
        Sample{R"x(const QString deleted = tr("Delete the note from the list");)x", false},
        Sample{R"x(if (HasRecordCode(work, "DeNo")) DeleteRecord(kind, id);)x", false},
        Sample{R"x(auto begin = text.begin();)x", false}, Sample{R"x(#pragma once)x", false},
        Sample{R"x(for (int i = 0; i < n; ++i) select(from);)x", false}));

// The folders of program code that may not hold SQL: every top folder but
// the store and what only builds or tests the program.
bool ProgramFolder(const fs::path& folder) {
    static const std::vector<std::string> apart = {"store", "tests", "bench",   "fuzz", "build",
                                                   "tools", "docs",  "package", "data", "cmake"};
    const std::string name = folder.filename().string();
    if (name.empty() || name[0] == '.') return false;
    for (const std::string& other : apart)
        if (name == other) return false;
    return true;
}

TEST(StoreBoundary, NoProgramCodeOutsideTheStoreHoldsSqlText) {
    const fs::path source(KORVANE_SOURCE_DIR);
    std::error_code error;
    if (!fs::is_directory(source / "store", error)) GTEST_SKIP() << "no source tree here";
    size_t files = 0;
    for (const fs::directory_entry& top : fs::directory_iterator(source)) {
        if (!top.is_directory() || !ProgramFolder(top.path())) continue;
        for (const fs::directory_entry& entry : fs::recursive_directory_iterator(top.path())) {
            const std::string ext = entry.path().extension().string();
            if (!entry.is_regular_file() || (ext != ".cpp" && ext != ".h" && ext != ".in"))
                continue;
            ++files;
            std::ifstream in(entry.path());
            std::string line;
            for (int number = 1; std::getline(in, line); ++number) {
                EXPECT_FALSE(HoldsSql(line))
                    << fs::relative(entry.path(), source).string() << ":" << number << ": " << line;
            }
        }
    }
    EXPECT_GT(files, 50u);  // the program's folders were found and read
}

// Non-ASCII text in a string literal of code (not a comment): words for the
// user. The full-width apostrophe that user text's apostrophes become is a
// character, not words.
bool HoldsWords(const std::string& line) {
    const size_t code = line.find_first_not_of(" \t");
    if (code == std::string::npos || line.compare(code, 2, "//") == 0) return false;
    const size_t quote = line.find('"');
    if (quote == std::string::npos) return false;
    const std::string literal = line.substr(quote, line.find("//", quote) - quote);
    std::string rest = literal;
    for (size_t at; (at = rest.find("\xEF\xBC\x87")) != std::string::npos;) rest.erase(at, 3);
    for (const unsigned char c : rest)
        if (c >= 0x80) return true;
    return false;
}

TEST(StoreBoundary, TheStoreMakesNoTextForTheUser) {
    const fs::path store = fs::path(KORVANE_SOURCE_DIR) / "store";
    std::error_code error;
    if (!fs::is_directory(store, error)) GTEST_SKIP() << "no source tree here";
    EXPECT_TRUE(HoldsWords(R"x(return Cp("保存失败");)x"));
    EXPECT_FALSE(HoldsWords(R"x(static const std::string fullWidth = Cp("＇");)x"));
    for (const fs::directory_entry& entry : fs::directory_iterator(store)) {
        if (!entry.is_regular_file()) continue;
        std::ifstream in(entry.path());
        std::string line;
        for (int number = 1; std::getline(in, line); ++number) {
            EXPECT_FALSE(HoldsWords(line))
                << entry.path().filename().string() << ":" << number << ": " << line;
        }
    }
}

}  // namespace
}  // namespace korvane
