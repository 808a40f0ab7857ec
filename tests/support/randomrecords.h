// Random record texts made of the pieces that break formats: GBK and GB18030
// text, bytes GBK cannot hold, the editor's snippets, emoticon and messenger
// tags, line breaks of every kind, the characters each format treats
// specially, very long lines. Header only.
#pragma once

#include <cstdint>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

namespace korvane::test {

inline const std::vector<std::string> kPieces = {
    "\xC4\xE3\xBA\xC3",  // GBK text
    "\x81\x30\x81\x30",
    "\x95\x32\x82\x36",
    "\x84\x31\xA4\x39",  // GB18030 four-byte forms
    "\x80",
    "\xFF",
    "\x81",
    "\xA2\xE3",
    "\xFE\x7F",  // bytes GBK cannot hold
    "<span class=\"TBlank\">\xD0\xDE\xB8\xC4</span>",
    "<span class=\"TBBl\">big</span>",
    "<span class=\"Tred\">red</span>",
    "<span class=\"TBred\">big red</span>",
    "<a href=\"http://x\" target=\"_blank\">link_text</a>",
    "<span class=\"TBlank\"> x</span>",
    "<span class=\"TBlank\">a*b_c\\</span>",
    "<span class=\"TBlank\"></span>",
    "{EM0EM}",
    "{EM7EM}",
    "{EM29EM}",
    "{EM30EM}",
    "{EM03EM}",
    "{EM-1EM}",
    "{QQ12345QQ}",
    "{MSa@b.comMS}",
    "{SPname with space;,SP}",
    "{AL\xCD\xFA\xCD\xFA"
    "AL}",
    "{QQQQ}",
    "{QQ1",
    "QQ}",
    "{SP%41SP}",
    "\r\n",
    "\r\n",
    "\r",
    "\n",
    "\r\n\r\n",
    "\t",
    "\x01",
    "\x7F",
    " ",
    "*",
    "**",
    "_",
    "`",
    "[",
    "]",
    "!",
    "![](emoticons/3.bmp)",
    "#",
    "> ",
    "- ",
    "+",
    "=",
    "1. ",
    "12) ",
    "|",
    "~",
    "\\",
    "\\n",
    "\\x0D",
    "&",
    "&#13;",
    "&#10;",
    "&#38;",
    "&amp;",
    "<",
    ">",
    "<b>",
    "<!-- c -->",
    "</span>",
    "<a\r\nhref=x>",
    "<x&#13;>",
    ",",
    ";",
    ":",
    "\"",
    "'",
    "=",
    "=0D",
    "---",
    "...",
    "BEGIN:VCARD",
    "END:VCARD",
    "abc",
    "Korvane",
    "0",
    "42",
};

class Random {
  public:
    explicit Random(unsigned seed) : engine_(seed) {}
    size_t Below(size_t n) { return std::uniform_int_distribution<size_t>(0, n - 1)(engine_); }
    int Int(int n) { return static_cast<int>(Below(static_cast<size_t>(n))); }

    std::string Text() {
        std::string out;
        const size_t pieces = Below(4) == 0 ? 0 : Below(24);
        for (size_t i = 0; i < pieces; ++i) {
            switch (Below(10)) {
                case 0:
                    out += static_cast<char>(0x80 + Below(0x80));
                    break;
                case 1:
                    out += static_cast<char>(0x20 + Below(0x5F));
                    break;
                case 2:
                    out += GbkCharacter();
                    break;
                case 3:
                    if (Below(20) == 0)
                        out += std::string(2000 + Below(6000), "a\xC4\xE3"[Below(2)]);
                    break;
                default:
                    out += kPieces[Below(kPieces.size())];
                    break;
            }
        }
        return out;
    }
    std::string Date() {
        if (Below(5) == 0) return Below(2) ? "" : "not a date";
        char text[80];
        std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", 1990 + Int(60),
                      1 + Int(12), 1 + Int(28), Int(24), Int(60), Int(60));
        return text;
    }
    int64_t Id() { return Below(3) == 0 ? 0 : static_cast<int64_t>(1 + Below(1000000)); }

  private:
    std::string GbkCharacter() {
        std::string c(1, static_cast<char>(0x81 + Below(0x7E)));
        size_t trail = 0x40 + Below(0xBF);
        if (trail == 0x7F) ++trail;
        return c + static_cast<char>(trail);
    }
    std::mt19937 engine_;
};

inline std::string Shown(const std::string& bytes) {
    std::string out;
    for (const char c : bytes) {
        const unsigned char u = static_cast<unsigned char>(c);
        if (u >= 0x20 && u < 0x7F) {
            out += c;
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "<%02X>", u);
            out += hex;
        }
    }
    return out;
}

}  // namespace korvane::test
