// The store with notebooks that came from someone else: what their schema
// brings never runs, a notebook whose text is not UTF-8 is only read, and
// opening and reading a notebook leaves its file as it was.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "platform/codepage.h"
#include "render/finder.h"
#include "render/listpage.h"
#include "render/notices.h"
#include "render/storetexts.h"
#include "store/notebook.h"
#include "support/notebook.h"
#include "support/tempdir.h"

namespace fs = std::filesystem;

namespace korvane {
namespace {

using test::ColumnOf;
using test::MakeNotebook;
using test::ReadFile;

// A notebook made from tests/data/notebooks/<name>.sql as the working file of
// a fresh application folder.
class FromSql {
  public:
    explicit FromSql(const std::string& name) {
        std::string error;
        made_ = MakeNotebook(app.Database(), name, error);
        error_ = error;
    }
    ::testing::AssertionResult Made() const {
        if (made_) return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << error_;
    }
    std::vector<std::string> Sentinel() const {
        return ColumnOf(app.Database(), "SELECT what FROM sentinel");
    }

    test::AppFolder app;

  private:
    bool made_ = false;
    std::string error_;
};

struct HostileCase {
    const char* name;
    int64_t foreignObjects;  // triggers and views in the file
    const char* table;       // where the notes are really stored
    bool writable;           // whether the program's statements can run at all
    std::vector<std::string> titlesAfter;
};

void PrintTo(const HostileCase& c, std::ostream* os) {
    *os << c.name;
}

class HostileNotebook : public ::testing::TestWithParam<HostileCase> {};

// One insert, one edit and one delete, as the editors and the bin icon make
// them: each either saves exactly what it says or is refused, and nothing the
// file brings runs on the way.
TEST_P(HostileNotebook, ItsTriggersAndViewsNeverRun) {
    const HostileCase& c = GetParam();
    FromSql notebook(c.name);
    ASSERT_TRUE(notebook.Made());
    ASSERT_EQ(OpenDatabase(), "1");
    EXPECT_EQ(LastOpenFindings().foreignSchema, c.foreignObjects);
    // The user hears of what will not run, and where it is.
    EXPECT_EQ(OpenNotice().find(NotebookPath()) != std::string::npos, c.foreignObjects > 0);
    EXPECT_FALSE(OpenKeptDamagedAside());  // no backup is offered for it

    const std::vector<std::string> results = {
        test::InsertNote("third"),
        ExecSql("UPDATE mylist SET title='first edited' WHERE title='first'"),
        ExecSql("DELETE FROM mylist WHERE title='second'"),
    };
    const std::string expected = c.writable ? texts::kDone : texts::DatabaseBroken();
    for (const std::string& result : results) EXPECT_EQ(result, expected);

    EXPECT_TRUE(notebook.Sentinel().empty());
    EXPECT_EQ(ColumnOf(notebook.app.Database(),
                       std::string("SELECT title FROM ") + c.table + " ORDER BY ID"),
              c.titlesAfter);
    EXPECT_TRUE(ColumnOf(notebook.app.Database(), "SELECT title FROM hidden_copy").empty());
    const ListWindow window = BuildListWindow(0, 0, 10);
    EXPECT_EQ(window.total, c.writable ? 2 : 0);
    EXPECT_EQ(window.boxes.size(), c.writable ? 2u : 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Store, HostileNotebook,
    ::testing::Values(HostileCase{"trigger-delete", 1, "mylist", true, {"first edited", "third"}},
                      HostileCase{"trigger-copy", 1, "mylist", true, {"first edited", "third"}},
                      HostileCase{"trigger-raise", 1, "mylist", true, {"first edited", "third"}},
                      // The notes sit under another name and "mylist" is a view that hides
                      // one of them: the program reads and writes no view, so nothing is
                      // shown, nothing is saved and the stored notes stay as they were.
                      HostileCase{"view-shadow", 4, "stored", false, {"first", "second"}}),
    [](const auto& info) {
        std::string name = info.param.name;
        std::replace(name.begin(), name.end(), '-', '_');
        return name;
    });

class NotUtf8Notebook : public ::testing::TestWithParam<std::pair<const char*, const char*>> {};

// GBK bytes stored as text in a UTF-16 file come back as other characters:
// the notebook is shown, and every save is refused before it reaches the file.
TEST_P(NotUtf8Notebook, OpensReadOnlyWithANoticeAndRefusesEverySave) {
    const auto [name, encoding] = GetParam();
    FromSql notebook(name);
    ASSERT_TRUE(notebook.Made());
    const std::string before = ReadFile(notebook.app.Database());
    const auto filesBefore = test::NamesIn(notebook.app.path() / "hd");

    ASSERT_EQ(OpenDatabase(), "1");
    EXPECT_TRUE(OpenedReadOnly());
    EXPECT_EQ(LastOpenFindings().readOnlyEncoding, encoding);
    EXPECT_NE(OpenNotice().find(NotebookPath() + Cp(" 的文字编码是 ") + encoding),
              std::string::npos);
    std::array<std::string, 9> values;
    LoadRecord("SELECT title,content FROM mylist WHERE ID=2", values);
    EXPECT_EQ(values[0], "second");
    EXPECT_EQ(BuildListWindow(0, 0, 10).total, 2);

    const std::string refused = texts::ReadOnlySaveRefused(NotebookPath());
    EXPECT_EQ(test::InsertNote(platform::ToCodePage("中文 €")), refused);
    EXPECT_EQ(ExecSql("UPDATE mylist SET title='x' WHERE ID=1"), refused);
    EXPECT_EQ(ExecSql("DELETE FROM mylist WHERE ID=1"), refused);
    CloseDatabase();
    EXPECT_EQ(ReadFile(notebook.app.Database()), before);
    EXPECT_EQ(test::NamesIn(notebook.app.path() / "hd"), filesBefore);
}

INSTANTIATE_TEST_SUITE_P(Store, NotUtf8Notebook,
                         ::testing::Values(std::make_pair("utf16le", "UTF-16le"),
                                           std::make_pair("utf16be", "UTF-16be")));

class OpeningANotebook : public ::testing::TestWithParam<const char*> {};

// Everything the program does with a notebook it only shows: the list and its
// windows of both kinds, a record, the counts, the finder's background read.
// The file keeps every byte and no file appears beside it.
TEST_P(OpeningANotebook, WritesNothingUntilTheUserSaves) {
    FromSql notebook(GetParam());
    ASSERT_TRUE(notebook.Made());
    const std::string before = ReadFile(notebook.app.Database());
    const auto filesBefore = test::NamesIn(notebook.app.path() / "hd");
    {
        ASSERT_EQ(OpenDatabase(), "1");
        BuildListPage(0);
        BuildListPage(1);
        BuildListWindow(0, 0, 10);
        BuildListWindow(1, 0, 10);
        std::array<std::string, 9> values;
        LoadRecord("SELECT title FROM mylist WHERE ID=1", values);
        FindIndex index;
        index.Prepare();
        while (index.Preparing()) std::this_thread::sleep_for(std::chrono::milliseconds(5));
        CloseDatabase();
    }
    EXPECT_EQ(ReadFile(notebook.app.Database()), before);
    EXPECT_EQ(test::NamesIn(notebook.app.path() / "hd"), filesBefore);
}

INSTANTIATE_TEST_SUITE_P(Store, OpeningANotebook,
                         ::testing::Values("plain-no-index", "trigger-delete", "view-shadow",
                                           "utf16le"),
                         [](const auto& info) {
                             std::string name = info.param;
                             std::replace(name.begin(), name.end(), '-', '_');
                             return name;
                         });

TEST(UnreadableNotebookText, SaysWhatFailedWhereAndThatNothingChanged) {
    const std::string text = platform::FromCodePage(texts::NotebookUnreadable("/d/<x>&.mysql"));
    for (const char* part :
         {"无法读取记事本", "没有权限", "/d/&lt;x&gt;&amp;.mysql", "未做任何改动"})
        EXPECT_NE(text.find(part), std::string::npos) << part;
    EXPECT_EQ(text.find("无法找到数据库"), std::string::npos);
    EXPECT_EQ(text.find("<x>"), std::string::npos);  // the path is text in the page, never markup
}

}  // namespace
}  // namespace korvane
