// Settings files read and written by the program itself, the same on every
// system: the file is read only as a regular file of bounded size, never
// through a link, and replaced whole through a renamed temporary.
#include "platform/profile.h"

#include <optional>
#include <vector>

#include "platform/files.h"

namespace korvane::platform {
namespace {

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

// The file's lines, when it can be used: none when it is missing or a link
// (a write then makes a new file), nothing at all when it is refused.
std::optional<IniLines> LinesToRewrite(const std::string& path) {
    const FileRead read = ReadRegularFile(path, kProfileMaxBytes);
    switch (read.failure) {
        case FileReadFailure::kNone:
            return SplitLines(read.bytes);
        case FileReadFailure::kNotFound:
        case FileReadFailure::kLink:
            return IniLines{};  // a new file, its lines ended by line feeds
        default:
            // Too large, no regular file or unreadable: never replace what
            // cannot be kept.
            return std::nullopt;
    }
}

}  // namespace

FileReadFailure ProfileFileState(const std::string& path) {
    return ReadRegularFile(path, kProfileMaxBytes).failure;
}

std::string ReadProfileString(const std::string& path, std::string_view section,
                              std::string_view key, std::string_view fallback) {
    const FileRead read = ReadRegularFile(path, kProfileMaxBytes);
    if (!read) return std::string(fallback);
    const IniLines ini = SplitLines(read.bytes);
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
    std::optional<IniLines> read = LinesToRewrite(path);
    if (!read) return false;
    IniLines& ini = *read;
    const std::string line = std::string(key) + "=" + std::string(value);

    const auto header = FindSection(ini, section);
    if (!header) {
        std::string title = "[";  // built by appends: GCC 12 misreports "[" + string
        title.append(section).append("]");
        ini.lines.push_back(std::move(title));
        ini.lines.push_back(line);
        return ReplaceFileDurably(path, Join(ini));
    }
    size_t lastFilled = *header;
    for (size_t i = *header + 1; i < ini.lines.size() && !SectionName(ini.lines[i]); ++i) {
        const auto entry = KeyValue(ini.lines[i]);
        if (entry && SameName(entry->first, key)) {
            ini.lines[i] = line;
            return ReplaceFileDurably(path, Join(ini));
        }
        if (!TrimBlanks(ini.lines[i]).empty()) lastFilled = i;
    }
    ini.lines.insert(ini.lines.begin() + static_cast<std::ptrdiff_t>(lastFilled) + 1, line);
    return ReplaceFileDurably(path, Join(ini));
}

}  // namespace korvane::platform
