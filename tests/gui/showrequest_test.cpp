// The running copy's answer to a second copy on the same notebook: the second
// one asks over a local socket named after the data folder, the running one
// shows its window.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QLocalServer>
#include <QLocalSocket>
#include <QRegularExpression>
#include <chrono>
#include <future>

#include "dialogs/qttext.h"
#include "mainwindow/showrequest.h"
#include "platform/apppaths.h"
#include "support/tempdir.h"
#include "sync_fakes.h"

namespace korvane {
namespace {

using namespace std::chrono_literals;

// Runs `ask` on a thread of its own while this one runs the event loop, as a
// second process would.
template <class Ask>
auto WhileTheLoopRuns(Ask ask) {
    auto asked = std::async(std::launch::async, ask);
    while (asked.wait_for(0ms) != std::future_status::ready)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return asked.get();
}

bool AskWhileTheLoopRuns(const QString& name) {
    return WhileTheLoopRuns([name] { return AskToShow(name, 5000); });
}

QString UniqueName(const char* what) {
    return ShowRequestName(std::string("/sync requests/") + what +
                           std::to_string(QCoreApplication::applicationPid()));
}

TEST(ShowRequests, EachSecondCopyBringsTheRunningWindowUp) {
    const QString name = ShowRequestName("/home/someone/.local/share/korvane/" +
                                         std::to_string(QCoreApplication::applicationPid()));
    int shown = 0;
    const ShowRequests requests(name, [&shown] { ++shown; });
    ASSERT_TRUE(requests.Listening());
    EXPECT_TRUE(AskWhileTheLoopRuns(name));
    EXPECT_TRUE(AskWhileTheLoopRuns(name));
    EXPECT_EQ(shown, 2);
}

TEST(ShowRequests, NobodyListeningMeansNoAnswer) {
    EXPECT_FALSE(AskToShow(ShowRequestName("/a folder no copy uses"), 500));
}

TEST(ShowRequests, TheNameFollowsTheDataFolderOnly) {
    const QString one = ShowRequestName("/data/one/");
    EXPECT_EQ(one, ShowRequestName("/data/one/"));
    EXPECT_NE(one, ShowRequestName("/data/two/"));
    EXPECT_NE(one, ShowRequestName("/data/one"));
    // A plain name: no separator, nothing a file system or a pipe name minds.
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^korvane-[0-9a-f]{24}$")).match(one).hasMatch())
        << one.toStdString();
}

// A copy from before the sync only connects and waits: that still means
// "show", answered once the connection has stayed silent for a moment.
TEST(ShowRequests, ASilentConnectionStillMeansShow) {
    const QString name = UniqueName("silent");
    int shown = 0;
    int synced = 0;
    const ShowRequests requests(
        name, [&shown] { ++shown; },
        [&synced](const SyncOptions&, const ShowRequests::Answer&) { ++synced; });
    const char answer = WhileTheLoopRuns([name] {
        QLocalSocket socket;
        socket.connectToServer(name);
        char byte = 0;
        if (socket.waitForConnected(5000) && socket.waitForReadyRead(5000)) socket.read(&byte, 1);
        return byte;
    });
    EXPECT_EQ(answer, '1');
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(synced, 0);
}

// `korvane --sync` while the program runs: the running copy's pass (here a
// stand-in runner's) answers with its exit status and words.
struct SyncRequestCase {
    SyncStatus status;
    bool confirmDeletes;
    int exitStatus;
};

class SyncRequests : public ::testing::TestWithParam<SyncRequestCase> {};

TEST_P(SyncRequests, AreAnsweredWithThePassesOutcome) {
    const SyncRequestCase& c = GetParam();
    const test::AppFolder app("sync requests");
    SyncSettings account;
    account.url = "https://cloud.example.com/remote.php/dav";
    account.user = "zhang";
    ASSERT_TRUE(SaveSyncSettings(DataPath("sys.ini"), account));
    test::FakeSecrets secrets;
    secrets.kept[SecretKeyFor(account)] = QStringLiteral("kept");
    test::FakePasses passes;
    passes.answers = {test::Report(c.status)};
    SyncService service(DataPath("sys.ini"), secrets, passes, {600000, 600000, 600000});

    const QString name = UniqueName("sync");
    int shown = 0;
    const ShowRequests requests(
        name, [&shown] { ++shown; },
        [&service](const SyncOptions& options, const ShowRequests::Answer& answer) {
            SyncRequest request;
            request.options = options;
            service.Ask(request, [answer](const SyncOutcome& outcome) {
                answer(SyncExitStatus(outcome), OutcomeText(outcome));
            });
        });
    const SyncAnswer answer =
        WhileTheLoopRuns([name, c] { return AskToSync(name, 5000, c.confirmDeletes); });
    EXPECT_EQ(answer.kind, SyncAnswer::Kind::Answered);
    EXPECT_EQ(answer.exitStatus, c.exitStatus);
    EXPECT_EQ(answer.words, SyncReportText(test::Report(c.status)));
    EXPECT_EQ(shown, 0) << "a sync request does not bring the window up";
    ASSERT_EQ(passes.started.size(), 1u);
    EXPECT_EQ(passes.started[0].options.confirmMassDelete, c.confirmDeletes);
    EXPECT_TRUE(passes.started[0].options.createCollections);
}

INSTANTIATE_TEST_SUITE_P(Outcomes, SyncRequests,
                         ::testing::Values(SyncRequestCase{SyncStatus::Done, false, 0},
                                           SyncRequestCase{SyncStatus::Unreachable, false, 1},
                                           SyncRequestCase{SyncStatus::MassDelete, false, 3},
                                           SyncRequestCase{SyncStatus::Done, true, 0}));

// A running copy from before the sync answers every connection with "shown".
TEST(ShowRequests, ACopyThatCannotSyncIsRecognised) {
    const QString name = UniqueName("old copy");
    QLocalServer old;
    QLocalServer::removeServer(name);
    ASSERT_TRUE(old.listen(name));
    QObject::connect(&old, &QLocalServer::newConnection, [&old] {
        QLocalSocket* socket = old.nextPendingConnection();
        socket->write("1", 1);
        socket->flush();
        socket->disconnectFromServer();
    });
    const SyncAnswer answer = WhileTheLoopRuns([name] { return AskToSync(name, 5000); });
    EXPECT_EQ(answer.kind, SyncAnswer::Kind::TooOld);
    EXPECT_EQ(AskToSync(UniqueName("nobody"), 500).kind, SyncAnswer::Kind::NoAnswer);
}

}  // namespace
}  // namespace korvane
