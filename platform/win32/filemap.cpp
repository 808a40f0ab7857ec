#include "platform/filemap.h"

#include <windows.h>

#include "platform/codepage.h"
#include "platform/win32/handle.h"

namespace korvane::platform {

FileMap::FileMap(const std::string& path) {
    // Others may read and write the file meanwhile; it is read front to back.
    win32::Handle file(::CreateFileA(NativePath(path).c_str(), GENERIC_READ,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                     FILE_FLAG_SEQUENTIAL_SCAN | FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) return;
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file.get(), &size) || size.QuadPart <= 0) return;  // empty: nothing to map
    // The view keeps the mapping and the file alive until it is unmapped.
    win32::Handle mapping(::CreateFileMappingA(file.get(), nullptr, PAGE_READONLY, 0, 0, nullptr));
    if (!mapping.valid()) return;
    const void* view = ::MapViewOfFile(mapping.get(), FILE_MAP_READ, 0, 0, 0);
    if (view == nullptr) return;
    data_ = static_cast<const unsigned char*>(view);
    size_ = static_cast<size_t>(size.QuadPart);
}

FileMap::~FileMap() {
    if (data_ != nullptr) ::UnmapViewOfFile(data_);
}

}  // namespace korvane::platform
