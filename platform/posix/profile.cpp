#include "platform/profile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <cctype>
#include <filesystem>

#include <cerrno>
#include <optional>
#include <vector>

#include "platform/codepage.h"
#include "platform/posix/fd.h"

namespace korvane::platform {
namespace {

using posix::Fd;
using posix::WriteAll;

std::string_view TrimBlanks(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) {
        s.remove_suffix(1);
    }
    return s;
}

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
        if (x != y) return false;
    }
    return true;
}

std::optional<std::string> ReadWhole(const std::string& nativePath) {
    Fd in(::open(nativePath.c_str(), O_RDONLY | O_CLOEXEC));
    if (in.fd < 0) return std::nullopt;
    std::string text;
    char buffer[8192];
    for (;;) {
        const ssize_t n = ::read(in.fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return std::nullopt;
        if (n == 0) return text;
        text.append(buffer, n);
    }
}

// The file as lines without their line ends; `crlf` tells how the file ends
// its lines so that a rewrite keeps the style.
struct IniLines {
    std::vector<std::string> lines;
    bool crlf = false;
};

IniLines SplitLines(std::string_view text) {
    IniLines ini;
    const size_t firstEnd = text.find('\n');
    ini.crlf = firstEnd != std::string_view::npos && firstEnd > 0 && text[firstEnd - 1] == '\r';
    while (!text.empty()) {
        size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        ini.lines.emplace_back(line);
        if (end == std::string_view::npos) break;
        text.remove_prefix(end + 1);
    }
    return ini;
}

// The section name of a "[name]" line, or nothing for any other line.
std::optional<std::string_view> SectionName(std::string_view line) {
    line = TrimBlanks(line);
    if (line.empty() || line.front() != '[') return std::nullopt;
    line.remove_prefix(1);
    const size_t close = line.find(']');
    return TrimBlanks(line.substr(0, close));
}

// Key and raw value of a "key=value" line; comments and other lines give nothing.
std::optional<std::pair<std::string_view, std::string_view>> KeyValue(std::string_view line) {
    line = TrimBlanks(line);
    if (line.empty() || line.front() == ';' || line.front() == '#' || line.front() == '[') {
        return std::nullopt;
    }
    const size_t eq = line.find('=');
    if (eq == std::string_view::npos) return std::nullopt;
    return std::make_pair(TrimBlanks(line.substr(0, eq)), TrimBlanks(line.substr(eq + 1)));
}

std::string_view Unquote(std::string_view value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        value = value.substr(1, value.size() - 2);
    }
    return value;
}

// Index of the section's header line, if the section exists.
std::optional<size_t> FindSection(const IniLines& ini, std::string_view section) {
    for (size_t i = 0; i < ini.lines.size(); ++i) {
        const auto name = SectionName(ini.lines[i]);
        if (name && SameName(*name, section)) return i;
    }
    return std::nullopt;
}

std::string Join(const IniLines& ini) {
    const std::string_view end = ini.crlf ? "\r\n" : "\n";
    std::string text;
    for (const std::string& line : ini.lines) {
        text += line;
        text += end;
    }
    return text;
}

// True for the name of a temporary ReplaceContent makes for `file`: the
// file's name, a dot and six letters or digits.
bool IsTemporaryOf(std::string_view name, std::string_view file) {
    if (name.size() != file.size() + 7 || !name.starts_with(file) || name[file.size()] != '.')
        return false;
    return std::all_of(name.begin() + static_cast<std::ptrdiff_t>(file.size()) + 1, name.end(),
                       [](char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0; });
}

// A write killed between making its temporary and renaming it leaves the
// temporary behind; only this program writes the file, so any such leftover
// is removed before the next write.
void RemoveStaleTemporaries(const std::string& nativePath) {
    const std::filesystem::path path(nativePath);
    const std::string file = path.filename().string();
    std::error_code error;
    const std::filesystem::path folder = path.has_parent_path() ? path.parent_path() : ".";
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        if (IsTemporaryOf(entry.path().filename().string(), file) && entry.is_regular_file(error)) {
            std::filesystem::remove(entry.path(), error);
        }
    }
}

// Replaces the file's content: through a new file renamed over the old one, so
// an interrupted write never leaves half a file; in place when the folder does
// not allow new files but the file itself may be written.
bool ReplaceContent(const std::string& nativePath, std::string_view content) {
    RemoveStaleTemporaries(nativePath);
    struct stat st {};
    const bool exists = ::stat(nativePath.c_str(), &st) == 0;
    if (exists && (!S_ISREG(st.st_mode) || ::access(nativePath.c_str(), W_OK) != 0)) return false;

    std::string temp = nativePath + ".XXXXXX";
    Fd out(::mkostemp(temp.data(), O_CLOEXEC));
    if (out.fd >= 0) {
        const mode_t mode = exists ? (st.st_mode & 07777) : 0644;
        const bool written =
            ::fchmod(out.fd, mode) == 0 && WriteAll(out.fd, content) && ::fsync(out.fd) == 0;
        if (written && ::rename(temp.c_str(), nativePath.c_str()) == 0) return true;
        ::unlink(temp.c_str());
        return false;
    }
    if (!exists) return false;
    Fd inPlace(::open(nativePath.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC));
    return inPlace.fd >= 0 && WriteAll(inPlace.fd, content);
}

}  // namespace

std::string ReadProfileString(const std::string& path, std::string_view section,
                              std::string_view key, std::string_view fallback) {
    const auto text = ReadWhole(NativePath(path));
    if (!text) return std::string(fallback);
    const IniLines ini = SplitLines(*text);
    const auto header = FindSection(ini, section);
    if (!header) return std::string(fallback);
    for (size_t i = *header + 1; i < ini.lines.size() && !SectionName(ini.lines[i]); ++i) {
        const auto entry = KeyValue(ini.lines[i]);
        if (entry && SameName(entry->first, key)) {
            return std::string(Unquote(entry->second).substr(0, kProfileValueCapacity - 1));
        }
    }
    return std::string(fallback);
}

bool WriteProfileString(const std::string& path, std::string_view section, std::string_view key,
                        std::string_view value) {
    const std::string native = NativePath(path);
    IniLines ini;
    struct stat st {};
    if (::stat(native.c_str(), &st) == 0) {
        const auto text = ReadWhole(native);
        if (!text) return false;  // present but unreadable: never replace what we cannot keep
        ini = SplitLines(*text);
    } else if (errno != ENOENT) {
        return false;
    }
    const std::string line = std::string(key) + "=" + std::string(value);

    const auto header = FindSection(ini, section);
    if (!header) {
        std::string title = "[";  // built by appends: GCC 12 misreports "[" + string
        title.append(section).append("]");
        ini.lines.push_back(std::move(title));
        ini.lines.push_back(line);
        return ReplaceContent(native, Join(ini));
    }
    size_t lastFilled = *header;
    for (size_t i = *header + 1; i < ini.lines.size() && !SectionName(ini.lines[i]); ++i) {
        const auto entry = KeyValue(ini.lines[i]);
        if (entry && SameName(entry->first, key)) {
            ini.lines[i] = line;
            return ReplaceContent(native, Join(ini));
        }
        if (!TrimBlanks(ini.lines[i]).empty()) lastFilled = i;
    }
    ini.lines.insert(ini.lines.begin() + static_cast<std::ptrdiff_t>(lastFilled) + 1, line);
    return ReplaceContent(native, Join(ini));
}

}  // namespace korvane::platform
