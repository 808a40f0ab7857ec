// The trash and the history: a delete undone or a version restored gives
// back exactly the stored values; the trash empties itself after 30 days;
// versions thin out by age; the tables appear only with the first change
// that needs them; a broken table never stops a delete or a save.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "store/keeping.h"
#include "store/notebook.h"
#include "store/records.h"
#include "support/notebook.h"
#include "support/tempdir.h"

namespace korvane {
namespace {

using test::AppFolder;

constexpr int64_t kDay = 86400;
constexpr int64_t kT0 = 1'800'000'000;  // a fixed clock

// Every column of record `id` with its storage type, as another connection reads it.
std::vector<std::string> Stored(const AppFolder& app, int64_t id) {
    return test::ColumnOf(app.Database(),
                          "SELECT quote(ID)||quote(title)||quote(content)||quote(tel)||"
                          "quote(state)||quote(cre_date) FROM mylist WHERE ID=" +
                              std::to_string(id));
}

int64_t Count(const AppFolder& app, const std::string& query) {
    const std::vector<std::string> v = test::ColumnOf(app.Database(), query);
    return v.empty() ? -1 : std::stoll(v[0]);
}

bool TableExists(const AppFolder& app, const char* table) {
    return Count(app,
                 std::string("SELECT count(*) FROM sqlite_master WHERE name='") + table + "'") == 1;
}

// Records holding what breaks careless copies: GBK and odd bytes, a blob, a
// number where text is expected, an empty telephone.
class Keeping : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(ExecSql("INSERT INTO mylist(ID,title,content,tel,state,cre_date)VALUES"
                          "(5,?1,?2,'',0,'2020-01-02 03:04:05'),"
                          "(9,?3,X'00FF80',42,1,'2021-05-06 07:08:09')",
                          {std::string("\xC4\xE3\x80\xFF t"), std::string("a\r\nb{EM3EM}"),
                           std::string("\x81\x30\x81\x30")}),
                  "Done");
        five_ = Stored(app_, 5);
        nine_ = Stored(app_, 9);
    }
    AppFolder app_;
    std::vector<std::string> five_, nine_;
};

TEST_F(Keeping, ADeleteUndoneOrRestoredGivesBackTheRecordExactly) {
    EXPECT_FALSE(TableExists(app_, kTrashTable));  // nothing made before it is needed
    ASSERT_TRUE(DeleteRecord(RecordKind::Note, 5, kT0).Ok());
    ASSERT_TRUE(DeleteRecord(RecordKind::Contact, 9, kT0 + 1).Ok());
    EXPECT_TRUE(Stored(app_, 5).empty());
    ASSERT_TRUE(UndoDelete(5).Ok());
    EXPECT_EQ(Stored(app_, 5), five_);
    EXPECT_EQ(UndoDelete(5).status, StoreStatus::NotFound);  // undone once only

    TrashWindow trash;
    ASSERT_TRUE(UseNotebook([&trash] { trash = ReadTrashWindow(0, 10); }).Ok());
    ASSERT_EQ(trash.total, 1);
    EXPECT_EQ(trash.rows[0].kind, RecordKind::Contact);
    EXPECT_EQ(trash.rows[0].row.id, "9");
    ASSERT_TRUE(RestoreFromTrash(trash.rows[0].trashId).Ok());
    EXPECT_EQ(Stored(app_, 9), nine_);
    EXPECT_EQ(Count(app_, "SELECT count(*) FROM korvane_trash"), 0);
}

TEST_F(Keeping, ARestoreWhoseNumberWasTakenGetsANewOne) {
    ASSERT_TRUE(DeleteRecord(RecordKind::Note, 5, kT0).Ok());
    ASSERT_EQ(ExecSql("INSERT INTO mylist(ID,title,state)VALUES(5,'taken',0)"), "Done");
    ASSERT_TRUE(UndoDelete(5).Ok());
    EXPECT_EQ(Count(app_, "SELECT count(*) FROM mylist WHERE title=CAST(X'C4E380FF2074' AS TEXT)"),
              1);
    EXPECT_EQ(test::ColumnOf(app_.Database(), "SELECT title FROM mylist WHERE ID=5"),
              std::vector<std::string>{"taken"});
}

TEST_F(Keeping, TheTrashKeepsThirtyDaysAndEmptiesOnRequest) {
    ASSERT_TRUE(DeleteRecord(RecordKind::Note, 5, kT0).Ok());
    ASSERT_TRUE(DeleteRecord(RecordKind::Contact, 9, kT0 + 20 * kDay).Ok());
    ASSERT_TRUE(PurgeOldTrash(kT0 + 30 * kDay - 1).Ok());
    EXPECT_EQ(Count(app_, "SELECT count(*) FROM korvane_trash"), 2);
    ASSERT_TRUE(PurgeOldTrash(kT0 + 30 * kDay + 1).Ok());
    EXPECT_EQ(Count(app_, "SELECT group_concat(record) FROM korvane_trash"), 9);
    ASSERT_TRUE(EmptyTrash().Ok());
    EXPECT_EQ(Count(app_, "SELECT count(*) FROM korvane_trash"), 0);
    EXPECT_EQ(Count(app_, "SELECT count(*) FROM mylist"), 0);
}

TEST_F(Keeping, ASaveThatChangesKeepsTheVersionAndARestoreIsANewSave) {
    const std::vector<RecordField> same = {{"title", "\xC4\xE3\x80\xFF t"},
                                           {"content", "a\r\nb{EM3EM}"}};
    ASSERT_TRUE(SaveRecord(RecordKind::Note, 5, same, "2026-01-01 00:00:00", kT0).Ok());
    EXPECT_FALSE(TableExists(app_, kHistoryTable) &&
                 Count(app_, "SELECT count(*) FROM korvane_history") > 0);
    ASSERT_TRUE(SaveRecord(RecordKind::Note, 5, {{"title", "new"}, {"content", "it's"}},
                           "2026-01-02 00:00:00", kT0 + 10)
                    .Ok());
    RecordHistory history = ReadHistory(5);
    ASSERT_TRUE(history.result.Ok());
    ASSERT_EQ(history.versions.size(), 1u);
    EXPECT_EQ(history.versions[0].date, "2026-01-01 00:00:00");
    ASSERT_TRUE(
        RestoreVersion(5, history.versions[0].versionId, "2026-01-03 00:00:00", kT0 + 20).Ok());
    std::vector<std::string> expected = five_;
    const std::string oldDate = "'2020-01-02 03:04:05'";
    expected[0].replace(expected[0].find(oldDate), oldDate.size(), "'2026-01-03 00:00:00'");
    EXPECT_EQ(Stored(app_, 5), expected);
    history = ReadHistory(5);
    ASSERT_EQ(history.versions.size(), 2u);  // the replaced "new" version too
    EXPECT_EQ(history.versions[0].title, "new");
    EXPECT_EQ(history.versions[0].content, "it\xA3\xA7s");
}

// Saves at known ages and checks what thinning leaves: the newest 50, then
// one a day up to a month, one a week beyond.
TEST_F(Keeping, VersionsThinOutByAge) {
    const int64_t now = kT0 + 200 * kDay;
    std::vector<int64_t> moments;
    // One a day, three a day in the last forty days.
    for (int64_t t = kT0; t < now; t += (now - t > 40 * kDay ? kDay : kDay / 3))
        moments.push_back(t);
    for (size_t i = 0; i < moments.size(); ++i) {
        ASSERT_TRUE(
            SaveRecord(RecordKind::Note, 5, {{"title", std::to_string(i)}}, "d", moments[i]).Ok());
    }
    ASSERT_TRUE(SaveRecord(RecordKind::Note, 5, {{"title", "last"}}, "d", now).Ok());
    const RecordHistory history = ReadHistory(5);
    ASSERT_TRUE(history.result.Ok());
    std::set<int64_t> days, weeks;
    for (size_t i = 0; i < history.versions.size(); ++i) {
        const int64_t at = history.versions[i].savedAt;
        if (i < kVersionsKept) continue;
        if (now - at <= 30 * kDay) {
            EXPECT_TRUE(days.insert(at / kDay).second) << "two versions of one day kept";
        } else {
            EXPECT_TRUE(weeks.insert(at / (7 * kDay)).second) << "two versions of one week kept";
        }
    }
    EXPECT_GT(weeks.size(), 20u);  // the old ones thinned, not dropped
    EXPECT_LT(history.versions.size(), 100u);
    EXPECT_EQ(history.versions[0].savedAt, now);
}

TEST_F(Keeping, ABrokenTableIsSetAsideAndNeverStopsADeleteOrASave) {
    ASSERT_EQ(ExecSql("CREATE TABLE korvane_trash(x)"), "Done");
    ASSERT_EQ(ExecSql("CREATE TABLE korvane_history(y)"), "Done");
    ASSERT_TRUE(DeleteRecord(RecordKind::Note, 5, kT0).Ok());
    ASSERT_TRUE(SaveRecord(RecordKind::Contact, 9, {{"title", "x"}}, "d", kT0).Ok());
    const KeepingFindings findings = TakeKeepingFindings();
    EXPECT_EQ(findings.setAside.size(), 2u);
    EXPECT_FALSE(findings.copyLost);
    ASSERT_TRUE(UndoDelete(5).Ok());  // the fresh trash took the copy
    EXPECT_EQ(Stored(app_, 5), five_);
    EXPECT_EQ(ReadHistory(9).versions.size(), 1u);
    EXPECT_FALSE(TakeKeepingFindings().Any());
}

TEST_F(Keeping, TheHistoryIsBoundedOldestFirst) {
    for (int i = 0; i < 20; ++i) {
        ASSERT_TRUE(SaveRecord(RecordKind::Note, 5, {{"content", std::string(10000, 'a' + i)}}, "d",
                               kT0 + i)
                        .Ok());
    }
    ASSERT_TRUE(BoundHistory(int64_t{1} << 30).Ok());  // a small file is left alone
    EXPECT_EQ(ReadHistory(5).versions.size(), 20u);
    ASSERT_TRUE(BoundHistory(60000).Ok());
    const RecordHistory history = ReadHistory(5);
    ASSERT_EQ(history.versions.size(), 5u);  // 5 x 10,005 bytes
    EXPECT_EQ(history.versions[0].savedAt, kT0 + 19);
}

}  // namespace
}  // namespace korvane
