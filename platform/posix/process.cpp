#include "platform/process.h"

#include <malloc.h>
#include <spawn.h>
#include <unistd.h>

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

}  // namespace korvane::platform
