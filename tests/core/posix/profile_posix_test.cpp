// The POSIX settings-file writer: the exact lines a write leaves, file modes,
// and the temporaries of its replace-by-rename.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "platform/codepage.h"
#include "platform/profile.h"
#include "support/tempdir.h"

namespace fs = std::filesystem;

namespace korvane {
namespace {

using test::ReadFile;
using test::WriteFile;

using platform::ReadProfileString;
using platform::WriteProfileString;

class PosixProfile : public ::testing::Test {
  protected:
    test::TempDir dir{"profile 配置"};
    fs::path file = dir.path() / "sys.ini";
    std::string path = test::CodePagePath(file);
};

TEST_F(PosixProfile, WriteKeepsOtherLinesAndReplacesInPlace) {
    WriteFile(file,
              "; my notes\r\n"
              "[Other]\r\n"
              "L=1\r\n"
              "\r\n"
              "[SYS]\r\n"
              "l=5\r\n"
              "; keep me\r\n"
              "W=391\r\n"
              "\r\n"
              "[tail]\r\n"
              "x=y\r\n");
    ASSERT_TRUE(WriteProfileString(path, "sys", "L", "10"));
    ASSERT_TRUE(WriteProfileString(path, "sys", "CNQ", "0"));
    ASSERT_TRUE(WriteProfileString(path, "new", "k", "v"));
    EXPECT_EQ(ReadFile(file),
              "; my notes\r\n"
              "[Other]\r\n"
              "L=1\r\n"
              "\r\n"
              "[SYS]\r\n"
              "L=10\r\n"
              "; keep me\r\n"
              "W=391\r\n"
              "CNQ=0\r\n"
              "\r\n"
              "[tail]\r\n"
              "x=y\r\n"
              "[new]\r\n"
              "k=v\r\n");
    EXPECT_EQ(ReadProfileString(path, "other", "l"), "1");
}

// In a child process that has given up root (file modes do not bind root):
// writes the modes forbid are reported and change nothing.
[[noreturn]] void WriteWithoutPermission(const std::string& path, const fs::path& file,
                                         const fs::path& dir) {
    if (::geteuid() == 0 && ::setuid(65534) != 0) std::_Exit(2);
    bool ok = !WriteProfileString(path, "sys", "L", "2");
    ok = ok && ReadFile(file) == "[sys]\nL=1\n";
    ok = ok && !WriteProfileString(test::CodePagePath(dir / "new.ini"), "s", "k", "v");
    ok = ok && !fs::exists(dir / "new.ini");
    std::_Exit(ok ? 0 : 1);
}

TEST_F(PosixProfile, FailedWriteIsReportedAndLeavesTheFileAlone) {
    WriteFile(file, "[sys]\nL=1\n");
    fs::permissions(file, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    fs::permissions(dir.path(), fs::perms::owner_all | fs::perms::group_read |
                                    fs::perms::group_exec | fs::perms::others_read |
                                    fs::perms::others_exec);
    EXPECT_EXIT(WriteWithoutPermission(path, file, dir.path()), ::testing::ExitedWithCode(0), "");
}

TEST_F(PosixProfile, AWriteRemovesTemporariesThatAKilledWriteLeft) {
    WriteFile(dir.path() / "sys.ini.Ab12Cd", "[sys]\nL=");
    WriteFile(dir.path() / "sys.ini.bak", "keep");  // not six letters and digits
    WriteFile(dir.path() / "other.ini.Ab12Cd", "keep");
    ASSERT_TRUE(WriteProfileString(path, "sys", "L", "1"));
    EXPECT_FALSE(fs::exists(dir.path() / "sys.ini.Ab12Cd"));
    EXPECT_TRUE(fs::exists(dir.path() / "sys.ini.bak"));
    EXPECT_TRUE(fs::exists(dir.path() / "other.ini.Ab12Cd"));
    EXPECT_EQ(ReadProfileString(path, "sys", "L", ""), "1");
}

}  // namespace
}  // namespace korvane
