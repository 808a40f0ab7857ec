// Keeps a second copy of the program from running beside the first, and a
// second writer from a notebook.
//
// On POSIX the lock is an exclusive advisory lock on a file in the user's
// runtime folder; on Windows it is a named mutex in the user's session. The
// system releases either when the process ends in any way, killed or crashed
// included, so a stale lock never keeps later copies out.
#pragma once

#include <cstdint>
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

    // `name` names the lock; users do not meet (the user id is part of a
    // lock file's name, and a mutex name belongs to the user's session).
    explicit InstanceLock(std::string_view name);
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    State state() const { return state_; }
    // Where the lock lives: the lock file's native path, or the mutex name.
    const std::string& path() const { return path_; }

  private:
    intptr_t handle_ = -1;  // the lock file's descriptor or the mutex handle; -1 for none
    State state_ = State::kUnprotected;
    std::string path_;
};

// Keeps two processes from writing one notebook: an exclusive advisory lock on
// a file beside it (flock on POSIX, LockFileEx on Windows), held while the
// object lives. Two copies of the program meet here whatever runtime folder or
// session each has, since the file lives with the data. The system releases the
// lock when the process ends in any way. The lock file stays behind, empty.
class WriterLock {
  public:
    enum class State {
        kHeld,           // this object holds the lock
        kHeldElsewhere,  // another process, or another object, holds it
        kUnprotected,    // the lock file could not be made or locked
    };

    // `path` is the lock file's path in the code page; the file is made when
    // missing.
    explicit WriterLock(const std::string& path);
    ~WriterLock();
    WriterLock(const WriterLock&) = delete;
    WriterLock& operator=(const WriterLock&) = delete;

    State state() const { return state_; }

  private:
    intptr_t handle_ = -1;  // the descriptor or file handle while held; -1 for none
    State state_ = State::kUnprotected;
};

}  // namespace korvane::platform
