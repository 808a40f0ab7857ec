#include "app/updater.h"

#include "platform/codepage.h"

namespace korvane {
namespace {

// Lower-cases ASCII letters only. A GBK lead byte (0x81 to 0xFE) takes the
// next byte with it, since trail bytes may look like ASCII letters ("丄" is
// 0x81 0x41) and must stay as they are.
std::string LowerAsciiLetters(std::string_view text) {
    std::string out(text);
    for (size_t i = 0; i < out.size(); ++i) {
        const auto c = static_cast<unsigned char>(out[i]);
        if (c >= 0x81 && c <= 0xFE) {
            ++i;
        } else if (c >= 'A' && c <= 'Z') {
            out[i] = static_cast<char>(c - 'A' + 'a');
        }
    }
    return out;
}

}  // namespace

std::vector<std::string> UpdaterArguments(std::string_view versionStamp,
                                          std::string_view executableName) {
    return {"Quorvex", std::string(versionStamp), LowerAsciiLetters(executableName)};
}

const std::string& UpdaterNotStarted() {
    static const std::string text =
        Cp("无法启动更新程序：程序目录中没有 update.exe，或它不能运行。本程序继续运行。");
    return text;
}

std::string UpdaterCommandLine(std::string_view versionStamp, std::string_view executableName) {
    std::string line(kUpdaterProgram);
    for (const std::string& arg : UpdaterArguments(versionStamp, executableName)) line += " " + arg;
    return line;
}

}  // namespace korvane
