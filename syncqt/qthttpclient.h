// The sync's HTTP client on Qt's network access: one request at a time,
// waited for in a local event loop, so it belongs to the thread that makes
// it (a sync's worker thread, or the main thread of the command line).
#pragma once

#include <QString>
#include <atomic>
#include <memory>

#include "logic/synchttp.h"

class QNetworkAccessManager;

namespace korvane {

struct HttpClientOptions {
    QString user;
    QString password;
    int timeoutSeconds = 30;
    // Plain http to another machine; plain http to this one is always allowed.
    bool plainHttp = false;
    const std::atomic<bool>* cancelled = nullptr;  // checked while a request waits
};

class QtHttpClient : public HttpClient {
  public:
    explicit QtHttpClient(HttpClientOptions options);
    ~QtHttpClient() override;
    HttpResponse Send(const HttpRequest& request) override;

  private:
    HttpClientOptions options_;
    std::unique_ptr<QNetworkAccessManager> manager_;
};

// True for plain http to a host other than this machine.
bool IsPlainHttpToAnotherMachine(const QString& url);

}  // namespace korvane
