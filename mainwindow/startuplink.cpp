#include "mainwindow/startuplink.h"

#include <QMessageBox>
#include <QWidget>

#include "base/ansitext.h"
#include "platform/apppaths.h"
#include "platform/autostart.h"

namespace korvane {

bool StartupLinkFor(platform::AutostartAction action, const std::string& title, QWidget* parent) {
    const std::string name = Trim(title);
    const std::string entry = platform::AutostartEntryPath(name);
    switch (action) {
        case platform::AutostartAction::Write: {
            const std::string error = platform::WriteAutostartEntry(
                entry, name, ApplicationDirectory() + ExecutableName(), ApplicationDirectory());
            if (!error.empty()) {
                QMessageBox::critical(parent, parent->windowTitle(), QString::fromUtf8(error));
            }
            return false;
        }
        case platform::AutostartAction::Remove:
            platform::RemoveAutostartEntry(entry);
            return false;
        case platform::AutostartAction::Check:
            return platform::AutostartEntryExists(entry);
    }
    return false;
}

}  // namespace korvane
