// YAML front matter of Markdown files: the flat "key: value" block between
// two "---" lines at the top. Written with every value double-quoted and
// escaped; read from any program's files (plain, single- and double-quoted
// scalars), bounded in the number of fields it keeps.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace korvane {

// A double-quoted YAML scalar holding exactly the UTF-8 text.
std::string YamlQuoted(std::string_view utf8);

struct FrontMatter {
    bool present = false;
    std::vector<std::pair<std::string, std::string>> fields;  // key, value (UTF-8)
    size_t bodyStart = 0;  // where the text after the block begins
    const std::string* Find(std::string_view key) const;
};

// The block at the start of `text` (a UTF-8 byte-order mark is skipped); not
// present when the text does not start with one or it is never closed. Keeps
// at most `maxFields` fields; nested and multi-line values are ignored.
FrontMatter ReadFrontMatter(std::string_view text, size_t maxFields = 256);

}  // namespace korvane
