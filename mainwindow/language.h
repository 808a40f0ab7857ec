// The language of the program's texts, chosen and installed once at start.
#pragma once

#include <string>

#include "logic/settings.h"

namespace korvane {

// Installs the translation of `language` for the whole process (see
// platform/uitext.h); Chinese installs none. False when the English
// translation cannot be loaded: the texts then stay Chinese.
bool InstallLanguage(UiLanguage language);

// The language the settings file at `iniPath` and the user's system ask for,
// installed. Returns the language the texts are in.
UiLanguage InstallLanguageFromSettings(const std::string& iniPath);

}  // namespace korvane
