#include "mainwindow/showrequest.h"

#include <QCryptographicHash>
#include <QLocalServer>
#include <QLocalSocket>

#include "mainwindow/windowlog.h"

namespace korvane {
namespace {

// What the running copy writes back, so the second copy knows it was heard.
constexpr char kShown = '1';

}  // namespace

QString ShowRequestName(const std::string& dataFolder) {
    const QByteArray digest = QCryptographicHash::hash(
        QByteArray(dataFolder.data(), static_cast<qsizetype>(dataFolder.size())),
        QCryptographicHash::Sha256);
    return QStringLiteral("korvane-") + QString::fromLatin1(digest.toHex().left(24));
}

ShowRequests::ShowRequests(const QString& name, std::function<void()> show, QObject* parent)
    : QObject(parent), server_(new QLocalServer(this)), show_(std::move(show)) {
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    // The caller holds the notebook's writer lock, so a socket of this name
    // is one a copy that ended left behind.
    QLocalServer::removeServer(name);
    if (!server_->listen(name)) {
        qCWarning(lcWindow) << "no show requests:" << server_->errorString();
        return;
    }
    connect(server_, &QLocalServer::newConnection, this, &ShowRequests::Answer);
}

bool ShowRequests::Listening() const {
    return server_->isListening();
}

void ShowRequests::Answer() {
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        socket->write(&kShown, 1);
        socket->flush();
        socket->disconnectFromServer();
        show_();
    }
}

bool AskToShow(const QString& name, int timeoutMs) {
    QLocalSocket socket;
    socket.connectToServer(name);
    if (!socket.waitForConnected(timeoutMs)) return false;
    if (!socket.bytesAvailable() && !socket.waitForReadyRead(timeoutMs)) return false;
    char answer = 0;
    return socket.read(&answer, 1) == 1 && answer == kShown;
}

}  // namespace korvane
