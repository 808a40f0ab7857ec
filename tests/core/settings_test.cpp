// The window settings: number and flag reading, the restore geometry, the
// display rules, and the save order.
#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <fstream>

#include "logic/settings.h"
#include "platform/codepage.h"
#include "platform/profile.h"
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

TEST(FitOnDisplay, SizesAreCutToTheDisplayAndWindowsMovedInside) {
    const WindowRect primary{0, 0, 1024, 744};  // a panel of 24 below
    const WindowRect second{1024, 0, 1280, 1024};
    const std::vector<WindowRect> both{primary, second};
    // What fits stays as it is, on either display.
    EXPECT_EQ(FitOnDisplay({633, 0, 391, 735}, both, primary, 200, 120),
              (WindowRect{633, 0, 391, 735}));
    EXPECT_EQ(FitOnDisplay({1100, 50, 800, 900}, both, primary, 200, 120),
              (WindowRect{1100, 50, 800, 900}));
    // Far beyond every screen: the display of the centre gives its whole area.
    EXPECT_EQ(FitOnDisplay({-23000, 20, 24000, 24000}, both, primary, 200, 120), primary);
    EXPECT_EQ(FitOnDisplay({1500, 0, 24000, 1000}, both, primary, 200, 120),
              (WindowRect{1024, 0, 1280, 1000}));
    // Running past the bottom or the right: moved up or left, size kept.
    EXPECT_EQ(FitOnDisplay({20, 500, 391, 735}, {primary}, primary, 200, 120),
              (WindowRect{20, 9, 391, 735}));
    EXPECT_EQ(FitOnDisplay({900, 0, 391, 500}, {primary}, primary, 200, 120),
              (WindowRect{633, 0, 391, 500}));
    // Never below the minimum, even on a display smaller than it.
    EXPECT_EQ(FitOnDisplay({10, 10, 50, 60}, {primary}, primary, 200, 120),
              (WindowRect{10, 10, 200, 120}));
    EXPECT_EQ(FitOnDisplay({0, 0, 500, 500}, {{0, 0, 150, 100}}, {0, 0, 150, 100}, 200, 120),
              (WindowRect{0, 0, 200, 120}));
    // Centre outside every display: the one overlapped most, else the primary.
    EXPECT_EQ(FitOnDisplay({700, -400, 300, 500}, both, primary, 200, 120),
              (WindowRect{700, 0, 300, 500}));
    EXPECT_EQ(FitOnDisplay({900, -400, 300, 500}, both, primary, 200, 120),
              (WindowRect{1024, 0, 300, 500}));
    EXPECT_EQ(FitOnDisplay({5000, 5000, 300, 300}, both, primary, 200, 120),
              (WindowRect{724, 444, 300, 300}));
    // Extreme values do not overflow.
    const WindowRect huge{INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX};
    EXPECT_TRUE(primary.left <= FitOnDisplay(huge, both, primary, 200, 120).left);
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

// A settings file too large to be the program's: the window starts with the
// defaults, the user hears once what was left alone and where, and the close
// writes nothing over it.
TEST(WindowSettingsFile, AnOversizedFileIsReportedUsedForNothingAndKept) {
    test::TempDir dir("settings 设置");
    const fs::path file = dir.path() / "sys.ini";
    const std::string path = test::CodePagePath(file);
    EXPECT_EQ(SettingsFileNotice(path), "");  // none yet: the first close makes it
    test::WriteFile(file, "[sys]\nL=5\n");
    EXPECT_EQ(SettingsFileNotice(path), "");

    const std::string big = "[sys]\nL=5\nW=400\n" + std::string(platform::kProfileMaxBytes, ';');
    test::WriteFile(file, big);
    const std::string notice = SettingsFileNotice(path);
    EXPECT_NE(notice.find(path), std::string::npos) << "where";
    EXPECT_NE(notice.find(Cp("超过了 1 MB")), std::string::npos) << "what";
    EXPECT_NE(notice.find(Cp("默认")), std::string::npos) << "the defaults are used";
    EXPECT_NE(notice.find(Cp("保持原样")), std::string::npos) << "the file is kept";
    EXPECT_EQ(LoadWindowSettings(path).left, 0);
    EXPECT_EQ(LoadWindowSettings(path).width, 0);
    EXPECT_FALSE(SaveWindowSettings(path, {633, -2, 391, 735, true, false, true}));
    EXPECT_TRUE(test::ReadFile(file) == big);  // not EXPECT_EQ: a megabyte in a failure message
}

}  // namespace
}  // namespace korvane
