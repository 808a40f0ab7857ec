#include "platform/uilanguage.h"

#include <cstdlib>

namespace korvane::platform {

std::string UserLanguageName() {
    // The order the C library itself looks them up in for messages.
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(name);
        if (value != nullptr && *value != '\0') return value;
    }
    return {};
}

}  // namespace korvane::platform
