#include "platform/uilanguage.h"

#include <windows.h>

namespace korvane::platform {

std::string UserLanguageName() {
    // The language the user's Windows shows its own texts in.
    const LANGID language = ::GetUserDefaultUILanguage();
    wchar_t name[LOCALE_NAME_MAX_LENGTH] = {};
    if (::LCIDToLocaleName(MAKELCID(language, SORT_DEFAULT), name, LOCALE_NAME_MAX_LENGTH, 0) <=
        0) {
        return {};
    }
    // Locale names are ASCII ("en-US", "zh-CN").
    std::string ascii;
    for (const wchar_t* c = name; *c != L'\0'; ++c) ascii += static_cast<char>(*c & 0x7F);
    return ascii;
}

}  // namespace korvane::platform
