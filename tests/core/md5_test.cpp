// MD5 against RFC 1321's test suite, file hashing, and the page file check.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "logic/md5.h"
#include "platform/apppaths.h"
#include "platform/codepage.h"
#include "support/tempdir.h"

namespace fs = std::filesystem;

namespace korvane {
namespace {

using test::ReadFile;
using test::WriteFile;

std::string Hex(std::string_view text) {
    return DigestToHex(Md5OfText(text));
}

TEST(Md5, Rfc1321TestSuite) {
    EXPECT_EQ(Hex(""), "d41d8cd98f00b204e9800998ecf8427e");
    EXPECT_EQ(Hex("a"), "0cc175b9c0f1b6a831c399e269772661");
    EXPECT_EQ(Hex("abc"), "900150983cd24fb0d6963f7d28e17f72");
    EXPECT_EQ(Hex("message digest"), "f96b697d7cb7938d525a2f31aaf161d0");
    EXPECT_EQ(Hex("abcdefghijklmnopqrstuvwxyz"), "c3fcd3d76192e4007dfb496cca67e13b");
    EXPECT_EQ(Hex("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789"),
              "d174ab98d277d9f5a5611c2c9f419d9f");
    EXPECT_EQ(Hex("1234567890123456789012345678901234567890123456789012345678901234567890"
                  "1234567890"),
              "57edf4a22be3c955ac49da2e2107b67a");
    EXPECT_EQ(Hex(std::string(1000000, 'a')), "7707d6ae4e027c70eea2a935c2296f21");
}

TEST(Md5, AnySplitIntoRunsGivesTheSameDigest) {
    // Lengths around the padding boundaries (55, 56, 63, 64, 119, 120 ...).
    std::string data;
    for (int i = 0; i < 300; ++i) data += static_cast<char>(i * 7 + 3);
    for (size_t length = 0; length <= data.size(); ++length) {
        const Md5Digest whole = Md5OfText(std::string_view(data).substr(0, length));
        for (size_t step : {1u, 3u, 63u, 64u, 65u}) {
            Md5 md5;
            for (size_t at = 0; at < length; at += step) {
                md5.Update(data.data() + at, std::min(step, length - at));
            }
            ASSERT_EQ(md5.Finish(), whole) << "length " << length << " step " << step;
        }
    }
    // After Finish the same object starts afresh.
    Md5 md5;
    md5.Update("abc", 3);
    md5.Finish();
    md5.Update("a", 1);
    EXPECT_EQ(DigestToHex(md5.Finish()), "0cc175b9c0f1b6a831c399e269772661");
}

TEST(Md5, FilesHashTheirWholeContentOrGiveTheEmptyDigest) {
    test::TempDir dir("korvane 记事 md5");
    const std::string folder = dir.CodePageDir();
    std::string content(200000, '\0');
    for (size_t i = 0; i < content.size(); ++i) content[i] = static_cast<char>(i * 31 + (i >> 8));
    WriteFile(dir.path() / test::PathOf("数据.bin"), content);
    EXPECT_EQ(Md5OfFile(folder + platform::ToCodePage("数据.bin")), Md5OfText(content));

    const Md5Digest empty = Md5OfText("");
    WriteFile(dir.path() / "empty", "");
    EXPECT_EQ(Md5OfFile(folder + "empty"), empty);
    EXPECT_EQ(Md5OfFile(folder + "missing"), empty);
    EXPECT_EQ(Md5OfFile(folder), empty);  // a folder has no content to read
}

class PageFile : public ::testing::Test {
  protected:
    test::AppFolder app_;
    const std::string path_ = AppPath("hd/main.html");
    const fs::path file_ = app_.path() / "hd" / "main.html";
};

TEST_F(PageFile, TheShippedPageIsAccepted) {
    ASSERT_TRUE(fs::exists(file_));
    EXPECT_TRUE(CheckPageFile(path_));
    EXPECT_TRUE(CheckPageFile(path_));  // nothing is consumed by a check
}

TEST_F(PageFile, AnyChangeToThePageIsRejected) {
    const std::string page = ReadFile(file_);
    ASSERT_FALSE(page.empty());

    std::string changed = page;
    changed[changed.size() / 2] ^= 0x01;
    WriteFile(file_, changed);
    EXPECT_FALSE(CheckPageFile(path_));

    WriteFile(file_, page + " ");
    EXPECT_FALSE(CheckPageFile(path_));

    WriteFile(file_, page.substr(0, page.size() - 1));
    EXPECT_FALSE(CheckPageFile(path_));

    WriteFile(file_, "");
    EXPECT_FALSE(CheckPageFile(path_));

    fs::remove(file_);
    EXPECT_FALSE(CheckPageFile(path_));

    WriteFile(file_, page);  // and the original is accepted again
    EXPECT_TRUE(CheckPageFile(path_));
}

}  // namespace
}  // namespace korvane
