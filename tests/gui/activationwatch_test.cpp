// When a loss of activation reaches the main window: at once when no drag of
// our own frame runs; never when the activation comes back with the end of the
// drag; after a short wait when it does not.
#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTest>

#include "mainwindow/activationwatch.h"

namespace korvane {
namespace {

class Activation : public ::testing::Test {
  protected:
    Activation() : watch_(nullptr), lost_(&watch_, &ActivationWatch::deactivated) {
        watch_.StateChanged(Qt::ApplicationActive);
    }
    ActivationWatch watch_;
    QSignalSpy lost_;
};

TEST_F(Activation, ALossWithoutADragIsPassedOnAtOnce) {
    watch_.StateChanged(Qt::ApplicationInactive);
    EXPECT_EQ(lost_.count(), 1);
    // A drag that started and ended while active leaves nothing behind.
    watch_.StateChanged(Qt::ApplicationActive);
    watch_.OwnDragStarted();
    watch_.OwnDragEnded();
    watch_.StateChanged(Qt::ApplicationInactive);
    EXPECT_EQ(lost_.count(), 2);
}

TEST_F(Activation, TheWindowManagersHoldDuringADragIsNoLoss) {
    watch_.OwnDragStarted();
    watch_.StateChanged(Qt::ApplicationInactive);
    watch_.OwnDragEnded();
    watch_.StateChanged(Qt::ApplicationActive);
    QTest::qWait(ActivationWatch::kSettleMs + 100);
    EXPECT_EQ(lost_.count(), 0);
    // The next loss is a real one again.
    watch_.StateChanged(Qt::ApplicationInactive);
    EXPECT_EQ(lost_.count(), 1);
}

TEST_F(Activation, ALossThatOutlastsTheDragIsPassedOnOnceSettled) {
    watch_.OwnDragStarted();
    watch_.StateChanged(Qt::ApplicationInactive);
    watch_.OwnDragEnded();
    EXPECT_EQ(lost_.count(), 0);
    EXPECT_TRUE(lost_.wait(ActivationWatch::kSettleMs * 4));
    EXPECT_EQ(lost_.count(), 1);
}

TEST_F(Activation, ADragThatNeverReportsItsEndIsOverWithTheNextActivation) {
    watch_.OwnDragStarted();
    watch_.StateChanged(Qt::ApplicationInactive);
    watch_.StateChanged(Qt::ApplicationActive);
    watch_.StateChanged(Qt::ApplicationInactive);
    EXPECT_EQ(lost_.count(), 1);
}

}  // namespace
}  // namespace korvane
