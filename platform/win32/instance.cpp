#include "platform/instance.h"

#include <windows.h>

namespace korvane::platform {

InstanceLock::InstanceLock(std::string_view name) : path_(name) {
    // Only the name's existence counts; the mutex is never waited on. A mutex
    // name lives in the user's session, so other users do not meet it.
    const HANDLE mutex = ::CreateMutexA(nullptr, FALSE, path_.c_str());
    if (mutex == nullptr) return;  // unprotected: better to run than to refuse
    if (::GetLastError() == ERROR_ALREADY_EXISTS) {
        state_ = State::kAlreadyRunning;
        ::CloseHandle(mutex);
        return;
    }
    state_ = State::kFirst;
    handle_ = reinterpret_cast<intptr_t>(mutex);
}

InstanceLock::~InstanceLock() {
    if (state_ == State::kFirst) ::CloseHandle(reinterpret_cast<HANDLE>(handle_));
}

}  // namespace korvane::platform
