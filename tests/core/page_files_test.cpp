// The data files shipped beside the program: every picture the rendered lists
// name, the note editor's palette bitmaps and the main window's skin, with the
// sizes the windows lay them out at.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <regex>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace korvane {
namespace {

const fs::path kData = KORVANE_DATA_DIR;

std::string ReadAll(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

uint32_t Le32(const std::string& b, size_t at) {
    return uint8_t(b[at]) | uint8_t(b[at + 1]) << 8 | uint8_t(b[at + 2]) << 16 |
           uint32_t(uint8_t(b[at + 3])) << 24;
}

uint32_t Be32(const std::string& b, size_t at) {
    return uint32_t(uint8_t(b[at])) << 24 | uint8_t(b[at + 1]) << 16 | uint8_t(b[at + 2]) << 8 |
           uint8_t(b[at + 3]);
}

struct Size {
    uint32_t w = 0, h = 0;
    bool operator==(const Size&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Size& s) {
    return out << s.w << "x" << s.h;
}

// Width and height from the file's header; 0x0 when it is not of the expected type.
Size GifSize(const std::string& b) {
    if (b.size() < 10 || b.compare(0, 4, "GIF8") != 0) return {};
    return {uint32_t(uint8_t(b[6]) | uint8_t(b[7]) << 8),
            uint32_t(uint8_t(b[8]) | uint8_t(b[9]) << 8)};
}

Size PngSize(const std::string& b) {
    if (b.size() < 24 || b.compare(1, 3, "PNG") != 0) return {};
    return {Be32(b, 16), Be32(b, 20)};
}

Size BmpSize(const std::string& b) {
    if (b.size() < 26 || b.compare(0, 2, "BM") != 0) return {};
    return {Le32(b, 18), Le32(b, 22)};
}

// From the first start-of-frame segment of a JPEG file.
Size JpegSize(const std::string& b) {
    if (b.compare(0, 2, "\xFF\xD8") != 0) return {};
    for (size_t at = 2; at + 9 < b.size();) {
        if (uint8_t(b[at]) != 0xFF) return {};
        const uint8_t marker = uint8_t(b[at + 1]);
        const size_t length = uint8_t(b[at + 2]) << 8 | uint8_t(b[at + 3]);
        if (marker >= 0xC0 && marker <= 0xC2) {
            return {uint32_t(uint8_t(b[at + 7]) << 8 | uint8_t(b[at + 8])),
                    uint32_t(uint8_t(b[at + 5]) << 8 | uint8_t(b[at + 6]))};
        }
        at += 2 + length;
    }
    return {};
}

// The size of a picture of any of the kinds the program ships.
Size PictureSize(const fs::path& p) {
    const std::string b = ReadAll(p);
    for (const Size s : {PngSize(b), GifSize(b), JpegSize(b), BmpSize(b)}) {
        if (s.w > 0) return s;
    }
    return {};
}

Size Twice(Size s) {
    return {s.w * 2, s.h * 2};
}

TEST(PageFiles, EveryPictureTheListsNameIsShipped) {
    std::vector<std::string> names = {"main.html",         "style.css",         "main.js",
                                      "image/sedit.gif",   "image/dele.gif",    "image/spacer.gif",
                                      "images/box/tl.jpg", "images/box/tr.jpg", "images/box/lb.jpg",
                                      "images/box/rb.jpg", "image/QQ.gif",      "image/MS.gif",
                                      "image/SP.gif",      "image/AL.gif"};
    for (int n = 0; n < 30; ++n) names.push_back("icons/" + std::to_string(n) + ".gif");
    for (const std::string& name : names) {
        const fs::path p = kData / "hd" / name;
        EXPECT_TRUE(fs::is_regular_file(p) && fs::file_size(p) > 0) << name;
    }
    EXPECT_EQ(GifSize(ReadAll(kData / "hd/image/spacer.gif")), (Size{1, 1}));
    // The corner cells of a record box are six pixels square.
    for (const char* corner : {"tl", "tr", "lb", "rb"}) {
        const std::string jpg = ReadAll(kData / "hd/images/box" / (std::string(corner) + ".jpg"));
        EXPECT_EQ(jpg.compare(0, 3, "\xFF\xD8\xFF"), 0) << corner;
    }
}

TEST(PageFiles, PaletteBitmapsAreTwentyTwoPixelFacesMatchingThePageIcons) {
    for (int n = 0; n < 30; ++n) {
        const std::string name = std::to_string(n);
        const std::string bmp = ReadAll(kData / "bmp" / (name + ".bmp"));
        EXPECT_EQ(BmpSize(bmp), (Size{22, 22})) << name;
        EXPECT_EQ(GifSize(ReadAll(kData / "hd/icons" / (name + ".gif"))), (Size{22, 22})) << name;
    }
    // Thirty different faces, not one picture copied thirty times.
    std::vector<std::string> seen;
    for (int n = 0; n < 30; ++n) {
        const std::string bmp = ReadAll(kData / "bmp" / (std::to_string(n) + ".bmp"));
        EXPECT_EQ(std::count(seen.begin(), seen.end(), bmp), 0) << n;
        seen.push_back(bmp);
    }
}

TEST(PageFiles, SkinPicturesHaveTheSizesTheWindowUses) {
    const std::vector<std::pair<std::string, Size>> skin = {
        {"korvane.png", {64, 64}}, {"korvane-32.png", {32, 32}},   {"korvane-16.png", {16, 16}},
        {"caption.png", {8, 28}},  {"caption_left.png", {12, 28}}, {"caption_right.png", {11, 28}},
        {"logo.png", {34, 30}},    {"btn_hide.png", {18, 18}},     {"btn_close.png", {18, 18}}};
    for (const auto& [name, size] : skin) {
        EXPECT_EQ(PngSize(ReadAll(kData / "skin" / name)), size) << name;
    }
}

// Every picture the page's style sheet offers for a pixel ratio: both files
// are there, the one for ratio 2 is exactly twice the size of the one for 1.
TEST(PageFiles, EveryPictureSetOfTheStyleSheetHasBothSizes) {
    const std::string css = ReadAll(kData / "hd/style.css");
    const std::regex pair(R"re(url\("([^"]+)"\) 1x, url\("([^"]+)"\) 2x)re");
    int sets = 0;
    for (std::sregex_iterator it(css.begin(), css.end(), pair), end; it != end; ++it, ++sets) {
        const fs::path plain = kData / "hd" / (*it)[1].str();
        const fs::path sharp = kData / "hd" / (*it)[2].str();
        ASSERT_TRUE(fs::is_regular_file(plain)) << plain;
        ASSERT_TRUE(fs::is_regular_file(sharp)) << sharp;
        EXPECT_GT(PictureSize(plain).w, 0u) << plain;
        EXPECT_EQ(PictureSize(sharp), Twice(PictureSize(plain))) << sharp;
    }
    // The faces, the two list icons, the four badges, four corners light and dark.
    EXPECT_EQ(sets, 30 + 2 + 4 + 4 + 4);
    // Each picture the lists name is covered by a set.
    for (const char* named : {"image/sedit.gif", "image/dele.gif", "image/QQ.gif", "image/AL.gif",
                              "icons/0.gif", "icons/29.gif", "images/box/rb.jpg"}) {
        EXPECT_NE(css.find(std::string("img[src=\"") + named + "\"]"), std::string::npos) << named;
    }
    // The dark corners sit on the dark page, not on the light one.
    EXPECT_NE(ReadAll(kData / "hd/images/box/tl-dark.png"),
              ReadAll(kData / "hd/images/box/tl@2x.png"));
}

// The window asks for each skin picture at twice the size on a screen of
// more device pixels than pixels, and for the caption's dark pieces.
TEST(PageFiles, SkinAndPalettePicturesComeAtTwiceTheSize) {
    std::vector<std::string> skin = {"caption", "caption_left", "caption_right",
                                     "logo",    "btn_hide",     "btn_close"};
    for (const char* dark : {"caption-dark", "caption_left-dark", "caption_right-dark"}) {
        skin.push_back(dark);
    }
    for (const std::string& name : skin) {
        const Size plain = PngSize(ReadAll(kData / "skin" / (name + ".png")));
        EXPECT_GT(plain.w, 0u) << name;
        EXPECT_EQ(PngSize(ReadAll(kData / "skin" / (name + "@2x.png"))), Twice(plain)) << name;
    }
    for (const char* piece : {"caption", "caption_left", "caption_right"}) {
        EXPECT_EQ(PngSize(ReadAll(kData / "skin" / (std::string(piece) + "-dark.png"))),
                  PngSize(ReadAll(kData / "skin" / (std::string(piece) + ".png"))))
            << piece;
    }
    for (int n = 0; n < 30; ++n) {
        const std::string name = std::to_string(n);
        EXPECT_EQ(PngSize(ReadAll(kData / "bmp" / (name + ".png"))), (Size{22, 22})) << name;
        EXPECT_EQ(PngSize(ReadAll(kData / "bmp" / (name + "@2x.png"))), (Size{44, 44})) << name;
    }
}

}  // namespace
}  // namespace korvane
