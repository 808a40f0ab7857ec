#include "logic/syncsettings.h"

#include "platform/codepage.h"
#include "platform/fileinfo.h"
#include "platform/files.h"
#include "platform/profile.h"
#include "platform/uitext.h"

namespace korvane {
namespace {

constexpr std::string_view kSection = "sync";
constexpr uint64_t kPasswordFileBytes = 4096;

std::string Read(const std::string& iniPath, std::string_view key) {
    return platform::ReadProfileString(iniPath, kSection, key);
}

}  // namespace

SyncSettings LoadSyncSettings(const std::string& iniPath) {
    SyncSettings s;
    // The file is in the code page, as every text of the program is.
    s.url = platform::FromCodePage(Read(iniPath, "url"));
    s.user = platform::FromCodePage(Read(iniPath, "user"));
    const std::string timeout = Read(iniPath, "timeout");
    if (!timeout.empty()) {
        try {
            const int seconds = std::stoi(timeout);
            if (seconds > 0 && seconds <= 3600) s.timeoutSeconds = seconds;
        } catch (const std::exception&) {
            // Not a number: the default stays.
        }
    }
    s.plainHttp = Read(iniPath, "plain_http") == "1";
    return s;
}

bool SaveSyncSettings(const std::string& iniPath, const SyncSettings& s) {
    return platform::WriteProfileString(iniPath, kSection, "url", platform::ToCodePage(s.url)) &&
           platform::WriteProfileString(iniPath, kSection, "user", platform::ToCodePage(s.user)) &&
           platform::WriteProfileString(iniPath, kSection, "plain_http", s.plainHttp ? "1" : "0");
}

std::optional<std::string> ReadPasswordFile(const std::string& path, std::string& error) {
    if (!platform::OnlyOwnerMayAccess(path)) {
        error = Ui::tr("密码文件 ") + path +
                Ui::tr(" 不是只有本用户能读写的普通文件（应为 chmod 600），未使用。");
        return std::nullopt;
    }
    platform::FileRead read = platform::ReadRegularFile(path, kPasswordFileBytes);
    if (!read) {
        error = Ui::tr("无法读取密码文件 ") + path + Ui::tr("。");
        return std::nullopt;
    }
    std::string password = std::move(read.bytes);
    const size_t end = password.find_first_of("\r\n");
    if (end != std::string::npos) password.resize(end);
    return password;
}

}  // namespace korvane
