#include "platform/fileinfo.h"

#include <sys/stat.h>
#include <unistd.h>

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

bool AddName(const std::string& existing, const std::string& added) {
    return ::link(NativePath(existing).c_str(), NativePath(added).c_str()) == 0;
}

bool OnlyOwnerMayAccess(const std::string& path) {
    struct stat st {};
    if (::lstat(NativePath(path).c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
    return st.st_uid == ::geteuid() && (st.st_mode & (S_IRWXG | S_IRWXO)) == 0;
}

}  // namespace korvane::platform
