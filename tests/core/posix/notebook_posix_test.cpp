// The notebook store where it meets POSIX: the sqlite3 shell reading the same
// file, and file modes that forbid writing.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>

#include "platform/codepage.h"
#include "render/storetexts.h"
#include "store/notebook.h"
#include "support/tempdir.h"

namespace fs = std::filesystem;

namespace korvane {
namespace {

// Runs the sqlite3 shell on a database and returns what it printed.
std::string Shell(const fs::path& db, const std::string& sql) {
    const std::string command = "sqlite3 '" + db.string() + "' \"" + sql + "\"";
    FILE* pipe = popen(command.c_str(), "r");
    std::string out;
    char buffer[4096];
    for (size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
    pclose(pipe);
    return out;
}

std::string InsertNote(const std::string& title, const std::string& body,
                       const std::string& date = "2026-12-07 10:00:00") {
    return ExecSql("INSERT INTO mylist(title,content,state,cre_date)VALUES('" +
                   ReplaceApostrophes(title) + "','" + ReplaceApostrophes(body) + "',0,'" + date +
                   "')");
}

TEST(Store, ShellReadsTheBytesTheStoreWroteAndBack) {
    test::AppFolder app;
    const std::string title = platform::ToCodePage("会议记录：下午三点");
    EXPECT_EQ(InsertNote(title, "x"), "Done");
    const std::string hex = Shell(app.Database(), "SELECT hex(title) FROM mylist WHERE ID=1");
    std::string expected;
    for (unsigned char c : title) {
        char b[3];
        std::snprintf(b, sizeof b, "%02X", c);
        expected += b;
    }
    EXPECT_EQ(hex, expected + "\n");
    // And the store reads back exactly what the shell wrote.
    Shell(app.Database(),
          "INSERT INTO mylist(title,content,state,cre_date) VALUES(CAST(X'C4E3BAC3' AS "
          "TEXT),'',1,'d')");
    std::array<std::string, 9> values;
    LoadRecord("SELECT title FROM mylist WHERE state=1", values);
    EXPECT_EQ(values[0], "\xC4\xE3\xBA\xC3");  // 你好 in GBK
}

// In a child process: drop root, try to write, check the old record is intact.
[[noreturn]] void WriteAsUnprivilegedUser() {
    if (::geteuid() == 0 && ::setuid(65534) != 0) std::_Exit(2);
    bool ok = InsertNote("new", "y") == texts::SaveFailed(texts::SaveFailure::ReadOnly);
    std::array<std::string, 9> values;
    LoadRecord("SELECT title FROM mylist", values);
    ok = ok && values[0] == "kept";
    std::_Exit(ok ? 0 : 1);
}

TEST(Store, AReadOnlyDatabaseRefusesWritesAndKeepsItsRecords) {
    test::AppFolder app;
    EXPECT_EQ(InsertNote("kept", "x"), "Done");
    CloseDatabase();
    fs::permissions(app.Database(),
                    fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    // Root writes through file modes, so the check runs in a child process that
    // has given up root (as an ordinary user it simply runs as itself).
    EXPECT_EXIT(WriteAsUnprivilegedUser(), ::testing::ExitedWithCode(0), "");
}

}  // namespace
}  // namespace korvane
