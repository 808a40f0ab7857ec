#include "logic/updater.h"

#include "base/ansitext.h"
#include "platform/codepage.h"
#include "platform/uitext.h"

namespace korvane {

std::vector<std::string> UpdaterArguments(std::string_view versionStamp,
                                          std::string_view executableName) {
    return {"Quorvex", std::string(versionStamp), LowerAscii(executableName)};
}

const std::string& UpdaterNotStarted() {
    static const std::string text =
        Ui::tr("无法启动更新程序：程序目录中没有 update.exe，或它不能运行。本程序继续运行。");
    return text;
}

std::string UpdaterCommandLine(std::string_view versionStamp, std::string_view executableName) {
    std::string line(kUpdaterProgram);
    for (const std::string& arg : UpdaterArguments(versionStamp, executableName)) line += " " + arg;
    return line;
}

}  // namespace korvane
