#include "exchange/filenames.h"

#include <string_view>
#include <unordered_map>
#include <unordered_set>

#include "platform/codepage.h"

namespace korvane {
namespace {

std::string LowerAscii8(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

bool IsReserved(std::string_view stem) {
    const size_t dot = stem.find('.');
    const std::string base = LowerAscii8(stem.substr(0, dot));
    static const std::unordered_set<std::string> names = {"con", "prn",    "aux",
                                                          "nul", "conin$", "conout$"};
    if (names.count(base)) return true;
    return base.size() == 4 && (base.rfind("com", 0) == 0 || base.rfind("lpt", 0) == 0) &&
           base[3] >= '0' && base[3] <= '9';
}

// The longest prefix of at most `bytes` bytes that ends between characters.
std::string_view CutUtf8(std::string_view text, size_t bytes) {
    if (text.size() <= bytes) return text;
    size_t end = bytes;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
    return text.substr(0, end);
}

std::string Stem(const std::string& title) {
    const std::string utf8 = platform::FromCodePage(title);
    std::string stem;
    for (const char ch : utf8) {
        const unsigned char c = static_cast<unsigned char>(ch);
        const bool refused = c < 0x20 || c == 0x7F ||
                             std::string_view("/\\:*?\"<>|").find(ch) != std::string_view::npos;
        stem += refused ? '_' : ch;
    }
    const size_t first = stem.find_first_not_of(" .");
    if (first == std::string::npos) return {};
    stem = stem.substr(first, stem.find_last_not_of(" .") - first + 1);
    return stem;
}

std::string Trimmed(std::string_view stem) {
    while (!stem.empty() && (stem.back() == ' ' || stem.back() == '.')) stem.remove_suffix(1);
    return std::string(stem);
}

}  // namespace

std::vector<std::string> ExportFileNames(const std::vector<std::string>& titles,
                                         const std::string& extension, size_t maxBytes) {
    static const std::string untitled = "无标题";
    std::unordered_set<std::string> taken;
    // Per stem (ignoring case), the first number not yet tried: names are
    // only ever taken, so the numbers below it stay taken, and a notebook of
    // many notes with one title (or none) is numbered in one pass.
    std::unordered_map<std::string, int> nextNumber;
    std::vector<std::string> names;
    names.reserve(titles.size());
    const size_t room = maxBytes > extension.size() + 16 ? maxBytes - extension.size() - 16 : 1;
    for (const std::string& title : titles) {
        std::string stem = Stem(title);
        if (stem.empty()) stem = untitled;
        if (IsReserved(stem)) stem = "_" + stem;
        stem = Trimmed(CutUtf8(stem, room));
        if (stem.empty()) stem = untitled;
        std::string name = stem + extension;
        if (!taken.insert(LowerAscii8(name)).second) {
            int& n = nextNumber.try_emplace(LowerAscii8(stem), 2).first->second;
            do {
                name = stem + " (" + std::to_string(n++) + ")" + extension;
            } while (!taken.insert(LowerAscii8(name)).second);
        }
        names.push_back(std::move(name));
    }
    return names;
}

}  // namespace korvane
