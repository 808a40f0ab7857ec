// The body mapping, both ways. Written bodies follow these rules, which the
// reader undoes exactly for files that carry "korvane: 1":
//  - CR LF is a line feed; a lone CR is "&#13;", a lone LF "&#10;", and an "&"
//    that would start one of "&#13;", "&#10;", "&#38;" is "&#38;";
//  - <span class="TBlank">text</span> (the bold snippet, one line of text
//    without markup, blanks or nothing at its ends) is **text**; the big
//    bold, red and big red snippets, links and any other markup stay as
//    typed HTML, copied unescaped up to their ">";
//  - {EM<n>EM} for n = 0..29 is ![](emoticons/<n>.bmp);
//  - outside tags a backslash escapes \ * _ ` [ ] ! | ~ anywhere, and # > + - =
//    and the "." or ")" after digits at the start of a line.
#include "exchange/markdown.h"

#include <optional>

#include "base/ansitext.h"
#include "exchange/datetime.h"
#include "exchange/frontmatter.h"
#include "platform/codepage.h"

namespace korvane {
namespace {

constexpr std::string_view kBoldOpen = "<span class=\"TBlank\">";
constexpr std::string_view kSpanClose = "</span>";
constexpr std::string_view kPictureOpen = "![](emoticons/";
constexpr std::string_view kMarker = "korvane";

bool IsAsciiPunct(char c) {
    return (c >= '!' && c <= '/') || (c >= ':' && c <= '@') || (c >= '[' && c <= '`') ||
           (c >= '{' && c <= '~');
}

bool EscapedAnywhere(char c) {
    return std::string_view("\\*_`[]!|~").find(c) != std::string_view::npos;
}

bool EscapedAtLineStart(char c) {
    return std::string_view("#>+-=").find(c) != std::string_view::npos;
}

// The number of an emoticon tag at `at` (0..29 without leading zeros) and
// its length, or nothing.
std::optional<std::pair<int, size_t>> EmoticonAt(std::string_view s, size_t at) {
    if (s.substr(at, 3) != "{EM") return std::nullopt;
    size_t i = at + 3;
    int n = 0;
    const size_t first = i;
    while (i < s.size() && i - first < 2 && s[i] >= '0' && s[i] <= '9') n = n * 10 + (s[i++] - '0');
    if (i == first || (s[first] == '0' && i - first > 1) || n > 29) return std::nullopt;
    if (s.substr(i, 3) != "EM}") return std::nullopt;
    return std::make_pair(n, i + 3 - at);
}

bool StartsAmpToken(std::string_view s, size_t at) {
    const std::string_view rest = s.substr(at + 1, 4);
    return rest == "#13;" || rest == "#10;" || rest == "#38;";
}

// The end (one past '>') of a tag starting at `at`, or npos. `nextGt` caches
// the next '>' so that many '<' without one cost one search.
size_t TagEnd(std::string_view s, size_t at, size_t& nextGt) {
    if (at + 1 >= s.size()) return std::string_view::npos;
    const char c = s[at + 1];
    const bool opens =
        (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '/' || c == '!' || c == '?';
    if (!opens) return std::string_view::npos;
    if (nextGt != std::string_view::npos && nextGt <= at) nextGt = s.find('>', at);
    return nextGt == std::string_view::npos ? nextGt : nextGt + 1;
}

// The bold snippet's inner text when it can be written as **text**.
std::optional<std::string_view> BoldAt(std::string_view s, size_t at) {
    if (s.substr(at, kBoldOpen.size()) != kBoldOpen) return std::nullopt;
    const size_t begin = at + kBoldOpen.size();
    const size_t end = s.find_first_of("<\r\n", begin);
    if (end == std::string_view::npos || s.substr(end, kSpanClose.size()) != kSpanClose ||
        end == begin)
        return std::nullopt;
    const std::string_view inner = s.substr(begin, end - begin);
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    if (blank(inner.front()) || blank(inner.back())) return std::nullopt;
    return inner;
}

class BodyWriter {
  public:
    explicit BodyWriter(std::string_view s) : s_(s), nextGt_(s.find('>')) {}

    std::string Run() {
        while (i_ < s_.size()) Step();
        return std::move(out_);
    }

  private:
    void Newline(const char* as) {
        out_ += as;
        lineStart_ = true;
        digitsOnLine_ = false;
    }
    void Step() {
        const char c = s_[i_];
        if (c == '\r' && i_ + 1 < s_.size() && s_[i_ + 1] == '\n') {
            Newline("\n");
            i_ += 2;
        } else if (c == '\r' || c == '\n') {
            Newline(c == '\r' ? "&#13;" : "&#10;");
            ++i_;
        } else if (auto bold = BoldAt(s_, i_)) {
            out_ += "**";
            for (size_t k = 0; k < bold->size(); ++k) Text(*bold, k, false);
            out_ += "**";
            i_ += kBoldOpen.size() + bold->size() + kSpanClose.size();
            lineStart_ = false;
        } else if (auto emoticon = EmoticonAt(s_, i_)) {
            out_ += std::string(kPictureOpen) + std::to_string(emoticon->first) + ".bmp)";
            i_ += emoticon->second;
            lineStart_ = false;
        } else if (const size_t end = c == '<' ? TagEnd(s_, i_, nextGt_) : std::string_view::npos;
                   end != std::string_view::npos) {
            Tag(end);
        } else {
            Text(s_, i_, lineStart_);
            ++i_;
        }
    }
    // A tag as typed; only its line breaks and "&" tokens are written as in text.
    void Tag(size_t end) {
        while (i_ < end) {
            const char c = s_[i_];
            if (c == '\r' && i_ + 1 < end && s_[i_ + 1] == '\n') {
                out_ += '\n';
                i_ += 2;
                continue;
            }
            if (c == '\r' || c == '\n')
                out_ += c == '\r' ? "&#13;" : "&#10;";
            else if (c == '&' && StartsAmpToken(s_, i_))
                out_ += "&#38;";
            else
                out_ += c;
            ++i_;
        }
        lineStart_ = false;
    }
    // One character of text at `k` of `s`.
    void Text(std::string_view s, size_t k, bool lineStart) {
        const char c = s[k];
        if (c == '&' && StartsAmpToken(s, k)) {
            out_ += "&#38;";
        } else if (EscapedAnywhere(c) || (lineStart && EscapedAtLineStart(c))) {
            out_ += '\\';
            out_ += c;
        } else if (lineStart && (c == '.' || c == ')') && digitsOnLine_) {
            out_ += '\\';
            out_ += c;
        } else {
            out_ += c;
        }
        Track(c, lineStart);
    }
    // Whether the line so far is blanks and then digits only.
    void Track(char c, bool lineStart) {
        if (!lineStart) return;
        if (c == ' ' || c == '\t') return;
        if (c >= '0' && c <= '9') {
            digitsOnLine_ = true;
            return;
        }
        lineStart_ = false;
        digitsOnLine_ = false;
    }

    std::string_view s_;
    size_t i_ = 0;
    size_t nextGt_;
    bool lineStart_ = true;
    bool digitsOnLine_ = false;
    std::string out_;
};

class BodyReader {
  public:
    explicit BodyReader(std::string_view s) : s_(s) {}

    std::string Run() {
        while (i_ < s_.size()) Step();
        return std::move(out_);
    }

  private:
    // "&#13;", "&#10;", "&#38;" at i_, written into out.
    bool Amp(std::string& out) {
        if (s_[i_] != '&' || !StartsAmpToken(s_, i_)) return false;
        const std::string_view code = s_.substr(i_ + 2, 2);
        out += code == "13" ? '\r' : code == "10" ? '\n' : '&';
        i_ += 5;
        return true;
    }
    void Step() {
        const char c = s_[i_];
        if (c == '\n') {
            out_ += "\r\n";
            ++i_;
        } else if (Amp(out_)) {
        } else if (c == '\\' && i_ + 1 < s_.size() && IsAsciiPunct(s_[i_ + 1])) {
            out_ += s_[i_ + 1];
            i_ += 2;
        } else if (s_.substr(i_, 2) == "**" && Bold()) {
        } else if (s_.substr(i_, kPictureOpen.size()) == kPictureOpen && Picture()) {
        } else if (const size_t end = c == '<' ? TagEnd(s_, i_, nextGt_) : std::string_view::npos;
                   end != std::string_view::npos) {
            while (i_ < end) {
                if (s_[i_] == '\n') {
                    out_ += "\r\n";
                    ++i_;
                } else if (!Amp(out_)) {
                    out_ += s_[i_++];
                }
            }
        } else {
            out_ += c;
            ++i_;
        }
    }
    bool Bold() {
        std::string inner;
        const size_t start = i_;
        for (i_ += 2; i_ < s_.size() && s_[i_] != '\n';) {
            if (s_.substr(i_, 2) == "**") {
                i_ += 2;
                out_ += std::string(kBoldOpen) + inner + std::string(kSpanClose);
                return true;
            }
            if (Amp(inner)) continue;
            if (s_[i_] == '\\' && i_ + 1 < s_.size() && IsAsciiPunct(s_[i_ + 1])) ++i_;
            inner += s_[i_++];
        }
        i_ = start;
        out_ += "**";
        i_ += 2;
        return true;
    }
    bool Picture() {
        size_t k = i_ + kPictureOpen.size();
        const size_t first = k;
        while (k < s_.size() && k - first < 2 && s_[k] >= '0' && s_[k] <= '9') ++k;
        if (k == first || s_.substr(k, 5) != ".bmp)") return false;
        out_ += "{EM" + std::string(s_.substr(first, k - first)) + "EM}";
        i_ = k + 5;
        return true;
    }

    std::string_view s_;
    size_t i_ = 0;
    size_t nextGt_ = 0;
    std::string out_;
};

std::string FirstLineTitle(std::string_view body) {
    size_t at = 0;
    while (at < body.size()) {
        size_t end = body.find('\n', at);
        if (end == std::string_view::npos) end = body.size();
        std::string_view line = body.substr(at, end - at);
        while (!line.empty() && (line.front() == '#' || line.front() == ' ')) line.remove_prefix(1);
        std::string title = Trim(line);
        if (!title.empty()) return title;
        at = end + 1;
    }
    return {};
}

// True when the bytes are well-formed UTF-8 (no overlong forms, surrogates
// or values above U+10FFFF).
bool IsUtf8(std::string_view s) {
    for (size_t i = 0; i < s.size();) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        size_t length = c < 0x80         ? 1
                        : (c >> 5) == 6  ? 2
                        : (c >> 4) == 14 ? 3
                        : (c >> 3) == 30 ? 4
                                         : 0;
        if (length == 0 || i + length > s.size()) return false;
        char32_t value = length == 1 ? c : c & (0x7F >> length);
        for (size_t k = 1; k < length; ++k) {
            const unsigned char t = static_cast<unsigned char>(s[i + k]);
            if ((t & 0xC0) != 0x80) return false;
            value = (value << 6) | (t & 0x3F);
        }
        const char32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
        if (value < least[length] || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
            return false;
        i += length;
    }
    return true;
}

// Line feeds as CR LF; CR LF pairs already there stay.
std::string CrLf(std::string_view text) {
    std::string out;
    out.reserve(text.size() + text.size() / 16);
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) out += '\r';
        out += text[i];
    }
    return out;
}

}  // namespace

std::string NoteToMarkdown(const ExchangedNote& note) {
    std::string out = "---\ntitle: " + YamlQuoted(platform::FromCodePage(note.title)) + "\n";
    if (auto updated = IsoFromStoredTime(note.date, IsoForm::Extended))
        out += "updated: " + *updated + "\n";
    if (note.id > 0) out += "id: " + std::to_string(note.id) + "\n";
    out += std::string(kMarker) + ": 1\n---\n";
    out += BodyWriter(platform::FromCodePage(note.body)).Run();
    out += '\n';
    return out;
}

ExchangedNote MarkdownToNote(std::string_view bytes) {
    ExchangedNote note;
    const FrontMatter matter = ReadFrontMatter(bytes);
    std::string_view body = bytes.substr(matter.present ? matter.bodyStart : 0);
    if (!matter.present && body.substr(0, 3) == "\xEF\xBB\xBF") body.remove_prefix(3);
    const std::string* marker = matter.Find(kMarker);
    const bool ours = marker && *marker == "1";
    if (const std::string* updated = matter.Find("updated")) {
        if (auto date = StoredTimeFromIso(*updated)) note.date = *date;
    } else if (const std::string* date = matter.Find("date")) {
        if (auto stored = StoredTimeFromIso(*date)) note.date = *stored;
    }
    if (const std::string* id = matter.Find("id"); id && IsDecimalDigits(*id) && id->size() < 19)
        note.id = std::stoll(*id);
    if (ours) {
        if (const std::string* title = matter.Find("title"))
            note.title = platform::ToCodePage(*title);
        if (!body.empty() && body.back() == '\n') body.remove_suffix(1);
        note.body = platform::ToCodePage(BodyReader(body).Run());
    } else {
        // A file that is not UTF-8 is taken as written in the code page, as
        // editors on Chinese Windows save text.
        const bool codePage = !IsUtf8(bytes);
        const auto stored = [&](std::string_view text) {
            return codePage ? std::string(text) : platform::ToCodePage(text);
        };
        note.body = stored(CrLf(body));
        if (const std::string* title = matter.Find("title"))
            note.title = stored(*title);
        else
            note.title = stored(FirstLineTitle(body));
    }
    return note;
}

}  // namespace korvane
