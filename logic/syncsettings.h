// The sync account as the settings file keeps it: section [sync], keys `url`
// and `user` (as typed; the file holds them in the code page), `timeout`
// (seconds a request may take) and `plain_http` (1 when the user chose to
// allow plain http to another machine). The password is never kept here: it
// lives in the desktop's secret store, or comes from a file for scripts.
#pragma once

#include <optional>
#include <string>

namespace korvane {

struct SyncSettings {
    std::string url;   // UTF-8
    std::string user;  // UTF-8
    int timeoutSeconds = 30;
    bool plainHttp = false;
    bool Configured() const { return !url.empty() && !user.empty(); }
};

SyncSettings LoadSyncSettings(const std::string& iniPath);

// Writes url, user and plain_http; false when the file refused a write.
bool SaveSyncSettings(const std::string& iniPath, const SyncSettings& settings);

// The password read from `path` for scripts and tests: the file's first line
// without its line end. Refused (nothing, and `error` in code-page words
// naming the path) when the file cannot be read, is not a regular file, or
// can be read or written by anyone but its owner.
std::optional<std::string> ReadPasswordFile(const std::string& path, std::string& error);

}  // namespace korvane
