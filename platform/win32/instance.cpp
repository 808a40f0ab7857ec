#include "platform/instance.h"

#include <windows.h>

#include "platform/win32/handle.h"

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

WriterLock::WriterLock(const std::string& path) {
    // Other processes may open the file (a second copy must, to learn it is
    // second); the byte range lock is what keeps them out. The handle is not
    // inherited by programs started later.
    const HANDLE file =
        ::CreateFileW(win32::WideFromCodePage(path).c_str(), GENERIC_READ | GENERIC_WRITE,
                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        if (::GetLastError() == ERROR_SHARING_VIOLATION) state_ = State::kHeldElsewhere;
        return;
    }
    OVERLAPPED at{};
    if (::LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at)) {
        state_ = State::kHeld;
        handle_ = reinterpret_cast<intptr_t>(file);
        return;
    }
    const DWORD error = ::GetLastError();
    state_ = error == ERROR_LOCK_VIOLATION || error == ERROR_IO_PENDING ? State::kHeldElsewhere
                                                                        : State::kUnprotected;
    ::CloseHandle(file);
}

WriterLock::~WriterLock() {
    // Closing the handle releases the lock.
    if (handle_ != -1) ::CloseHandle(reinterpret_cast<HANDLE>(handle_));
}

}  // namespace korvane::platform
