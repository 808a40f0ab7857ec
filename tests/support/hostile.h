// Hostile stored texts for the tests: the vectors kept in tests/data/, and
// random mixes that nest and interleave messenger tags with formatting,
// links, emoticons, quotes, angle brackets, references and line breaks.
#pragma once

#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace korvane::test {

// The texts of a file in tests/data/: one per line, "#" lines are comments.
inline std::vector<std::string> HostileTexts(const char* file) {
    std::ifstream in(std::string(KORVANE_SOURCE_DIR) + "/tests/data/" + file);
    std::vector<std::string> texts;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line[0] != '#') texts.push_back(line);
    }
    return texts;
}

// A random text of up to 24 pieces, and a query drawn from it so that marks
// land everywhere (UTF-8).
struct HostileMix {
    std::string text;
    std::string query;
};

inline HostileMix RandomHostileMix(std::mt19937& random) {
    static const std::vector<std::string> pieces = {"{QQ",
                                                    "QQ}",
                                                    "{MS",
                                                    "MS}",
                                                    "{SP",
                                                    "SP}",
                                                    "{AL",
                                                    "AL}",
                                                    "{EM3EM}",
                                                    "{EM",
                                                    "EM}",
                                                    "<a href=\"http://x/",
                                                    "<a href='https://y'>",
                                                    "<a href=http://z>",
                                                    "</a>",
                                                    "\">",
                                                    "'",
                                                    "\"",
                                                    ">",
                                                    "<",
                                                    "&quot;",
                                                    "&gt;",
                                                    "&",
                                                    "<span class=\"Tred\">",
                                                    "<span class=TBBl>",
                                                    "</span>",
                                                    "<br>",
                                                    "\r\n",
                                                    " ",
                                                    "onmouseover=window.kvPwned=1",
                                                    " style=x",
                                                    "12345",
                                                    "m",
                                                    "y",
                                                    "会议",
                                                    "<b>",
                                                    "<!--",
                                                    "-->",
                                                    "<img src=x onerror=window.kvPwned=2>"};
    std::uniform_int_distribution<size_t> pick(0, pieces.size() - 1);
    std::uniform_int_distribution<int> length(1, 24);
    HostileMix mix;
    for (int n = length(random); n > 0; --n) mix.text += pieces[pick(random)];
    std::uniform_int_distribution<size_t> from(0, mix.text.size() - 1);
    std::uniform_int_distribution<size_t> size(1, 4);
    mix.query = mix.text.substr(from(random), size(random));
    return mix;
}

}  // namespace korvane::test
