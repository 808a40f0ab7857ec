#include "base/linediff.h"

#include <algorithm>
#include <cstdint>
#include <unordered_map>

namespace korvane {
namespace {

using Kind = DiffLine::Kind;

// Each distinct line as a small number, so the table compares numbers.
struct NumberedLines {
    std::vector<uint32_t> before;
    std::vector<uint32_t> after;
};

NumberedLines Number(const std::vector<std::string>& before,
                     const std::vector<std::string>& after) {
    std::unordered_map<std::string_view, uint32_t> numbers;
    const auto number = [&numbers](const std::string& line) {
        return numbers.try_emplace(line, static_cast<uint32_t>(numbers.size())).first->second;
    };
    NumberedLines numbered;
    for (const std::string& line : before) numbered.before.push_back(number(line));
    for (const std::string& line : after) numbered.after.push_back(number(line));
    return numbered;
}

// The longest common subsequence of the two middles [begin, end) walked
// forward from a table of suffix lengths; lines are appended to `out`.
void DiffMiddle(const std::vector<std::string>& before, const std::vector<std::string>& after,
                size_t begin, size_t beforeEnd, size_t afterEnd, std::vector<DiffLine>& out) {
    const NumberedLines n = Number(before, after);
    const size_t rows = beforeEnd - begin;
    const size_t cols = afterEnd - begin;
    // lcs[i][j]: the common length of before[begin+i..] and after[begin+j..].
    // Both sides are bounded by kDiffMaxLines, so a length fits 16 bits.
    std::vector<uint16_t> lcs((rows + 1) * (cols + 1), 0);
    const auto at = [&](size_t i, size_t j) -> uint16_t& { return lcs[i * (cols + 1) + j]; };
    for (size_t i = rows; i-- > 0;) {
        for (size_t j = cols; j-- > 0;) {
            at(i, j) = n.before[begin + i] == n.after[begin + j]
                           ? static_cast<uint16_t>(at(i + 1, j + 1) + 1)
                           : std::max(at(i + 1, j), at(i, j + 1));
        }
    }
    size_t i = 0;
    size_t j = 0;
    while (i < rows || j < cols) {
        if (i < rows && j < cols && n.before[begin + i] == n.after[begin + j]) {
            out.push_back({Kind::Same, before[begin + i]});
            ++i;
            ++j;
        } else if (i < rows && (j == cols || at(i + 1, j) >= at(i, j + 1))) {
            out.push_back({Kind::Removed, before[begin + i]});
            ++i;
        } else {
            out.push_back({Kind::Added, after[begin + j]});
            ++j;
        }
    }
}

std::vector<std::string> Side(const std::vector<DiffLine>& lines, Kind skipped) {
    std::vector<std::string> side;
    for (const DiffLine& line : lines) {
        if (line.kind != skipped) side.push_back(line.text);
    }
    return side;
}

}  // namespace

bool LineDiff::Changed() const {
    if (!compared) return true;
    for (const DiffLine& line : lines) {
        if (line.kind != Kind::Same) return true;
    }
    return false;
}

std::vector<std::string> LineDiff::Before() const {
    return Side(lines, Kind::Added);
}

std::vector<std::string> LineDiff::After() const {
    return Side(lines, Kind::Removed);
}

std::vector<std::string> SplitLines(std::string_view text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos) {
            lines.emplace_back(text.substr(start));
            break;
        }
        lines.emplace_back(text.substr(start, end - start));
        start = end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
    }
    return lines;
}

LineDiff DiffLines(const std::vector<std::string>& before, const std::vector<std::string>& after,
                   size_t maxLines) {
    LineDiff diff;
    if (before.size() > maxLines || after.size() > maxLines) {
        diff.compared = false;
        return diff;
    }
    // The common head and tail need no table.
    size_t head = 0;
    while (head < before.size() && head < after.size() && before[head] == after[head]) ++head;
    size_t tail = 0;
    while (tail < before.size() - head && tail < after.size() - head &&
           before[before.size() - 1 - tail] == after[after.size() - 1 - tail]) {
        ++tail;
    }
    for (size_t i = 0; i < head; ++i) diff.lines.push_back({Kind::Same, before[i]});
    DiffMiddle(before, after, head, before.size() - tail, after.size() - tail, diff.lines);
    for (size_t i = before.size() - tail; i < before.size(); ++i) {
        diff.lines.push_back({Kind::Same, before[i]});
    }
    return diff;
}

LineDiff DiffTexts(std::string_view before, std::string_view after, size_t maxLines) {
    return DiffLines(SplitLines(before), SplitLines(after), maxLines);
}

}  // namespace korvane
