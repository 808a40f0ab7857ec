// The user's home folder (native path): $HOME when it is an absolute path,
// else the password database's entry, else "/".
#pragma once

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

namespace korvane::platform {

inline std::string HomeFolder() {
    const char* home = std::getenv("HOME");
    if (home && home[0] == '/') return home;
    const passwd* pw = ::getpwuid(::getuid());
    return pw && pw->pw_dir ? pw->pw_dir : "/";
}

}  // namespace korvane::platform
