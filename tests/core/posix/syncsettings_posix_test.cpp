// The sync account's settings: the address and user name travel through the
// settings file in the code page, and a password file is used only when no
// one but its owner may read or write it.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>

#include "logic/syncsettings.h"
#include "platform/codepage.h"
#include "support/tempdir.h"

namespace korvane {
namespace {

TEST(SyncSettings, TheAccountRoundTripsThroughTheSettingsFileAndThePasswordNeverGoesThere) {
    test::TempDir dir("sync 设置");
    const std::string ini = dir.CodePageDir() + "sys.ini";
    EXPECT_FALSE(LoadSyncSettings(ini).Configured());
    SyncSettings s;
    s.url = "https://云.example.com/remote.php/dav";
    s.user = "张三";
    s.plainHttp = true;
    ASSERT_TRUE(SaveSyncSettings(ini, s));
    const SyncSettings back = LoadSyncSettings(ini);
    EXPECT_EQ(back.url, s.url);
    EXPECT_EQ(back.user, s.user);
    EXPECT_TRUE(back.plainHttp);
    EXPECT_EQ(back.timeoutSeconds, 30);
}

TEST(SyncSettings, APasswordFileOthersMayReadIsRefusedAndItsFirstLineIsThePassword) {
    test::TempDir dir("sync password");
    const std::filesystem::path file = dir.path() / "pw";
    std::ofstream(file) << "s3cret 密码\r\nsecond line\n";
    const std::string path = dir.CodePageDir() + "pw";
    std::string error;
    for (const mode_t mode : {0644, 0640, 0604, 0660}) {
        ::chmod(file.c_str(), mode);
        EXPECT_FALSE(ReadPasswordFile(path, error)) << std::oct << mode;
        EXPECT_NE(platform::FromCodePage(error).find("chmod 600"), std::string::npos);
    }
    ::chmod(file.c_str(), 0600);
    EXPECT_EQ(ReadPasswordFile(path, error), std::optional<std::string>("s3cret 密码"));
    EXPECT_FALSE(ReadPasswordFile(dir.CodePageDir() + "missing", error));
}

}  // namespace
}  // namespace korvane
