// The line difference: both texts read back from it, nothing marked for equal
// texts, as many kept lines as the longest common subsequence allows (checked
// against an exhaustive search on small texts), line breaks of every kind,
// and the bound beyond which texts are not compared.
#include "base/linediff.h"

#include <gtest/gtest.h>

#include <random>

namespace korvane {
namespace {

using Lines = std::vector<std::string>;
using Kind = DiffLine::Kind;

// The longest common subsequence's length by trying every subset of `a`.
size_t ExhaustiveCommon(const Lines& a, const Lines& b) {
    size_t best = 0;
    for (uint32_t mask = 0; mask < (1u << a.size()); ++mask) {
        size_t j = 0;
        size_t taken = 0;
        bool fits = true;
        for (size_t i = 0; i < a.size() && fits; ++i) {
            if ((mask & (1u << i)) == 0) continue;
            while (j < b.size() && b[j] != a[i]) ++j;
            fits = j < b.size();
            ++j;
            ++taken;
        }
        if (fits) best = std::max(best, taken);
    }
    return best;
}

Lines RandomLines(std::mt19937& random, size_t maxCount) {
    static const Lines alphabet = {"a", "b", "c", "", "\xC4\xE3\xBA\xC3"};
    Lines lines(random() % (maxCount + 1));
    for (std::string& line : lines) line = alphabet[random() % alphabet.size()];
    return lines;
}

size_t Count(const LineDiff& diff, Kind kind) {
    size_t n = 0;
    for (const DiffLine& line : diff.lines) n += line.kind == kind ? 1 : 0;
    return n;
}

TEST(LineDiff, BothTextsComeBackAndTheKeptLinesAreALongestCommonSubsequence) {
    std::mt19937 random(20261208);
    for (int round = 0; round < 3000; ++round) {
        const Lines before = RandomLines(random, 9);
        const Lines after = RandomLines(random, 9);
        const LineDiff diff = DiffLines(before, after);
        ASSERT_TRUE(diff.compared);
        ASSERT_EQ(diff.Before(), before);
        ASSERT_EQ(diff.After(), after);
        ASSERT_EQ(Count(diff, Kind::Same), ExhaustiveCommon(before, after));
        ASSERT_EQ(diff.Changed(), before != after);
    }
}

TEST(LineDiff, EqualTextsHaveNoChangeWhateverTheirBreaks) {
    for (const std::string text : {"", "one", "one\r\ntwo\r\n", "a\rb\nc", "\r\n\r\n"}) {
        const LineDiff diff = DiffTexts(text, text);
        EXPECT_FALSE(diff.Changed()) << text;
        EXPECT_EQ(Count(diff, Kind::Same), diff.lines.size());
    }
    // The same lines with other breaks are the same text line by line.
    EXPECT_FALSE(DiffTexts("a\r\nb", "a\nb\n").Changed());
}

TEST(LineDiff, AReplacedLineIsRemovedBeforeItsReplacementIsAdded) {
    const LineDiff diff = DiffTexts("head\r\nold\r\ntail", "head\r\nnew\r\nadded\r\ntail");
    EXPECT_EQ(diff.lines, (std::vector<DiffLine>{{Kind::Same, "head"},
                                                 {Kind::Removed, "old"},
                                                 {Kind::Added, "new"},
                                                 {Kind::Added, "added"},
                                                 {Kind::Same, "tail"}}));
}

TEST(LineDiff, LinesEndAtEveryKindOfBreakAndGbkBytesStayWhole) {
    EXPECT_EQ(SplitLines(""), Lines{});
    EXPECT_EQ(SplitLines("a"), Lines{"a"});
    EXPECT_EQ(SplitLines("a\r\n"), Lines{"a"});
    EXPECT_EQ(SplitLines("a\r\n\r\nb"), (Lines{"a", "", "b"}));
    EXPECT_EQ(SplitLines("a\rb\nc\n\r"), (Lines{"a", "b", "c", ""}));
    // A GB18030 four-byte character and a GBK trail byte that looks like ASCII.
    EXPECT_EQ(SplitLines("\x81\x30\x84\x32\r\n\x81\x41"), (Lines{"\x81\x30\x84\x32", "\x81\x41"}));
}

TEST(LineDiff, TextsBeyondTheBoundAreNotCompared) {
    const Lines many(kDiffMaxLines + 1, "x");
    const LineDiff over = DiffLines(many, {"x"});
    EXPECT_FALSE(over.compared);
    EXPECT_TRUE(over.lines.empty());
    EXPECT_TRUE(over.Changed());
    EXPECT_FALSE(DiffLines({"x"}, many).compared);

    // At the bound, two texts with no line in common are still compared.
    Lines before(kDiffMaxLines);
    Lines after(kDiffMaxLines);
    for (size_t i = 0; i < kDiffMaxLines; ++i) {
        before[i] = "b" + std::to_string(i);
        after[i] = "a" + std::to_string(i);
    }
    const LineDiff full = DiffLines(before, after);
    ASSERT_TRUE(full.compared);
    EXPECT_EQ(Count(full, Kind::Removed), kDiffMaxLines);
    EXPECT_EQ(Count(full, Kind::Added), kDiffMaxLines);
    EXPECT_EQ(full.After(), after);
}

}  // namespace
}  // namespace korvane
