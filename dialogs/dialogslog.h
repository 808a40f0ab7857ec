// The dialogs' logging category: drafts that could not be kept or read.
#pragma once

#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcDialogs)
