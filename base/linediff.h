// Line differences between two texts: which lines of the older text were
// removed and which lines of the newer one were added, the rest kept, as a
// longest common subsequence of lines. Texts are byte strings (code page or
// not): lines end at CR LF, LF or a lone CR, which no GBK or GB18030
// character contains.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace korvane {

// Beyond this many lines on either side no difference is worked out (its
// table would grow with the product of the two counts); the texts are shown
// side by side instead.
inline constexpr size_t kDiffMaxLines = 2000;

struct DiffLine {
    enum class Kind { Same, Removed, Added };
    Kind kind = Kind::Same;
    std::string text;
    bool operator==(const DiffLine&) const = default;
};

struct LineDiff {
    // False when a side had more than the bound: `lines` is then empty.
    bool compared = true;
    // Every line of both texts in reading order: kept lines once, a removed
    // line before the added lines that take its place.
    std::vector<DiffLine> lines;

    // True when a line was removed or added (or the texts were not compared).
    bool Changed() const;
    // The older text's lines (kept and removed), and the newer one's (kept and
    // added).
    std::vector<std::string> Before() const;
    std::vector<std::string> After() const;
};

// The lines of `text`; an empty text has none, and a line break at the end
// starts no further line.
std::vector<std::string> SplitLines(std::string_view text);

// The difference from `before` to `after`, or an uncompared result when
// either has more than `maxLines` lines.
LineDiff DiffLines(const std::vector<std::string>& before, const std::vector<std::string>& after,
                   size_t maxLines = kDiffMaxLines);
LineDiff DiffTexts(std::string_view before, std::string_view after,
                   size_t maxLines = kDiffMaxLines);

}  // namespace korvane
