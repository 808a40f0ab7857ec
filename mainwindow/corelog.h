// Hands the plain C++ core's log lines to Qt's logging, one category per area
// (korvane.store, korvane.render, korvane.app, korvane.platform), so that
// QT_LOGGING_RULES switches them like the window's own categories.
#pragma once

namespace korvane {

void InstallCoreLogSink();

}  // namespace korvane
