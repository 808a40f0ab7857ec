// Reading vCard files of any of the three versions into contacts.
//
// The file is read in one pass: physical lines are joined into properties
// (folding, quoted-printable soft breaks), each property is decoded to UTF-8
// (transfer encoding, then character set), unescaped and converted to the
// code page. Every step is linear in its input and bounded by VCardLimits.
#include <algorithm>
#include <optional>
#include <string>
#include <unordered_set>
#include <vector>

#include "exchange/datetime.h"
#include "exchange/messengers.h"
#include "exchange/vcard.h"
#include "exchange/vcardtext.h"
#include "platform/codepage.h"
#include "platform/uitext.h"

namespace korvane {
namespace {

constexpr size_t kMaxParams = 64;

struct Param {
    std::string name;  // upper-case; TYPE for a bare 2.1 parameter
    std::string value;
};

struct Property {
    std::string name;  // upper-case, without its group
    std::vector<Param> params;
    std::string value;  // raw, as in the file after unfolding
    size_t line = 0;    // where it starts, from 1
};

std::string Upper(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return out;
}

bool HasUpper(std::string_view text, std::string_view what) {
    return Upper(text).find(what) != std::string::npos;
}

std::string Where(int card, size_t line) {
    static const std::string where = Ui::tr("第 %1 张名片，第 %2 行：");
    return UiArgs(where, {std::to_string(card), std::to_string(line)});
}

std::string LineWhere(size_t line) {
    static const std::string where = Ui::tr("第 %1 行：");
    return UiArgs(where, {std::to_string(line)});
}

const std::string* ParamValue(const Property& p, std::string_view name) {
    for (const Param& param : p.params)
        if (param.name == name) return &param.value;
    return nullptr;
}

bool HasEncoding(const Property& p, std::string_view encoding) {
    for (const Param& param : p.params)
        if ((param.name == "ENCODING" && Upper(param.value) == encoding) ||
            (param.name == "TYPE" && Upper(param.value) == encoding))
            return true;
    return false;
}

// NAME;PARAM=V;BARE:value, the name maybe behind a group ("item1.TEL").
// Nothing for a line without a colon outside quotes.
std::optional<Property> ParseProperty(std::string_view line, size_t lineNumber) {
    size_t nameEnd = line.find_first_of(";:");
    if (nameEnd == std::string_view::npos) return std::nullopt;
    Property p;
    p.line = lineNumber;
    std::string_view name = line.substr(0, nameEnd);
    if (const size_t dot = name.rfind('.'); dot != std::string_view::npos)
        name = name.substr(dot + 1);
    p.name = Upper(name);
    size_t at = nameEnd;
    while (at < line.size() && line[at] == ';') {
        ++at;
        std::string param;
        bool quoted = false;
        while (at < line.size() && (quoted || (line[at] != ';' && line[at] != ':'))) {
            if (line[at] == '"')
                quoted = !quoted;
            else
                param += line[at];
            ++at;
        }
        const size_t eq = param.find('=');
        if (p.params.size() >= kMaxParams) continue;  // no card needs more; the rest are dropped
        if (eq == std::string::npos) {
            const std::string bare = Upper(param);
            const bool encoding = bare == "QUOTED-PRINTABLE" || bare == "BASE64" || bare == "B";
            p.params.push_back({encoding ? "ENCODING" : "TYPE", param});
        } else {
            p.params.push_back({Upper(param.substr(0, eq)), param.substr(eq + 1)});
        }
    }
    if (at >= line.size() || line[at] != ':') return std::nullopt;
    p.value = std::string(line.substr(at + 1));
    return p;
}

// What one card has gathered until its END.
struct Card {
    std::optional<std::string> fn;
    std::string nameFromN;
    std::vector<std::string> tels;
    std::vector<std::string> notes;
    std::vector<MessengerId> messengers;
    std::vector<std::string> extras;  // readable remark lines, code page
    std::string date;
    int64_t id = 0;
    size_t properties = 0;
};

struct Label {
    std::string_view property;
    std::string_view utf8;
};

constexpr Label kLabels[] = {
    {"EMAIL", "电子邮件"}, {"ADR", "地址"},        {"BDAY", "生日"},
    {"ORG", "单位"},       {"TITLE", "职务"},      {"ROLE", "角色"},
    {"URL", "网址"},       {"NICKNAME", "昵称"},   {"ANNIVERSARY", "纪念日"},
    {"GENDER", "性别"},    {"LABEL", "地址"},      {"GEO", "位置"},
    {"TZ", "时区"},        {"CATEGORIES", "分类"}, {"LANG", "语言"},
    {"RELATED", "关系"},   {"IMPP", "即时通讯"},   {"TEL", "电话"},
    {"NOTE", "备注"},
};

std::string LabelOf(std::string_view property) {
    for (const Label& label : kLabels)
        if (label.property == property) return Cp(label.utf8);
    return std::string(property);
}

bool IsBinary(const std::string& name) {
    return name == "PHOTO" || name == "LOGO" || name == "SOUND" || name == "KEY";
}

bool IsMeta(const std::string& name) {
    return name == "VERSION" || name == "PRODID" || name == "UID" || name == "CLIENTPIDMAP";
}

int64_t DecimalId(std::string_view text) {
    if (text.empty() || text.size() > 18) return 0;
    int64_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return 0;
        value = value * 10 + (c - '0');
    }
    return value;
}

class Reader {
  public:
    explicit Reader(const VCardLimits& limits) : limits_(limits) {}

    VCardReadResult Run(std::string_view bytes);

  private:
    bool Fail(size_t line, const std::string& what) {
        if (error_.empty()) error_ = (inCard_ ? Where(cardNumber_, line) : LineWhere(line)) + what;
        return false;
    }
    bool Take(std::string_view logical, size_t line);
    bool TakeProperty(Property& p);
    std::optional<std::string> Decode(const Property& p);
    void Finish();

    const VCardLimits& limits_;
    VCardReadResult result_;
    std::string error_;
    bool inCard_ = false;
    bool afterBinary_ = false;
    int cardNumber_ = 0;
    Card card_;
};

// The value as UTF-8 before unescaping: transfer encoding, then charset.
std::optional<std::string> Reader::Decode(const Property& p) {
    std::string bytes = p.value;
    if (HasEncoding(p, "QUOTED-PRINTABLE")) {
        bytes = DecodeQuotedPrintable(bytes);
    } else if (HasEncoding(p, "B") || HasEncoding(p, "BASE64")) {
        std::optional<std::string> decoded = DecodeBase64(bytes);
        if (!decoded) {
            Fail(p.line, Ui::tr("BASE64 数据有误（") + p.name + Ui::tr("）"));
            return std::nullopt;
        }
        bytes = std::move(*decoded);
    }
    const std::string* charset = ParamValue(p, "CHARSET");
    std::optional<std::string> utf8 = CharsetToUtf8(bytes, charset ? *charset : "UTF-8");
    if (!utf8) Fail(p.line, Ui::tr("不认识的字符集 ") + *charset);
    return utf8;
}

bool Reader::TakeProperty(Property& p) {
    if (++card_.properties > limits_.maxPropertiesPerCard)
        return Fail(p.line, Ui::tr("属性超过 ") + std::to_string(limits_.maxPropertiesPerCard) +
                                Ui::tr(" 个"));
    afterBinary_ = false;
    if (IsBinary(p.name)) {
        ++result_.skippedBinary;
        afterBinary_ = true;
        return true;
    }
    if (IsMeta(p.name)) return true;
    const std::optional<std::string> utf8 = Decode(p);
    if (!utf8) return false;
    const auto text = [&](std::string_view raw) {
        return platform::ToCodePage(UnescapeVCardText(raw));
    };
    if (p.name == "FN") {
        if (!card_.fn)
            card_.fn = text(*utf8);
        else
            card_.extras.push_back(Cp("姓名: ") + text(*utf8));
    } else if (p.name == "N") {
        std::vector<std::string> parts = SplitVCardValue(*utf8, ';');
        parts.resize(5);
        // prefix given additional family suffix; Chinese names run family first, unspaced.
        const int order[] = {3, 1, 2, 0, 4};
        const bool ascii = std::all_of(utf8->begin(), utf8->end(),
                                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
        std::string name;
        if (ascii) {
            for (const int i : order) {
                const std::string part = text(parts[static_cast<size_t>(i)]);
                if (part.empty()) continue;
                if (!name.empty()) name += ' ';
                name += part;
            }
        } else {
            for (const std::string& part : parts) name += text(part);
        }
        card_.nameFromN = name;
    } else if (p.name == "TEL") {
        std::string tel = *utf8;
        // Only a URI value (4.0's VALUE=uri) carries the scheme; a text
        // value keeps whatever it says.
        const std::string* type = ParamValue(p, "VALUE");
        if (type && Upper(*type) == "URI" && Upper(tel.substr(0, 4)) == "TEL:") tel = tel.substr(4);
        card_.tels.push_back(text(tel));
    } else if (p.name == "NOTE") {
        card_.notes.push_back(text(*utf8));
    } else if (p.name == "REV") {
        if (auto date = StoredTimeFromIso(*utf8)) card_.date = *date;
    } else if (p.name == "X-KORVANE-ID") {
        card_.id = DecimalId(*utf8);
    } else if (p.name == "IMPP") {
        const size_t colon = utf8->find(':');
        const std::string scheme = colon == std::string::npos ? "" : Upper(utf8->substr(0, colon));
        std::string lower = scheme;
        for (char& c : lower) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
        const MessengerService* service = ServiceOfScheme(lower);
        std::string id = colon == std::string::npos ? "" : utf8->substr(colon + 1);
        if (!id.empty() && id.front() == '/') id.erase(0, id.find_first_not_of('/'));
        if (service && !id.empty())
            card_.messengers.push_back({service->tag, platform::ToCodePage(PercentDecode(id))});
        else
            card_.extras.push_back(LabelOf(p.name) + ": " + text(*utf8));
    } else if (const MessengerService* service = ServiceOfProperty(p.name)) {
        const std::string id = text(*utf8);
        if (!id.empty()) card_.messengers.push_back({service->tag, id});
    } else {
        std::string joined;
        for (const std::string& part : SplitVCardValue(*utf8, ';')) {
            const std::string piece = text(part);
            if (piece.empty()) continue;
            if (!joined.empty()) joined += ' ';
            joined += piece;
        }
        if (!joined.empty()) card_.extras.push_back(LabelOf(p.name) + ": " + joined);
    }
    return true;
}

void Reader::Finish() {
    ExchangedContact contact;
    contact.name = card_.fn ? *card_.fn : card_.nameFromN;
    for (size_t i = 0; i < card_.tels.size(); ++i) {
        if (i == 0)
            contact.tel = card_.tels[0];
        else
            card_.extras.push_back(LabelOf("TEL") + ": " + card_.tels[i]);
    }
    for (size_t i = 0; i < card_.notes.size(); ++i) {
        if (i > 0) contact.remark += "\r\n";
        contact.remark += card_.notes[i];
    }
    // A messenger id is added as a tag unless the remark holds that tag already.
    std::unordered_set<std::string> held;
    for (const MessengerId& item : MessengerTagsOf(contact.remark))
        held.insert(MessengerTag(item.tag, item.id));
    std::vector<std::string> lines;
    for (const MessengerId& item : card_.messengers) {
        std::string tag = MessengerTag(item.tag, item.id);
        if (held.insert(tag).second) lines.push_back(std::move(tag));
    }
    lines.insert(lines.end(), card_.extras.begin(), card_.extras.end());
    for (const std::string& line : lines) {
        if (!contact.remark.empty()) contact.remark += "\r\n";
        contact.remark += line;
    }
    contact.date = card_.date;
    contact.id = card_.id;
    result_.contacts.push_back(std::move(contact));
}

bool Reader::Take(std::string_view logical, size_t line) {
    if (logical.empty()) return true;
    std::optional<Property> p = ParseProperty(logical, line);
    if (!p) {
        if (inCard_ && !afterBinary_) return Fail(line, Ui::tr("这一行不是“名称:值”的属性"));
        return true;  // outside cards, or the undented data of a skipped picture
    }
    const std::string marker = p->value.size() == 5 ? p->name + ":" + Upper(p->value) : "";
    const bool isBegin = marker == "BEGIN:VCARD";
    const bool isEnd = marker == "END:VCARD";
    if (!inCard_) {
        if (isBegin) {
            inCard_ = true;
            ++cardNumber_;
            card_ = Card{};
            afterBinary_ = false;
        }
        return true;
    }
    if (isBegin) return Fail(line, Ui::tr("上一张名片没有 END:VCARD"));
    if (isEnd) {
        Finish();
        inCard_ = false;
        return true;
    }
    return TakeProperty(*p);
}

VCardReadResult Reader::Run(std::string_view bytes) {
    if (bytes.size() > limits_.maxFileBytes) {
        result_.error = Ui::tr("文件大于 ") + std::to_string(limits_.maxFileBytes >> 20) +
                        Ui::tr(" MB，没有读取");
        return std::move(result_);
    }
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
    if (const size_t nul = bytes.find('\0'); nul != std::string_view::npos) {
        const size_t line =
            1 + static_cast<size_t>(std::count(
                    bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(nul), '\n'));
        result_.error = LineWhere(line) + Ui::tr("含有 NUL 字节（也许是 UTF-16 文件），没有读取");
        return std::move(result_);
    }
    std::string logical;
    size_t logicalLine = 0;
    bool quotedPrintable = false;
    size_t lineNumber = 0;
    bool ok = true;
    for (size_t at = 0; ok && at < bytes.size();) {
        size_t end = bytes.find('\n', at);
        if (end == std::string_view::npos) end = bytes.size();
        std::string_view physical = bytes.substr(at, end - at);
        at = end + 1;
        ++lineNumber;
        if (!physical.empty() && physical.back() == '\r') physical.remove_suffix(1);
        const bool softBreak = quotedPrintable && !logical.empty() && logical.back() == '=';
        const bool folded = !physical.empty() && (physical[0] == ' ' || physical[0] == '\t');
        if (logicalLine != 0 && (softBreak || folded)) {
            if (softBreak) logical.pop_back();
            logical.append(softBreak ? physical : physical.substr(1));
        } else {
            if (logicalLine != 0) ok = Take(logical, logicalLine);
            logical.assign(physical);
            logicalLine = lineNumber;
            const size_t colon = physical.find(':');
            quotedPrintable = colon != std::string_view::npos &&
                              HasUpper(physical.substr(0, colon), "QUOTED-PRINTABLE");
        }
        if (ok && logical.size() > limits_.maxLineBytes)
            ok = Fail(logicalLine, Ui::tr("一行展开后超过 ") +
                                       std::to_string(limits_.maxLineBytes) + Ui::tr(" 字节"));
    }
    if (ok && logicalLine != 0) ok = Take(logical, logicalLine);
    if (ok && inCard_) ok = Fail(lineNumber, Ui::tr("名片没有以 END:VCARD 结束"));
    if (!ok) {
        result_.contacts.clear();
        result_.error = error_;
    }
    return std::move(result_);
}

}  // namespace

VCardReadResult ReadVCards(std::string_view bytes, const VCardLimits& limits) {
    return Reader(limits).Run(bytes);
}

}  // namespace korvane
