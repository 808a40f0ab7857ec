#include "render/sanitize.h"

#include <algorithm>
#include <array>
#include <optional>
#include <utility>
#include <vector>

#include "render/htmltokens.h"

namespace korvane {
namespace {

constexpr size_t kNone = std::string_view::npos;

bool IsControl(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte < 0x20 || byte == 0x7F;
}

// ---- Text ----

// Appends `text` to show as typed.
void AppendText(std::string& out, std::string_view text) {
    size_t done = 0;
    for (size_t at = text.find_first_of("<>&"); at != kNone;
         at = text.find_first_of("<>&", at + 1)) {
        out.append(text, done, at - done);
        if (text[at] == '<') {
            out += "&lt;";
        } else if (text[at] == '>') {
            out += "&gt;";
        } else {
            out += "&amp;";
        }
        done = at + 1;
    }
    out.append(text, done, kNone);
}

// ---- Kept tags ----

constexpr std::array<std::string_view, 4> kSpanClasses = {"TBlank", "TBBl", "Tred", "TBred"};
constexpr std::array<std::string_view, 3> kLinkSchemes = {"http://", "https://", "mailto:"};

bool IsSpanClass(std::string_view cls) {
    return std::find(kSpanClasses.begin(), kSpanClasses.end(), cls) != kSpanClasses.end();
}

// The address a link is rebuilt with: the href without the blanks and control
// characters at its ends, when it is a web or mail address holding no control
// character. A scheme hidden behind character references is no such address.
std::optional<std::string_view> LinkAddress(std::string_view href) {
    const auto isEdge = [](char c) { return c == ' ' || IsControl(c); };
    while (!href.empty() && isEdge(href.front())) href.remove_prefix(1);
    while (!href.empty() && isEdge(href.back())) href.remove_suffix(1);
    if (std::any_of(href.begin(), href.end(), IsControl)) return std::nullopt;
    const bool known =
        std::any_of(kLinkSchemes.begin(), kLinkSchemes.end(),
                    [href](std::string_view scheme) { return StartsWithNoCase(href, scheme); });
    if (!known) return std::nullopt;
    return href;
}

// The address inside the href's double quotes. '&' stays as typed so query
// strings keep their bytes.
void AppendAddress(std::string& out, std::string_view address) {
    for (char c : address) {
        if (c == '<') {
            out += "&lt;";
        } else if (c == '>') {
            out += "&gt;";
        } else if (c == '"') {
            out += "&quot;";
        } else {
            out += c;
        }
    }
}

enum class Open { kSpan, kLink };

std::string_view EndTagOf(Open tag) {
    return tag == Open::kSpan ? "</span>" : "</a>";
}

// The sanitised text as it is written, with the kept tags still open,
// innermost last. Finding the tag an end tag closes takes constant time, so
// deep nesting costs nothing extra.
class Writer {
  public:
    explicit Writer(size_t inputSize) { out_.reserve(inputSize + inputSize / 8 + 16); }

    void Text(std::string_view text) { AppendText(out_, text); }

    // Writes a kept start tag; false when the tag is not kept.
    bool Start(const Markup& tag) {
        if (EqualsNoCase(tag.name, "br")) {
            out_ += "<br/>";
            return true;
        }
        if (EqualsNoCase(tag.name, "span")) return StartSpan(tag);
        if (EqualsNoCase(tag.name, "a")) return StartLink(tag);
        return false;
    }

    // Closes the innermost open tag of the end tag's name and every tag opened
    // inside it; false when none of that name is open.
    bool End(const Markup& tag) {
        std::optional<size_t> depth;
        if (EqualsNoCase(tag.name, "span")) depth = InnermostSpan();
        if (EqualsNoCase(tag.name, "a")) depth = link_;
        if (!depth) return false;
        CloseDownTo(*depth);
        return true;
    }

    std::string Finish() && {
        CloseDownTo(0);
        return std::move(out_);
    }

  private:
    bool StartSpan(const Markup& tag) {
        if (!tag.cls || !IsSpanClass(*tag.cls)) return false;
        out_ += "<span class=\"";
        out_ += *tag.cls;
        out_ += "\">";
        open_.push_back(Open::kSpan);
        return true;
    }

    bool StartLink(const Markup& tag) {
        const std::optional<std::string_view> address =
            tag.href ? LinkAddress(*tag.href) : std::nullopt;
        if (!address) return false;
        if (link_) CloseDownTo(*link_);
        out_ += "<a href=\"";
        AppendAddress(out_, *address);
        out_ += "\" target=\"_blank\">";
        link_ = open_.size();
        open_.push_back(Open::kLink);
        return true;
    }

    // Links never nest, so the innermost span is the top tag or just under it.
    std::optional<size_t> InnermostSpan() const {
        const size_t size = open_.size();
        if (size >= 1 && open_[size - 1] == Open::kSpan) return size - 1;
        if (size >= 2 && open_[size - 2] == Open::kSpan) return size - 2;
        return std::nullopt;
    }

    // Closes the open tags from the innermost down to the one at `depth`.
    void CloseDownTo(size_t depth) {
        while (open_.size() > depth) {
            out_ += EndTagOf(open_.back());
            open_.pop_back();
        }
        if (link_ && *link_ >= depth) link_.reset();
    }

    std::string out_;
    std::vector<Open> open_;
    std::optional<size_t> link_;  // the depth of the open link
};

}  // namespace

// Every piece of markup is read once and the text continues after it, so the
// work is linear; markup the text ends inside ends the text.
std::string SanitizeMarkup(std::string_view text) {
    Writer writer(text.size());
    size_t at = 0;
    while (at < text.size()) {
        const size_t lt = text.find('<', at);
        writer.Text(text.substr(at, lt == kNone ? kNone : lt - at));
        if (lt == kNone) break;
        const Markup markup = ReadMarkup(text, lt);
        const std::string_view bytes = text.substr(lt, markup.end - lt);
        const bool kept = (markup.kind == MarkupKind::kStartTag && writer.Start(markup)) ||
                          (markup.kind == MarkupKind::kEndTag && writer.End(markup));
        if (!kept) writer.Text(bytes);
        at = markup.end;
    }
    return std::move(writer).Finish();
}

}  // namespace korvane
