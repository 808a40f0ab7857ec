// The one save path of the editors: what reaches the notebook, byte for byte,
// for new and changed records, and what is never written.
#include <gtest/gtest.h>

#include <array>
#include <string>

#include "store/SQLiteTable3.h"
#include "store/dbfunc.h"
#include "store/records.h"
#include "support/tempdir.h"

namespace korvane {
namespace {

// The stored bytes of one column of the newest record, with its type.
std::string Stored(const std::string& column, int id) {
    const auto table = Database()->OpenQuery(
        "SELECT typeof(" + column + "),CAST(" + column + " AS BLOB) FROM mylist WHERE ID=?1",
        {int32_t{id}});
    table->GoFirst();
    return table->AtEnd() ? "missing" : table->FieldText(0) + ":" + table->FieldText(1);
}

int NewestId() {
    const auto table = Database()->OpenQuery("SELECT max(ID) FROM mylist");
    table->GoFirst();
    return static_cast<int>(table->FieldInt64(0));
}

TEST(SaveRecord, NewRecordsStoreTheTypedBytesWithTheApostropheRule) {
    test::AppFolder app;
    // SQL text, quotes, a GBK character whose trail byte is an ASCII letter,
    // and a NUL byte: all are stored as typed, apostrophes made full-width.
    const std::string hostile = std::string("x'); DROP TABLE mylist;--\x81\x41\"%_") + '\0' + "end";
    ASSERT_TRUE(SaveRecord(RecordKind::Contact, 0,
                           {{"title", hostile}, {"tel", "12'3"}, {"content", ""}},
                           "2026-12-08 10:00:00")
                    .Ok());
    const int id = NewestId();
    EXPECT_EQ(Stored("title", id), "text:" + ReplaceApostrophes(hostile));
    EXPECT_EQ(Stored("tel", id), "text:" + ReplaceApostrophes("12'3"));
    EXPECT_EQ(Stored("content", id), "text:");  // empty text, not NULL
    EXPECT_EQ(Stored("state", id), "integer:1");
    EXPECT_EQ(Stored("cre_date", id), "text:2026-12-08 10:00:00");
}

TEST(SaveRecord, AnUpdateWritesOnlyTheWritableFieldsAndTheDate) {
    test::AppFolder app;
    ASSERT_TRUE(
        SaveRecord(RecordKind::Note, 0, {{"title", "old"}, {"content", "body"}}, "2026-01-01")
            .Ok());
    const int id = NewestId();
    ASSERT_TRUE(SaveRecord(RecordKind::Note, id,
                           {{"title", "new"}, {"content", "shown only", false}}, "2026-02-02")
                    .Ok());
    EXPECT_EQ(Stored("title", id), "text:new");
    EXPECT_EQ(Stored("content", id), "text:body");
    EXPECT_EQ(Stored("cre_date", id), "text:2026-02-02");
    EXPECT_EQ(Stored("state", id), "integer:0");
}

TEST(SaveRecord, AColumnOutsideTheTextColumnsIsRefusedBeforeAnyWrite) {
    test::AppFolder app;
    ASSERT_EQ(OpenDatabase(), texts::kOpen);
    const int64_t before = Database()->TotalChanges();
    const StoreResult result =
        SaveRecord(RecordKind::Note, 0, {{"title", "t"}, {"state=2,content", "x"}}, "2026-01-01");
    EXPECT_EQ(result.status, StoreStatus::Failed);
    EXPECT_EQ(StatusText(result), texts::SaveFailed(texts::SaveFailure::Failed));
    EXPECT_EQ(Database()->TotalChanges(), before);
}

}  // namespace
}  // namespace korvane
