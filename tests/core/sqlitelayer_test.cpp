// The SQLite access layer: result sets, field kinds, failures and their texts.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include "platform/codepage.h"
#include "store/sqlitelayer.h"
#include "support/tempdir.h"

namespace korvane {
namespace {

class SqliteLayer : public ::testing::Test {
  protected:
    test::TempDir dir{"sqlite layer"};
    std::string file = dir.CodePageDir() + "t.db";
    TSQLiteDatabase db{file};
};

TEST_F(SqliteLayer, EmptyResultHasNoColumnsAndRaisesOnAccess) {
    db.Execute("CREATE TABLE t (a INTEGER)");
    auto table = db.OpenQuery("SELECT a FROM t");
    EXPECT_EQ(table->RowCount(), 0);
    EXPECT_EQ(table->ColumnCount(), 0);
    EXPECT_TRUE(table->AtEnd());
    EXPECT_FALSE(table->GoFirst());
    EXPECT_THROW(
        {
            try {
                table->FieldText(0);
            } catch (const ESQLiteException& e) {
                EXPECT_STREQ(e.what(), "Table is at End of File");
                throw;
            }
        },
        ESQLiteException);
}

TEST_F(SqliteLayer, WalksRowsAndRewinds) {
    db.Execute("CREATE TABLE t (a INTEGER)");
    db.Execute("INSERT INTO t VALUES (1)");
    db.Execute("INSERT INTO t VALUES (2)");
    auto table = db.OpenQuery("SELECT a FROM t ORDER BY a");
    ASSERT_EQ(table->RowCount(), 2);
    EXPECT_EQ(table->FieldInt64(0), 1);
    EXPECT_TRUE(table->GoNext());
    EXPECT_EQ(table->FieldInt64(0), 2);
    EXPECT_TRUE(table->GoNext());  // the step that reaches the end still answers true
    EXPECT_TRUE(table->AtEnd());
    EXPECT_FALSE(table->GoNext());
    EXPECT_TRUE(table->GoFirst());
    EXPECT_EQ(table->FieldText(0), "1");
}

TEST_F(SqliteLayer, FieldKindsFollowTheDeclaredTypeExactly) {
    db.Execute(
        "CREATE TABLE t (i INTEGER, t TEXT, v VARCHAR(20), int_ INT, f REAL, n NUMERIC, b BLOB)");
    db.Execute("INSERT INTO t VALUES (NULL, NULL, 7, 8, 2.5, NULL, x'')");
    db.Execute("INSERT INTO t VALUES (42, 'x', 9, 10, 1e300, 3, x'00ff41')");
    auto table = db.OpenQuery("SELECT i, t, v, int_, f, n, b FROM t ORDER BY rowid");
    // Absent cells: integer and float kinds read "0", text reads empty, empty blob is absent.
    EXPECT_EQ(table->FieldText(0), "0");
    EXPECT_EQ(table->FieldText(1), "");
    EXPECT_EQ(table->FieldText(5), "0");
    EXPECT_FALSE(table->FieldStream(6).has_value());
    EXPECT_EQ(table->FieldText(6), "");
    // VARCHAR(20) and INT are text kind: SQLite's own text form of the number.
    EXPECT_EQ(table->FieldText(2), "7");
    EXPECT_EQ(table->FieldText(3), "8");
    EXPECT_THROW(table->FieldInt64(2), ESQLiteException);
    EXPECT_THROW(table->FieldInt64(3), ESQLiteException);
    EXPECT_EQ(table->FieldText(4), "2.5");
    EXPECT_EQ(table->FieldInt64(4), 2);  // float truncated toward zero
    table->GoNext();
    EXPECT_EQ(table->FieldText(0), "42");
    EXPECT_EQ(table->FieldText(4), "1e+300");
    EXPECT_EQ(table->FieldBlobText(6), std::string("\0\xff"
                                                   "A",
                                                   3));
    EXPECT_THROW(table->FieldStream(1), ESQLiteException);
    EXPECT_THROW(table->FieldFloat(1), ESQLiteException);
}

TEST_F(SqliteLayer, HugeFloatsSaturateWhenReadAsIntegers) {
    db.Execute("CREATE TABLE t (f REAL)");
    db.Execute("INSERT INTO t VALUES (1e300), (-1e300), (-2.9)");
    auto table = db.OpenQuery("SELECT f FROM t ORDER BY rowid");
    EXPECT_EQ(table->FieldInt64(0), INT64_MAX);
    table->GoNext();
    EXPECT_EQ(table->FieldInt64(0), INT64_MIN);
    table->GoNext();
    EXPECT_EQ(table->FieldInt64(0), -2);
}

TEST_F(SqliteLayer, ExpressionColumnsTakeTheirKindFromTheFirstRow) {
    auto table = db.OpenQuery("SELECT 1+1, 0.5*3, 'a'||'b', NULL");
    EXPECT_EQ(table->FieldInt64(0), 2);
    EXPECT_DOUBLE_EQ(table->FieldFloat(1), 1.5);
    EXPECT_EQ(table->FieldText(2), "ab");
    EXPECT_EQ(table->FieldText(3), "");
    EXPECT_EQ(table->FieldInt64(3), 0);  // an absent cell reads 0 whatever the kind
}

TEST_F(SqliteLayer, BadColumnIndexIsAnIndexErrorNeverAnotherColumn) {
    auto table = db.OpenQuery("SELECT 'a', 'b'");
    EXPECT_THROW(table->FieldText(2), std::out_of_range);
    EXPECT_THROW(table->FieldText(-1), std::out_of_range);
    EXPECT_EQ(table->FieldText(1), "b");
}

TEST_F(SqliteLayer, ExecuteRunsOnlyTheFirstStatementAndRefusesRows) {
    db.Execute("CREATE TABLE t (a TEXT); CREATE TABLE u (b TEXT)");
    EXPECT_TRUE(db.HasTable("t"));
    EXPECT_FALSE(db.HasTable("u"));
    EXPECT_NO_THROW(db.Execute("SELECT a FROM t"));  // no row: done
    db.Execute("INSERT INTO t VALUES ('x')");
    try {
        db.Execute("SELECT a FROM t");
        FAIL();
    } catch (const ESQLiteException& e) {
        EXPECT_EQ(std::string(e.what()).rfind("Error executing SQL statement", 0), 0u);
    }
    // The connection stays usable after a failure.
    EXPECT_EQ(db.OpenQuery("SELECT count(*) FROM t")->FieldInt64(0), 1);
}

TEST_F(SqliteLayer, ErrorTextsCarryTheDetailWithBareCarriageReturns) {
    const std::string sql = "SELECT * FROM missing";
    try {
        db.OpenQuery(sql);
        FAIL();
    } catch (const ESQLiteException& e) {
        EXPECT_EQ(std::string(e.what()),
                  "Error executing SQL.\rError [1]: SQL error or missing database.\r\"" + sql +
                      "\": no such table: missing");
    }
    try {
        db.Execute("  -- only a comment");
        FAIL();
    } catch (const ESQLiteException& e) {
        EXPECT_EQ(std::string(e.what()).rfind("Could not prepare SQL statement", 0), 0u);
    }
}

TEST_F(SqliteLayer, HasTableIgnoresAsciiCase) {
    db.Execute("CREATE TABLE MYLIST (a)");
    EXPECT_TRUE(db.HasTable("MyList"));
    EXPECT_TRUE(db.HasTable("mylist"));
    EXPECT_FALSE(db.HasTable("mylist2"));
}

TEST_F(SqliteLayer, BytesPassThroughUnchanged) {
    const std::string gbk = platform::ToCodePage("记事本：你好");
    db.Execute("CREATE TABLE t (a TEXT)");
    db.Execute("INSERT INTO t VALUES ('" + gbk + "')");
    EXPECT_EQ(db.OpenQuery("SELECT a FROM t")->FieldText(0), gbk);
}

TEST_F(SqliteLayer, PositionalValuesAreBound) {
    db.Execute("CREATE TABLE t (i INTEGER, r REAL, s TEXT, w TEXT, b BLOB, n TEXT)");
    db.Execute("INSERT INTO t VALUES (?, ?, ?, ?, ?, ?)",
               {int64_t{1} << 40, 0.25, std::string("it's"), std::u16string(u"\u4f60"),
                SqlBlob{std::string("\x01\x02", 2)}, std::monostate{}});
    auto table = db.OpenQuery("SELECT i, r, s, w, b, n FROM t WHERE i > ?", {int32_t{0}});
    EXPECT_EQ(table->FieldInt64(0), int64_t{1} << 40);
    EXPECT_EQ(table->FieldText(1), "0.25");
    EXPECT_EQ(table->FieldText(2), "it's");
    EXPECT_EQ(table->FieldText(3), "\xe4\xbd\xa0");  // wide text is stored as UTF-8
    EXPECT_EQ(table->FieldBlobText(4), std::string("\x01\x02", 2));
    EXPECT_EQ(table->FieldText(5), "");
    EXPECT_THROW(db.OpenQuery("SELECT ?", {1, 2}), ESQLiteException);  // index out of range
}

TEST(SqliteOpen, MissingFolderGivesFileNameAndLibraryMessage) {
    const std::string name = "/nonexistent-korvane-folder/x.db";
    try {
        TSQLiteDatabase db(name);
        FAIL();
    } catch (const ESQLiteException& e) {
        EXPECT_EQ(std::string(e.what()),
                  "Failed to open database \"" + name + "\" : unable to open database file");
    }
}

TEST(SqliteOpen, BusyDatabaseFailsAtOnce) {
    test::TempDir dir("busy");
    const std::string file = dir.CodePageDir() + "t.db";
    TSQLiteDatabase db(file);
    db.Execute("CREATE TABLE t (a)");
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(test::Utf8(dir.path() / "t.db").c_str(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN EXCLUSIVE; INSERT INTO t VALUES (1);", nullptr, nullptr,
                           nullptr),
              SQLITE_OK);
    try {
        db.OpenQuery("SELECT a FROM t");
        FAIL();
    } catch (const ESQLiteException& e) {
        EXPECT_STREQ(e.what(), "Could not prepare SQL statement");
    }
    EXPECT_THROW(db.Execute("INSERT INTO t VALUES (2)"), ESQLiteException);
    sqlite3_exec(other, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(other);
    EXPECT_EQ(db.OpenQuery("SELECT count(*) FROM t")->FieldInt64(0), 1);
}

// A file made by another program, with a trigger that writes `sentinel` on
// every insert into `t` and a view over `t`.
class ForeignSchema : public ::testing::Test {
  protected:
    void SetUp() override {
        sqlite3* maker = nullptr;
        ASSERT_EQ(sqlite3_open(test::Utf8(dir.path() / "f.db").c_str(), &maker), SQLITE_OK);
        const int rc = sqlite3_exec(maker,
                                    "CREATE TABLE t (a); CREATE TABLE sentinel (what);"
                                    "CREATE TRIGGER w AFTER INSERT ON t BEGIN "
                                    "INSERT INTO sentinel VALUES ('ran'); END;"
                                    "CREATE VIEW v AS SELECT a FROM t;",
                                    nullptr, nullptr, nullptr);
        sqlite3_close(maker);
        ASSERT_EQ(rc, SQLITE_OK);
    }
    // Inserts through `db` and checks that only the insert happened.
    static void ExpectOnlyTheInsert(TSQLiteDatabase& db) {
        db.Execute("INSERT INTO t VALUES (1)");
        EXPECT_EQ(db.OpenQuery("SELECT count(*) FROM t")->FieldInt64(0), 1);
        EXPECT_EQ(db.OpenQuery("SELECT count(*) FROM sentinel")->FieldInt64(0), 0);
    }
    test::TempDir dir{"foreign schema"};
    std::string file = dir.CodePageDir() + "f.db";
};

TEST_F(ForeignSchema, TriggersAndViewsNeverRunOnAnyConnection) {
    {
        TSQLiteDatabase db(file);
        ExpectOnlyTheInsert(db);
        EXPECT_THROW(db.OpenQuery("SELECT a FROM v"), ESQLiteException);
        db.Execute("DELETE FROM t");
    }
    {
        TSQLiteDatabase reader(file, TSQLiteDatabase::Mode::ReadOnly);
        EXPECT_THROW(reader.OpenQuery("SELECT a FROM v"), ESQLiteException);
        // A backup copies the file as it is, and its copy is as inert.
        reader.BackupTo(dir.CodePageDir() + "copy.db");
    }
    TSQLiteDatabase copy(dir.CodePageDir() + "copy.db");
    EXPECT_EQ(copy.OpenQuery("SELECT count(*) FROM sqlite_master WHERE type IN ('trigger','view')")
                  ->FieldInt64(0),
              2);
    ExpectOnlyTheInsert(copy);
}

TEST_F(ForeignSchema, TheSchemaIsUntrustedAndCannotBeWrittenDirectly) {
    TSQLiteDatabase db(file);
    EXPECT_EQ(db.OpenQuery("PRAGMA trusted_schema")->FieldInt64(0), 0);
    // Defensive mode: even with writable_schema asked for, sqlite_master
    // cannot be edited into a damaged file.
    db.Execute("PRAGMA writable_schema=ON");
    EXPECT_THROW(db.Execute("UPDATE sqlite_master SET sql='x' WHERE name='t'"), ESQLiteException);
    EXPECT_TRUE(db.QuickCheckOk());
}

TEST(ResultCodes, TableAndFallback) {
    EXPECT_EQ(ResultCodeText(0), "Successful result");
    EXPECT_EQ(ResultCodeText(19), "Abort due to contraint violation");
    EXPECT_EQ(ResultCodeText(26), "File opened that is not a database file");
    EXPECT_EQ(ResultCodeText(101), "sqlite3_step() has finished executing");
    EXPECT_EQ(ResultCodeText(27), "Unknown SQLite Error Code \"27\"");
    EXPECT_EQ(ResultCodeText(-1), "Unknown SQLite Error Code \"-1\"");
}

}  // namespace
}  // namespace korvane
