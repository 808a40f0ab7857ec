// The one save path of the editors: what reaches the notebook, byte for byte,
// for new and changed records, and what is never written.
#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <string>
#include <vector>

#include "render/storetexts.h"
#include "store/listrows.h"
#include "store/notebook.h"
#include "store/records.h"
#include "store/sqlitelayer.h"
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

// The store's calls for the page's commands and the editors, for each kind.
class OfEachKind : public ::testing::TestWithParam<RecordKind> {
  protected:
    RecordKind Other() const {
        return GetParam() == RecordKind::Note ? RecordKind::Contact : RecordKind::Note;
    }
    // Saves a record of `kind` with one text per editor column; its number.
    static int Save(RecordKind kind, const std::string& text) {
        std::vector<RecordField> fields;
        for (const std::string& column : EditorColumns(kind)) fields.push_back({column, text});
        EXPECT_TRUE(SaveRecord(kind, 0, fields, "2026-12-08 10:00:00").Ok());
        return NewestId();
    }
    static int64_t Records() {
        const auto table = Database()->OpenQuery("SELECT count(*) FROM mylist");
        table->GoFirst();
        return table->FieldInt64(0);
    }
    test::AppFolder app_;
};

INSTANTIATE_TEST_SUITE_P(Kinds, OfEachKind,
                         ::testing::Values(RecordKind::Note, RecordKind::Contact));

// What the editors read back is every stored byte, field by field in the
// order of the editor's columns, and whether it may be written back.
TEST_P(OfEachKind, ARecordReadForEditingGivesItsStoredBytesInTheEditorsOrder) {
    const std::string stored = "\x81\x41 line\r\nnext \x80\xff'end";
    const int id = Save(GetParam(), stored);
    const std::vector<std::string>& columns = EditorColumns(GetParam());
    ASSERT_EQ(columns.size(), GetParam() == RecordKind::Note ? 2u : 3u);
    // One column holds a blob: shown as its text, never written back.
    Database()->Execute("UPDATE mylist SET " + columns.back() + "=x'3432' WHERE ID=?1",
                        {int32_t{id}});
    const RecordForEditing record = LoadRecordForEditing(GetParam(), id);
    ASSERT_TRUE(record.result.Ok());
    ASSERT_EQ(record.fields.size(), columns.size());
    for (size_t i = 0; i + 1 < columns.size(); ++i) {
        EXPECT_EQ(record.fields[i].text, ReplaceApostrophes(stored)) << columns[i];
        EXPECT_TRUE(record.fields[i].readAsText) << columns[i];
    }
    EXPECT_EQ(record.fields.back().text, "42");
    EXPECT_FALSE(record.fields.back().readAsText);
    EXPECT_TRUE(LookUpRecord(id).Ok());
}

TEST_P(OfEachKind, ARecordThatIsGoneIsNotFoundAndItsTextIsTheNoDataText) {
    const int id = Save(GetParam(), "x");
    ASSERT_TRUE(DeleteRecord(GetParam(), id).Ok());
    const RecordForEditing record = LoadRecordForEditing(GetParam(), id);
    EXPECT_EQ(record.result.status, StoreStatus::NotFound);
    EXPECT_TRUE(record.fields.empty());
    EXPECT_EQ(StatusText(record.result), texts::NoData());
    EXPECT_EQ(LookUpRecord(id).status, StoreStatus::NotFound);
}

// The delete is the statement the page's command has always run: by record
// number alone. The kind only names the list shown afterwards.
TEST_P(OfEachKind, ADeleteRemovesThatRecordByItsNumberAlone) {
    const int mine = Save(GetParam(), "mine");
    const int other = Save(Other(), "other");
    const int kept = Save(GetParam(), "kept");
    const int64_t before = Records();
    EXPECT_TRUE(DeleteRecord(GetParam(), mine).Ok());
    EXPECT_TRUE(DeleteRecord(GetParam(), other).Ok());
    EXPECT_EQ(Records(), before - 2);
    EXPECT_EQ(Stored("title", mine), "missing");
    EXPECT_EQ(Stored("title", other), "missing");
    EXPECT_EQ(Stored("title", kept), "text:kept");
    // No such record: nothing to do, and nothing changes.
    EXPECT_TRUE(DeleteRecord(GetParam(), 999999).Ok());
    EXPECT_EQ(Records(), before - 2);
    // The change is journalled like every write of the program's own.
    const RecordChanges changes = TakeRecordChanges();
    EXPECT_FALSE(changes.all);
}

// Without the records table every call says so, in the text the page and the
// editors have always shown for it.
TEST_P(OfEachKind, ANotebookWithoutItsTableIsBrokenForEveryCall) {
    TSQLiteDatabase(test::CodePagePath(app_.Database())).Execute("CREATE TABLE other(a)");
    bool ran = false;
    for (const StoreResult& result :
         {DeleteRecord(GetParam(), 1), LoadRecordForEditing(GetParam(), 1).result, LookUpRecord(1),
          UseNotebook([&] { ran = true; }), ReadNotebookAtOnce([&] { ran = true; }),
          SaveRecord(GetParam(), 0, {{"title", "t"}}, "2026-01-01")}) {
        EXPECT_EQ(result.status, StoreStatus::Broken);
        EXPECT_EQ(StatusText(result), texts::DatabaseBroken());
    }
    EXPECT_FALSE(ran);
}

TEST_P(OfEachKind, WithoutANotebookEveryCallSaysItIsMissingAndMakesNothing) {
    test::AppFolder none("korvane nodb", false);
    bool ran = false;
    for (const StoreResult& result :
         {DeleteRecord(GetParam(), 1), LoadRecordForEditing(GetParam(), 1).result, LookUpRecord(1),
          UseNotebook([&] { ran = true; })}) {
        EXPECT_EQ(result.status, StoreStatus::Missing);
        EXPECT_EQ(StatusText(result), texts::DatabaseMissing());
    }
    EXPECT_FALSE(ran);
    EXPECT_FALSE(std::filesystem::exists(none.Database()));
}

// What a reader throws is a failure of the read, with what failed; nothing
// escapes the store.
TEST_P(OfEachKind, AReadThatThrowsIsAFailureWithItsReason) {
    const StoreResult thrown = UseNotebook([] { throw std::runtime_error("no markup"); });
    EXPECT_EQ(thrown.status, StoreStatus::Failed);
    EXPECT_EQ(thrown.detail, "no markup");
    const StoreResult failed =
        ReadNotebookAtOnce([] { Database()->OpenQuery("SELECT no_such_column FROM mylist"); });
    EXPECT_EQ(failed.status, StoreStatus::Failed);
    EXPECT_FALSE(failed.detail.empty());
    // The failed read left no transaction open behind it.
    EXPECT_TRUE(DeleteRecord(GetParam(), Save(GetParam(), "x")).Ok());
}

// Everything read inside one read is of one state of the file: another
// connection cannot commit until it ends.
TEST_P(OfEachKind, ReadsInOneReadSeeOneStateOfTheFile) {
    Save(GetParam(), "first");
    TSQLiteDatabase other(NotebookPath());
    const std::string insert = "INSERT INTO mylist(title,state,cre_date) VALUES('late'," +
                               std::to_string(StateOf(GetParam())) + ",'2030-01-01')";
    ListRows window;
    const StoreResult read = ReadNotebookAtOnce([&] {
        window.rows = ReadList(GetParam());
        EXPECT_THROW(other.Execute(insert), ESQLiteException);
        EXPECT_EQ(ReadList(GetParam()).size(), window.rows.size());
    });
    EXPECT_TRUE(read.Ok());
    EXPECT_EQ(window.rows.size(), 1u);
    other.Execute(insert);
    EXPECT_EQ(ReadListWindow(GetParam(), 0, 10).total, 2);
    // A reader of its own sees the kinds as the lists do.
    const std::vector<StoredRecord> apart = ReadAllRecordsApart(NotebookPath());
    ASSERT_EQ(apart.size(), 2u);
    EXPECT_EQ(apart[0].row.title, "late");
    for (const StoredRecord& record : apart) EXPECT_EQ(record.kind, GetParam());
}

// The status texts of the old string calls come from the typed results only.
TEST(StatusText, IsTheTextTheStringCallsHaveAlwaysGiven) {
    using enum StoreStatus;
    const std::pair<StoreStatus, texts::SaveFailure> refused[] = {
        {Locked, texts::SaveFailure::Locked},     {ReadOnly, texts::SaveFailure::ReadOnly},
        {DiskFull, texts::SaveFailure::DiskFull}, {Damaged, texts::SaveFailure::Damaged},
        {Moved, texts::SaveFailure::Moved},       {Failed, texts::SaveFailure::Failed},
        {Empty, texts::SaveFailure::Empty}};
    for (const auto& [status, failure] : refused) {
        EXPECT_TRUE(IsWriteFailure(status));
        EXPECT_EQ(StatusText(status), texts::SaveFailed(failure));
    }
    for (const StoreStatus status : {Done, Missing, Unreadable, Broken, NotFound, ReadOnlyEncoding})
        EXPECT_FALSE(IsWriteFailure(status));
    EXPECT_EQ(StatusText(Done), texts::kDone);
    EXPECT_EQ(StatusText({Unreadable, "/x/glst.mysql"}),
              texts::NotebookUnreadable("/x/glst.mysql"));
    EXPECT_EQ(StatusText({ReadOnlyEncoding, "/x/glst.mysql"}),
              texts::ReadOnlySaveRefused("/x/glst.mysql"));
    test::AppFolder app;
    EXPECT_EQ(ExecSql("  "), StatusText(RunStatement("  ")));
    EXPECT_EQ(StatusText(RunStatement("  ")), texts::SaveFailed(texts::SaveFailure::Empty));
}

}  // namespace
}  // namespace korvane
