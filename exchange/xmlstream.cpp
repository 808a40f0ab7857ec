#include "exchange/xmlstream.h"

#include <expat.h>

#include <algorithm>
#include <climits>
#include <memory>
#include <vector>

#include "platform/codepage.h"
#include "platform/uitext.h"

namespace korvane {
namespace {

struct ParserFree {
    void operator()(XML_Parser parser) const { XML_ParserFree(parser); }
};
using Parser = std::unique_ptr<XML_ParserStruct, ParserFree>;

std::string Where(unsigned long line) {
    static const std::string where = Ui::tr("第 %1 行：");
    return UiArgs(where, {std::to_string(line)});
}

std::string WhereColumn(unsigned long line, unsigned long column) {
    static const std::string where = Ui::tr("第 %1 行第 %2 列：");
    return UiArgs(where, {std::to_string(line), std::to_string(column + 1)});
}

// A name from the file inside a message: code page, cut to a readable length.
std::string Quoted(std::string_view utf8) {
    static const std::string open = Cp("“"), close = Cp("”");
    constexpr size_t kShown = 64;
    std::string shown(utf8.substr(0, kShown));
    if (utf8.size() > kShown) shown += "...";
    return open + platform::ToCodePage(shown) + close;
}

struct NamedCharacter {
    std::string_view name;
    std::string_view utf8;
};

// The HTML entities note programs write into documents that name an external
// DTD (which declares them and is never read here).
constexpr NamedCharacter kHtmlCharacters[] = {
    {"nbsp", "\u00a0"},   {"copy", "\u00a9"},   {"reg", "\u00ae"},    {"trade", "\u2122"},
    {"mdash", "\u2014"},  {"ndash", "\u2013"},  {"hellip", "\u2026"}, {"lsquo", "\u2018"},
    {"rsquo", "\u2019"},  {"ldquo", "\u201c"},  {"rdquo", "\u201d"},  {"laquo", "\u00ab"},
    {"raquo", "\u00bb"},  {"middot", "\u00b7"}, {"bull", "\u2022"},   {"times", "\u00d7"},
    {"divide", "\u00f7"}, {"deg", "\u00b0"},    {"euro", "\u20ac"},   {"yen", "\u00a5"},
    {"pound", "\u00a3"},  {"cent", "\u00a2"},   {"sect", "\u00a7"},   {"para", "\u00b6"},
    {"ensp", "\u2002"},   {"emsp", "\u2003"},   {"thinsp", "\u2009"},
};

struct ExpatMessage {
    XML_Error code;
    std::string_view utf8;
};

constexpr ExpatMessage kExpatMessages[] = {
    {XML_ERROR_NO_MEMORY, KORVANE_TRANSLATE_NOOP("Ui", "内存不足，无法读完文件")},
    {XML_ERROR_SYNTAX, KORVANE_TRANSLATE_NOOP("Ui", "XML 语法错误")},
    {XML_ERROR_NO_ELEMENTS,
     KORVANE_TRANSLATE_NOOP("Ui", "文件在根元素结束之前就结束了（文件不完整）")},
    {XML_ERROR_INVALID_TOKEN,
     KORVANE_TRANSLATE_NOOP(
         "Ui", "不是合格的 XML：这里有无效的字符或标记（例如空字节、不是 UTF-8 的字节）")},
    {XML_ERROR_UNCLOSED_TOKEN, KORVANE_TRANSLATE_NOOP("Ui", "标记没有结束（文件不完整）")},
    {XML_ERROR_PARTIAL_CHAR,
     KORVANE_TRANSLATE_NOOP("Ui", "字符不完整（文件不完整，或不是声明的编码）")},
    {XML_ERROR_TAG_MISMATCH, KORVANE_TRANSLATE_NOOP("Ui", "结束标记与开始的元素不一致")},
    {XML_ERROR_DUPLICATE_ATTRIBUTE, KORVANE_TRANSLATE_NOOP("Ui", "同一个属性写了两次")},
    {XML_ERROR_JUNK_AFTER_DOC_ELEMENT, KORVANE_TRANSLATE_NOOP("Ui", "根元素结束后还有内容")},
    {XML_ERROR_UNDEFINED_ENTITY, KORVANE_TRANSLATE_NOOP("Ui", "引用了未声明的实体")},
    {XML_ERROR_RECURSIVE_ENTITY_REF,
     KORVANE_TRANSLATE_NOOP("Ui", "文件声明了实体，导入不会展开实体")},
    {XML_ERROR_ASYNC_ENTITY, KORVANE_TRANSLATE_NOOP("Ui", "文件声明了实体，导入不会展开实体")},
    {XML_ERROR_BAD_CHAR_REF, KORVANE_TRANSLATE_NOOP("Ui", "字符引用指向不允许的字符")},
    {XML_ERROR_BINARY_ENTITY_REF, KORVANE_TRANSLATE_NOOP("Ui", "引用了二进制实体")},
    {XML_ERROR_ATTRIBUTE_EXTERNAL_ENTITY_REF, KORVANE_TRANSLATE_NOOP("Ui", "属性里引用了外部实体")},
    {XML_ERROR_MISPLACED_XML_PI, KORVANE_TRANSLATE_NOOP("Ui", "XML 声明不在文件开头")},
    {XML_ERROR_UNKNOWN_ENCODING,
     KORVANE_TRANSLATE_NOOP(
         "Ui", "文件声明的字符编码不受支持（只读 UTF-8、UTF-16、ISO-8859-1 和 US-ASCII）")},
    {XML_ERROR_INCORRECT_ENCODING, KORVANE_TRANSLATE_NOOP("Ui", "文件内容与声明的字符编码不符")},
    {XML_ERROR_UNCLOSED_CDATA_SECTION,
     KORVANE_TRANSLATE_NOOP("Ui", "CDATA 段没有结束（文件不完整）")},
    {XML_ERROR_EXTERNAL_ENTITY_HANDLING,
     KORVANE_TRANSLATE_NOOP("Ui", "文件要求读取外部实体，导入不读取外部文件")},
    {XML_ERROR_NOT_STANDALONE,
     KORVANE_TRANSLATE_NOOP("Ui", "文件要求读取外部 DTD，导入不读取外部文件")},
    {XML_ERROR_ENTITY_DECLARED_IN_PE,
     KORVANE_TRANSLATE_NOOP("Ui", "文件声明了实体，导入不会展开实体")},
    {XML_ERROR_UNBOUND_PREFIX, KORVANE_TRANSLATE_NOOP("Ui", "元素或属性的前缀没有声明")},
    {XML_ERROR_XML_DECL, KORVANE_TRANSLATE_NOOP("Ui", "XML 声明写错了")},
    {XML_ERROR_TEXT_DECL, KORVANE_TRANSLATE_NOOP("Ui", "文本声明写错了")},
    {XML_ERROR_PUBLICID, KORVANE_TRANSLATE_NOOP("Ui", "公共标识符里有不允许的字符")},
    {XML_ERROR_INVALID_ARGUMENT, KORVANE_TRANSLATE_NOOP("Ui", "XML 读取器收到无效的参数")},
#if XML_MAJOR_VERSION > 2 || (XML_MAJOR_VERSION == 2 && XML_MINOR_VERSION >= 4)
    {XML_ERROR_AMPLIFICATION_LIMIT_BREACH,
     KORVANE_TRANSLATE_NOOP("Ui", "文件声明了实体，导入不会展开实体")},
#endif
};

std::string ExpatText(XML_Error code) {
    static const std::string other = Ui::tr("不是合格的 XML（");
    for (const ExpatMessage& known : kExpatMessages)
        if (known.code == code) return Ui::tr(known.utf8);
    const XML_LChar* english = XML_ErrorString(code);
    return other + (english ? english : "?") + Ui::tr("）");
}

// One parse: the parser, the handler and what the callbacks found.
struct Session {
    Session(XML_Parser p, XmlHandler& h, const XmlLimits& l) : parser(p), handler(h), limits(l) {}

    XML_Parser parser;
    XmlHandler& handler;
    const XmlLimits& limits;
    int depth = 0;
    unsigned long stopLine = 0;
    std::string error;  // set by the wrapper's own checks, without the line
    std::vector<XmlAttribute> attributes;

    // Ends the parse here: the first reason wins.
    void Fail(std::string message) {
        if (error.empty() && handler.Stopped().empty()) {
            error = std::move(message);
            stopLine = XML_GetCurrentLineNumber(parser);
        }
        XML_StopParser(parser, XML_FALSE);
    }

    // After a handler's callback: stops the parse when the handler asked to.
    void CheckHandler() {
        if (handler.Stopped().empty() || !error.empty()) return;
        if (stopLine == 0) stopLine = XML_GetCurrentLineNumber(parser);
        XML_StopParser(parser, XML_FALSE);
    }
};

Session& Of(void* data) {
    return *static_cast<Session*>(data);
}

void XMLCALL OnStart(void* data, const XML_Char* name, const XML_Char** attributes) {
    Session& s = Of(data);
    if (!s.error.empty() || !s.handler.Stopped().empty()) return;
    if (++s.depth > s.limits.maxDepth) {
        static const std::string deep = Ui::tr("元素嵌套超过 "),
                                 layers = Ui::tr(" 层，不是能导入的笔记文件");
        s.Fail(deep + std::to_string(s.limits.maxDepth) + layers);
        return;
    }
    s.attributes.clear();
    for (const XML_Char** at = attributes; at && at[0] && at[1]; at += 2)
        s.attributes.push_back({at[0], at[1]});
    s.handler.OnStart(name, s.attributes);
    s.CheckHandler();
}

void XMLCALL OnEnd(void* data, const XML_Char* name) {
    Session& s = Of(data);
    if (!s.error.empty() || !s.handler.Stopped().empty()) return;
    --s.depth;
    s.handler.OnEnd(name);
    s.CheckHandler();
}

void XMLCALL OnText(void* data, const XML_Char* text, int length) {
    Session& s = Of(data);
    if (!s.error.empty() || !s.handler.Stopped().empty() || length <= 0) return;
    s.handler.OnText(std::string_view(text, static_cast<size_t>(length)));
    s.CheckHandler();
}

// Any entity declaration ends the parse before anything refers to it.
void XMLCALL OnEntityDeclaration(void* data, const XML_Char* name, int, const XML_Char*, int,
                                 const XML_Char*, const XML_Char*, const XML_Char*,
                                 const XML_Char*) {
    static const std::string declared = Ui::tr("文件声明了实体 "),
                             refused = Ui::tr("，导入不会展开实体，也不读取外部文件");
    Of(data).Fail(declared + Quoted(name ? name : "") + refused);
}

// A reference to an entity declared nowhere this parse reads (an external DTD
// or parameter entity it does not load).
void XMLCALL OnSkippedEntity(void* data, const XML_Char* name, int isParameter) {
    Session& s = Of(data);
    if (!s.error.empty() || !s.handler.Stopped().empty()) return;
    const std::string_view entity = name ? name : "";
    if (!isParameter) {
        for (const NamedCharacter& known : kHtmlCharacters) {
            if (known.name != entity) continue;
            s.handler.OnText(known.utf8);
            s.CheckHandler();
            return;
        }
    }
    static const std::string unknown = Ui::tr("引用了未声明的实体 "),
                             refused = Ui::tr("，导入不读取外部文件");
    s.Fail(unknown + Quoted(std::string(isParameter ? "%" : "&") + std::string(entity) + ";") +
           refused);
}

bool Blank(std::string_view bytes) {
    return std::all_of(bytes.begin(), bytes.end(),
                       [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; });
}

}  // namespace

std::string_view LocalName(std::string_view name) {
    const size_t colon = name.rfind(':');
    return colon == std::string_view::npos ? name : name.substr(colon + 1);
}

std::string_view AttributeValue(std::span<const XmlAttribute> attributes, std::string_view name) {
    for (const XmlAttribute& attribute : attributes)
        if (attribute.name == name) return attribute.value;
    return {};
}

std::string ParseXml(std::string_view bytes, XmlHandler& handler, const XmlLimits& limits) {
    const size_t maxBytes = std::min<size_t>(limits.maxBytes, INT_MAX);
    if (bytes.size() > maxBytes) {
        static const std::string has = Ui::tr("文件有 "), over = Ui::tr(" 字节，超过导入上限 "),
                                 unit = Ui::tr(" 字节，没有读取");
        return has + std::to_string(bytes.size()) + over + std::to_string(maxBytes) + unit;
    }
    if (Blank(bytes)) {
        static const std::string empty = Ui::tr("文件是空的，没有 XML 内容");
        return empty;
    }
    const Parser parser(XML_ParserCreate(limits.forceUtf8 ? "UTF-8" : nullptr));
    if (!parser) return ExpatText(XML_ERROR_NO_MEMORY);
    Session session(parser.get(), handler, limits);
    XML_SetUserData(parser.get(), &session);
    XML_SetElementHandler(parser.get(), OnStart, OnEnd);
    XML_SetCharacterDataHandler(parser.get(), OnText);
    XML_SetEntityDeclHandler(parser.get(), OnEntityDeclaration);
    XML_SetSkippedEntityHandler(parser.get(), OnSkippedEntity);
    // No external DTD or parameter entity is read, and no handler that could
    // load an external entity is installed.
    XML_SetParamEntityParsing(parser.get(), XML_PARAM_ENTITY_PARSING_NEVER);
    const XML_Status status =
        XML_Parse(parser.get(), bytes.data(), static_cast<int>(bytes.size()), XML_TRUE);
    if (!session.error.empty()) return Where(session.stopLine) + session.error;
    if (!handler.Stopped().empty()) return Where(session.stopLine) + handler.Stopped();
    if (status == XML_STATUS_OK) return {};
    const XML_Error code = XML_GetErrorCode(parser.get());
    return WhereColumn(XML_GetErrorLineNumber(parser.get()),
                       XML_GetErrorColumnNumber(parser.get())) +
           ExpatText(code);
}

}  // namespace korvane
