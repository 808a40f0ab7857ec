// The WebDAV XML of a sync: multistatus answers written in the styles of the
// common servers (prefixes of every kind, a default namespace, propstats
// with 200 and 404, removed members, calendar data in CDATA or escaped), the
// request bodies parsed back with their namespaces resolved, and the URL
// arithmetic on hrefs.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "exchange/davxml.h"
#include "exchange/xmlstream.h"
#include "platform/codepage.h"

namespace korvane {
namespace {

// What the tests compare of a response, in one line per field that is set.
std::string Summary(const DavResponse& r) {
    std::string out = r.href + " status=" + std::to_string(r.status);
    const auto field = [&](const char* name, const std::string& value) {
        if (!value.empty()) out += std::string(" ") + name + "=" + value;
    };
    field("etag", r.etag);
    field("data", r.data);
    field("name", r.displayName);
    field("principal", r.principal);
    field("calhome", r.calendarHome);
    field("abhome", r.addressHome);
    field("token", r.syncTokenProp);
    field("ctag", r.ctag);
    if (r.collection) out += " collection";
    if (r.calendar) out += " calendar";
    if (r.addressBook) out += " addressbook";
    if (r.journal) out += " journal";
    return out;
}

struct AnswerCase {
    const char* name;
    std::string xml;
    std::vector<std::string> responses;  // summaries
    std::string syncToken;
};

class MultistatusAnswers : public testing::TestWithParam<AnswerCase> {};

TEST_P(MultistatusAnswers, ReadAsExpected) {
    const Multistatus read = ReadMultistatus(GetParam().xml);
    ASSERT_EQ(read.error, "") << platform::FromCodePage(read.error);
    std::vector<std::string> summaries;
    for (const DavResponse& r : read.responses) summaries.push_back(Summary(r));
    EXPECT_EQ(summaries, GetParam().responses);
    EXPECT_EQ(read.syncToken, GetParam().syncToken);
}

const std::string kItem = "BEGIN:VCALENDAR\nVERSION:2.0\nEND:VCALENDAR\n";

INSTANTIATE_TEST_SUITE_P(
    Servers, MultistatusAnswers,
    testing::Values(
        // Default namespace, calendar data as escaped text, a 404 block whose
        // element carries a value that must not count.
        AnswerCase{"DefaultNamespaceCollections",
                   "<?xml version='1.0' encoding='utf-8'?>\n"
                   "<multistatus xmlns=\"DAV:\" xmlns:C=\"urn:ietf:params:xml:ns:caldav\" "
                   "xmlns:CR=\"urn:ietf:params:xml:ns:carddav\" "
                   "xmlns:CS=\"http://calendarserver.org/ns/\">"
                   "<response><href>/user/</href><propstat><prop><resourcetype><collection/>"
                   "</resourcetype></prop><status>HTTP/1.1 200 OK</status></propstat>"
                   "<propstat><prop><displayname>ghost</displayname><CS:getctag/></prop>"
                   "<status>HTTP/1.1 404 Not Found</status></propstat></response>"
                   "<response><href>/user/notes/</href><propstat><prop><resourcetype>"
                   "<C:calendar/><collection/></resourcetype><displayname>笔记 &amp; 杂记"
                   "</displayname><C:supported-calendar-component-set><C:comp name=\"VEVENT\"/>"
                   "<C:comp name=\"VJOURNAL\"/></C:supported-calendar-component-set>"
                   "<sync-token>http://radicale.org/ns/sync/1f2e</sync-token>"
                   "<CS:getctag>\"1f2e\"</CS:getctag></prop><status>HTTP/1.1 200 OK</status>"
                   "</propstat></response>"
                   "<response><href>/user/events/</href><propstat><prop><resourcetype>"
                   "<C:calendar/><collection/></resourcetype><C:supported-calendar-component-set>"
                   "<C:comp name=\"VEVENT\"/><C:comp name=\"VTODO\"/>"
                   "</C:supported-calendar-component-set></prop>"
                   "<status>HTTP/1.1 200 OK</status></propstat></response>"
                   "<response><href>/user/contacts/</href><propstat><prop><resourcetype>"
                   "<CR:addressbook/><collection/></resourcetype></prop>"
                   "<status>HTTP/1.1 200 OK</status></propstat></response></multistatus>\n",
                   {"/user/ status=0 collection",
                    "/user/notes/ status=0 name=笔记 & 杂记 token=http://radicale.org/ns/sync/1f2e "
                    "ctag=\"1f2e\" collection calendar journal",
                    "/user/events/ status=0 collection calendar",
                    "/user/contacts/ status=0 collection addressbook"},
                   ""},
        // Lower-case prefixes, a calendar that names no component set (so
        // it takes every kind), the data in CDATA, a 404 block beside.
        AnswerCase{
            "LowerPrefixesCdata",
            "<?xml version=\"1.0\"?>\n"
            "<d:multistatus xmlns:d=\"DAV:\" xmlns:s=\"http://sabredav.org/ns\" "
            "xmlns:cal=\"urn:ietf:params:xml:ns:caldav\" "
            "xmlns:cs=\"http://calendarserver.org/ns/\">\n"
            " <d:response>\n  <d:href>/remote.php/dav/calendars/u/notes/</d:href>\n"
            "  <d:propstat>\n   <d:prop>\n    <d:resourcetype>\n     <d:collection/>\n"
            "     <cal:calendar/>\n    </d:resourcetype>\n"
            "    <cs:getctag>http://sabre.io/ns/sync/7</cs:getctag>\n"
            "    <d:sync-token>http://sabre.io/ns/sync/7</d:sync-token>\n   </d:prop>\n"
            "   <d:status>HTTP/1.1 200 OK</d:status>\n  </d:propstat>\n"
            "  <d:propstat>\n   <d:prop>\n    <d:displayname/>\n   </d:prop>\n"
            "   <d:status>HTTP/1.1 404 Not Found</d:status>\n  </d:propstat>\n"
            " </d:response>\n"
            " <d:response>\n  <d:href>/remote.php/dav/calendars/u/notes/a%20b.ics</d:href>\n"
            "  <d:propstat>\n   <d:prop>\n    <d:getetag>&quot;9a&quot;</d:getetag>\n"
            "    <cal:calendar-data><![CDATA[" +
                kItem +
                "]]></cal:calendar-data>\n   </d:prop>\n"
                "   <d:status>HTTP/1.1 200 OK</d:status>\n  </d:propstat>\n"
                " </d:response>\n</d:multistatus>\n",
            {"/remote.php/dav/calendars/u/notes/ status=0 token=http://sabre.io/ns/sync/7 "
             "ctag=http://sabre.io/ns/sync/7 collection calendar journal",
             "/remote.php/dav/calendars/u/notes/a%20b.ics status=0 etag=\"9a\" data=" + kItem},
            ""},
        // Upper-case prefixes, a sync-collection answer: a changed member, a
        // removed one with only its status, the token at the end.
        AnswerCase{"SyncCollectionWithRemoved",
                   "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
                   "<D:multistatus xmlns:D=\"DAV:\" xmlns:CR=\"urn:ietf:params:xml:ns:carddav\">"
                   "<D:response><D:href>/ab/1.vcf</D:href><D:propstat><D:prop>"
                   "<D:getetag>W/\"x1\"</D:getetag><CR:address-data>BEGIN:VCARD&#13;\n"
                   "FN:A&lt;B&#13;\nEND:VCARD&#13;\n</CR:address-data></D:prop>"
                   "<D:status>HTTP/1.1 200 OK</D:status></D:propstat></D:response>"
                   "<D:response><D:href>/ab/2.vcf</D:href>"
                   "<D:status>HTTP/1.1 404 Not Found</D:status></D:response>"
                   "<D:sync-token>http://example.com/sync/42</D:sync-token></D:multistatus>",
                   {"/ab/1.vcf status=0 etag=W/\"x1\" data=BEGIN:VCARD\r\nFN:A<B\r\nEND:VCARD\r\n",
                    "/ab/2.vcf status=404"},
                   "http://example.com/sync/42"},
        // Generated prefixes, the principal and the homes each holding an href.
        AnswerCase{"GeneratedPrefixesHomes",
                   "<ns0:multistatus xmlns:ns0=\"DAV:\" "
                   "xmlns:ns1=\"urn:ietf:params:xml:ns:caldav\" "
                   "xmlns:ns2=\"urn:ietf:params:xml:ns:carddav\"><ns0:response>"
                   "<ns0:href>/</ns0:href><ns0:propstat><ns0:status>HTTP/1.1 200 OK</ns0:status>"
                   "<ns0:prop><ns0:current-user-principal><ns0:href>/user/</ns0:href>"
                   "</ns0:current-user-principal></ns0:prop></ns0:propstat></ns0:response>"
                   "<ns0:response><ns0:href>/user/</ns0:href><ns0:propstat><ns0:prop>"
                   "<ns1:calendar-home-set>\n <ns0:href> /user/cal/ </ns0:href>\n"
                   "</ns1:calendar-home-set><ns2:addressbook-home-set><ns0:href>/user/card/"
                   "</ns0:href><ns0:href>/other/</ns0:href></ns2:addressbook-home-set></ns0:prop>"
                   "<ns0:status>HTTP/1.1 200 OK</ns0:status></ns0:propstat></ns0:response>"
                   "</ns0:multistatus>",
                   {"/ status=0 principal=/user/",
                    "/user/ status=0 calhome=/user/cal/ abhome=/user/card/"},
                   ""}),
    [](const testing::TestParamInfo<AnswerCase>& info) { return info.param.name; });

TEST(Multistatus, CalendarDataReadsTheSameInCdataAndAsEscapedText) {
    const std::string item = "BEGIN:VCALENDAR\r\nSUMMARY:a & b <c>\r\nEND:VCALENDAR\r\n";
    const auto answer = [](const std::string& data) {
        return "<d:multistatus xmlns:d=\"DAV:\" xmlns:c=\"urn:ietf:params:xml:ns:caldav\">"
               "<d:response><d:href>/x.ics</d:href><d:propstat><d:prop><c:calendar-data>" +
               data +
               "</c:calendar-data></d:prop><d:status>HTTP/1.1 200 OK</d:status></d:propstat>"
               "</d:response></d:multistatus>";
    };
    const Multistatus cdata =
        ReadMultistatus(answer("<![CDATA[BEGIN:VCALENDAR\r\nSUMMARY:a & b <c>\r\n]]>"
                               "<![CDATA[END:VCALENDAR\r\n]]>"));
    const Multistatus escaped = ReadMultistatus(
        answer("BEGIN:VCALENDAR&#13;\nSUMMARY:a &amp; b &lt;c&gt;&#13;\nEND:VCALENDAR&#13;\n"));
    ASSERT_EQ(cdata.responses.size(), 1u);
    ASSERT_EQ(escaped.responses.size(), 1u);
    EXPECT_EQ(escaped.responses[0].data, item);
    // A raw CR LF inside CDATA arrives as a line feed, as every XML reader
    // gives it; the item reader takes either.
    EXPECT_EQ(cdata.responses[0].data, "BEGIN:VCALENDAR\nSUMMARY:a & b <c>\nEND:VCALENDAR\n");
}

TEST(Multistatus, AnythingButAMultistatusIsAnErrorWithNothingRead) {
    for (const std::string& xml :
         {std::string("<d:error xmlns:d=\"DAV:\"><d:valid-sync-token/></d:error>"),
          std::string("<html><body>502 Bad Gateway</body></html>"), std::string(""),
          std::string("not xml at all"),
          std::string("<d:multistatus xmlns:d=\"DAV:\"><d:response><d:href>/a</d:href>"),
          std::string("<!DOCTYPE m [<!ENTITY e \"x\">]><multistatus xmlns=\"DAV:\">&e;"
                      "</multistatus>"),
          std::string("<multistatus xmlns=\"DAV:\"><response><href>/a") + '\0' +
              "b</href></response></multistatus>",
          std::string(200, '<')}) {
        const Multistatus read = ReadMultistatus(xml);
        EXPECT_NE(read.error, "") << xml;
        EXPECT_TRUE(read.responses.empty()) << xml;
    }
    std::string deep = "<multistatus xmlns=\"DAV:\">";
    for (int i = 0; i < 100; ++i) deep += "<response>";
    EXPECT_NE(ReadMultistatus(deep).error, "");
}

TEST(DavError, NamesOnlyTheChildPreconditionsOfAnErrorBody) {
    const std::string body =
        "<?xml version=\"1.0\"?><D:error xmlns:D=\"DAV:\">"
        "<D:valid-sync-token/></D:error>";
    EXPECT_TRUE(DavErrorNames(body, "valid-sync-token"));
    EXPECT_FALSE(DavErrorNames(body, "no-uid-conflict"));
    EXPECT_TRUE(
        DavErrorNames("<error xmlns=\"DAV:\" xmlns:C=\"urn:ietf:params:xml:ns:caldav\">"
                      "<C:no-uid-conflict><href>/c/a.ics</href></C:no-uid-conflict>"
                      "</error>",
                      "no-uid-conflict"));
    EXPECT_FALSE(DavErrorNames("<error xmlns=\"DAV:\"><x><valid-sync-token/></x></error>",
                               "valid-sync-token"));
    EXPECT_FALSE(DavErrorNames("<multistatus xmlns=\"DAV:\"><valid-sync-token/></multistatus>",
                               "valid-sync-token"));
    EXPECT_FALSE(DavErrorNames("", "valid-sync-token"));
    EXPECT_FALSE(DavErrorNames("<error><valid-sync-token>", "valid-sync-token"));
}

// A request body parsed back: each element as "namespace|local" with its
// prefix resolved from the declarations in scope, and the texts of hrefs,
// tokens and names.
class NamespaceReader : public XmlHandler {
  public:
    void OnStart(std::string_view name, std::span<const XmlAttribute> attributes) override {
        std::map<std::string, std::string> scope =
            scopes_.empty() ? std::map<std::string, std::string>{} : scopes_.back();
        for (const XmlAttribute& a : attributes) {
            if (a.name == "xmlns") scope[""] = a.value;
            if (a.name.substr(0, 6) == "xmlns:") scope[std::string(a.name.substr(6))] = a.value;
        }
        scopes_.push_back(scope);
        const size_t colon = name.find(':');
        const std::string prefix(colon == std::string_view::npos ? "" : name.substr(0, colon));
        const auto bound = scope.find(prefix);
        if (bound == scope.end()) {
            Stop("unbound prefix " + prefix);
            return;
        }
        std::string element = bound->second + "|" + std::string(LocalName(name));
        if (const std::string_view comp = AttributeValue(attributes, "name"); !comp.empty())
            element += "=" + std::string(comp);
        elements.push_back(element);
        text.clear();
    }
    void OnEnd(std::string_view name) override {
        scopes_.pop_back();
        if (!text.empty()) texts.push_back(std::string(LocalName(name)) + ":" + text);
        text.clear();
    }
    void OnText(std::string_view piece) override { text += piece; }

    std::vector<std::string> elements;
    std::vector<std::string> texts;
    std::string text;

  private:
    std::vector<std::map<std::string, std::string>> scopes_;
};

struct BodyCase {
    const char* name;
    std::string body;
    std::vector<std::string> elements;  // in document order
    std::vector<std::string> texts;
};

class RequestBodies : public testing::TestWithParam<BodyCase> {};

TEST_P(RequestBodies, AreWellFormedWithTheirNamespaces) {
    NamespaceReader reader;
    ASSERT_EQ(ParseXml(GetParam().body, reader), "") << GetParam().body;
    EXPECT_EQ(reader.elements, GetParam().elements) << GetParam().body;
    EXPECT_EQ(reader.texts, GetParam().texts) << GetParam().body;
    EXPECT_EQ(GetParam().body.substr(0, 5), "<?xml");
}

const std::string kDav = "DAV:|", kCal = "urn:ietf:params:xml:ns:caldav|",
                  kCard = "urn:ietf:params:xml:ns:carddav|", kCs = "http://calendarserver.org/ns/|";

INSTANTIATE_TEST_SUITE_P(
    All, RequestBodies,
    testing::Values(
        BodyCase{"Principal",
                 PropfindPrincipalBody(),
                 {kDav + "propfind", kDav + "prop", kDav + "current-user-principal"},
                 {}},
        BodyCase{"Homes",
                 PropfindHomesBody(),
                 {kDav + "propfind", kDav + "prop", kCal + "calendar-home-set",
                  kCard + "addressbook-home-set"},
                 {}},
        BodyCase{"Collections",
                 PropfindCollectionsBody(),
                 {kDav + "propfind", kDav + "prop", kDav + "resourcetype", kDav + "displayname",
                  kCal + "supported-calendar-component-set", kDav + "sync-token", kCs + "getctag"},
                 {}},
        BodyCase{"Etags",
                 PropfindEtagsBody(),
                 {kDav + "propfind", kDav + "prop", kDav + "resourcetype", kDav + "getetag"},
                 {}},
        BodyCase{"SyncFirst",
                 SyncCollectionBody(""),
                 {kDav + "sync-collection", kDav + "sync-token", kDav + "sync-level", kDav + "prop",
                  kDav + "getetag"},
                 {"sync-level:1"}},
        BodyCase{"SyncAgain",
                 SyncCollectionBody("http://x/sync/1?a=1&b=<2>"),
                 {kDav + "sync-collection", kDav + "sync-token", kDav + "sync-level", kDav + "prop",
                  kDav + "getetag"},
                 {"sync-token:http://x/sync/1?a=1&b=<2>", "sync-level:1"}},
        BodyCase{"CalendarMultiget",
                 MultigetBody(DavCollectionKind::Journal, {"/c/a&b.ics", "/c/<\"'>.ics"}),
                 {kCal + "calendar-multiget", kDav + "prop", kDav + "getetag",
                  kCal + "calendar-data", kDav + "href", kDav + "href"},
                 {"href:/c/a&b.ics", "href:/c/<\"'>.ics"}},
        BodyCase{"AddressMultiget",
                 MultigetBody(DavCollectionKind::AddressBook, {"/ab/%E5%BC%A0.vcf"}),
                 {kCard + "addressbook-multiget", kDav + "prop", kDav + "getetag",
                  kCard + "address-data", kDav + "href"},
                 {"href:/ab/%E5%BC%A0.vcf"}},
        BodyCase{"MkcolJournal",
                 MkcolBody(DavCollectionKind::Journal, "笔记 <&> \"本\"\x01\r\n二"),
                 {kDav + "mkcol", kDav + "set", kDav + "prop", kDav + "resourcetype",
                  kDav + "collection", kCal + "calendar", kDav + "displayname",
                  kCal + "supported-calendar-component-set", kCal + "comp=VJOURNAL"},
                 {"displayname:笔记 <&> \"本\"\r\n二"}},
        BodyCase{"MkcolAddressBook",
                 MkcolBody(DavCollectionKind::AddressBook, "联系人"),
                 {kDav + "mkcol", kDav + "set", kDav + "prop", kDav + "resourcetype",
                  kDav + "collection", kCard + "addressbook", kDav + "displayname"},
                 {"displayname:联系人"}}),
    [](const testing::TestParamInfo<BodyCase>& info) { return info.param.name; });

struct UrlCase {
    const char* base;
    const char* ref;
    const char* resolved;
    const char* path;  // DavUrlPath of the resolved URL
};

class DavUrls : public testing::TestWithParam<UrlCase> {};

TEST_P(DavUrls, ResolveAndGiveTheirPath) {
    const std::string resolved = ResolveDavUrl(GetParam().base, GetParam().ref);
    EXPECT_EQ(resolved, GetParam().resolved);
    EXPECT_EQ(DavUrlPath(resolved), GetParam().path);
}

INSTANTIATE_TEST_SUITE_P(
    Table, DavUrls,
    testing::Values(UrlCase{"http://host:5232/", "/user/", "http://host:5232/user/", "/user/"},
                    UrlCase{"https://h.example/dav/", "https://other:8443/x/y/",
                            "https://other:8443/x/y/", "/x/y/"},
                    UrlCase{"http://h:80/a/b/", "c.ics", "http://h:80/a/b/c.ics", "/a/b/c.ics"},
                    UrlCase{"http://h/a/b", "c.ics", "http://h/a/c.ics", "/a/c.ics"},
                    UrlCase{"http://h/a/b/", "../c/", "http://h/a/c/", "/a/c/"},
                    UrlCase{"http://h/a/b/", "../../../../c", "http://h/c", "/c"},
                    UrlCase{"http://h/a/b/", "/x/./y/../z", "http://h/x/z", "/x/z"},
                    UrlCase{"http://h/a/b/", "..", "http://h/a/", "/a/"},
                    UrlCase{"http://h/a/b/", "", "http://h/a/b/", "/a/b/"},
                    UrlCase{"http://h:8080", "/p", "http://h:8080/p", "/p"},
                    UrlCase{"http://h:8080", "p", "http://h:8080/p", "/p"},
                    UrlCase{"https://h/dav/?x=1", "p%20q.vcf", "https://h/dav/p%20q.vcf",
                            "/dav/p%20q.vcf"},
                    UrlCase{"https://h/dav/", "//cdn:1/z", "https://cdn:1/z", "/z"},
                    UrlCase{"http://[::1]:5232/u/", "/u/n/", "http://[::1]:5232/u/n/", "/u/n/"},
                    UrlCase{"http://h/u/", " /u/n/ \n", "http://h/u/n/", "/u/n/"},
                    UrlCase{"http://h/u/", "http://h", "http://h", "/"}));

}  // namespace
}  // namespace korvane
