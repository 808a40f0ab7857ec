#include "mainwindow/corelog.h"

#include <QLoggingCategory>
#include <QString>

#include "base/log.h"
#include "mainwindow/windowlog.h"

Q_LOGGING_CATEGORY(lcStore, "korvane.store", QtWarningMsg)
Q_LOGGING_CATEGORY(lcRender, "korvane.render", QtWarningMsg)
Q_LOGGING_CATEGORY(lcApp, "korvane.app", QtWarningMsg)
Q_LOGGING_CATEGORY(lcPlatform, "korvane.platform", QtWarningMsg)
Q_LOGGING_CATEGORY(lcWindow, "korvane.window", QtWarningMsg)

namespace korvane {
namespace {

const QLoggingCategory& CategoryOf(log::Area area) {
    switch (area) {
        case log::Area::Store:
            return lcStore();
        case log::Area::Render:
            return lcRender();
        case log::Area::App:
            return lcApp();
        case log::Area::Platform:
            return lcPlatform();
    }
    return lcApp();
}

void ToQtLog(log::Area area, std::string_view message) {
    // Core texts are code-page bytes; a log line shows them as Latin-1 rather
    // than failing on them.
    qCWarning(CategoryOf(area)).noquote()
        << QString::fromLatin1(message.data(), static_cast<qsizetype>(message.size()));
}

}  // namespace

void InstallCoreLogSink() {
    log::SetSink(&ToQtLog);
}

}  // namespace korvane
