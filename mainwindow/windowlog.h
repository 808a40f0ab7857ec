// The main window's logging category: what its parts had to swallow.
#pragma once

#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcWindow)
