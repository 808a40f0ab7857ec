// A whole file mapped read-only into memory, released when the object goes.
#pragma once

#include <cstddef>
#include <string>

namespace korvane::platform {

class FileMap {
  public:
    // Maps the file at `path` (code page). A file that does not exist, cannot be
    // read or mapped, or is empty gives an empty map (data() null, size() 0).
    explicit FileMap(const std::string& path);
    ~FileMap();
    FileMap(const FileMap&) = delete;
    FileMap& operator=(const FileMap&) = delete;

    const unsigned char* data() const { return data_; }
    size_t size() const { return size_; }

  private:
    const unsigned char* data_ = nullptr;
    size_t size_ = 0;
};

}  // namespace korvane::platform
