// The updater's command line: the version stamp, then the program's name.
#include <gtest/gtest.h>

#include "logic/updater.h"

namespace korvane {
namespace {

TEST(Updater, CommandLineHasStampThenLowerCasedName) {
    EXPECT_EQ(UpdaterCommandLine("20110913", "Notes.EXE"), "update.exe Quorvex 20110913 notes.exe");
    const std::string chinese =
        "\xBC\xC7\xCA\xC2"
        "Ab.EXE";  // GBK bytes stay untouched
    EXPECT_EQ(UpdaterCommandLine("20110913", chinese),
              "update.exe Quorvex 20110913 \xBC\xC7\xCA\xC2"
              "ab.exe");
    // The trail byte of "丄" (0x81 0x41) looks like 'A' but is half a character.
    EXPECT_EQ(UpdaterCommandLine("1", "\x81\x41X.EXE"), "update.exe Quorvex 1 \x81\x41x.exe");
    EXPECT_EQ(UpdaterArguments("20110913", "My Notes.EXE"),
              (std::vector<std::string>{"Quorvex", "20110913", "my notes.exe"}));
}

}  // namespace
}  // namespace korvane
