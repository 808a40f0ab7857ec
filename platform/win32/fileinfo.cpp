#include "platform/fileinfo.h"

#include <windows.h>

#include "platform/codepage.h"

namespace korvane::platform {

namespace {

std::optional<WIN32_FILE_ATTRIBUTE_DATA> AttributesOf(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExA(NativePath(path).c_str(), GetFileExInfoStandard, &data))
        return std::nullopt;
    return data;
}

// Symbolic links, junctions and devices are no plain file or folder.
bool IsPlain(const WIN32_FILE_ATTRIBUTE_DATA& data) {
    return (data.dwFileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DEVICE)) == 0;
}

}  // namespace

EntryKind EntryKindOf(const std::string& path) {
    const auto data = AttributesOf(path);
    if (!data) return EntryKind::Missing;
    if (!IsPlain(*data)) return EntryKind::Other;
    return (data->dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? EntryKind::Folder
                                                               : EntryKind::File;
}

std::optional<int64_t> ModifiedSeconds(const std::string& path) {
    const auto data = AttributesOf(path);
    if (!data || !IsPlain(*data) || (data->dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return std::nullopt;
    // 100-nanosecond steps since 1601-01-01 UTC.
    const uint64_t ticks =
        uint64_t{data->ftLastWriteTime.dwHighDateTime} << 32 | data->ftLastWriteTime.dwLowDateTime;
    constexpr uint64_t kTicksPerSecond = 10000000;
    constexpr int64_t kSecondsFrom1601To1970 = 11644473600;
    return static_cast<int64_t>(ticks / kTicksPerSecond) - kSecondsFrom1601To1970;
}

bool AddName(const std::string& existing, const std::string& added) {
    // NTFS only; FAT and network shares answer false.
    return ::CreateHardLinkA(NativePath(added).c_str(), NativePath(existing).c_str(), nullptr) != 0;
}

bool OnlyOwnerMayAccess(const std::string& path) {
    return EntryKindOf(path) == EntryKind::File;
}

}  // namespace korvane::platform
