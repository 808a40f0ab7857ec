// The XML of WebDAV, CalDAV and CardDAV: the bodies of the requests a sync
// sends, and the multistatus answers read into plain values. Names are
// matched by their local part, so any prefix a server chooses reads the same.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace korvane {

enum class DavCollectionKind { Journal, AddressBook };

// One <response> of a multistatus.
struct DavResponse {
    std::string href;  // as written, percent-encoding kept
    int status = 0;    // the response's own <status> (404 for an item gone); 0 when none
    // From the propstat with status 200 (each empty or false when not given):
    std::string etag;  // quotes kept, as If-Match wants it
    std::string data;  // calendar-data or address-data, UTF-8, lines ended by CR LF
    std::string displayName;
    bool collection = false;
    bool calendar = false;
    bool addressBook = false;
    // The calendar's supported-calendar-component-set names VJOURNAL, or the
    // set is not given (a server that does not say supports every kind).
    bool journal = false;
    std::string principal;      // current-user-principal's href
    std::string calendarHome;   // calendar-home-set's href
    std::string addressHome;    // addressbook-home-set's href
    std::string syncTokenProp;  // the collection's sync-token property
    std::string ctag;           // getctag, where a server gives one
};

struct Multistatus {
    std::vector<DavResponse> responses;
    std::string syncToken;  // the <sync-token> of a sync-collection answer
    std::string error;      // code-page text for a document that is not a multistatus
};

// Reads an answer of PROPFIND or REPORT. Bounded as every XML read is
// (exchange/xmlstream.h): no entities, limited depth and size.
Multistatus ReadMultistatus(std::string_view xml);

// True when an <error> body names that precondition (local name), such as
// "valid-sync-token" or "no-uid-conflict".
bool DavErrorNames(std::string_view xml, std::string_view precondition);

// PROPFIND bodies: current-user-principal; calendar-home-set and
// addressbook-home-set; resourcetype, displayname, component set, sync-token
// and getctag; getetag and resourcetype (the Depth 1 listing of a
// collection, where the type tells the collection itself and any collection
// inside it from the members).
std::string PropfindPrincipalBody();
std::string PropfindHomesBody();
std::string PropfindCollectionsBody();
std::string PropfindEtagsBody();

// The sync-collection REPORT (RFC 6578): every member's getetag changed since
// `token`; an empty token asks for all of them.
std::string SyncCollectionBody(std::string_view token);

// calendar-multiget or addressbook-multiget of the members at `hrefs`
// (paths as the server wrote them), with getetag and the data.
std::string MultigetBody(DavCollectionKind kind, const std::vector<std::string>& hrefs);

// An extended MKCOL making a collection named `displayName` (UTF-8): a
// calendar that holds VJOURNAL only, or an address book.
std::string MkcolBody(DavCollectionKind kind, std::string_view displayName);

// `ref` (an href or a Location) resolved against the absolute URL `base`:
// an absolute URL stays, "/path" takes base's scheme, host and port, and a
// relative path goes beside base's last segment.
std::string ResolveDavUrl(std::string_view base, std::string_view ref);

// The path part of an absolute URL ("/dav/user/"), for comparing hrefs.
std::string DavUrlPath(std::string_view url);

}  // namespace korvane
