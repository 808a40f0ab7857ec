#include "exchange/contentlines.h"

#include "exchange/vcardtext.h"
#include "platform/codepage.h"
#include "platform/uitext.h"

namespace korvane {
namespace {

constexpr size_t kMaxParams = 64;

std::string Upper(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return out;
}

bool SameUpper(std::string_view a, std::string_view b) {
    return a.size() == b.size() && Upper(a) == Upper(b);
}

// Splits the unfolded text of a line into name, group, parameters and value.
// A line without a colon outside quotes keeps its whole text as the value.
void SplitLine(std::string_view text, ContentLine& line) {
    const size_t nameEnd = text.find_first_of(";:");
    if (nameEnd == std::string_view::npos) {
        line.value = text;
        return;
    }
    std::vector<ContentParam> params;
    size_t at = nameEnd;
    while (at < text.size() && text[at] == ';') {
        ++at;
        std::string param;
        bool quoted = false;
        while (at < text.size() && (quoted || (text[at] != ';' && text[at] != ':'))) {
            if (text[at] == '"')
                quoted = !quoted;
            else
                param += text[at];
            ++at;
        }
        if (params.size() >= kMaxParams) continue;
        const size_t eq = param.find('=');
        if (eq == std::string::npos)
            params.push_back({"", param});
        else
            params.push_back({Upper(param.substr(0, eq)), param.substr(eq + 1)});
    }
    if (at >= text.size()) {
        line.value = text;
        return;
    }
    std::string_view name = text.substr(0, nameEnd);
    if (const size_t dot = name.rfind('.'); dot != std::string_view::npos) {
        line.group = name.substr(0, dot);
        name = name.substr(dot + 1);
    }
    line.name = Upper(name);
    line.params = std::move(params);
    line.value = text.substr(at + 1);
}

// A name that reads back as one: letters, digits and dashes (a name that
// was quoted may hold a colon or a semicolon).
bool IsParamName(std::string_view name) {
    for (const char c : name)
        if (!((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-')) return false;
    return true;
}

bool MentionsQuotedPrintable(std::string_view text) {
    return Upper(text).find("QUOTED-PRINTABLE") != std::string::npos;
}

bool IsQuotedPrintableStart(std::string_view physical) {
    const size_t colon = physical.find(':');
    return colon != std::string_view::npos && MentionsQuotedPrintable(physical.substr(0, colon));
}

// Builds the tree from the logical lines, one at a time.
class TreeBuilder {
  public:
    explicit TreeBuilder(const ContentLimits& limits) : limits_(limits) {}

    bool Take(ContentLine line) {
        const std::string marker = Upper(line.value);
        const std::string head = line.name + ":";  // compared as the item writes it
        if (head == "BEGIN:" && !marker.empty()) {
            if (static_cast<int>(open_.size()) >= limits_.maxDepth) {
                static const std::string deep = Ui::tr("组件嵌套超过 "), layers = Ui::tr(" 层");
                return Fail(deep + std::to_string(limits_.maxDepth) + layers);
            }
            auto component = std::make_unique<ContentComponent>();
            component->name = marker;
            component->begin = std::move(line);
            ContentComponent* at = component.get();
            Nodes().push_back({ContentLine{}, std::move(component)});
            open_.push_back(at);
            return true;
        }
        if (head == "END:" && !marker.empty()) {
            if (open_.empty() || open_.back()->name != marker) {
                static const std::string unmatched = Cp("END:"),
                                         nothing = Ui::tr(" 没有对应的 BEGIN");
                return Fail(unmatched + platform::ToCodePage(line.value) + nothing);
            }
            open_.back()->end = std::move(line);
            open_.pop_back();
            return true;
        }
        Nodes().push_back({std::move(line), nullptr});
        return true;
    }

    ContentParse Finish() {
        if (error_.empty() && !open_.empty()) {
            static const std::string open = Cp("BEGIN:"), noEnd = Ui::tr(" 没有以 END 结束");
            error_ = open + platform::ToCodePage(open_.back()->name) + noEnd;
        }
        if (!error_.empty()) return {error_, {}};
        return {{}, std::move(top_)};
    }

    bool Fail(std::string message) {
        if (error_.empty()) error_ = std::move(message);
        return false;
    }

  private:
    std::vector<ContentNode>& Nodes() { return open_.empty() ? top_ : open_.back()->nodes; }

    const ContentLimits& limits_;
    std::vector<ContentNode> top_;
    std::vector<ContentComponent*> open_;
    std::string error_;
};

}  // namespace

bool ContentLine::Has(std::string_view param, std::string_view wanted) const {
    for (const ContentParam& p : params) {
        if (!p.name.empty() && p.name != param) continue;
        // A parameter may list several values: TYPE=CELL,VOICE.
        std::string_view values = p.value;
        while (true) {
            const size_t comma = values.find(',');
            if (SameUpper(values.substr(0, comma), wanted)) return true;
            if (comma == std::string_view::npos) break;
            values.remove_prefix(comma + 1);
        }
    }
    return false;
}

const std::string* ContentLine::Param(std::string_view param) const {
    for (const ContentParam& p : params)
        if (p.name == param) return &p.value;
    return nullptr;
}

std::string ContentComponent::Raw() const {
    std::string out = begin.raw + "\r\n";
    for (const ContentNode& node : nodes)
        out += node.component ? node.component->Raw() : node.line.raw + "\r\n";
    return out + end.raw + "\r\n";
}

ContentParse ParseContentLines(std::string_view text, const ContentLimits& limits) {
    if (text.size() > limits.maxBytes) {
        static const std::string has = Ui::tr("条目有 "), over = Ui::tr(" 字节，超过上限 "),
                                 unit = Ui::tr(" 字节，没有读取");
        return {has + std::to_string(text.size()) + over + std::to_string(limits.maxBytes) + unit,
                {}};
    }
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    TreeBuilder tree(limits);
    ContentLine current;
    std::string unfolded;
    bool open = false;
    bool quotedPrintable = false;
    const auto flush = [&]() {
        if (!open) return true;
        open = false;
        SplitLine(unfolded, current);
        return tree.Take(std::move(current));
    };
    for (size_t at = 0; at < text.size();) {
        size_t end = text.find('\n', at);
        if (end == std::string_view::npos) end = text.size();
        std::string_view physical = text.substr(at, end - at);
        at = end + 1;
        if (!physical.empty() && physical.back() == '\r') physical.remove_suffix(1);
        const bool softBreak =
            open && quotedPrintable && !unfolded.empty() && unfolded.back() == '=';
        const bool folded =
            open && !physical.empty() && (physical[0] == ' ' || physical[0] == '\t');
        if (softBreak || folded) {
            if (softBreak) unfolded.pop_back();
            unfolded.append(softBreak ? physical : physical.substr(1));
            current.raw += "\r\n";
            current.raw += physical;
            continue;
        }
        // A blank line is no property and ends none: dropping it must not
        // make the line after it continue another one when written back.
        if (physical.empty()) continue;
        if (!flush()) break;
        current = ContentLine{};
        current.raw = physical;
        unfolded = physical;
        open = true;
        quotedPrintable = IsQuotedPrintableStart(physical);
    }
    flush();
    return tree.Finish();
}

const ContentComponent* FindComponent(const std::vector<ContentNode>& nodes,
                                      std::string_view name) {
    for (const ContentNode& node : nodes)
        if (node.component && node.component->name == name) return node.component.get();
    return nullptr;
}

std::string RewrittenLine(const ContentLine& line, std::string_view value) {
    // Nothing before the colon may mention quoted-printable, or a new value
    // ending in "=" would take the next line into it when read.
    const bool groupKept = !MentionsQuotedPrintable(line.group) && !line.group.empty();
    std::string out = groupKept ? line.group + "." + line.name : line.name;
    for (const ContentParam& p : line.params) {
        if (p.name == "ENCODING" || p.name == "CHARSET" || !IsParamName(p.name) ||
            MentionsQuotedPrintable(p.name + p.value))
            continue;
        if (p.name.empty() && (SameUpper(p.value, "BASE64") || SameUpper(p.value, "B"))) continue;
        out += ';';
        if (!p.name.empty()) out += p.name + "=";
        const bool quote = p.value.find_first_of(";:") != std::string::npos;
        out += quote ? "\"" + p.value + "\"" : p.value;
    }
    out += ':';
    out += value;
    return FoldVCardLine(out);
}

}  // namespace korvane
