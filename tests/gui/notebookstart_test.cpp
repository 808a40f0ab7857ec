// The notebook's start as the user meets it: a missing notebook is a question
// naming the backup's records, date and path, answered in the message
// dialog; the day's backup waits for the answer; a backup that cannot be
// written is told once; the trash's old copies go at the start.
#include "mainwindow/notebookstart.h"

#include <chrono>
#include <filesystem>

#include "gui/dialog_driver.h"
#include "store/dailybackup.h"
#include "store/keeping.h"
#include "store/records.h"
#include "support/notebook.h"

namespace fs = std::filesystem;
using namespace std::chrono;

namespace korvane::test {
namespace {

class NotebookStartTest : public DialogTest {
  protected:
    fs::path Backups() const { return app_.path() / "hd" / "backup"; }
    fs::path BackupOf(system_clock::time_point moment) const {
        return Backups() / DailyBackupName(LocalDay(moment));
    }
    // Opens the start and lets the events run until `done` or five seconds.
    void OpenAndWait(NotebookStart& start, const std::function<bool()>& done) {
        start.Open();
        for (int i = 0; i < 500 && !done(); ++i) QTest::qWait(10);
    }

    system_clock::time_point yesterday = system_clock::now() - hours(24);
    system_clock::time_point today = system_clock::now();
};

TEST_F(NotebookStartTest, AMissingNotebookIsAQuestionAndYesPutsTheBackupBack) {
    ASSERT_EQ(InsertNote("first"), "Done");
    ASSERT_EQ(InsertNote("second"), "Done");
    ASSERT_EQ(DailyBackup::ForNotebook().Run(yesterday), DailyBackup::Outcome::Written);
    CloseDatabase();
    fs::remove(app_.Database());

    std::string question;
    bool readyBeforeTheAnswer = false;
    bool ready = false;
    WhenModal(smsf, [&] {
        readyBeforeTheAnswer = ready;
        question = FromQt(smsf->Memo1->toPlainText());
        PressOnFocused(smsf, Qt::Key_Return);  // Yes has the focus
    });
    bool relisted = false;
    NotebookStart start(
        nullptr, *smsf, [&] { relisted = true; }, [this] { return today; });
    // What waits for the notebook the user keeps (the first sync) waits for
    // the answer and the restore.
    start.WhenReady([&] { ready = relisted && TitlesIn(app_.Database()).size() == 2; });
    OpenAndWait(start, [&] { return relisted && fs::exists(BackupOf(today)); });
    EXPECT_FALSE(readyBeforeTheAnswer);
    EXPECT_TRUE(ready);

    const std::string shown = Utf8(question);
    EXPECT_NE(shown.find("找不到记事本"), std::string::npos) << shown;
    EXPECT_NE(shown.find("从 2 条记录的备份"), std::string::npos) << shown;
    EXPECT_NE(shown.find(DailyBackupName(LocalDay(yesterday)).substr(5, 10)), std::string::npos);
    EXPECT_NE(shown.find(Utf8(CodePagePath(BackupOf(yesterday)))), std::string::npos) << shown;
    EXPECT_TRUE(relisted);
    EXPECT_EQ(TitlesIn(app_.Database()), (std::vector<std::string>{"first", "second"}));
    // The day's backup ran after the answer: a copy of the restored notebook.
    EXPECT_EQ(TitlesIn(BackupOf(today)), (std::vector<std::string>{"first", "second"}));
}

TEST_F(NotebookStartTest, NoLeavesTheEmptyNotebookAndWritesNoEmptyBackup) {
    ASSERT_EQ(InsertNote("first"), "Done");
    ASSERT_EQ(DailyBackup::ForNotebook().Run(yesterday), DailyBackup::Outcome::Written);
    CloseDatabase();
    fs::remove(app_.Database());

    bool asked = false;
    WhenModal(smsf, [&] {
        asked = true;
        QTest::mouseClick(smsf->BtNo, Qt::LeftButton);
    });
    NotebookStart start(
        nullptr, *smsf, [] {}, [this] { return today; });
    OpenAndWait(start, [&] { return asked; });
    QTest::qWait(1000);  // the day's backup runs meanwhile
    EXPECT_TRUE(asked);
    EXPECT_TRUE(TitlesIn(app_.Database()).empty());
    EXPECT_FALSE(fs::exists(BackupOf(today)));
}

TEST_F(NotebookStartTest, AFolderInTheWayOfTodaysBackupIsToldOnce) {
    ASSERT_EQ(InsertNote("first"), "Done");
    fs::create_directories(BackupOf(today));
    std::string notice;
    AnswerNextMessage(&notice);
    NotebookStart start(
        nullptr, *smsf, [] {}, [this] { return today; });
    OpenAndWait(start, [&] { return !notice.empty(); });
    QTest::qWait(1500);
    const std::string text = Utf8(notice);
    EXPECT_NE(text.find("今天的备份未能写入"), std::string::npos) << text;
    EXPECT_NE(text.find(Utf8(CodePagePath(BackupOf(today)))), std::string::npos) << text;
    EXPECT_NE(text.find("记事本本身没有受到影响"), std::string::npos);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);  // told once, not again
}

// The start removes what lay in the trash past its time by the start's own
// clock, and leaves the younger copies and the history alone.
TEST_F(NotebookStartTest, TheStartPurgesTrashPastItsTimeByItsClock) {
    const int64_t start = duration_cast<seconds>(today.time_since_epoch()).count();
    std::vector<int> ids;
    for (int i = 0; i < 3; ++i) {
        ASSERT_EQ(InsertNote("note" + std::to_string(i)), "Done");
        ids.push_back(std::stoi(Rows("SELECT max(ID) FROM mylist")[0][0]));
    }
    // An old version stays: the history is bounded by size, not by age.
    ASSERT_TRUE(
        SaveRecord(RecordKind::Note, ids[2], {{"title", "edited"}}, "d", start - 40 * 86400).Ok());
    ASSERT_TRUE(DeleteRecord(RecordKind::Note, ids[0], start - kTrashSeconds - 60).Ok());
    ASSERT_TRUE(DeleteRecord(RecordKind::Note, ids[1], start - kTrashSeconds + 60).Ok());
    NotebookStart opening(
        nullptr, *smsf, [] {}, [this] { return today; });
    OpenAndWait(opening, [&] { return ReadAllTrash().size() == 1; });
    const std::vector<TrashedRecord> trash = ReadAllTrash();
    ASSERT_EQ(trash.size(), 1u);
    EXPECT_EQ(trash[0].row.id, std::to_string(ids[1]));
    EXPECT_EQ(ReadHistory(ids[2]).versions.size(), 1u);
    QTest::qWait(600);  // the day's backup ends quietly
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

}  // namespace
}  // namespace korvane::test
