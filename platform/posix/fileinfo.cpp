#include "platform/fileinfo.h"

#include <sys/stat.h>

#include "platform/codepage.h"

namespace korvane::platform {

EntryKind EntryKindOf(const std::string& path) {
    struct stat st {};
    if (::lstat(NativePath(path).c_str(), &st) != 0) return EntryKind::Missing;
    if (S_ISREG(st.st_mode)) return EntryKind::File;
    if (S_ISDIR(st.st_mode)) return EntryKind::Folder;
    return EntryKind::Other;
}

std::optional<int64_t> ModifiedSeconds(const std::string& path) {
    struct stat st {};
    if (::lstat(NativePath(path).c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
    return static_cast<int64_t>(st.st_mtime);
}

}  // namespace korvane::platform
