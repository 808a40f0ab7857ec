#include "mainwindow/startuplink.h"

#include <QMessageBox>
#include <QWidget>

#include "base/ansitext.h"
#include "platform/apppaths.h"
#include "platform/autostart.h"

namespace korvane {

bool StartupLinkFor(int mode, const std::string& title, QWidget* parent) {
    const std::string name = Trim(title);
    const std::string entry = platform::AutostartEntryPath(name);
    switch (mode) {
        case 0: {
            const std::string error = platform::WriteAutostartEntry(
                entry, name, ApplicationDirectory() + ExecutableName(), ApplicationDirectory());
            if (!error.empty()) {
                QMessageBox::critical(parent, parent->windowTitle(), QString::fromUtf8(error));
            }
            return false;
        }
        case 1:
            platform::RemoveAutostartEntry(entry);
            return false;
        case 2:
            return platform::AutostartEntryExists(entry);
        default:
            return false;
    }
}

}  // namespace korvane
