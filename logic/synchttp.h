// The HTTP a sync speaks, as plain values, and the client it speaks through.
// The engine above it is free of any network library: the program gives it
// a client built on the toolkit, the tests give it one of their own.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace korvane {

struct HttpRequest {
    std::string method;  // GET, PUT, DELETE, PROPFIND, REPORT, MKCOL
    std::string url;     // absolute
    std::vector<std::pair<std::string, std::string>> headers;
    std::string body;
};

struct HttpResponse {
    // Why no answer came; None when one did (whatever its status).
    enum class Failure {
        None,
        Unreachable,  // no connection: refused, no route, name unknown, cut off
        TimedOut,
        Certificate,   // the server's certificate was not trusted
        PlainRefused,  // plain http to a host other than this machine, not allowed
        Cancelled,
    };
    Failure failure = Failure::None;
    std::string detail;  // the transport's own words for a failure (UTF-8)
    int status = 0;
    std::string body;
    std::string etag;      // the ETag header, quotes kept
    std::string location;  // the Location header
};

class HttpClient {
  public:
    virtual ~HttpClient() = default;
    // Sends one request with the account's credentials and waits for its
    // answer or failure. Redirects are not followed: the engine does that.
    virtual HttpResponse Send(const HttpRequest& request) = 0;
};

}  // namespace korvane
