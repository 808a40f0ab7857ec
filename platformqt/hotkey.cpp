#include "platformqt/hotkey.h"

namespace korvane::platform {

GlobalHotkey::GlobalHotkey(QKeyCombination keys, QObject* parent)
    : QObject(parent), backend_(MakeHotkeyBackend(keys, parent, this)) {
    if (backend_) connect(backend_, &HotkeyBackend::activated, this, &GlobalHotkey::activated);
}

GlobalHotkey::~GlobalHotkey() {
    Unregister();
}

bool GlobalHotkey::Register() {
    return backend_ && backend_->Register();
}

void GlobalHotkey::Unregister() {
    if (backend_) backend_->Unregister();
}

bool GlobalHotkey::IsRegistered() const {
    return backend_ && backend_->IsRegistered();
}

}  // namespace korvane::platform
