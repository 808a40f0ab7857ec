// The settings-file layer: reading, writing and what a write leaves alone.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

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

class Profile : public ::testing::Test {
  protected:
    test::TempDir dir{"profile 配置"};
    fs::path file = dir.path() / "sys.ini";
    std::string path = platform::ToCodePage(file.string());
};

TEST_F(Profile, MissingFileSectionOrKeyGivesTheFallback) {
    EXPECT_EQ(ReadProfileString(path, "sys", "L", "d"), "d");
    WriteFile(file, "[other]\nL=5\n");
    EXPECT_EQ(ReadProfileString(path, "sys", "L", "d"), "d");
    EXPECT_EQ(ReadProfileString(path, "other", "W", ""), "");
}

TEST_F(Profile, NamesMatchWithoutCaseAndValuesAreTrimmedAndUnquoted) {
    WriteFile(file,
              "; comment\r\n"
              "L=99\r\n"  // before any section: belongs to none
              "[SYS]\r\n"
              "  l  =  12 \r\n"
              "w=\"0x100\"\r\n"
              ";H=1\r\n"
              "[sys]\r\n"
              "L=77\r\n");
    EXPECT_EQ(ReadProfileString(path, "sys", "L"), "12");
    EXPECT_EQ(ReadProfileString(path, "Sys", "W"), "0x100");
    EXPECT_EQ(ReadProfileString(path, "sys", "H", "none"), "none");
}

TEST_F(Profile, LongValuesAreCutToTheBuffer) {
    WriteFile(file, "[sys]\nX=" + std::string(5000, '7') + "\n");
    EXPECT_EQ(ReadProfileString(path, "sys", "X").size(), platform::kProfileValueCapacity - 1);
}

TEST_F(Profile, FirstWriteCreatesFileAndSectionInKeyOrder) {
    ASSERT_TRUE(WriteProfileString(path, "sys", "L", "633"));
    ASSERT_TRUE(WriteProfileString(path, "sys", "T", "-4"));
    ASSERT_TRUE(WriteProfileString(path, "sys", "Tra", "1"));
    EXPECT_EQ(ReadFile(file), "[sys]\nL=633\nT=-4\nTra=1\n");
}

TEST_F(Profile, WriteKeepsOtherLinesAndReplacesInPlace) {
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

TEST_F(Profile, WriteOverSomethingThatIsNoFileFails) {
    fs::create_directory(file);
    EXPECT_FALSE(WriteProfileString(path, "sys", "L", "1"));
    EXPECT_TRUE(fs::is_directory(file));
}

// In a child process that has given up root (file modes do not bind root):
// writes the modes forbid are reported and change nothing.
[[noreturn]] void WriteWithoutPermission(const std::string& path, const fs::path& file,
                                         const fs::path& dir) {
    if (::geteuid() == 0 && ::setuid(65534) != 0) std::_Exit(2);
    bool ok = !WriteProfileString(path, "sys", "L", "2");
    ok = ok && ReadFile(file) == "[sys]\nL=1\n";
    ok = ok && !WriteProfileString(platform::ToCodePage((dir / "new.ini").string()), "s", "k", "v");
    ok = ok && !fs::exists(dir / "new.ini");
    std::_Exit(ok ? 0 : 1);
}

TEST_F(Profile, FailedWriteIsReportedAndLeavesTheFileAlone) {
    WriteFile(file, "[sys]\nL=1\n");
    fs::permissions(file, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    fs::permissions(dir.path(), fs::perms::owner_all | fs::perms::group_read |
                                    fs::perms::group_exec | fs::perms::others_read |
                                    fs::perms::others_exec);
    EXPECT_EXIT(WriteWithoutPermission(path, file, dir.path()), ::testing::ExitedWithCode(0), "");
}

TEST_F(Profile, AWriteRemovesTemporariesThatAKilledWriteLeft) {
    WriteFile(dir.path() / "sys.ini.Ab12Cd", "[sys]\nL=");
    WriteFile(dir.path() / "sys.ini.bak", "keep");  // not six letters and digits
    WriteFile(dir.path() / "other.ini.Ab12Cd", "keep");
    ASSERT_TRUE(WriteProfileString(path, "sys", "L", "1"));
    EXPECT_FALSE(fs::exists(dir.path() / "sys.ini.Ab12Cd"));
    EXPECT_TRUE(fs::exists(dir.path() / "sys.ini.bak"));
    EXPECT_TRUE(fs::exists(dir.path() / "other.ini.Ab12Cd"));
    EXPECT_EQ(ReadProfileString(path, "sys", "L", ""), "1");
}

TEST_F(Profile, WriteIntoAMissingFolderFails) {
    EXPECT_FALSE(WriteProfileString(path + ".d/sys.ini", "sys", "L", "1"));
}

}  // namespace
}  // namespace korvane
