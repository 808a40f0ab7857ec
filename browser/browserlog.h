// The browser host's logging category: navigations refused or sent elsewhere.
#pragma once

#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcBrowser)
