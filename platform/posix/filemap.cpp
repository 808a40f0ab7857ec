#include "platform/filemap.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/codepage.h"

namespace korvane::platform {

FileMap::FileMap(const std::string& path) {
    const int fd = ::open(NativePath(path).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return;
    struct stat st {};
    // Only regular files: a directory or device has no content to map.
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0) {
        const size_t size = static_cast<size_t>(st.st_size);
        void* view = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
        if (view != MAP_FAILED) {
            ::posix_madvise(view, size, POSIX_MADV_SEQUENTIAL);
            data_ = static_cast<const unsigned char*>(view);
            size_ = size;
        }
    }
    ::close(fd);  // the mapping keeps the file's pages reachable
}

FileMap::~FileMap() {
    if (data_ != nullptr) ::munmap(const_cast<unsigned char*>(data_), size_);
}

}  // namespace korvane::platform
