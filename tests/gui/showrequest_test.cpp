// The running copy's answer to a second copy on the same notebook: the second
// one asks over a local socket named after the data folder, the running one
// shows its window.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QRegularExpression>
#include <chrono>
#include <future>

#include "mainwindow/showrequest.h"

namespace korvane {
namespace {

using namespace std::chrono_literals;

// Asks on a thread of its own while this one runs the event loop, as a
// second process would.
bool AskWhileTheLoopRuns(const QString& name) {
    auto asked = std::async(std::launch::async, [name] { return AskToShow(name, 5000); });
    while (asked.wait_for(0ms) != std::future_status::ready)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return asked.get();
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

}  // namespace
}  // namespace korvane
