// On Windows the system asks a program to end only through its windows (the
// end of the session, which the toolkit turns into its session manager's
// requests), so the watcher has nothing of its own to watch.
#include "platformqt/termination.h"

namespace korvane::platform {

TerminationWatcher::TerminationWatcher(QObject* parent) : QObject(parent) {}

TerminationWatcher::~TerminationWatcher() = default;

}  // namespace korvane::platform
