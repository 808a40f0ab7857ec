#include "exchange/davxml.h"

#include <vector>

#include "exchange/xmlstream.h"
#include "platform/codepage.h"
#include "platform/uitext.h"

namespace korvane {
namespace {

constexpr std::string_view kDeclaration = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n";
constexpr std::string_view kDavNs = " xmlns:d=\"DAV:\"";
constexpr std::string_view kCalNs = " xmlns:c=\"urn:ietf:params:xml:ns:caldav\"";
constexpr std::string_view kCardNs = " xmlns:cr=\"urn:ietf:params:xml:ns:carddav\"";
constexpr std::string_view kServerNs = " xmlns:cs=\"http://calendarserver.org/ns/\"";

std::string_view Trimmed(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!text.empty() && blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && blank(text.back())) text.remove_suffix(1);
    return text;
}

// The code of a status line ("HTTP/1.1 404 Not Found"), 0 when it has none.
int StatusCode(std::string_view line) {
    line = Trimmed(line);
    const size_t space = line.find(' ');
    if (space == std::string_view::npos) return 0;
    line = line.substr(space + 1);
    int code = 0;
    size_t digits = 0;
    while (digits < line.size() && digits < 3 && line[digits] >= '0' && line[digits] <= '9')
        code = code * 10 + (line[digits++] - '0');
    return digits == 3 ? code : 0;
}

// An item's lines ended by CR LF again: an XML reader gives every line end
// of a text as a line feed, and items end their lines with CR LF (a line
// feed inside a value is always escaped, so none is lost).
std::string WithCrLf(std::string_view text) {
    std::string out;
    out.reserve(text.size() + text.size() / 32);
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) out += '\r';
        out += text[i];
    }
    return out;
}

// Text for XML content or a double-quoted attribute. Characters XML 1.0
// cannot hold at all (the control characters but tab and line feed) are left
// out; a CR is a reference so that the parse does not turn it into a line feed.
std::string Escaped(std::string_view text) {
    std::string out;
    out.reserve(text.size() + 16);
    for (const char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            case '\'':
                out += "&apos;";
                break;
            case '\r':
                out += "&#13;";
                break;
            default:
                if ((static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\n') || c == 0x7F)
                    break;
                out += c;
        }
    }
    return out;
}

// What one propstat says, merged into the response when its status is 2xx.
struct Props {
    DavResponse values;
    bool componentSetGiven = false;
    bool componentSetHasJournal = false;
};

void Merge(const Props& from, DavResponse& into, bool& setGiven, bool& setHasJournal) {
    const DavResponse& v = from.values;
    const auto take = [](const std::string& value, std::string& target) {
        if (!value.empty()) target = value;
    };
    take(v.etag, into.etag);
    take(v.data, into.data);
    take(v.displayName, into.displayName);
    take(v.principal, into.principal);
    take(v.calendarHome, into.calendarHome);
    take(v.addressHome, into.addressHome);
    take(v.syncTokenProp, into.syncTokenProp);
    take(v.ctag, into.ctag);
    into.collection = into.collection || v.collection;
    into.calendar = into.calendar || v.calendar;
    into.addressBook = into.addressBook || v.addressBook;
    if (from.componentSetGiven) {
        setGiven = true;
        setHasJournal = setHasJournal || from.componentSetHasJournal;
    }
}

class MultistatusReader : public XmlHandler {
  public:
    explicit MultistatusReader(Multistatus& out) : out_(out) {}

    void OnStart(std::string_view name, std::span<const XmlAttribute> attributes) override {
        const std::string_view local = LocalName(name);
        if (path_.empty() && local != "multistatus") {
            static const std::string notMultistatus = Ui::tr("回答不是 multistatus 文档");
            Stop(notMultistatus);
            return;
        }
        if (local == "response" && Parent() == "multistatus") {
            response_ = DavResponse{};
            setGiven_ = setHasJournal_ = false;
        } else if (local == "propstat" && Parent() == "response") {
            props_ = Props{};
            propstatStatus_ = 0;
        } else if (local == "comp" && Parent() == "supported-calendar-component-set") {
            if (AttributeValue(attributes, "name") == "VJOURNAL")
                props_.componentSetHasJournal = true;
        } else if (Parent() == "resourcetype") {
            if (local == "collection") props_.values.collection = true;
            if (local == "calendar") props_.values.calendar = true;
            if (local == "addressbook") props_.values.addressBook = true;
        } else if (local == "supported-calendar-component-set" && Parent() == "prop") {
            props_.componentSetGiven = true;
        }
        path_.emplace_back(local);
        text_.clear();
    }

    void OnEnd(std::string_view name) override {
        const std::string local(LocalName(name));
        path_.pop_back();
        const std::string_view parent = Parent();
        if (parent == "response") {
            EndInResponse(local);
        } else if (local == "response" && parent == "multistatus") {
            response_.journal = setGiven_ ? setHasJournal_ : response_.calendar;
            out_.responses.push_back(std::move(response_));
        } else if (local == "sync-token" && parent == "multistatus") {
            out_.syncToken = Trimmed(text_);
        } else if (local == "status" && parent == "propstat") {
            propstatStatus_ = StatusCode(text_);
        } else if (parent == "prop") {
            EndProperty(local);
        } else if (local == "href" && path_.size() >= 2 && path_[path_.size() - 2] == "prop") {
            EndHomeHref(parent);
        }
        text_.clear();
    }

    void OnText(std::string_view text) override { text_ += text; }

  private:
    std::string_view Parent() const {
        return path_.empty() ? std::string_view{} : std::string_view(path_.back());
    }

    void EndInResponse(std::string_view local) {
        if (local == "href" && response_.href.empty()) {
            response_.href = Trimmed(text_);
        } else if (local == "status") {
            response_.status = StatusCode(text_);
        } else if (local == "propstat" && propstatStatus_ >= 200 && propstatStatus_ < 300) {
            Merge(props_, response_, setGiven_, setHasJournal_);
        }
    }

    void EndProperty(std::string_view local) {
        DavResponse& v = props_.values;
        if (local == "getetag")
            v.etag = Trimmed(text_);
        else if (local == "calendar-data" || local == "address-data")
            v.data = WithCrLf(text_);
        else if (local == "displayname")
            v.displayName = text_;
        else if (local == "sync-token")
            v.syncTokenProp = Trimmed(text_);
        else if (local == "getctag")
            v.ctag = Trimmed(text_);
    }

    // An href inside a property that names another resource.
    void EndHomeHref(std::string_view property) {
        DavResponse& v = props_.values;
        const std::string href(Trimmed(text_));
        if (property == "current-user-principal" && v.principal.empty())
            v.principal = href;
        else if (property == "calendar-home-set" && v.calendarHome.empty())
            v.calendarHome = href;
        else if (property == "addressbook-home-set" && v.addressHome.empty())
            v.addressHome = href;
    }

    Multistatus& out_;
    std::vector<std::string> path_;  // local names of the open elements
    std::string text_;               // text since the last start or end
    DavResponse response_;
    Props props_;
    int propstatStatus_ = 0;
    bool setGiven_ = false;
    bool setHasJournal_ = false;
};

class ErrorReader : public XmlHandler {
  public:
    explicit ErrorReader(std::string_view precondition) : precondition_(precondition) {}

    void OnStart(std::string_view name, std::span<const XmlAttribute>) override {
        const std::string_view local = LocalName(name);
        if (depth_ == 0 && local != "error") Stop("not an error body");
        if (depth_ == 1 && local == precondition_) named_ = true;
        ++depth_;
    }
    void OnEnd(std::string_view) override { --depth_; }
    void OnText(std::string_view) override {}

    bool Named() const { return named_; }

  private:
    std::string_view precondition_;
    int depth_ = 0;
    bool named_ = false;
};

XmlLimits DavLimits() {
    XmlLimits limits;
    limits.maxDepth = 64;
    return limits;
}

std::string Document(std::string_view root, std::string_view namespaces, std::string_view inner) {
    std::string out(kDeclaration);
    out += "<" + std::string(root) + std::string(kDavNs) + std::string(namespaces) + ">";
    out += inner;
    out += "</" + std::string(root) + ">\n";
    return out;
}

std::string Propfind(std::string_view namespaces, std::string_view props) {
    return Document("d:propfind", namespaces, "<d:prop>" + std::string(props) + "</d:prop>");
}

// Where the path of an absolute URL starts ("http://h:1/p" gives the index of
// "/p"); the whole length when it has none, 0 when it is not absolute.
size_t PathStart(std::string_view url) {
    const size_t scheme = url.find("://");
    if (scheme == std::string_view::npos) return 0;
    const size_t path = url.find_first_of("/?#", scheme + 3);
    return path == std::string_view::npos ? url.size() : path;
}

std::string_view WithoutQuery(std::string_view path) {
    return path.substr(0, path.find_first_of("?#"));
}

// The path with its "." and ".." segments resolved; it never climbs above the root.
std::string WithoutDotSegments(std::string_view path) {
    std::vector<std::string_view> segments;
    const bool absolute = !path.empty() && path.front() == '/';
    if (absolute) path.remove_prefix(1);
    bool trailing = false;
    while (true) {
        const size_t slash = path.find('/');
        const std::string_view segment = path.substr(0, slash);
        const bool last = slash == std::string_view::npos;
        trailing = last && (segment == "." || segment == "..");
        if (segment == "..") {
            if (!segments.empty()) segments.pop_back();
        } else if (segment != ".") {
            segments.push_back(segment);
        }
        if (last) break;
        path.remove_prefix(slash + 1);
    }
    std::string out = absolute ? "/" : "";
    for (size_t i = 0; i < segments.size(); ++i) {
        if (i > 0) out += '/';
        out += segments[i];
    }
    if (trailing && !out.empty() && out.back() != '/') out += '/';
    return out;
}

bool HasScheme(std::string_view ref) {
    const size_t colon = ref.find(':');
    if (colon == 0 || colon == std::string_view::npos) return false;
    for (size_t i = 0; i < colon; ++i) {
        const char c = ref[i];
        const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
        if (!letter && (i == 0 || !((c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.')))
            return false;
    }
    return true;
}

}  // namespace

Multistatus ReadMultistatus(std::string_view xml) {
    Multistatus out;
    MultistatusReader reader(out);
    if (std::string error = ParseXml(xml, reader, DavLimits()); !error.empty()) {
        static const std::string unreadable = Ui::tr("服务器的回答读不了：");
        out.responses.clear();
        out.syncToken.clear();
        out.error = unreadable + error;
    }
    return out;
}

bool DavErrorNames(std::string_view xml, std::string_view precondition) {
    ErrorReader reader(precondition);
    return ParseXml(xml, reader, DavLimits()).empty() && reader.Named();
}

std::string PropfindPrincipalBody() {
    return Propfind({}, "<d:current-user-principal/>");
}

std::string PropfindHomesBody() {
    return Propfind(std::string(kCalNs) + std::string(kCardNs),
                    "<c:calendar-home-set/><cr:addressbook-home-set/>");
}

std::string PropfindCollectionsBody() {
    return Propfind(std::string(kCalNs) + std::string(kServerNs),
                    "<d:resourcetype/><d:displayname/><c:supported-calendar-component-set/>"
                    "<d:sync-token/><cs:getctag/>");
}

std::string PropfindEtagsBody() {
    // The resource type too, so that the listing tells the collection itself
    // and any collection inside it from the members.
    return Propfind({}, "<d:resourcetype/><d:getetag/>");
}

std::string SyncCollectionBody(std::string_view token) {
    const std::string tokenElement =
        token.empty() ? "<d:sync-token/>" : "<d:sync-token>" + Escaped(token) + "</d:sync-token>";
    return Document("d:sync-collection", {},
                    tokenElement + "<d:sync-level>1</d:sync-level><d:prop><d:getetag/></d:prop>");
}

std::string MultigetBody(DavCollectionKind kind, const std::vector<std::string>& hrefs) {
    const bool journal = kind == DavCollectionKind::Journal;
    std::string inner = journal ? "<d:prop><d:getetag/><c:calendar-data/></d:prop>"
                                : "<d:prop><d:getetag/><cr:address-data/></d:prop>";
    for (const std::string& href : hrefs) inner += "<d:href>" + Escaped(href) + "</d:href>";
    return journal ? Document("c:calendar-multiget", kCalNs, inner)
                   : Document("cr:addressbook-multiget", kCardNs, inner);
}

std::string MkcolBody(DavCollectionKind kind, std::string_view displayName) {
    const bool journal = kind == DavCollectionKind::Journal;
    std::string props = "<d:resourcetype><d:collection/>";
    props += journal ? "<c:calendar/>" : "<cr:addressbook/>";
    props += "</d:resourcetype><d:displayname>" + Escaped(displayName) + "</d:displayname>";
    if (journal)
        props +=
            "<c:supported-calendar-component-set><c:comp name=\"VJOURNAL\"/>"
            "</c:supported-calendar-component-set>";
    return Document("d:mkcol", journal ? kCalNs : kCardNs,
                    "<d:set><d:prop>" + props + "</d:prop></d:set>");
}

std::string ResolveDavUrl(std::string_view base, std::string_view ref) {
    ref = Trimmed(ref);
    if (HasScheme(ref)) {
        const size_t start = PathStart(ref);
        if (start == 0) return std::string(ref);
        return std::string(ref.substr(0, start)) + WithoutDotSegments(ref.substr(start));
    }
    const size_t start = PathStart(base);
    const std::string_view origin = base.substr(0, start);
    if (ref.substr(0, 2) == "//")
        return std::string(base.substr(0, base.find(':') + 1)) + std::string(ref);
    if (ref.empty()) return std::string(base);
    if (ref.front() == '/') return std::string(origin) + WithoutDotSegments(ref);
    std::string_view basePath = WithoutQuery(base.substr(start));
    if (ref.front() == '?' || ref.front() == '#')
        return std::string(origin) + std::string(basePath) + std::string(ref);
    const size_t lastSlash = basePath.rfind('/');
    const std::string directory =
        lastSlash == std::string_view::npos ? "/" : std::string(basePath.substr(0, lastSlash + 1));
    return std::string(origin) + WithoutDotSegments(directory + std::string(ref));
}

std::string DavUrlPath(std::string_view url) {
    url = Trimmed(url);
    const std::string_view path = WithoutQuery(url.substr(PathStart(url)));
    if (path.empty()) return "/";
    return WithoutDotSegments(path);
}

}  // namespace korvane
