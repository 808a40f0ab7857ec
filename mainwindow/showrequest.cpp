#include "mainwindow/showrequest.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>
#include <QTimer>
#include <QVariant>

#include "dialogs/qttext.h"
#include "mainwindow/windowlog.h"

namespace korvane {
namespace {

// What the running copy writes back to a show request, so the second copy
// knows it was heard.
constexpr char kShown = '1';
const QByteArray kShowLine = QByteArrayLiteral("show\n");
const QByteArray kSyncLine = QByteArrayLiteral("sync\n");
const QByteArray kSyncConfirmLine = QByteArrayLiteral("sync confirm-deletes\n");
const QByteArray kSyncAnswer = QByteArrayLiteral("sync ");
// The longest request line read; anything longer counts as "show".
constexpr qint64 kLongestLine = 64;

// Marks a connection whose request was taken, so a late line or the silence
// timer does not take it again.
constexpr char kTaken[] = "korvaneTaken";

}  // namespace

QString ShowRequestName(const std::string& dataFolder) {
    const QByteArray digest = QCryptographicHash::hash(
        QByteArray(dataFolder.data(), static_cast<qsizetype>(dataFolder.size())),
        QCryptographicHash::Sha256);
    return QStringLiteral("korvane-") + QString::fromLatin1(digest.toHex().left(24));
}

ShowRequests::ShowRequests(const QString& name, std::function<void()> show, Sync sync,
                           QObject* parent)
    : QObject(parent),
      server_(new QLocalServer(this)),
      show_(std::move(show)),
      sync_(std::move(sync)) {
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    // The caller holds the notebook's writer lock, so a socket of this name
    // is one a copy that ended left behind.
    QLocalServer::removeServer(name);
    if (!server_->listen(name)) {
        qCWarning(lcWindow) << "no show requests:" << server_->errorString();
        return;
    }
    connect(server_, &QLocalServer::newConnection, this, &ShowRequests::Accept);
}

bool ShowRequests::Listening() const {
    return server_->isListening();
}

void ShowRequests::Accept() {
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { Take(socket, false); });
        QTimer::singleShot(kSilenceMs, socket, [this, socket] { Take(socket, true); });
        if (socket->bytesAvailable() > 0) Take(socket, false);
    }
}

void ShowRequests::Take(QLocalSocket* socket, bool silent) {
    if (socket->property(kTaken).toBool()) return;
    const bool whole = socket->canReadLine() || socket->bytesAvailable() >= kLongestLine;
    if (!whole && !silent) return;  // the rest of the line is on its way
    socket->setProperty(kTaken, true);
    const QByteArray line = whole ? socket->readLine(kLongestLine) : QByteArray();
    if ((line == kSyncLine || line == kSyncConfirmLine) && sync_) {
        // As `korvane --sync` does on its own: the collections are made
        // when the account has none.
        SyncOptions options;
        options.confirmMassDelete = line == kSyncConfirmLine;
        QPointer<QLocalSocket> asking(socket);
        sync_(options, [asking](int exitStatus, const QString& words) {
            if (!asking) return;  // the asking copy gave up
            asking->write(kSyncAnswer + QByteArray::number(exitStatus) + '\n' + words.toUtf8());
            asking->flush();
            asking->disconnectFromServer();
        });
        return;
    }
    socket->write(&kShown, 1);
    socket->flush();
    socket->disconnectFromServer();
    show_();
}

bool AskToShow(const QString& name, int timeoutMs) {
    QLocalSocket socket;
    socket.connectToServer(name);
    if (!socket.waitForConnected(timeoutMs)) return false;
    socket.write(kShowLine);
    socket.flush();
    if (!socket.bytesAvailable() && !socket.waitForReadyRead(timeoutMs)) return false;
    char answer = 0;
    return socket.read(&answer, 1) == 1 && answer == kShown;
}

SyncAnswer AskToSync(const QString& name, int timeoutMs, bool confirmDeletes) {
    const QDeadlineTimer deadline(timeoutMs);
    SyncAnswer answer;
    QLocalSocket socket;
    socket.connectToServer(name);
    if (!socket.waitForConnected(static_cast<int>(deadline.remainingTime()))) return answer;
    socket.write(confirmDeletes ? kSyncConfirmLine : kSyncLine);
    socket.flush();
    // The answer is whole when the running copy closes the connection.
    QByteArray received;
    while (socket.state() == QLocalSocket::ConnectedState && !deadline.hasExpired()) {
        socket.waitForReadyRead(static_cast<int>(deadline.remainingTime()));
        received += socket.readAll();
    }
    received += socket.readAll();
    if (socket.state() == QLocalSocket::ConnectedState) return answer;  // out of time
    if (received.startsWith(kSyncAnswer)) {
        const qsizetype end = received.indexOf('\n');
        bool number = false;
        const int status =
            received.mid(kSyncAnswer.size(), end - kSyncAnswer.size()).toInt(&number);
        if (end > 0 && number) {
            answer.kind = SyncAnswer::Kind::Answered;
            answer.exitStatus = status;
            answer.words = FromQt(QString::fromUtf8(received.mid(end + 1)));
            return answer;
        }
    }
    // An older copy answers every connection with "shown" and hangs up without
    // reading the line. When the line meets its closed end, the socket is
    // dropped together with what it had received, so a hang-up with nothing
    // read is that older copy too: a current copy always answers first.
    if (received.startsWith(kShown) || received.isEmpty()) answer.kind = SyncAnswer::Kind::TooOld;
    return answer;
}

}  // namespace korvane
