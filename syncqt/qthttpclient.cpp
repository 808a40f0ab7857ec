#include "syncqt/qthttpclient.h"

#include <QEventLoop>
#include <QHostAddress>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSslError>
#include <QTimer>
#include <QUrl>

namespace korvane {
namespace {

using Failure = HttpResponse::Failure;

bool IsLoopback(const QString& host) {
    if (host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0) return true;
    const QHostAddress address(host);
    return !address.isNull() && address.isLoopback();
}

Failure FailureOf(QNetworkReply::NetworkError error) {
    switch (error) {
        case QNetworkReply::TimeoutError:
            return Failure::TimedOut;
        case QNetworkReply::SslHandshakeFailedError:
            return Failure::Certificate;
        default:
            return Failure::Unreachable;
    }
}

std::string Utf8(const QString& text) {
    const QByteArray bytes = text.toUtf8();
    return {bytes.constData(), static_cast<size_t>(bytes.size())};
}

}  // namespace

bool IsPlainHttpToAnotherMachine(const QString& url) {
    const QUrl parsed(url);
    return parsed.scheme().compare(QLatin1String("http"), Qt::CaseInsensitive) == 0 &&
           !IsLoopback(parsed.host());
}

QtHttpClient::QtHttpClient(HttpClientOptions options)
    : options_(std::move(options)), manager_(std::make_unique<QNetworkAccessManager>()) {
    manager_->setRedirectPolicy(QNetworkRequest::ManualRedirectPolicy);
}

QtHttpClient::~QtHttpClient() = default;

HttpResponse QtHttpClient::Send(const HttpRequest& request) {
    HttpResponse response;
    const QString url = QString::fromStdString(request.url);
    const QUrl parsed(url);
    const bool https = parsed.scheme().compare(QLatin1String("https"), Qt::CaseInsensitive) == 0;
    if (!https && parsed.scheme().compare(QLatin1String("http"), Qt::CaseInsensitive) != 0) {
        response.failure = Failure::Unreachable;
        response.detail = "not an http or https address: " + request.url;
        return response;
    }
    if (!https && IsPlainHttpToAnotherMachine(url) && !options_.plainHttp) {
        response.failure = Failure::PlainRefused;
        return response;
    }
    QNetworkRequest r(parsed);
    r.setTransferTimeout(options_.timeoutSeconds * 1000);
    // The credentials go with every request, so a server never has to ask.
    const QByteArray credentials = (options_.user + ':' + options_.password).toUtf8().toBase64();
    r.setRawHeader("Authorization", "Basic " + credentials);
    r.setRawHeader("User-Agent", "Korvane");
    for (const auto& [name, value] : request.headers)
        r.setRawHeader(QByteArray::fromStdString(name), QByteArray::fromStdString(value));

    std::unique_ptr<QNetworkReply> reply(manager_->sendCustomRequest(
        r, QByteArray::fromStdString(request.method), QByteArray::fromStdString(request.body)));
    QString certificateErrors;
    QObject::connect(reply.get(), &QNetworkReply::sslErrors,
                     [&certificateErrors](const QList<QSslError>& errors) {
                         // Never ignored: the reply fails, and the user reads why.
                         for (const QSslError& e : errors) {
                             if (!certificateErrors.isEmpty())
                                 certificateErrors += QLatin1String("; ");
                             certificateErrors += e.errorString();
                         }
                     });
    QEventLoop loop;
    QObject::connect(reply.get(), &QNetworkReply::finished, &loop, &QEventLoop::quit);
    QTimer cancelCheck;
    bool cancelled = false;
    if (options_.cancelled != nullptr) {
        QObject::connect(&cancelCheck, &QTimer::timeout, [&] {
            if (!options_.cancelled->load()) return;
            cancelled = true;
            reply->abort();
        });
        cancelCheck.start(100);
    }
    if (!reply->isFinished()) loop.exec();

    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (cancelled) {
        response.failure = Failure::Cancelled;
    } else if (!certificateErrors.isEmpty()) {
        response.failure = Failure::Certificate;
        response.detail = Utf8(certificateErrors);
    } else if (reply->error() == QNetworkReply::OperationCanceledError) {
        response.failure = Failure::TimedOut;  // the transfer timeout aborts the reply
    } else if (!status.isValid()) {
        response.failure = FailureOf(reply->error());
        response.detail = Utf8(reply->errorString());
    }
    if (response.failure != Failure::None) return response;
    response.status = status.toInt();
    const QByteArray body = reply->readAll();
    response.body.assign(body.constData(), static_cast<size_t>(body.size()));
    response.etag = reply->rawHeader("ETag").toStdString();
    response.location = reply->rawHeader("Location").toStdString();
    return response;
}

}  // namespace korvane
