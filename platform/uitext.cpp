#include "platform/uitext.h"

#include <atomic>

#include "platform/codepage.h"

namespace korvane {
namespace {

// The one process-wide choice (see the header); read from any thread.
std::atomic<UiTranslation> g_translation{nullptr};

}  // namespace

void InstallUiTranslation(UiTranslation translation) {
    g_translation.store(translation);
}

std::string Ui::tr(std::string_view utf8, const char* disambiguation) {
    if (const UiTranslation translation = g_translation.load()) {
        const std::string translated = translation(utf8, disambiguation);
        if (!translated.empty()) return platform::ToCodePage(translated);
    }
    return platform::ToCodePage(utf8);
}

std::string UiArgs(std::string_view text, std::initializer_list<std::string_view> args) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const size_t n = i + 1 < text.size() ? static_cast<size_t>(text[i + 1] - '1') : args.size();
        if (text[i] == '%' && n < args.size() && n < 9) {
            out += *(args.begin() + n);
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

}  // namespace korvane
