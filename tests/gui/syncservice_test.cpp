// When the program syncs: the start, the pause after saves (one pass for a
// burst of them), the period, one pass at a time with one more queued, and
// what a request hears; the words of an outcome. Short intervals stand in
// for the program's seconds and minutes.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>
#include <memory>
#include <optional>

#include "dialogs/qttext.h"
#include "platform/apppaths.h"
#include "support/tempdir.h"
#include "support/waits.h"
#include "sync_fakes.h"

namespace korvane {
namespace {

constexpr int kNever = 600000;

class SyncServiceTest : public ::testing::Test {
  protected:
    explicit SyncServiceTest(SyncTiming timing = {kNever, kNever, kNever}) : timing_(timing) {}

    // The account and its kept password.
    void Configure() {
        SyncSettings settings;
        settings.url = "https://cloud.example.com/remote.php/dav";
        settings.user = "zhang";
        ASSERT_TRUE(SaveSyncSettings(DataPath("sys.ini"), settings));
        secrets_.kept[SecretKeyFor(settings)] = QStringLiteral("kept");
    }

    SyncService& Service() {
        if (!service_) service_.emplace(DataPath("sys.ini"), secrets_, passes_, timing_);
        return *service_;
    }

    test::AppFolder app_{"sync service"};
    SyncTiming timing_;
    test::FakeSecrets secrets_;
    test::FakePasses passes_;
    std::optional<SyncService> service_;
};

TEST_F(SyncServiceTest, ABurstOfSavesMakesOnePassAPauseAfterTheLast) {
    timing_.afterChangeMs = 150;
    Configure();
    passes_.answers.assign(5, test::Report(SyncStatus::Done));
    QElapsedTimer sinceLast;
    for (int i = 0; i < 4; ++i) {
        Service().Changed();
        sinceLast.start();
        QTest::qWait(60);
    }
    EXPECT_TRUE(passes_.started.empty()) << "each save puts the pass off again";
    ASSERT_TRUE(test::WaitUntil([&] { return !passes_.started.empty(); }, 2000));
    EXPECT_GE(sinceLast.elapsed(), 150);
    QTest::qWait(300);
    EXPECT_EQ(passes_.started.size(), 1u);
    EXPECT_EQ(passes_.started[0].password, QStringLiteral("kept"));
    EXPECT_FALSE(passes_.started[0].options.createCollections);
}

TEST_F(SyncServiceTest, OnePassAtATimeAndRequestsMeanwhileQueueOneMore) {
    timing_.startMs = 10;
    timing_.everyMs = 40;
    Configure();
    Service().Begin();
    ASSERT_TRUE(test::WaitUntil([&] { return passes_.Running(); }, 2000));
    // The period and a burst of requests while the pass runs.
    std::vector<SyncStatus> heard;
    for (int i = 0; i < 3; ++i) {
        Service().Ask({}, [&heard](const SyncOutcome& o) { heard.push_back(o.report.status); });
    }
    QTest::qWait(200);
    EXPECT_EQ(passes_.started.size(), 1u);
    EXPECT_TRUE(Service().Busy());

    passes_.Finish(test::Report(SyncStatus::Unreachable));
    // Those who asked during the first pass hear the second one.
    EXPECT_TRUE(heard.empty());
    ASSERT_TRUE(test::WaitUntil([&] { return passes_.started.size() == 2; }, 1000));
    passes_.Finish(test::Report(SyncStatus::Done));
    EXPECT_EQ(heard, std::vector<SyncStatus>(3, SyncStatus::Done));
    // The period goes on.
    ASSERT_TRUE(test::WaitUntil([&] { return passes_.started.size() == 3; }, 1000));
    passes_.Finish(test::Report(SyncStatus::Done));
}

TEST_F(SyncServiceTest, WithoutAnAccountTheTimersDoNothingAndARequestIsTold) {
    timing_.startMs = 10;
    timing_.everyMs = 30;
    timing_.afterChangeMs = 20;
    QSignalSpy finished(&Service(), &SyncService::finished);
    Service().Begin();
    Service().Changed();
    QTest::qWait(150);
    EXPECT_TRUE(passes_.started.empty());
    EXPECT_EQ(finished.count(), 0);
    EXPECT_FALSE(Service().Last());

    std::optional<SyncOutcome> outcome;
    Service().Ask({}, [&outcome](const SyncOutcome& o) { outcome = o; });
    EXPECT_FALSE(outcome) << "never answered inside the call";
    ASSERT_TRUE(test::WaitUntil([&] { return outcome.has_value(); }, 1000));
    EXPECT_EQ(outcome->report.status, SyncStatus::NotConfigured);
    EXPECT_EQ(SyncExitStatus(*outcome), 1);
    EXPECT_EQ(OutcomeText(*outcome), ToQt(SyncReportText(outcome->report)));
    EXPECT_TRUE(passes_.started.empty());
}

TEST_F(SyncServiceTest, WithoutAPasswordNoPassRunsAndTheReasonIsTold) {
    Configure();
    for (const bool available : {true, false}) {
        secrets_.kept.clear();
        secrets_.available = available;
        std::optional<SyncOutcome> outcome;
        Service().Ask({}, [&outcome](const SyncOutcome& o) { outcome = o; });
        ASSERT_TRUE(test::WaitUntil([&] { return outcome.has_value(); }, 1000));
        EXPECT_FALSE(outcome->Ok());
        EXPECT_FALSE(outcome->problem.isEmpty());
        EXPECT_EQ(StatusLine(*outcome), outcome->problem);
        EXPECT_EQ(outcome->problem.contains(QStringLiteral("密钥服务")), !available);
    }
    EXPECT_TRUE(passes_.started.empty());

    // A typed password needs no store.
    SyncRequest typed;
    typed.password = QStringLiteral("typed");
    Service().Ask(typed);
    ASSERT_TRUE(test::WaitUntil([&] { return passes_.Running(); }, 1000));
    EXPECT_EQ(passes_.started[0].password, QStringLiteral("typed"));
    passes_.Finish(test::Report(SyncStatus::Done));
}

TEST_F(SyncServiceTest, APassThatChangedRecordsHereAsksForTheListAgain) {
    Configure();
    QSignalSpy changed(&Service(), &SyncService::recordsChanged);
    SyncReport report = test::Report(SyncStatus::Done);
    report.uploaded = 3;  // only the server changed
    SyncReport deleted = test::Report(SyncStatus::Done);
    deleted.deletedHere = 1;
    passes_.answers = {report, test::Report(SyncStatus::Done, 2), deleted,
                       test::Report(SyncStatus::Unreachable)};
    for (int expected : {0, 1, 2, 2}) {
        Service().Ask({});
        ASSERT_TRUE(test::WaitUntil([&] { return !Service().Busy(); }, 1000));
        EXPECT_EQ(changed.count(), expected);
    }
}

// The program's own runner behind the service: a server that refuses the
// connection (a closed port on this machine, where plain http is allowed)
// comes back as an outcome in words, off the interface thread and in time.
TEST_F(SyncServiceTest, TheProgramsRunnerReportsThroughTheService) {
    SyncSettings settings;
    settings.url = "http://127.0.0.1:1/dav/";
    settings.user = "zhang";
    settings.timeoutSeconds = 5;
    ASSERT_TRUE(SaveSyncSettings(DataPath("sys.ini"), settings));
    const std::unique_ptr<SyncPasses> runner = MakeRunnerPasses();
    SyncService service(DataPath("sys.ini"), secrets_, *runner, timing_);
    std::optional<SyncOutcome> outcome;
    SyncRequest request;
    request.password = QStringLiteral("pw");
    service.Ask(request, [&outcome](const SyncOutcome& o) { outcome = o; });
    ASSERT_TRUE(test::WaitUntil([&] { return outcome.has_value(); }, 10000));
    EXPECT_EQ(outcome->report.status, SyncStatus::Unreachable)
        << OutcomeText(*outcome).toStdString();
    EXPECT_EQ(SyncExitStatus(*outcome), 1);
    EXPECT_FALSE(service.Busy());
}

}  // namespace
}  // namespace korvane
