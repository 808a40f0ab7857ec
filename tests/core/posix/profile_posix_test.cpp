// The settings file on POSIX: the exact lines a write leaves, file modes, the
// temporaries of its replace-by-rename, and what stands in the file's place
// when it is no regular file: a link is never followed, a FIFO never waited
// for, and neither is written through.
#include <gtest/gtest.h>
#include <unistd.h>

#include <sys/stat.h>

#include <filesystem>

#include "logic/settings.h"
#include "platform/codepage.h"
#include "platform/profile.h"
#include "support/filekinds.h"
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
    WriteFile(dir.path() / "sys.ini.tmp-Ab12Cd", "[sys]\nL=");
    // A user's own copies, however their names end, are no temporaries.
    for (const char* kept : {"sys.ini.bak", "sys.ini.backup", "sys.ini.Ab12Cd", "sys.ini.tmp-Ab12",
                             "other.ini.tmp-Ab12Cd"}) {
        WriteFile(dir.path() / kept, "keep");
    }
    ASSERT_TRUE(WriteProfileString(path, "sys", "L", "1"));
    EXPECT_FALSE(fs::exists(dir.path() / "sys.ini.tmp-Ab12Cd"));
    for (const char* kept : {"sys.ini.bak", "sys.ini.backup", "sys.ini.Ab12Cd", "sys.ini.tmp-Ab12",
                             "other.ini.tmp-Ab12Cd"}) {
        EXPECT_EQ(ReadFile(dir.path() / kept), "keep") << kept;
    }
    EXPECT_EQ(ReadProfileString(path, "sys", "L", ""), "1");
}

TEST_F(PosixProfile, ALinkIsNeitherReadNorWrittenThroughButReplaced) {
    const fs::path elsewhere = dir.path() / "elsewhere.ini";
    WriteFile(elsewhere, "[sys]\nL=7\n[mine]\nk=v\n");
    fs::create_symlink(elsewhere, file);
    EXPECT_EQ(platform::ProfileFileState(path), platform::FileReadFailure::kLink);
    EXPECT_EQ(ReadProfileString(path, "sys", "L", "none"), "none");
    ASSERT_TRUE(WriteProfileString(path, "sys", "L", "1"));
    ASSERT_TRUE(WriteProfileString(path, "sys", "T", "2"));
    EXPECT_FALSE(fs::is_symlink(file));
    EXPECT_EQ(ReadFile(file), "[sys]\nL=1\nT=2\n");
    EXPECT_EQ(ReadFile(elsewhere), "[sys]\nL=7\n[mine]\nk=v\n");
}

// In a child that has given up root: a folder that takes no new file, with a
// link named sys.ini pointing at a file the user may write. The write fails
// and the link's target keeps every byte.
[[noreturn]] void WriteThroughLinkInReadOnlyFolder(const std::string& path,
                                                   const fs::path& elsewhere) {
    if (::geteuid() == 0 && ::setuid(65534) != 0) std::_Exit(2);
    bool ok = !WriteProfileString(path, "sys", "L", "2");
    ok = ok && ReadFile(elsewhere) == "[other]\nk=v\n";
    std::_Exit(ok ? 0 : 1);
}

TEST_F(PosixProfile, ALinkInAFolderThatTakesNoNewFileIsNotWrittenThrough) {
    test::TempDir other{"other 别处"};
    const fs::path elsewhere = other.path() / "notes.txt";
    WriteFile(elsewhere, "[other]\nk=v\n");
    fs::permissions(elsewhere, fs::perms::all);  // anyone may write it
    fs::create_symlink(elsewhere, file);
    fs::permissions(dir.path(), fs::perms::owner_all | fs::perms::group_read |
                                    fs::perms::group_exec | fs::perms::others_read |
                                    fs::perms::others_exec);
    EXPECT_EXIT(WriteThroughLinkInReadOnlyFolder(path, elsewhere), ::testing::ExitedWithCode(0),
                "");
    EXPECT_EQ(ReadFile(elsewhere), "[other]\nk=v\n");
}

// In a child, which a read or write that waits for the FIFO cannot hold up.
[[noreturn]] void UseFifo(const std::string& path) {
    ::alarm(60);
    bool ok = ReadProfileString(path, "sys", "L", "none") == "none";
    ok = ok && !WriteProfileString(path, "sys", "L", "1");
    std::_Exit(ok ? 0 : 1);
}

TEST_F(PosixProfile, AFifoIsNeitherWaitedForNorReplaced) {
    ASSERT_EQ(::mkfifo(file.c_str(), 0600), 0);
    EXPECT_EQ(platform::ProfileFileState(path), platform::FileReadFailure::kNotRegular);
    EXPECT_EXIT(UseFifo(path), ::testing::ExitedWithCode(0), "");
    EXPECT_TRUE(fs::is_fifo(file));
}

// What the start tells the user for each kind of thing in the settings
// file's place that is not used: where it is and what becomes of it.
TEST_F(PosixProfile, EachUnusedKindIsNamedInTheStartNotice) {
    using test::FileKind;
    const std::pair<FileKind, const char*> kinds[] = {
        {FileKind::kOversized, "超过了 1 MB"},
        {FileKind::kLinkToRegular, "链接所指向的文件不会被改动"},
        {FileKind::kDanglingLink, "链接"},
        {FileKind::kFifo, "不是普通文件"},
        {FileKind::kFolder, "不是普通文件"},
    };
    for (const auto& [kind, words] : kinds) {
        test::TempDir place{"notice 提示"};
        const fs::path ini = place.path() / "sys.ini";
        test::MakeFileKind(kind, ini, "[sys]\nL=1\n", platform::kProfileMaxBytes);
        const std::string notice = SettingsFileNotice(test::CodePagePath(ini));
        EXPECT_NE(notice.find(test::CodePagePath(ini)), std::string::npos) << words;
        EXPECT_NE(notice.find(Cp(words)), std::string::npos) << words;
        EXPECT_NE(notice.find(Cp("默认")), std::string::npos) << words;
    }
}

}  // namespace
}  // namespace korvane
