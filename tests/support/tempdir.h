// A temporary application folder for tests: created fresh, removed at the end.
#pragma once

#include <filesystem>
#include <string>

namespace korvane::test {

// A whole file's bytes; empty when it cannot be read.
std::string ReadFile(const std::filesystem::path& file);
// Replaces a file's content with `bytes`.
void WriteFile(const std::filesystem::path& file, const std::string& bytes);

// A path as UTF-8 text, and the path from UTF-8 text, whatever the system's
// narrow encoding.
std::string Utf8(const std::filesystem::path& path);
std::filesystem::path PathOf(const std::string& utf8);
// A path in the program's code page.
std::string CodePagePath(const std::filesystem::path& path);

class TempDir {
  public:
    // `name` may hold blanks and Chinese characters (UTF-8).
    explicit TempDir(const std::string& name = "korvane");
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    // The folder in the program's code page, with its trailing separator.
    std::string CodePageDir() const;

  private:
    std::filesystem::path path_;
};

// A temporary application folder holding the shipped data files, with the
// program's paths pointed at it and the store's connection dropped.
class AppFolder : public TempDir {
  public:
    explicit AppFolder(const std::string& name = "korvane app", bool withPristineDb = true);
    ~AppFolder();
    std::filesystem::path Database() const { return path() / "hd" / "glst.mysql"; }
};

}  // namespace korvane::test
