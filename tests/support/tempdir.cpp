#include "support/tempdir.h"

#include <atomic>
#include <fstream>
#include <random>

#include "platform/apppaths.h"
#include "platform/codepage.h"
#include "store/notebook.h"

namespace fs = std::filesystem;

namespace korvane::test {

std::string ReadFile(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void WriteFile(const fs::path& file, const std::string& bytes) {
    std::ofstream(file, std::ios::binary | std::ios::trunc) << bytes;
}

std::string Utf8(const fs::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

fs::path PathOf(const std::string& utf8) {
    return fs::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string CodePagePath(const fs::path& path) {
    return platform::ToCodePage(Utf8(path));
}

TempDir::TempDir(const std::string& name) {
    // Test programs run side by side: a random part keeps their folders apart.
    static const unsigned run = std::random_device{}();
    static std::atomic<int> counter{0};
    path_ = fs::temp_directory_path() /
            PathOf(name + "-" + std::to_string(run) + "-" + std::to_string(counter++));
    fs::remove_all(path_);
    fs::create_directories(path_);
}

TempDir::~TempDir() {
    std::error_code ignored;
    fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ignored);
    fs::remove_all(path_, ignored);
}

std::string TempDir::CodePageDir() const {
    return CodePagePath(path_) + "/";
}

AppFolder::AppFolder(const std::string& name, bool withPristineDb) : TempDir(name) {
    fs::copy(KORVANE_DATA_DIR, path(), fs::copy_options::recursive);
    if (!withPristineDb) fs::remove(path() / "hd" / "glst.mysql.root");
    CloseDatabase();
    SetApplicationPaths(CodePageDir() + "korvane");
    SetDataDirectory({});  // the data beside the program, as in a portable copy
}

AppFolder::~AppFolder() {
    CloseDatabase();
    SetDataDirectory({});
}

}  // namespace korvane::test
