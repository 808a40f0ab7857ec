// File names for exported records, made from their titles.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace korvane {

// One file name (UTF-8) per title (code-page bytes), in order: separators,
// control characters and the characters Windows refuses become "_", blanks
// and dots at the ends go, an empty title is "无标题", reserved device names
// ("CON", "nul.txt", ...) get a leading "_", the name is cut to `maxBytes`
// bytes with its extension without splitting a character, and names that
// clash (ignoring ASCII case, as Windows and macOS do) are numbered:
// "标题.md", "标题 (2).md".
std::vector<std::string> ExportFileNames(const std::vector<std::string>& titles,
                                         const std::string& extension, size_t maxBytes = 200);

}  // namespace korvane
