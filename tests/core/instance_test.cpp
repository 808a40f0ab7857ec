// The writer lock beside a notebook: one holder per lock file, whatever else
// runs, and free again once the holder lets go.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/instance.h"
#include "render/storetexts.h"
#include "store/notebook.h"
#include "support/tempdir.h"

namespace fs = std::filesystem;

namespace korvane {
namespace {

using platform::WriterLock;

TEST(WriterLock, OneHolderPerFolderUntilItLetsGo) {
    test::TempDir one("锁 one");
    test::TempDir two("锁 two");
    const std::string here = one.CodePageDir() + "glst.mysql.lock";
    {
        const WriterLock first(here);
        ASSERT_EQ(first.state(), WriterLock::State::kHeld);
        EXPECT_EQ(WriterLock(here).state(), WriterLock::State::kHeldElsewhere);
        EXPECT_EQ(WriterLock(two.CodePageDir() + "glst.mysql.lock").state(),
                  WriterLock::State::kHeld);
    }
    EXPECT_EQ(WriterLock(here).state(), WriterLock::State::kHeld);
    EXPECT_TRUE(fs::exists(one.path() / "glst.mysql.lock"));
}

TEST(WriterLock, ALockFileThatCannotBeMadeLeavesTheProgramUnprotected) {
    test::TempDir dir("lock");
    EXPECT_EQ(WriterLock(dir.CodePageDir() + "missing folder/glst.mysql.lock").state(),
              WriterLock::State::kUnprotected);
}

TEST(WriterLock, TheNotebookLockLivesBesideTheNotebook) {
    test::AppFolder app;
    ASSERT_EQ(OpenDatabase(), "1");
    EXPECT_EQ(NotebookLockPath(), NotebookPath() + ".lock");
    const WriterLock lock(NotebookLockPath());
    EXPECT_EQ(lock.state(), WriterLock::State::kHeld);
    EXPECT_TRUE(fs::exists(app.path() / "hd" / "glst.mysql.lock"));
}

}  // namespace
}  // namespace korvane
