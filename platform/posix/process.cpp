#include "platform/process.h"

#include <malloc.h>
#include <spawn.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/codepage.h"

extern char** environ;

namespace korvane::platform {
namespace {

// RAII holders for the spawn attribute objects.
struct SpawnAttr {
    posix_spawnattr_t attr;
    SpawnAttr() { posix_spawnattr_init(&attr); }
    ~SpawnAttr() { posix_spawnattr_destroy(&attr); }
    SpawnAttr(const SpawnAttr&) = delete;
    SpawnAttr& operator=(const SpawnAttr&) = delete;
};

struct SpawnActions {
    posix_spawn_file_actions_t actions;
    SpawnActions() { posix_spawn_file_actions_init(&actions); }
    ~SpawnActions() { posix_spawn_file_actions_destroy(&actions); }
    SpawnActions(const SpawnActions&) = delete;
    SpawnActions& operator=(const SpawnActions&) = delete;
};

}  // namespace

bool StartProgram(const std::string& program, const std::vector<std::string>& arguments,
                  const std::string& directory) {
    const std::string nativeProgram = NativePath(program);
    const std::string nativeDir = NativePath(directory);
    std::string local;
    if (nativeProgram.find('/') == std::string::npos && !nativeDir.empty()) {
        local = nativeDir + (nativeDir.back() == '/' ? "" : "/") + nativeProgram;
        if (::access(local.c_str(), X_OK) != 0) local.clear();
    }

    std::vector<std::string> args{nativeProgram};
    for (const std::string& a : arguments) args.push_back(NativePath(a));
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);

    SpawnAttr attr;
    posix_spawnattr_setflags(&attr.attr, POSIX_SPAWN_SETSID);
    SpawnActions actions;
    if (!nativeDir.empty())
        posix_spawn_file_actions_addchdir_np(&actions.actions, nativeDir.c_str());

    pid_t pid = 0;
    const int rc = local.empty() ? posix_spawnp(&pid, nativeProgram.c_str(), &actions.actions,
                                                &attr.attr, argv.data(), environ)
                                 : posix_spawn(&pid, local.c_str(), &actions.actions, &attr.attr,
                                               argv.data(), environ);
    return rc == 0;
}

void TrimWorkingSet() {
    malloc_trim(0);
}

void ReturnFreedMemoryPromptly() {
    // A fixed threshold also keeps the allocator from raising it after large
    // blocks are freed, so the free top of every thread's heap is trimmed.
    mallopt(M_TRIM_THRESHOLD, 1 << 20);
}

void GiveBackIdleMemory() {
    malloc_trim(0);
#ifdef MADV_PAGEOUT
    // Private mappings of files (program code and data, fonts): their pages
    // that were never written are clean, so the system drops them and reads
    // them in again at the next use. Written pages and anonymous memory stay,
    // as do pages other processes map too.
    std::ifstream maps("/proc/self/maps");
    std::string line;
    while (std::getline(maps, line)) {
        std::istringstream fields(line);
        std::string range, perms, offset, device;
        uint64_t inode = 0;
        fields >> range >> perms >> offset >> device >> inode;
        if (inode == 0 || perms.size() < 4 || perms[3] != 'p') continue;
        const size_t dash = range.find('-');
        if (dash == std::string::npos) continue;
        const uintptr_t start = std::stoull(range.substr(0, dash), nullptr, 16);
        const uintptr_t end = std::stoull(range.substr(dash + 1), nullptr, 16);
        ::madvise(reinterpret_cast<void*>(start), end - start, MADV_PAGEOUT);
    }
#endif
}

void UseParentConsole() {}

}  // namespace korvane::platform
