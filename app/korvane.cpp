// Program entry. For now it opens the notebook database beside the executable
// and reports its state; the window comes with the main window module.
#include <cstdio>

#include "app/apppaths.h"
#include "platform/codepage.h"
#include "platform/files.h"
#include "store/dbfunc.h"

int main() {
    using namespace korvane;
    SetApplicationPaths(platform::RunningExecutablePath());
    const std::string status = OpenDatabase();
    if (status == texts::kOpen) {
        std::printf("Korvane: database open at %s\n",
                    platform::FromCodePage(AppPath("hd\\glst.mysql")).c_str());
        return 0;
    }
    std::printf("Korvane: %s\n", platform::FromCodePage(status).c_str());
    return 1;
}
