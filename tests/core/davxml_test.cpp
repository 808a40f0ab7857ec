// The WebDAV XML of a sync: multistatus answers written in the styles of the
// common servers (prefixes of every kind, a default namespace, propstats
// with 200 and 404, removed members, calendar data in CDATA or escaped), the
// request bodies parsed back with their namespaces resolved, and the URL
// arithmetic on hrefs.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
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

// A sample answer of tests/data/dav, and what reading it gives.
struct AnswerCase {
    const char* file;
    std::vector<std::string> responses;  // summaries
    std::string syncToken;
};

class MultistatusAnswers : public testing::TestWithParam<AnswerCase> {};

TEST_P(MultistatusAnswers, ReadAsExpected) {
    std::ifstream in(std::string(KORVANE_SOURCE_DIR) + "/tests/data/dav/" + GetParam().file,
                     std::ios::binary);
    const std::string xml{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    ASSERT_FALSE(xml.empty()) << GetParam().file;
    const Multistatus read = ReadMultistatus(xml);
    ASSERT_EQ(read.error, "") << platform::FromCodePage(read.error);
    std::vector<std::string> summaries;
    for (const DavResponse& r : read.responses) summaries.push_back(Summary(r));
    EXPECT_EQ(summaries, GetParam().responses);
    EXPECT_EQ(read.syncToken, GetParam().syncToken);
}

INSTANTIATE_TEST_SUITE_P(
    Servers, MultistatusAnswers,
    testing::Values(
        // A default namespace, a 404 block whose element has a value that must
        // not count, component sets with and without VJOURNAL.
        AnswerCase{"default-namespace.xml",
                   {"/user/ status=0 collection",
                    "/user/notes/ status=0 name=笔记 & 杂记 token=http://example.org/ns/sync/1f2e "
                    "ctag=\"1f2e\" collection calendar journal",
                    "/user/events/ status=0 collection calendar",
                    "/user/contacts/ status=0 collection addressbook"},
                   ""},
        // Indented, lower-case prefixes, a calendar naming no component set
        // (so it takes every kind), the data in two CDATA sections with line
        // feeds (as any XML reader gives raw line ends), read with CR LF.
        AnswerCase{"lower-prefixes.xml",
                   {"/remote.php/dav/calendars/u/notes/ status=0 "
                    "token=http://example.com/ns/sync/7 ctag=http://example.com/ns/sync/7 "
                    "collection calendar journal",
                    "/remote.php/dav/calendars/u/notes/a%20b.ics status=0 etag=\"9a\" "
                    "data=BEGIN:VCALENDAR\r\nSUMMARY:a & b <c>\r\nEND:VCALENDAR\r\n"},
                   ""},
        // Upper-case prefixes, a sync-collection answer: a changed member with
        // its data escaped, a removed one with only its status, the token.
        AnswerCase{"sync-collection.xml",
                   {"/ab/1.vcf status=0 etag=W/\"x1\" data=BEGIN:VCARD\r\nFN:A<B & "
                    "C\r\nEND:VCARD\r\n",
                    "/ab/2.vcf status=404"},
                   "http://example.com/sync/42"},
        // Generated prefixes, the principal and the homes each holding an href.
        AnswerCase{"generated-prefixes.xml",
                   {"/ status=0 principal=/user/",
                    "/user/ status=0 calhome=/user/cal/ abhome=/user/card/"},
                   ""}));

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

// A request body parsed back: its elements in order, each with the short
// name of the namespace its prefix is bound to ("d:prop"), and the texts.
class NamespaceReader : public XmlHandler {
  public:
    void OnStart(std::string_view name, std::span<const XmlAttribute> attributes) override {
        scopes_.push_back(scopes_.empty() ? std::map<std::string, std::string>{} : scopes_.back());
        for (const XmlAttribute& a : attributes)
            if (a.name.substr(0, 5) == "xmlns")
                scopes_.back()[std::string(LocalName(a.name == "xmlns" ? "" : a.name))] = a.value;
        const size_t colon = name.find(':');
        const auto bound = scopes_.back().find(
            std::string(colon == std::string_view::npos ? "" : name.substr(0, colon)));
        if (bound == scopes_.back().end()) return Stop("unbound prefix");
        const std::map<std::string, std::string> shortNames = {
            {"DAV:", "d"},
            {"urn:ietf:params:xml:ns:caldav", "c"},
            {"urn:ietf:params:xml:ns:carddav", "cr"},
            {"http://calendarserver.org/ns/", "cs"}};
        const auto known = shortNames.find(bound->second);
        elements += (elements.empty() ? "" : " ") +
                    (known == shortNames.end() ? bound->second : known->second) + ":" +
                    std::string(LocalName(name));
        if (const std::string_view comp = AttributeValue(attributes, "name"); !comp.empty())
            elements += "=" + std::string(comp);
        text.clear();
    }
    void OnEnd(std::string_view name) override {
        scopes_.pop_back();
        if (!text.empty()) texts.push_back(std::string(LocalName(name)) + "=" + text);
        text.clear();
    }
    void OnText(std::string_view piece) override { text += piece; }

    std::string elements;
    std::vector<std::string> texts;
    std::string text;

  private:
    std::vector<std::map<std::string, std::string>> scopes_;
};

struct BodyCase {
    const char* name;
    std::string body;
    std::string elements;
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

INSTANTIATE_TEST_SUITE_P(
    All, RequestBodies,
    testing::Values(
        BodyCase{
            "Principal", PropfindPrincipalBody(), "d:propfind d:prop d:current-user-principal", {}},
        BodyCase{"Homes",
                 PropfindHomesBody(),
                 "d:propfind d:prop c:calendar-home-set cr:addressbook-home-set",
                 {}},
        BodyCase{"Collections",
                 PropfindCollectionsBody(),
                 "d:propfind d:prop d:resourcetype d:displayname "
                 "c:supported-calendar-component-set d:sync-token cs:getctag",
                 {}},
        BodyCase{"Etags", PropfindEtagsBody(), "d:propfind d:prop d:resourcetype d:getetag", {}},
        BodyCase{"SyncFirst",
                 SyncCollectionBody(""),
                 "d:sync-collection d:sync-token d:sync-level d:prop d:getetag",
                 {"sync-level=1"}},
        BodyCase{"SyncAgain",
                 SyncCollectionBody("http://x/sync/1?a=1&b=<2>"),
                 "d:sync-collection d:sync-token d:sync-level d:prop d:getetag",
                 {"sync-token=http://x/sync/1?a=1&b=<2>", "sync-level=1"}},
        BodyCase{"CalendarMultiget",
                 MultigetBody(DavCollectionKind::Journal, {"/c/a&b.ics", "/c/<\"'>.ics"}),
                 "c:calendar-multiget d:prop d:getetag c:calendar-data d:href d:href",
                 {"href=/c/a&b.ics", "href=/c/<\"'>.ics"}},
        BodyCase{"AddressMultiget",
                 MultigetBody(DavCollectionKind::AddressBook, {"/ab/%E5.vcf"}),
                 "cr:addressbook-multiget d:prop d:getetag cr:address-data d:href",
                 {"href=/ab/%E5.vcf"}},
        BodyCase{"MkcolJournal",
                 MkcolBody(DavCollectionKind::Journal, "笔记 <&> \"本\"\x01\r\n二"),
                 "d:mkcol d:set d:prop d:resourcetype d:collection c:calendar d:displayname "
                 "c:supported-calendar-component-set c:comp=VJOURNAL",
                 {"displayname=笔记 <&> \"本\"\r\n二"}},
        BodyCase{"MkcolAddressBook",
                 MkcolBody(DavCollectionKind::AddressBook, "联系人"),
                 "d:mkcol d:set d:prop d:resourcetype d:collection cr:addressbook d:displayname",
                 {"displayname=联系人"}}),
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
