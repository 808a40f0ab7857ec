// The colour scheme on Windows: the personalisation setting AppsUseLightTheme
// (a DWORD, 0 for dark applications) of the current user, read again every
// few seconds to follow a change made in the system's settings.
#include <windows.h>

#include <QTimer>

#include "platformqt/colorscheme.h"

namespace korvane::platform {
namespace {

constexpr int kPollMs = 3000;
constexpr uint32_t kPrefersDark = 1;
constexpr uint32_t kPrefersLight = 2;

std::optional<uint32_t> ReadScheme() {
    DWORD value = 0;
    DWORD size = sizeof(value);
    const LSTATUS status = RegGetValueW(
        HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize",
        L"AppsUseLightTheme", RRF_RT_REG_DWORD, nullptr, &value, &size);
    if (status != ERROR_SUCCESS) return std::nullopt;
    return value == 0 ? kPrefersDark : kPrefersLight;
}

class RegistryColorScheme : public ColorSchemeSource {
  public:
    explicit RegistryColorScheme(QObject* parent)
        : ColorSchemeSource(parent), scheme_(ReadScheme()) {
        auto* poll = new QTimer(this);
        poll->setInterval(kPollMs);
        connect(poll, &QTimer::timeout, this, [this] {
            const std::optional<uint32_t> now = ReadScheme();
            if (now == scheme_) return;
            scheme_ = now;
            emit changed();
        });
        poll->start();
    }

    std::optional<uint32_t> Scheme() const override { return scheme_; }

  private:
    std::optional<uint32_t> scheme_;
};

}  // namespace

ColorSchemeSource* MakeColorSchemeSource(QObject* parent) {
    return new RegistryColorScheme(parent);
}

}  // namespace korvane::platform
