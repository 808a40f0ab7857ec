// The messages of a Qt translation file (.ts): each source text with its
// translation, read with the few XML rules lupdate writes them by.
#pragma once

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "base/utf8.h"

namespace korvane::test {

struct TsMessage {
    std::string source;       // UTF-8, as written in the code
    std::string comment;      // the disambiguation; empty when none
    std::string translation;  // UTF-8; empty when unfinished
};

// The text of an element's content with XML's predefined entities and
// character references (lupdate writes U+3000 as "&#x3000;") resolved.
inline std::string XmlText(const std::string& raw) {
    static const std::pair<const char*, const char*> kEntities[] = {
        {"&lt;", "<"}, {"&gt;", ">"}, {"&quot;", "\""}, {"&apos;", "'"}, {"&amp;", "&"}};
    std::string out;
    for (size_t i = 0; i < raw.size();) {
        if (raw.compare(i, 2, "&#") == 0) {
            const bool hex = raw.compare(i, 3, "&#x") == 0;
            const size_t digits = i + (hex ? 3 : 2);
            const size_t end = raw.find(';', digits);
            AppendUtf8(out, static_cast<char32_t>(std::stoul(raw.substr(digits, end - digits),
                                                             nullptr, hex ? 16 : 10)));
            i = end + 1;
            continue;
        }
        bool replaced = false;
        for (const auto& [entity, text] : kEntities) {
            if (raw.compare(i, std::char_traits<char>::length(entity), entity) == 0) {
                out += text;
                i += std::char_traits<char>::length(entity);
                replaced = true;
                break;
            }
        }
        if (!replaced) out += raw[i++];
    }
    return out;
}

// The content of the first <tag ...>...</tag> at or after `from`; `from`
// moves past it. Empty for a self-closed or missing element.
inline std::string ElementText(const std::string& xml, const std::string& tag, size_t& from,
                               size_t limit) {
    const size_t open = xml.find("<" + tag, from);
    if (open == std::string::npos || open >= limit) return {};
    const size_t start = xml.find('>', open);
    if (xml[start - 1] == '/') {
        from = start + 1;
        return {};
    }
    const size_t end = xml.find("</" + tag + ">", start);
    from = end + tag.size() + 3;
    return XmlText(xml.substr(start + 1, end - start - 1));
}

inline std::vector<TsMessage> ReadTsFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    const std::string xml((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<TsMessage> messages;
    for (size_t at = xml.find("<message"); at != std::string::npos; at = xml.find("<message", at)) {
        const size_t end = xml.find("</message>", at);
        TsMessage message;
        message.source = ElementText(xml, "source", at, end);
        size_t afterSource = at;
        message.comment = ElementText(xml, "comment", afterSource, end);
        message.translation = ElementText(xml, "translation", at, end);
        messages.push_back(message);
        at = end;
    }
    return messages;
}

}  // namespace korvane::test
