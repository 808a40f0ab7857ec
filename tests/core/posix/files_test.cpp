// Files opened as files: what the bounded reader makes of each kind of thing
// a name may stand for, and what the replacing write keeps of the file it
// replaces (links and FIFOs in the place of the settings and draft files are
// tested with those).
#include <gtest/gtest.h>

#include <filesystem>
#include <ostream>
#include <string>

#include "platform/files.h"
#include "support/filekinds.h"
#include "support/tempdir.h"

namespace fs = std::filesystem;

namespace korvane {
namespace {

using platform::FileReadFailure;
using test::FileKind;

constexpr uint64_t kLimit = 4096;
const std::string kContent("draft\0bytes\xff\n", 13);

struct ReadCase {
    const char* name;
    FileKind kind;
    std::string content;
    FileReadFailure expected;
};

void PrintTo(const ReadCase& c, std::ostream* out) {
    *out << c.name;
}

class ReadRegularFileKinds : public ::testing::TestWithParam<ReadCase> {
  protected:
    test::TempDir dir{"opener 打开"};
};

// Runs in a child: its exit code is the failure, or 100 for bytes that are
// not the file's.
[[noreturn]] void ReadInChild(const ReadCase& c, const std::string& path) {
    test::PrepareChild(c.kind);
    const platform::FileRead read = platform::ReadRegularFile(path, kLimit);
    if (read && read.bytes != c.content) std::_Exit(100);
    std::_Exit(static_cast<int>(read.failure));
}

TEST_P(ReadRegularFileKinds, GivesTheBytesOfARegularFileAndRefusesEverythingElseAtOnce) {
    const ReadCase& c = GetParam();
    const fs::path file = dir.path() / "file 文件";
    test::MakeFileKind(c.kind, file, c.content, kLimit);
    EXPECT_EXIT(ReadInChild(c, test::CodePagePath(file)),
                ::testing::ExitedWithCode(static_cast<int>(c.expected)), "");
}

INSTANTIATE_TEST_SUITE_P(
    Files, ReadRegularFileKinds,
    ::testing::Values(
        ReadCase{"Regular", FileKind::kRegular, kContent, FileReadFailure::kNone},
        ReadCase{"Empty", FileKind::kRegular, "", FileReadFailure::kNone},
        ReadCase{"AtTheLimit", FileKind::kRegular, std::string(kLimit, 'x'),
                 FileReadFailure::kNone},
        ReadCase{"OneByteOver", FileKind::kRegular, std::string(kLimit + 1, 'x'),
                 FileReadFailure::kTooLarge},
        ReadCase{"Sparse", FileKind::kOversized, kContent, FileReadFailure::kTooLarge},
        ReadCase{"LinkToRegular", FileKind::kLinkToRegular, kContent, FileReadFailure::kLink},
        ReadCase{"LinkToDevZero", FileKind::kLinkToDevZero, "", FileReadFailure::kLink},
        ReadCase{"DanglingLink", FileKind::kDanglingLink, "", FileReadFailure::kLink},
        ReadCase{"FifoWithoutWriter", FileKind::kFifo, "", FileReadFailure::kNotRegular},
        ReadCase{"Folder", FileKind::kFolder, "", FileReadFailure::kNotRegular},
        ReadCase{"Missing", FileKind::kMissing, "", FileReadFailure::kNotFound},
        ReadCase{"Unreadable", FileKind::kUnreadable, kContent, FileReadFailure::kUnreadable}),
    [](const ::testing::TestParamInfo<ReadCase>& info) { return std::string(info.param.name); });

TEST(ReadRegularFile, RefusesDevicesAndPathsThroughMissingFolders) {
    EXPECT_EQ(platform::ReadRegularFile("/dev/zero", kLimit).failure, FileReadFailure::kNotRegular);
    EXPECT_EQ(platform::ReadRegularFile("/dev/null", kLimit).failure, FileReadFailure::kNotRegular);
    test::TempDir dir;
    test::WriteFile(dir.path() / "plain", "x");
    EXPECT_EQ(platform::ReadRegularFile(test::CodePagePath(dir.path() / "plain" / "below"), kLimit)
                  .failure,
              FileReadFailure::kNotFound);
    EXPECT_EQ(
        platform::ReadRegularFile(test::CodePagePath(dir.path() / "gone" / "f"), kLimit).failure,
        FileReadFailure::kNotFound);
}

class ReplaceFileDurably : public ::testing::Test {
  protected:
    bool Replace(const std::string& bytes) {
        return platform::ReplaceFileDurably(test::CodePagePath(file), bytes);
    }

    test::TempDir dir{"replace 替换"};
    fs::path file = dir.path() / "sys.ini";
    fs::path target = dir.path() / "elsewhere.txt";
};

TEST_F(ReplaceFileDurably, ADanglingLinkMakesNoFileAtItsTarget) {
    fs::create_symlink(target, file);
    ASSERT_TRUE(Replace("x"));
    EXPECT_FALSE(fs::is_symlink(file));
    EXPECT_FALSE(fs::exists(target));
}

TEST_F(ReplaceFileDurably, ARegularFileKeepsItsPermissions) {
    test::WriteFile(file, "old");
    fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write);
    ASSERT_TRUE(Replace("new"));
    EXPECT_EQ(test::ReadFile(file), "new");
    EXPECT_EQ(fs::status(file).permissions(), fs::perms::owner_read | fs::perms::owner_write);
}

}  // namespace
}  // namespace korvane
