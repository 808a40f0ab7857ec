// Export and import against real notebooks: a random notebook exported and
// imported into an empty one comes back byte for byte; a second import adds
// nothing; a cancelled or refused export leaves the folder as it was; an
// import takes good files whole and names the bad ones; the adding is one
// transaction.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "logic/exportjob.h"
#include "logic/importjob.h"
#include "platform/codepage.h"
#include "store/listrows.h"
#include "store/notebook.h"
#include "store/records.h"
#include "support/notebook.h"
#include "support/randomrecords.h"
#include "support/tempdir.h"

namespace korvane {
namespace {

namespace fs = std::filesystem;
using test::AppFolder;
using test::TempDir;

constexpr char kNow[] = "2026-12-08 12:00:00";

struct Row {
    RecordKind kind;
    int64_t id;
    std::string title, content, tel, date;
    bool operator==(const Row&) const = default;
};

std::vector<Row> AllRows() {
    std::vector<Row> rows;
    EXPECT_TRUE(ReadNotebookAtOnce([&rows] {
                    for (const StoredRecord& r : ReadAllRecords()) {
                        rows.push_back(
                            {r.kind, r.number, r.row.title, r.row.content, r.row.tel, r.row.date});
                    }
                }).Ok());
    std::sort(rows.begin(), rows.end(), [](const Row& a, const Row& b) { return a.id < b.id; });
    return rows;
}

// Random records, each told apart by its number in the title, so none is
// taken for another.
std::vector<NewRecord> RandomRecords(unsigned seed, int count) {
    test::Random random(seed);
    std::vector<NewRecord> records;
    for (int i = 0; i < count; ++i) {
        const RecordKind kind = random.Below(2) ? RecordKind::Contact : RecordKind::Note;
        std::string date = random.Date();
        if (date.size() != 19) date = "2001-02-03 04:05:06";
        records.push_back({kind, 0, std::to_string(i) + random.Text(), random.Text(),
                           kind == RecordKind::Contact ? random.Text() : "", date});
    }
    return records;
}

std::string Folder(const TempDir& dir, const std::string& name) {
    return test::CodePagePath(dir.path() / name);
}

class ExportImport : public testing::TestWithParam<VCardVersion> {};

TEST_P(ExportImport, ARandomNotebookComesBackByteForByteAndOnlyOnce) {
    TempDir out("export");
    const std::string folder = Folder(out, "out");
    std::vector<Row> before;
    {
        AppFolder app("from");
        ASSERT_TRUE(AddRecords(RandomRecords(GetParam() == VCardVersion::V3 ? 1 : 2, 400)).Ok());
        before = AllRows();
        const ExportResult exported = ExportNotebook({folder, GetParam()});
        ASSERT_EQ(exported.outcome, ExportResult::Outcome::Done) << exported.path;
        EXPECT_EQ(exported.notes + exported.contacts, before.size());
    }
    AppFolder app("to");
    const ImportResult first = ImportFiles({folder}, kNow);
    ASSERT_TRUE(first.stored.Ok()) << first.stored.detail;
    ASSERT_TRUE(first.refused.empty()) << first.refused[0].path << " " << first.refused[0].why;
    const std::vector<Row> after = AllRows();
    ASSERT_EQ(after.size(), before.size());
    for (size_t i = 0; i < before.size(); ++i) {
        ASSERT_EQ(after[i], before[i])
            << "title " << test::Shown(before[i].title) << "\ncontent "
            << test::Shown(before[i].content) << "\nback " << test::Shown(after[i].content);
    }
    const ImportResult second = ImportFiles({folder}, kNow);
    EXPECT_EQ(second.notes + second.contacts, 0u);
    EXPECT_EQ(second.alreadyThere, before.size());
    EXPECT_EQ(AllRows().size(), before.size());
}

INSTANTIATE_TEST_SUITE_P(Versions, ExportImport,
                         testing::Values(VCardVersion::V3, VCardVersion::V4));

TEST(Export, ACancelOrAFolderOfOtherFilesLeavesTheFolderAsItWas) {
    AppFolder app;
    TempDir out("export");
    const std::string folder = Folder(out, "out");
    ASSERT_TRUE(AddRecords(RandomRecords(3, 50)).Ok());
    ASSERT_EQ(ExportNotebook({folder}).outcome, ExportResult::Outcome::Done);
    const std::string vcards = test::ReadFile(out.path() / "out" / "contacts.vcf");
    const auto notes = test::NamesIn(out.path() / "out" / "notes");

    ASSERT_TRUE(AddRecords(RandomRecords(4, 50)).Ok());
    size_t calls = 0;
    const ExportResult cancelled = ExportNotebook({folder}, [&calls](size_t done, size_t total) {
        ++calls;
        return done < total / 2;
    });
    EXPECT_EQ(cancelled.outcome, ExportResult::Outcome::Cancelled);
    EXPECT_GT(calls, 0u);
    EXPECT_EQ(test::ReadFile(out.path() / "out" / "contacts.vcf"), vcards);
    EXPECT_EQ(test::NamesIn(out.path() / "out" / "notes"), notes);
    EXPECT_EQ(test::NamesIn(out.path() / "out"),
              (std::vector<std::string>{".korvane-export", "contacts.vcf", "notes", "notes.html"}));

    // A later export replaces the earlier one whole.
    const ExportResult again = ExportNotebook({folder});
    ASSERT_EQ(again.outcome, ExportResult::Outcome::Done);
    const auto markdown = [&out] {
        const auto names = test::NamesIn(out.path() / "out" / "notes");
        return std::count_if(names.begin(), names.end(),
                             [](const std::string& n) { return n.ends_with(".md"); });
    };
    EXPECT_EQ(static_cast<size_t>(markdown()), again.notes);

    test::WriteFile(out.path() / "mine.txt", "the user's own");
    const ExportResult taken = ExportNotebook({test::CodePagePath(out.path())});
    EXPECT_EQ(taken.outcome, ExportResult::Outcome::FolderTaken);
    EXPECT_EQ(test::NamesIn(out.path()), (std::vector<std::string>{"mine.txt", "out"}));
}

TEST(Import, GoodFilesComeInWholeAndBadOnesAreNamedWithTheirReason) {
    AppFolder app;
    TempDir in("import");
    test::WriteFile(in.path() / "plain.txt", "First line\nsecond line\n");
    test::WriteFile(
        in.path() / "cards.vcf",
        "BEGIN:VCARD\nVERSION:2.1\nN;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:=E5=BC=A0=\n"
        "=E4=B8=89;;;\nTEL:123\nEMAIL:a@b.c\nPHOTO;ENCODING=b:AAAA\nEND:VCARD\n");
    test::WriteFile(in.path() / "nul.md", std::string("a\0b", 3));
    test::WriteFile(in.path() / "empty.md", "\n\n");
    test::WriteFile(in.path() / "broken.vcf", "BEGIN:VCARD\nVERSION:3.0\nFN:x\n");
    test::WriteFile(in.path() / "page.html", "<p>");
    std::vector<std::string> files;
    for (const char* name : {"plain.txt", "cards.vcf", "nul.md", "empty.md", "broken.vcf",
                             "page.html", "missing.vcf"}) {
        files.push_back(test::CodePagePath(in.path() / name));
    }
    const ImportResult result = ImportFiles(files, kNow);
    ASSERT_TRUE(result.stored.Ok());
    EXPECT_EQ(result.notes, 1u);
    EXPECT_EQ(result.contacts, 1u);
    EXPECT_EQ(result.picturesSkipped, 1u);
    ASSERT_EQ(result.refused.size(), 5u);
    for (const ImportResult::Refused& r : result.refused) EXPECT_FALSE(r.why.empty()) << r.path;
    const std::vector<Row> rows = AllRows();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].title, "First line");
    EXPECT_EQ(rows[0].content, "First line\r\nsecond line\r\n");  // LF stored as CR LF
    EXPECT_EQ(rows[0].date, kNow);
    EXPECT_EQ(rows[1].title, Cp("张三"));
    EXPECT_NE(rows[1].content.find("a@b.c"), std::string::npos);  // kept, not dropped
    const std::string text = platform::FromCodePage(ImportResultText(result));
    for (const char* shown : {"1 条记事", "1 位联系人", "跳过了 1 个", "没有导入的文件（5 个）",
                              "missing.vcf", "page.html"}) {
        EXPECT_NE(text.find(shown), std::string::npos) << shown << "\n" << text;
    }
}

TEST(Import, RecordsAreAddedInOneTransactionKeepingFreeNumbers) {
    AppFolder app;
    ASSERT_TRUE(AddRecords({{RecordKind::Note, 7, "seven", "", "", kNow}}).Ok());
    ASSERT_TRUE(AddRecords({{RecordKind::Note, 7, "again", "", "", kNow},
                            {RecordKind::Contact, 3, "it's", "a'b", "1'", kNow}})
                    .Ok());
    const std::vector<Row> rows = AllRows();
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].id, 3);
    EXPECT_EQ(rows[0].title, Cp("it＇s"));  // apostrophes as every save stores them
    EXPECT_EQ(rows[1].title, "seven");
    EXPECT_GT(rows[2].id, 7);
    // A statement refused half-way leaves nothing of the batch.
    const StoreResult refused = RunStatementsAtOnce(
        {{"INSERT INTO mylist(title,state,cre_date)VALUES('x',0,'')", {}},
         {"INSERT INTO mylist(ID,title,state,cre_date)VALUES(3,'clash',0,'')", {}}});
    EXPECT_FALSE(refused.Ok());
    EXPECT_EQ(AllRows().size(), 3u);
}

}  // namespace
}  // namespace korvane
