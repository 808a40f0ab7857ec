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

std::string Ui::tr(std::string_view utf8) {
    if (const UiTranslation translation = g_translation.load()) {
        const std::string translated = translation(utf8);
        if (!translated.empty()) return platform::ToCodePage(translated);
    }
    return platform::ToCodePage(utf8);
}

}  // namespace korvane
