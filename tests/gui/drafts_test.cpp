// Drafts of the record editors: what was typed comes back at the next opening
// of the same editor for the same record, until it is saved.
#include <fcntl.h>
#include <unistd.h>

#include <QElapsedTimer>
#include <QLabel>
#include <atomic>
#include <chrono>
#include <thread>

#include "dialogs/drafts.h"
#include "gui/dialog_driver.h"
#include "platform/files.h"
#include "support/filekinds.h"

namespace korvane::test {
namespace {

namespace fs = std::filesystem;

fs::path DraftFile(const std::string& editor, int recordId) {
    return platform::NativePath(DraftPath({editor, recordId}));
}

int InsertRecord(int state, const std::string& title, const std::string& content) {
    EXPECT_EQ(
        ExecSql("INSERT INTO mylist(title,tel,content,state,cre_date)VALUES('" + title + "','','" +
                content + "'," + std::to_string(state) + ",'2020-01-01 00:00:00')"),
        "Done");
    return std::stoi(Rows("SELECT max(ID) FROM mylist")[0][0]);
}

TEST(DraftFormat, EveryByteOfEachFieldComesBack) {
    const DraftFields fields = {std::string("12\n3\r\n\0\xff", 8), "", "\n", "5\n"};
    const std::string bytes = EncodeDraft({"contact", 12}, fields);
    EXPECT_EQ(DecodeDraft(bytes, {"contact", 12}, 4), fields);
}

TEST(DraftFormat, OnlyTheOwnersWholeDraftIsAccepted) {
    const DraftFields fields = {"title", "body"};
    const std::string bytes = EncodeDraft({"note", 5}, fields);
    ASSERT_TRUE(DecodeDraft(bytes, {"note", 5}, 2));
    EXPECT_FALSE(DecodeDraft(bytes, {"note", 6}, 2));
    EXPECT_FALSE(DecodeDraft(bytes, {"note", 55}, 2));
    EXPECT_FALSE(DecodeDraft(bytes, {"contact", 5}, 2));
    EXPECT_FALSE(DecodeDraft(bytes, {"note", 5}, 3));
    EXPECT_FALSE(DecodeDraft(bytes.substr(0, bytes.size() - 1), {"note", 5}, 2));
    EXPECT_FALSE(DecodeDraft(bytes + "x", {"note", 5}, 2));
    EXPECT_FALSE(DecodeDraft("", {"note", 5}, 2));
    // Counts are spelled one way only: a leading zero is a damaged draft.
    std::string padded = bytes;
    padded.replace(padded.find("\n2\n"), 3, "\n02\n");
    EXPECT_FALSE(DecodeDraft(padded, {"note", 5}, 2));
    const std::string fresh = EncodeDraft({"note", 0}, fields);
    EXPECT_TRUE(DecodeDraft(fresh, {"note", -3}, 2));  // any number below 1 is a new record
    EXPECT_FALSE(DecodeDraft(fresh, {"contact", 0}, 2));
    EXPECT_EQ(DraftFileName({"note", 0}), "note-new");
    EXPECT_EQ(DraftFileName({"contact", 17}), "contact-17");
}

class NoteDrafts : public DialogTest {
  protected:
    // Opens the note editor on `recordId`, runs `action` in it and closes it
    // with the close button.
    void InNoteEditor(int recordId, const std::function<void()>& action) {
        NE->RecordId = recordId;
        WhenModal(NE, [&] {
            action();
            if (NE->isVisible()) NE->Button2->click();
        });
        NE->exec();
    }
};

TEST_F(NoteDrafts, TextTypedJustBeforeClosingComesBackWithTheNotice) {
    InNoteEditor(0, [this] {
        EXPECT_FALSE(NE->DraftNotice->isVisible());
        NE->Edit1->setText(QStringLiteral("标题"));
        QTest::keyClicks(NE->Memo1, "typed");
        NE->close();  // the close box, well within the pause
    });
    EXPECT_TRUE(NE->Edit1->text().isEmpty());  // the form itself is cleared on close
    InNoteEditor(0, [this] {
        EXPECT_EQ(Utf8(NE->Edit1->text()), "标题");
        EXPECT_EQ(NE->Memo1->toPlainText(), "typed");
        EXPECT_TRUE(NE->DraftNotice->isVisible());
        EXPECT_EQ(Utf8(NE->DraftNotice->text()), "已恢复上次未保存的内容");
    });
    EXPECT_TRUE(fs::exists(DraftFile("note", 0)));  // closing again keeps it
}

TEST_F(NoteDrafts, ANewNoteSavedInTheEditorLeavesNoDraftBehind) {
    std::string notice;
    InNoteEditor(0, [&] {
        NE->Edit1->setText("first");
        AnswerNextMessage(&notice);
        NE->Button1->click();  // stays open for the next note
    });
    EXPECT_EQ(Utf8(notice), "保存成功");
    EXPECT_FALSE(fs::exists(DraftFile("note", 0)));
}

TEST_F(NoteDrafts, AFailedSaveKeepsTheDraft) {
    // A note of the same title already stored and titles made unique: the
    // save's statement fails (a trigger would not run: the program runs no
    // SQL a notebook brings).
    ASSERT_EQ(ExecSql("INSERT INTO mylist(title,state,cre_date)VALUES('kept',0,'2026-12-07')"),
              "Done");
    ASSERT_EQ(ExecSql("CREATE UNIQUE INDEX refuse ON mylist (title)"), "Done");
    InNoteEditor(0, [&] {
        NE->Edit1->setText("kept");
        AnswerNextMessage();
        NE->Button1->click();
    });
    EXPECT_FALSE(NE->Saved);
    InNoteEditor(0, [this] { EXPECT_EQ(NE->Edit1->text(), "kept"); });
}

TEST_F(NoteDrafts, ADraftBelongsToItsOwnRecordAndEditor) {
    const int five = InsertRecord(0, "five", "");
    const int six = InsertRecord(0, "six", "");
    InNoteEditor(five, [this] { NE->Edit1->setText("five typed"); });
    InNoteEditor(0, [this] { NE->Edit1->setText("new note typed"); });
    InNoteEditor(six, [this] {
        EXPECT_EQ(NE->Edit1->text(), "six");
        EXPECT_FALSE(NE->DraftNotice->isVisible());
    });
    fcon->RecordId = 0;
    WhenModal(fcon, [this] {
        EXPECT_TRUE(fcon->Edit1->text().isEmpty());
        EXPECT_FALSE(fcon->DraftNotice->isVisible());
        fcon->Button2->click();
    });
    fcon->exec();
    InNoteEditor(five, [this] { EXPECT_EQ(NE->Edit1->text(), "five typed"); });
    InNoteEditor(0, [this] { EXPECT_EQ(NE->Edit1->text(), "new note typed"); });
}

TEST_F(NoteDrafts, OpeningWithoutTypingOrClearingEverythingKeepsNoDraft) {
    const int id = InsertRecord(0, "stored", "body");
    InNoteEditor(id, [this] {});
    EXPECT_FALSE(fs::exists(DraftFile("note", id)));
    InNoteEditor(id, [this] { NE->Edit1->setText("typed"); });
    ASSERT_TRUE(fs::exists(DraftFile("note", id)));
    InNoteEditor(id, [this] {
        NE->Edit1->clear();
        NE->Memo1->clear();
    });
    EXPECT_FALSE(fs::exists(DraftFile("note", id)));
}

TEST_F(NoteDrafts, TheExactBytesOfEachFieldSurvive) {
    // A full-width apostrophe, CR LF breaks with an empty line, trailing
    // blanks and characters GBK lacks (kept as GB18030 four-byte forms).
    const std::string title = Cp("It＇s 𠀀 ");
    const std::string body = Cp("line 1\r\n\r\n  It＇s 😀 \r\nend");
    ASSERT_FALSE(platform::FitsGbk(Utf8(body)));
    InNoteEditor(0, [&] {
        SetEditText(*NE->Edit1, title);
        SetMemoText(*NE->Memo1, body);
    });
    EXPECT_EQ(DecodeDraft(ReadFile(DraftFile("note", 0)), {"note", 0}, 2),
              (DraftFields{title, body}));
    InNoteEditor(0, [&] {
        EXPECT_EQ(EditText(*NE->Edit1), title);
        EXPECT_EQ(MemoText(*NE->Memo1), body);
    });
}

// The draft is on the disk a second after typing stops, with the editor still
// open: that is what is left when the program is killed.
TEST_F(NoteDrafts, TheDraftIsWrittenOnceTypingPausesWithoutClosing) {
    const fs::path file = DraftFile("note", 0);
    InNoteEditor(0, [&] {
        QTest::keyClicks(NE->Edit1, "ab");
        QTest::qWait(700);
        QTest::keyClick(NE->Edit1, 'c');  // typing on puts the write off
        QTest::qWait(700);
        EXPECT_FALSE(fs::exists(file));
        EXPECT_TRUE(QTest::qWaitFor([&] { return fs::exists(file); }, 3000));
        EXPECT_EQ(DecodeDraft(ReadFile(file), {"note", 0}, 2), (DraftFields{"abc", ""}));
        QTest::keyClick(NE->Edit1, 'd');  // the next pause replaces it
        EXPECT_TRUE(QTest::qWaitFor(
            [&] {
                return DecodeDraft(ReadFile(file), {"note", 0}, 2) == DraftFields{"abcd", ""};
            },
            3000));
        // Only the finished file is ever in the folder.
        EXPECT_EQ(platform::FileNamesIn(AppPath("hd\\drafts")),
                  std::vector<std::string>{"note-new"});
    });
}

// Writing happens on the user-interface thread, once per pause: even a body of
// five megabytes must not hold the editor up noticeably.
TEST_F(NoteDrafts, AFiveMegabyteDraftIsWrittenWithoutAFreeze) {
    std::string body;
    while (body.size() < (5u << 20)) body += std::string(78, 'x') + "\r\n";
    body += "end";
    qint64 flushMs = -1;
    InNoteEditor(0, [&] {
        SetMemoText(*NE->Memo1, body);
        QElapsedTimer clock;
        clock.start();
        NE->close();  // flushes the pending draft
        flushMs = clock.elapsed();
    });
    EXPECT_LT(flushMs, 1000);
    EXPECT_EQ(DecodeDraft(ReadFile(DraftFile("note", 0)), {"note", 0}, 2), (DraftFields{"", body}));
}

// While it lives, lets go of anyone who opens the FIFO at `path` to read:
// such a reader would wait for a writer for ever; here it gets one that
// writes nothing, and is counted. A test thus fails instead of hanging.
class FifoReaderRelease {
  public:
    explicit FifoReaderRelease(fs::path path)
        : path_(std::move(path)), thread_([this] { Run(); }) {}
    ~FifoReaderRelease() {
        stop_ = true;
        thread_.join();
    }
    FifoReaderRelease(const FifoReaderRelease&) = delete;
    FifoReaderRelease& operator=(const FifoReaderRelease&) = delete;

    int Released() const { return released_; }

  private:
    void Run() {
        while (!stop_) {
            // A non-blocking open for writing succeeds only while a reader has it open.
            const bool fifo = fs::is_fifo(fs::symlink_status(path_));
            const int fd = fifo ? ::open(path_.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC) : -1;
            if (fd >= 0) {
                ++released_;
                ::close(fd);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }

    fs::path path_;
    std::atomic<bool> stop_{false};
    std::atomic<int> released_{0};
    std::thread thread_;
};

// Whatever stands in the place of a new note's draft (a FIFO no one writes
// to, a link, even one to a well-formed draft, a folder), the editor opens at
// once and empty, as for no draft, and nothing reads it.
class HostileDraft : public NoteDrafts, public ::testing::WithParamInterface<FileKind> {};

TEST_P(HostileDraft, TheEditorOpensAtOnceAndEmpty) {
    const fs::path file = DraftFile("note", 0);
    fs::create_directories(file.parent_path());
    MakeFileKind(GetParam(), file, EncodeDraft({"note", 0}, {"hostile", "draft"}), kDraftMaxBytes);
    const FifoReaderRelease release(file);
    InNoteEditor(0, [this] {
        EXPECT_TRUE(NE->Edit1->text().isEmpty());
        EXPECT_TRUE(NE->Memo1->toPlainText().isEmpty());
        EXPECT_FALSE(NE->DraftNotice->isVisible());
    });
    EXPECT_EQ(release.Released(), 0);
}

INSTANTIATE_TEST_SUITE_P(Drafts, HostileDraft,
                         ::testing::Values(FileKind::kFifo, FileKind::kLinkToRegular,
                                           FileKind::kDanglingLink, FileKind::kFolder,
                                           FileKind::kOversized),
                         [](const ::testing::TestParamInfo<FileKind>& info) {
                             return FileKindName(info.param);
                         });

}  // namespace
}  // namespace korvane::test
