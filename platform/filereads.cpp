// What the file functions share on every system: the words for a refused
// read and the names of the temporaries a replacing write makes.
#include <algorithm>
#include <cctype>
#include <string_view>

#include "platform/files.h"

namespace korvane::platform {

std::string_view FileReadFailureText(FileReadFailure failure) {
    switch (failure) {
        case FileReadFailure::kNone:
            return "read";
        case FileReadFailure::kNotFound:
            return "not found";
        case FileReadFailure::kNotRegular:
            return "not a regular file";
        case FileReadFailure::kLink:
            return "a link";
        case FileReadFailure::kTooLarge:
            return "too large";
        case FileReadFailure::kUnreadable:
            return "unreadable";
    }
    return "unreadable";
}

bool IsTemporaryNameOf(std::string_view name, std::string_view file) {
    constexpr std::string_view kMark = ".tmp-";
    constexpr size_t kUnique = 6;
    if (name.size() != file.size() + kMark.size() + kUnique || !name.starts_with(file) ||
        name.substr(file.size(), kMark.size()) != kMark) {
        return false;
    }
    return std::all_of(name.end() - kUnique, name.end(),
                       [](char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0; });
}

}  // namespace korvane::platform
