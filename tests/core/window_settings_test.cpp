// The window settings: number and flag reading, the restore geometry, the
// display rule, the save order, and the updater command line.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "app/settings.h"
#include "app/updater.h"
#include "platform/codepage.h"
#include "support/tempdir.h"

namespace fs = std::filesystem;

namespace korvane {
namespace {

TEST(SettingsValues, IntegersAndFlags) {
    EXPECT_EQ(SettingsInteger("0x100"), 256);
    EXPECT_EQ(SettingsInteger("0X1f"), 31);
    EXPECT_EQ(SettingsInteger("$10"), 16);
    EXPECT_EQ(SettingsInteger("-120"), -120);
    EXPECT_EQ(SettingsInteger("abc"), 0);
    EXPECT_EQ(SettingsInteger("0x"), 0);  // too short to be a hexadecimal prefix
    EXPECT_EQ(SettingsInteger(""), 0);
    EXPECT_EQ(SettingsInteger("12px"), 0);
    EXPECT_TRUE(SettingsFlag("1"));
    EXPECT_TRUE(SettingsFlag("0x1"));
    EXPECT_FALSE(SettingsFlag("2"));
    EXPECT_FALSE(SettingsFlag("yes"));
    EXPECT_FALSE(SettingsFlag("-1"));
}

TEST(RestoreGeometry, FirstStartGoesToTheRightEdge) {
    const auto r = RestoreGeometry({}, 1024, 768, 391);
    ASSERT_TRUE(r);
    EXPECT_EQ(*r, (WindowRect{633, 0, 391, 735}));
}

TEST(RestoreGeometry, OverflowRules) {
    // Right edge past the screen: pulled back so it meets the edge.
    EXPECT_EQ(*RestoreGeometry({900, 10, 391, 500}, 1024, 768, 391),
              (WindowRect{633, 10, 391, 500}));
    // Bottom past the screen: top 20, height kept.
    EXPECT_EQ(*RestoreGeometry({100, 500, 391, 735}, 1024, 768, 391),
              (WindowRect{100, 20, 391, 735}));
    // Negative edges are kept as they are.
    EXPECT_EQ(*RestoreGeometry({-50, -10, 300, 400}, 1024, 768, 391),
              (WindowRect{-50, -10, 300, 400}));
}

TEST(RestoreGeometry, ZeroMeansAbsent) {
    // A left of 0 cannot be told from a missing one: the window goes right,
    // using the width it has now, then the stored width pulls it in.
    EXPECT_EQ(*RestoreGeometry({0, 5, 500, 300}, 1024, 768, 391), (WindowRect{524, 5, 500, 300}));
    EXPECT_EQ(*RestoreGeometry({10, 5, 0, 0}, 1024, 768, 420), (WindowRect{10, 5, 420, 735}));
    // A negative size is as good as none.
    EXPECT_EQ(*RestoreGeometry({10, 5, -3, -1}, 1024, 768, 391), (WindowRect{10, 5, 391, 735}));
    // No usable size at all: nothing is applied.
    EXPECT_FALSE(RestoreGeometry({10, 5, 0, 200}, 1024, 768, 0));
    EXPECT_FALSE(RestoreGeometry({}, 1024, 33, 391));
}

TEST(KeepOnDisplays, OnlyWhollyLostWindowsMove) {
    const WindowRect primary{0, 0, 1024, 768};
    const WindowRect second{1024, 0, 800, 600};
    const std::vector<WindowRect> both{primary, second};
    const WindowRect partly{1000, 100, 391, 500};
    EXPECT_EQ(KeepOnDisplays(partly, both, primary), partly);
    const WindowRect onSecond{1500, 50, 391, 500};
    EXPECT_EQ(KeepOnDisplays(onSecond, both, primary), onSecond);
    // The second display was unplugged.
    EXPECT_EQ(KeepOnDisplays(onSecond, {primary}, primary), (WindowRect{633, 0, 391, 500}));
    EXPECT_EQ(KeepOnDisplays({-2000, -900, 391, 500}, both, primary),
              (WindowRect{633, 0, 391, 500}));
    // Touching the edge is not overlapping.
    EXPECT_EQ(KeepOnDisplays({1024, 0, 10, 10}, {primary}, primary), (WindowRect{1014, 0, 10, 10}));
}

TEST(WindowSettingsFile, LoadReadsEveryKeyAndSaveWritesThemInOrder) {
    test::TempDir dir("settings");
    const std::string path = test::CodePagePath(dir.path() / "sys.ini");
    std::ofstream(dir.path() / "sys.ini") << "[Sys]\nw=0x100\nh=abc\nl=-7\nTRA=2\nTT=0\nCnq=1\n";
    const StoredWindow s = LoadWindowSettings(path);
    EXPECT_EQ(s.left, -7);
    EXPECT_EQ(s.top, 0);
    EXPECT_EQ(s.width, 256);
    EXPECT_EQ(s.height, 0);
    EXPECT_FALSE(s.compact);  // Tra=2 is no flag
    EXPECT_FALSE(s.onTop);
    EXPECT_TRUE(s.hotkey);

    fs::remove(dir.path() / "sys.ini");
    ASSERT_TRUE(SaveWindowSettings(path, {633, -2, 391, 735, true, false, true}));
    std::ifstream in(dir.path() / "sys.ini");
    const std::string text{std::istreambuf_iterator<char>(in), {}};
    EXPECT_EQ(text, "[sys]\nL=633\nT=-2\nW=391\nH=735\nTra=1\nTT=0\nCNQ=1\n");
    EXPECT_FALSE(SaveWindowSettings(path + ".d/sys.ini", {}));
}

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
