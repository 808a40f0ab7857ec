// Keeps a second copy of the program from running beside the first.
//
// The lock is an exclusive advisory lock on a file in the user's runtime
// folder. The kernel releases it when the process ends in any way, killed or
// crashed included, so a stale lock never keeps later copies out.
#pragma once

#include <string>
#include <string_view>

namespace korvane::platform {

class InstanceLock {
  public:
    enum class State {
        kFirst,           // this process holds the lock
        kAlreadyRunning,  // another process of this user holds it
        kUnprotected,     // the lock file could not be made; run without the check
    };

    // `name` names the lock; the user id is added so users do not meet.
    explicit InstanceLock(std::string_view name);
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    State state() const { return state_; }
    // Where the lock file lives (native path), for diagnostics and tests.
    const std::string& path() const { return path_; }

  private:
    int fd_ = -1;
    State state_ = State::kUnprotected;
    std::string path_;
};

}  // namespace korvane::platform
