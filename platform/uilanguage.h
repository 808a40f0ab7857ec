// The user's language as the system tells it, for the choice of the texts'
// language at start.
#pragma once

#include <string>

namespace korvane::platform {

// The name of the language the user's session asks for, such as "en_US.UTF-8"
// or "zh-CN": on Linux the first of LC_ALL, LC_MESSAGES and LANG that is set,
// on Windows the user's interface language. Empty when none is known.
std::string UserLanguageName();

}  // namespace korvane::platform
