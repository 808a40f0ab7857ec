// The notebook store: opening with the restore rule, statements, record load,
// the apostrophe rule, and what happens with broken, locked or foreign files.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <fstream>
#include <vector>

#include "platform/codepage.h"
#include "render/notices.h"
#include "render/storetexts.h"
#include "store/notebook.h"
#include "store/sqlitelayer.h"
#include "support/tempdir.h"

namespace fs = std::filesystem;

namespace korvane {
namespace {

using test::ReadFile;
using test::WriteFile;

std::string InsertNote(const std::string& title, const std::string& body,
                       const std::string& date = "2026-12-07 10:00:00") {
    return ExecSql("INSERT INTO mylist(title,content,state,cre_date)VALUES('" +
                   ReplaceApostrophes(title) + "','" + ReplaceApostrophes(body) + "',0,'" + date +
                   "')");
}

TEST(Store, FirstStartRestoresThePristineCopyAndNeverTouchesItAgain) {
    test::AppFolder app;
    const std::string pristine = ReadFile(app.path() / "hd" / "glst.mysql.root");
    ASSERT_FALSE(fs::exists(app.Database()));
    EXPECT_EQ(OpenDatabase(), "1");
    EXPECT_TRUE(fs::exists(app.Database()));
    EXPECT_EQ(InsertNote("t", "b"), "Done");
    EXPECT_EQ(ReadFile(app.path() / "hd" / "glst.mysql.root"), pristine);
}

TEST(Store, AnExistingWorkingFileIsNeverOverwritten) {
    test::AppFolder app;
    fs::copy_file(app.path() / "hd" / "glst.mysql.root", app.Database());
    TSQLiteDatabase(test::CodePagePath(app.Database()))
        .Execute("INSERT INTO mylist(title,state,cre_date) VALUES('kept',0,'x')");
    EXPECT_EQ(OpenDatabase(), "1");
    std::array<std::string, 9> values;
    LoadRecord("SELECT title FROM mylist", values);
    EXPECT_EQ(values[0], "kept");
}

TEST(Store, BothFilesMissingGivesTheMissingTextAndRetriesEachCall) {
    test::AppFolder app("korvane nodb", false);
    EXPECT_EQ(OpenDatabase(), texts::DatabaseMissing());
    EXPECT_EQ(ExecSql("DELETE FROM mylist WHERE ID=1"), texts::DatabaseMissing());
    std::array<std::string, 9> values;
    LoadRecord("SELECT title FROM mylist", values);
    EXPECT_EQ(values[0], "");  // values untouched
    EXPECT_FALSE(fs::exists(app.Database()));
    // The next call tries again: once the pristine file is back, it opens.
    fs::copy_file(fs::path(KORVANE_DATA_DIR) / "hd" / "glst.mysql.root",
                  app.path() / "hd" / "glst.mysql.root");
    EXPECT_EQ(OpenDatabase(), "1");
}

TEST(Store, MissingTextIsExact) {
    EXPECT_EQ(platform::FromCodePage(texts::DatabaseMissing()),
              "<br/><br/>无法找到数据库,请重新安装!<br/><br/>注意：因数据库的限制，请不要直接复制到"
              "桌面上运行<br/><br/>　　　并且安装的目录不能包含中文字<br/><br/>　　例如安装到 "
              "\"D:\\Brisvale\\\" 下即可正常使用，谢谢！");
}

TEST(Store, StatementsInsertUpdateDeleteAndLoad) {
    test::AppFolder app;
    EXPECT_EQ(InsertNote("title", "body"), "Done");
    std::array<std::string, 9> values;
    LoadRecord("SELECT title,content FROM mylist WHERE ID=1", values);
    EXPECT_EQ(values[0], "title");
    EXPECT_EQ(values[1], "body");
    EXPECT_EQ(ExecSql("UPDATE mylist SET title='new',content='c',cre_date='d' WHERE ID=1"), "Done");
    values = {};
    LoadRecord("SELECT title,content FROM mylist WHERE ID=1", values);
    EXPECT_EQ(values[0], "new");
    EXPECT_EQ(ExecSql("DELETE FROM mylist WHERE ID=1"), "Done");
    EXPECT_EQ(ExecSql("DELETE FROM mylist WHERE ID=999"), "Done");  // no row matched: still done
    values = {};
    LoadRecord("SELECT title,content FROM mylist WHERE ID=1", values);
    EXPECT_EQ(values[0], "N-1");
    EXPECT_EQ(values[1], texts::NoData());
}

TEST(Store, BlankAndFailingStatementsGiveANotice) {
    test::AppFolder app;
    EXPECT_EQ(ExecSql("   \r\n "), texts::SaveFailed(texts::SaveFailure::Empty));
    EXPECT_EQ(ExecSql("INSERT INTO nowhere VALUES(1)"),
              texts::SaveFailed(texts::SaveFailure::Failed));
    EXPECT_EQ(ExecSql("this is not sql"), texts::SaveFailed(texts::SaveFailure::Failed));
}

TEST(Store, TwoStatementsRunOnlyTheFirst) {
    test::AppFolder app;
    EXPECT_EQ(InsertNote("a", "b"), "Done");
    EXPECT_EQ(ExecSql("DELETE FROM mylist WHERE ID=1; DROP TABLE mylist"), "Done");
    EXPECT_EQ(InsertNote("still", "here"), "Done");
}

TEST(Store, UserTextCanNeverEndAQuotedLiteral) {
    test::AppFolder app;
    const std::string fullWidth = platform::ToCodePage("＇");
    EXPECT_EQ(InsertNote("'''", "x'); DROP TABLE mylist; --"), "Done");
    std::array<std::string, 9> values;
    LoadRecord("SELECT title,content FROM mylist WHERE ID=1", values);
    EXPECT_EQ(values[0], fullWidth + fullWidth + fullWidth);
    EXPECT_EQ(values[1], "x" + fullWidth + "); DROP TABLE mylist; --");
    EXPECT_EQ(fullWidth, "\xA3\xA7");
    // GBK's second bytes never equal the apostrophe, so Chinese text stays whole.
    const std::string chinese = platform::ToCodePage("联系人的备注");
    EXPECT_EQ(ReplaceApostrophes(chinese), chinese);
}

TEST(Store, AFileThatIsNoDatabaseLosesNothing) {
    test::AppFolder app;
    const std::string junk = "this is a text file, not a database\n";
    std::ofstream(app.Database(), std::ios::binary) << junk;
    // The foreign file is kept aside, byte for byte, and a fresh notebook opens.
    EXPECT_EQ(OpenDatabase(), "1");
    EXPECT_NE(OpenNotice(), "");
    EXPECT_EQ(ExecSql("DELETE FROM mylist WHERE ID=1"), "Done");
    std::vector<fs::path> aside;
    for (const auto& entry : fs::directory_iterator(app.path() / "hd")) {
        if (entry.path().filename().string().starts_with("glst.mysql.damaged-"))
            aside.push_back(entry.path());
    }
    ASSERT_EQ(aside.size(), 1u);
    EXPECT_EQ(ReadFile(aside[0]), junk);
}

TEST(Store, ADatabaseWithoutTheTableSaysSo) {
    test::AppFolder app;
    TSQLiteDatabase(test::CodePagePath(app.Database())).Execute("CREATE TABLE other(a)");
    EXPECT_EQ(ExecSql("DELETE FROM mylist WHERE ID=1"), texts::DatabaseBroken());
    std::array<std::string, 9> values;
    LoadRecord("SELECT title FROM mylist", values);
    EXPECT_EQ(values[0], "N-1");
    EXPECT_EQ(values[1], texts::DatabaseBroken());
}

TEST(Store, ALockedDatabaseFailsAfterTheTimeoutAndLosesNothing) {
    test::AppFolder app;
    EXPECT_EQ(InsertNote("committed", "x"), "Done");
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(test::Utf8(app.Database()).c_str(), &other), SQLITE_OK);
    ASSERT_EQ(
        sqlite3_exec(other, "BEGIN IMMEDIATE; DELETE FROM mylist;", nullptr, nullptr, nullptr),
        SQLITE_OK);
    // Waits for the writer, then gives up with the lock notice.
    EXPECT_EQ(InsertNote("blocked", "y"), texts::SaveFailed(texts::SaveFailure::Locked));
    std::array<std::string, 9> values;
    LoadRecord("SELECT title FROM mylist WHERE ID=1", values);  // readers still see the commit
    EXPECT_EQ(values[0], "committed");
    sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(other);
    EXPECT_EQ(InsertNote("after", "z"), "Done");
}

TEST(Store, FolderWithBlanksAndChineseCharacters) {
    test::AppFolder app("我的 记事本 folder");
    EXPECT_EQ(OpenDatabase(), "1");
    EXPECT_EQ(InsertNote("标题", "内容"), "Done");
    EXPECT_TRUE(fs::exists(app.Database()));
}

TEST(Store, LoadRecordNeverWritesPastItsNineValues) {
    test::AppFolder app;
    EXPECT_EQ(InsertNote("a", "b"), "Done");
    std::array<std::string, 9> values;
    LoadRecord("SELECT 1,2,3,4,5,6,7,8,9,10,11", values);
    EXPECT_EQ(values[8], "9");
}

}  // namespace
}  // namespace korvane
