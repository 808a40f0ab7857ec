// Where the data goes: beside a program whose folder can be written, and to
// the user's data folder when it cannot; the notebook, its backups and its
// first copy from the pristine file (or from the notes a portable copy kept
// beside itself) follow the data directory, while shipped files stay beside
// the program.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <optional>

#include "platform/apppaths.h"
#include "platform/codepage.h"
#include "platform/datafolder.h"
#include "render/notices.h"
#include "render/storetexts.h"
#include "store/dailybackup.h"
#include "store/notebook.h"
#include "store/portablecopy.h"
#include "support/notebook.h"
#include "support/tempdir.h"

namespace fs = std::filesystem;

namespace korvane {
namespace {

// Sets an environment variable (or unsets it, for nothing) while it lives.
class ScopedEnv {
  public:
    ScopedEnv(const char* name, const std::optional<std::string>& value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        Set(value);
    }
    ~ScopedEnv() { Set(old_); }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

  private:
    void Set(const std::optional<std::string>& value) {
        if (value) {
            ::setenv(name_, value->c_str(), 1);
        } else {
            ::unsetenv(name_);
        }
    }
    const char* name_;
    std::optional<std::string> old_;
};

TEST(DataDirectory, BesideTheProgramUntilAFolderIsSet) {
    test::AppFolder app;
    EXPECT_EQ(DataDirectory(), ApplicationDirectory());
    EXPECT_EQ(DataPath("hd\\glst.mysql"), AppPath("hd\\glst.mysql"));

    SetDataDirectory("/home/u/.local/share/korvane");  // the separator is added
    EXPECT_EQ(DataPath("hd\\drafts\\note-new"), "/home/u/.local/share/korvane/hd/drafts/note-new");
    EXPECT_EQ(DataPath("sys.ini"), "/home/u/.local/share/korvane/sys.ini");
    // Shipped files do not move with the data.
    EXPECT_EQ(AppPath("hd/main.html"), app.CodePageDir() + "hd/main.html");
    // Pointing the program at another folder keeps the choice made at start.
    SetApplicationPaths("/opt/other/korvane");
    EXPECT_EQ(DataPath("sys.ini"), "/home/u/.local/share/korvane/sys.ini");

    SetDataDirectory({});
    EXPECT_EQ(DataPath("sys.ini"), "/opt/other/sys.ini");
}

TEST(PerUserDataFolder, FollowsXdgDataHomeOnlyWhenItIsAbsolute) {
    const ScopedEnv home("HOME", "/home/用户");
    {
        const ScopedEnv data("XDG_DATA_HOME", "/srv/data");
        EXPECT_EQ(platform::PerUserDataFolder("korvane"), "/srv/data/korvane/");
    }
    {
        const ScopedEnv data("XDG_DATA_HOME", "relative/data");
        EXPECT_EQ(platform::PerUserDataFolder("korvane"),
                  platform::ToCodePage("/home/用户/.local/share/korvane/"));
    }
    {
        const ScopedEnv data("XDG_DATA_HOME", std::nullopt);
        EXPECT_EQ(platform::PerUserDataFolder("korvane"),
                  platform::ToCodePage("/home/用户/.local/share/korvane/"));
    }
}

TEST(CanWriteIn, LeavesNoProbeBehind) {
    test::TempDir dir{"probe 探测"};
    EXPECT_TRUE(platform::CanWriteIn(dir.CodePageDir()));
    EXPECT_TRUE(fs::is_empty(dir.path()));
    EXPECT_FALSE(platform::CanWriteIn(dir.CodePageDir() + "missing/"));
    EXPECT_FALSE(platform::CanWriteIn("/proc/"));  // refused even to root
}

// A user whose data folder is a temporary one.
class UserDataHome : public ::testing::Test {
  protected:
    fs::path UserFolder() const { return home_.path() / "share" / "korvane"; }

    test::TempDir home_{"user data 用户"};
    ScopedEnv data_{"XDG_DATA_HOME", (home_.path() / "share").string()};
};

TEST_F(UserDataHome, AWritableProgramFolderKeepsItsDataBesideIt) {
    test::AppFolder app;
    EXPECT_EQ(platform::UsePerUserDataWhenReadOnly("korvane"), app.CodePageDir());
    EXPECT_FALSE(fs::exists(UserFolder()));
    EXPECT_EQ(OpenDatabase(), "1");
    EXPECT_TRUE(fs::exists(app.Database()));
}

TEST_F(UserDataHome, AReadOnlyProgramFolderSendsTheDataToThePrivateUserFolder) {
    // A program folder that cannot be written: here one the program cannot
    // even make a file in because it is gone.
    SetApplicationPaths(platform::ToCodePage((home_.path() / "gone" / "korvane").string()));
    const std::string chosen = platform::UsePerUserDataWhenReadOnly("korvane");
    EXPECT_EQ(chosen, platform::ToCodePage(UserFolder().string() + "/"));
    EXPECT_EQ(DataDirectory(), chosen);
    ASSERT_TRUE(fs::is_directory(UserFolder() / "hd"));
    struct stat st {};
    ASSERT_EQ(::stat(UserFolder().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);  // notes are nobody else's business

    // The next start with a writable folder goes back beside the program.
    test::AppFolder app;
    EXPECT_EQ(platform::UsePerUserDataWhenReadOnly("korvane"), app.CodePageDir());
}

TEST_F(UserDataHome, TheNotebookAndItsBackupsLiveInTheDataFolderMadeFromTheShippedCopy) {
    test::AppFolder app;
    ASSERT_TRUE(fs::create_directories(UserFolder() / "hd"));
    SetDataDirectory(platform::ToCodePage(UserFolder().string()));
    const std::string pristine = test::ReadFile(app.path() / "hd" / "glst.mysql.root");

    ASSERT_EQ(OpenDatabase(), "1");
    EXPECT_EQ(test::ReadFile(UserFolder() / "hd" / "glst.mysql"), pristine);
    ASSERT_EQ(ExecSql("INSERT INTO mylist(title,state,cre_date) VALUES('t',0,'d')"), "Done");
    EXPECT_FALSE(fs::exists(app.Database()));
    EXPECT_FALSE(fs::exists(UserFolder() / "hd" / "glst.mysql.root"));

    const auto now = std::chrono::system_clock::now();
    EXPECT_EQ(DailyBackup::ForNotebook().Run(now), DailyBackup::Outcome::Written);
    EXPECT_TRUE(fs::exists(UserFolder() / "hd" / "backup" / DailyBackupName(LocalDay(now))));
    EXPECT_FALSE(fs::exists(app.path() / "hd" / "backup"));

    // A notebook removed while the program ran is written back where it was.
    fs::remove(UserFolder() / "hd" / "glst.mysql");
    ASSERT_EQ(ExecSql("INSERT INTO mylist(title,state,cre_date) VALUES('u',0,'d')"), "Done");
    EXPECT_TRUE(fs::exists(UserFolder() / "hd" / "glst.mysql"));
    EXPECT_FALSE(fs::exists(app.Database()));
}

// A portable copy that kept its notes beside itself, and the user's folder
// its data goes to now that its own folder is read-only.
class NotesBesideTheProgram : public UserDataHome {
  protected:
    void SetUp() override {
        ASSERT_EQ(test::InsertNote("first"), "Done");
        ASSERT_EQ(test::InsertNote("second"), "Done");
        CloseDatabase();
        beside_ = test::ReadFile(app_.Database());
        ASSERT_TRUE(fs::create_directories(UserFolder() / "hd"));
        SetDataDirectory(platform::ToCodePage(UserFolder().string()));
    }
    fs::path UserNotebook() const { return UserFolder() / "hd" / "glst.mysql"; }

    test::AppFolder app_{"portable 便携"};
    std::string beside_;
};

TEST_F(NotesBesideTheProgram, BecomeTheUsersNotebookAndTheUserIsToldOnce) {
    const std::string notice = TakeOverNotice(TakeOverNotebookBesideProgram());
    const std::string besidePath = test::CodePagePath(app_.Database());
    EXPECT_NE(notice.find(besidePath), std::string::npos) << "where the notes were";
    EXPECT_NE(notice.find(test::CodePagePath(UserNotebook())), std::string::npos) << "where now";
    EXPECT_NE(notice.find(Cp("2 条记录）已复制到")), std::string::npos) << "what was done";
    EXPECT_NE(notice.find(Cp("原来的文件未做任何改动")), std::string::npos);
    EXPECT_EQ(test::TitlesIn(UserNotebook()), (std::vector<std::string>{"first", "second"}));
    EXPECT_EQ(test::ReadFile(app_.Database()), beside_);
    EXPECT_FALSE(fs::exists(UserFolder() / "hd" / "glst.mysql.restoring"));

    // The store opens the copy; the next start finds it and says nothing.
    ASSERT_EQ(OpenDatabase(), "1");
    ASSERT_EQ(test::InsertNote("third"), "Done");
    CloseDatabase();
    EXPECT_EQ(TakeOverNotice(TakeOverNotebookBesideProgram()), "");
    EXPECT_EQ(test::TitlesIn(UserNotebook()),
              (std::vector<std::string>{"first", "second", "third"}));
    EXPECT_EQ(test::ReadFile(app_.Database()), beside_);
}

TEST_F(NotesBesideTheProgram, AreLeftAloneWhenThereIsNothingToTakeOver) {
    // The user's folder has a notebook of its own already: kept as it is.
    test::WriteFile(UserNotebook(), test::ReadFile(test::Pristine(app_)));
    EXPECT_EQ(TakeOverNotice(TakeOverNotebookBesideProgram()), "");
    EXPECT_EQ(test::ReadFile(UserNotebook()), test::ReadFile(test::Pristine(app_)));

    // An empty file there holds nothing: the notes come in its place.
    test::WriteFile(UserNotebook(), "");
    EXPECT_NE(TakeOverNotice(TakeOverNotebookBesideProgram()), "");
    EXPECT_EQ(test::TitlesIn(UserNotebook()), (std::vector<std::string>{"first", "second"}));

    // The data beside the program: nothing to take over.
    SetDataDirectory({});
    EXPECT_EQ(TakeOverNotice(TakeOverNotebookBesideProgram()), "");
}

TEST_F(NotesBesideTheProgram, WithoutRecordsLeaveThePristineNotebookToTheStore) {
    fs::copy_file(test::Pristine(app_), app_.Database(), fs::copy_options::overwrite_existing);
    EXPECT_EQ(TakeOverNotice(TakeOverNotebookBesideProgram()), "");
    EXPECT_FALSE(fs::exists(UserNotebook()));
}

TEST_F(NotesBesideTheProgram, ThatCannotBeReadAreNamedAndLeftAsTheyAre) {
    const std::string junk(4096, 'j');
    test::WriteFile(app_.Database(), junk);
    const std::string notice = TakeOverNotice(TakeOverNotebookBesideProgram());
    EXPECT_NE(notice.find(test::CodePagePath(app_.Database())), std::string::npos);
    EXPECT_NE(notice.find(Cp("未能复制过来")), std::string::npos);
    EXPECT_NE(notice.find(Cp("新位置的记事本是新建的")), std::string::npos);
    EXPECT_FALSE(fs::exists(UserNotebook()));
    EXPECT_EQ(test::ReadFile(app_.Database()), junk);
}

// The whole start of a portable copy in a folder the user cannot write, as a
// user who is not root (whom file modes do not bind): the data goes to the
// user's folder and the notes follow it there.
[[noreturn]] void StartReadOnlyPortableCopy(const std::string& executable,
                                            const fs::path& userNotebook) {
    if (::geteuid() == 0 && ::setuid(65534) != 0) std::_Exit(2);
    SetApplicationPaths(executable);
    const std::string data = platform::UsePerUserDataWhenReadOnly("korvane");
    if (data == ApplicationDirectory()) std::_Exit(3);
    if (TakeOverNotice(TakeOverNotebookBesideProgram()).empty()) std::_Exit(4);
    if (OpenDatabase() != "1") std::_Exit(5);
    const bool notes = test::TitlesIn(userNotebook) == std::vector<std::string>{"first", "second"};
    std::_Exit(notes ? 0 : 6);
}

TEST_F(NotesBesideTheProgram, FollowTheDataOfAReadOnlyPortableCopy) {
    SetDataDirectory({});
    fs::remove_all(UserFolder());
    // Anyone may make the user's folder; the program's folder only its owner.
    fs::permissions(home_.path(), fs::perms::all);
    fs::permissions(home_.path() / "share", fs::perms::all);
    fs::permissions(app_.path(), fs::perms::owner_all | fs::perms::group_read |
                                     fs::perms::group_exec | fs::perms::others_read |
                                     fs::perms::others_exec);
    EXPECT_EXIT(StartReadOnlyPortableCopy(app_.CodePageDir() + "korvane", UserNotebook()),
                ::testing::ExitedWithCode(0), "");
    EXPECT_EQ(test::ReadFile(app_.Database()), beside_);
}

}  // namespace
}  // namespace korvane
