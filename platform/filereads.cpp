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
    constexpr size_t kSuffix = 6;
    if (name.size() != file.size() + 1 + kSuffix || !name.starts_with(file) ||
        name[file.size()] != '.') {
        return false;
    }
    return std::all_of(name.begin() + static_cast<std::ptrdiff_t>(file.size()) + 1, name.end(),
                       [](char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0; });
}

}  // namespace korvane::platform
