// The day's backup on a disk that fills up: a small memory file system
// mounted over the backup folder (needs the right to mount; skipped without).
#include <gtest/gtest.h>
#include <sys/mount.h>

#include <chrono>
#include <filesystem>

#include "platform/codepage.h"
#include "render/notices.h"
#include "render/storetexts.h"
#include "store/dailybackup.h"
#include "store/notebook.h"
#include "support/seed.h"
#include "support/tempdir.h"

namespace fs = std::filesystem;

namespace korvane {
namespace {

// A memory file system of `size` bytes at `at` for the test's lifetime.
class SmallDisk {
  public:
    SmallDisk(const fs::path& at, const char* size) : at_(at) {
        fs::create_directories(at);
        const std::string options = std::string("size=") + size;
        mounted_ = ::mount("tmpfs", at.c_str(), "tmpfs", 0, options.c_str()) == 0;
    }
    ~SmallDisk() {
        if (mounted_) ::umount2(at_.c_str(), MNT_DETACH);
    }
    bool mounted() const { return mounted_; }

  private:
    fs::path at_;
    bool mounted_ = false;
};

TEST(DailyBackupSpace, AFullDiskIsToldWithTheFolderAndTheNotebookStaysWhole) {
    test::AppFolder app;
    ASSERT_EQ(OpenDatabase(), "1");
    ASSERT_EQ(test::SeedNotes(3000), "Done");
    const fs::path folder = app.path() / "hd" / "backup";
    const SmallDisk disk(folder, "64k");
    if (!disk.mounted()) GTEST_SKIP() << "no right to mount a file system here";

    const DailyBackup backup = DailyBackup::ForNotebook();
    const auto now = std::chrono::system_clock::now();
    EXPECT_EQ(backup.Run(now), DailyBackup::Outcome::DiskFull);
    const std::string notice =
        platform::FromCodePage(BackupNotice(backup, DailyBackup::Outcome::DiskFull, now));
    EXPECT_NE(notice.find("磁盘空间已满"), std::string::npos) << notice;
    EXPECT_NE(notice.find(platform::FromCodePage(test::CodePagePath(folder))), std::string::npos)
        << notice;
    EXPECT_NE(notice.find("记事本本身没有受到影响"), std::string::npos);
    EXPECT_TRUE(fs::is_empty(folder));  // no half copy left behind
    EXPECT_EQ(ExecSql("INSERT INTO mylist(title,state,cre_date) VALUES('after',0,'d')"), "Done");
}

}  // namespace
}  // namespace korvane
