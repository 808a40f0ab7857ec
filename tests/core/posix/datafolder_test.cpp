// Where the data goes: beside a program whose folder can be written, and to
// the user's data folder when it cannot; the notebook, its backups and its
// first copy from the pristine file follow the data directory, while shipped
// files stay beside the program.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <optional>

#include "platform/apppaths.h"
#include "platform/codepage.h"
#include "platform/datafolder.h"
#include "store/dailybackup.h"
#include "store/dbfunc.h"
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

}  // namespace
}  // namespace korvane
