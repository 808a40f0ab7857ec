// The settings-file layer: reading, writing and what a write leaves alone.
#include <gtest/gtest.h>

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
    std::string path = test::CodePagePath(file);
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
    std::string text = ReadFile(file);
    std::erase(text, '\r');  // the system's own line ends
    EXPECT_EQ(text, "[sys]\nL=633\nT=-4\nTra=1\n");
}

TEST_F(Profile, WriteKeepsOtherSectionsKeysAndComments) {
    WriteFile(file,
              "; my notes\r\n"
              "[Other]\r\n"
              "L=1\r\n"
              "[SYS]\r\n"
              "l=5\r\n"
              "; keep me\r\n"
              "W=391\r\n"
              "[tail]\r\n"
              "x=y\r\n");
    ASSERT_TRUE(WriteProfileString(path, "sys", "L", "10"));
    ASSERT_TRUE(WriteProfileString(path, "sys", "CNQ", "0"));
    ASSERT_TRUE(WriteProfileString(path, "new", "k", "v"));
    EXPECT_EQ(ReadProfileString(path, "sys", "L"), "10");
    EXPECT_EQ(ReadProfileString(path, "sys", "W"), "391");
    EXPECT_EQ(ReadProfileString(path, "sys", "CNQ"), "0");
    EXPECT_EQ(ReadProfileString(path, "other", "l"), "1");
    EXPECT_EQ(ReadProfileString(path, "tail", "x"), "y");
    EXPECT_EQ(ReadProfileString(path, "new", "k"), "v");
    // The comments stay, and the sections keep their order; the new one comes last.
    const std::string text = ReadFile(file);
    size_t at = 0;
    for (const char* line : {"; my notes", "[Other]", "[SYS]", "; keep me", "[tail]", "[new]"}) {
        const size_t found = text.find(line, at);
        ASSERT_NE(found, std::string::npos) << line;
        at = found;
    }
}

TEST_F(Profile, WriteOverSomethingThatIsNoFileFails) {
    fs::create_directory(file);
    EXPECT_FALSE(WriteProfileString(path, "sys", "L", "1"));
    EXPECT_TRUE(fs::is_directory(file));
}

// A file of more than the limit is someone else's: neither read nor
// rewritten, however many writes are asked for; one of exactly the limit is
// used as usual.
TEST_F(Profile, AnOversizedFileIsNeitherReadNorRewritten) {
    const std::string head = "[sys]\nL=5\n;";
    std::string big = head + std::string(platform::kProfileMaxBytes - head.size(), 'x');
    WriteFile(file, big);
    EXPECT_EQ(platform::ProfileFileState(path), platform::FileReadFailure::kNone);
    EXPECT_EQ(ReadProfileString(path, "sys", "L"), "5");

    big += "x";
    WriteFile(file, big);
    EXPECT_EQ(platform::ProfileFileState(path), platform::FileReadFailure::kTooLarge);
    EXPECT_EQ(ReadProfileString(path, "sys", "L", "none"), "none");
    EXPECT_FALSE(WriteProfileString(path, "sys", "L", "6"));
    EXPECT_FALSE(WriteProfileString(path, "new", "k", "v"));
    EXPECT_TRUE(ReadFile(file) == big);  // not EXPECT_EQ: a megabyte in a failure message
}

TEST_F(Profile, WriteIntoAMissingFolderFails) {
    EXPECT_FALSE(WriteProfileString(path + ".d/sys.ini", "sys", "L", "1"));
}

}  // namespace
}  // namespace korvane
