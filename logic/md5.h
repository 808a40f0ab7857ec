// MD5 message digest (RFC 1321) and the check that the page file is the one
// shipped with the program.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace korvane {

using Md5Digest = std::array<uint8_t, 16>;

// An MD5 computation fed with any number of byte runs.
class Md5 {
  public:
    Md5();
    ~Md5();
    Md5(const Md5&) = delete;
    Md5& operator=(const Md5&) = delete;

    void Update(const void* data, size_t size);
    // Pads, returns the digest and clears the working context; the object then
    // starts a new computation.
    Md5Digest Finish();

  private:
    void Start();
    void Clear();

    std::array<uint32_t, 4> state_;
    uint64_t length_ = 0;  // bytes fed so far
    std::array<unsigned char, 64> pending_{};
};

Md5Digest Md5OfText(std::string_view text);

// The digest of the file's whole content, hashed from a read-only mapping.
// A file that is missing, unreadable or empty gives the digest of empty input.
Md5Digest Md5OfFile(const std::string& path);

// 32 lower-case hexadecimal digits, high nibble first.
std::string DigestToHex(const Md5Digest& digest);

// True when the file at `path` (code page) is the page shipped with the
// program: its hex digest equals the digest fixed at build time. Never throws.
bool CheckPageFile(const std::string& path);

}  // namespace korvane
