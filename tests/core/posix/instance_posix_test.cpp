// The writer lock between processes: two copies of the program on one data
// folder, with their runtime folders apart, never both write the notebook.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "platform/instance.h"
#include "render/storetexts.h"
#include "store/notebook.h"
#include "support/tempdir.h"

namespace korvane {
namespace {

using platform::WriterLock;

// A second copy of the program: another process, and another runtime folder,
// so the per-user instance lock does not meet the first copy's.
[[noreturn]] void SecondCopy() {
    ::setenv("XDG_RUNTIME_DIR", "/nonexistent-runtime-of-the-second-copy", 1);
    std::_Exit(static_cast<int>(WriterLock(NotebookLockPath()).state()));
}

TEST(WriterLockProcesses, ASecondProcessOnTheSameNotebookIsRefused) {
    test::AppFolder app;
    ASSERT_EQ(OpenDatabase(), "1");
    {
        const WriterLock first(NotebookLockPath());
        ASSERT_EQ(first.state(), WriterLock::State::kHeld);
        EXPECT_EXIT(SecondCopy(),
                    ::testing::ExitedWithCode(static_cast<int>(WriterLock::State::kHeldElsewhere)),
                    "");
    }
    EXPECT_EXIT(SecondCopy(), ::testing::ExitedWithCode(static_cast<int>(WriterLock::State::kHeld)),
                "");
}

TEST(WriterLockProcesses, AKilledHolderLeavesNoStaleLock) {
    test::AppFolder app;
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    if (child == 0) {
        const WriterLock held(NotebookLockPath());
        const char ok = held.state() == WriterLock::State::kHeld ? '1' : '0';
        (void)!::write(ready[1], &ok, 1);
        ::pause();
        ::_exit(0);
    }
    char ok = 0;
    ASSERT_EQ(::read(ready[0], &ok, 1), 1);
    ASSERT_EQ(ok, '1');
    EXPECT_EQ(WriterLock(NotebookLockPath()).state(), WriterLock::State::kHeldElsewhere);
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    EXPECT_EQ(WriterLock(NotebookLockPath()).state(), WriterLock::State::kHeld);
    ::close(ready[0]);
    ::close(ready[1]);
}

}  // namespace
}  // namespace korvane
