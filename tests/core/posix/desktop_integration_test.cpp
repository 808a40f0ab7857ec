// The plain parts of the desktop integration: the autostart entry, the
// single-instance lock and starting a helper program.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

#include "platform/autostart.h"
#include "platform/codepage.h"
#include "platform/instance.h"
#include "platform/posix/desktop_entry.h"
#include "platform/process.h"
#include "support/tempdir.h"

namespace fs = std::filesystem;

namespace korvane {
namespace {

using test::ReadFile;
using test::WriteFile;

// Sets an environment variable for one test and restores it afterwards.
class ScopedEnv {
  public:
    ScopedEnv(const char* name, const std::string& value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        ::setenv(name, value.c_str(), 1);
    }
    ~ScopedEnv() {
        if (old_) {
            ::setenv(name_, old_->c_str(), 1);
        } else {
            ::unsetenv(name_);
        }
    }

  private:
    const char* name_;
    std::optional<std::string> old_;
};

TEST(Autostart, EntryIsCreatedQueriedAndDeleted) {
    test::TempDir home("autostart home");
    ScopedEnv config("XDG_CONFIG_HOME", (home.path() / "conf").string());
    const std::string entry = platform::AutostartEntryPath("  Korvane V3.016 \t");
    EXPECT_EQ(platform::FromCodePage(entry),
              (home.path() / "conf/autostart/Korvane V3.016.desktop").string());
    EXPECT_FALSE(platform::AutostartEntryExists(entry));

    const std::string dir = platform::ToCodePage("/opt/记事 本/");
    ASSERT_EQ(platform::WriteAutostartEntry(entry, "Korvane V3.016", dir + "korvane", dir), "");
    EXPECT_TRUE(platform::AutostartEntryExists(entry));
    const std::string text = ReadFile(home.path() / "conf/autostart/Korvane V3.016.desktop");
    EXPECT_NE(text.find("[Desktop Entry]\nType=Application\nName=Korvane V3.016\n"),
              std::string::npos);
    EXPECT_NE(text.find("\nExec=\"/opt/记事 本/korvane\"\n"), std::string::npos);
    EXPECT_NE(text.find("\nPath=/opt/记事 本/\n"), std::string::npos);

    // Writing again replaces the file; deleting twice is harmless.
    ASSERT_EQ(platform::WriteAutostartEntry(entry, "Korvane V3.016", "/new/korvane", "/new/"), "");
    EXPECT_NE(ReadFile(home.path() / "conf/autostart/Korvane V3.016.desktop")
                  .find("Exec=\"/new/korvane\""),
              std::string::npos);
    platform::RemoveAutostartEntry(entry);
    platform::RemoveAutostartEntry(entry);
    EXPECT_FALSE(platform::AutostartEntryExists(entry));
}

TEST(Autostart, FolderFallsBackToHomeConfig) {
    test::TempDir home("autostart home");
    ScopedEnv homeVar("HOME", home.path().string());
    ScopedEnv config("XDG_CONFIG_HOME", "relative/not/allowed");
    EXPECT_EQ(platform::FromCodePage(platform::AutostartFolder()),
              (home.path() / ".config/autostart").string());
}

TEST(Autostart, ExecLineQuotesReservedCharacters) {
    const std::string text = platform::DesktopEntryText("N", "/a \"b\" $c `d` 100%\\e", "/a\\b/");
    EXPECT_NE(text.find("\nExec=\"/a \\\\\"b\\\\\" \\\\$c \\\\`d\\\\` 100%%\\\\\\\\e\"\n"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("\nPath=/a\\\\b/\n"), std::string::npos);
}

TEST(InstanceLock, SecondHolderIsRefusedUntilTheFirstIsGone) {
    test::TempDir runtime("runtime");
    ScopedEnv env("XDG_RUNTIME_DIR", runtime.path().string());
    {
        platform::InstanceLock first("TulkaMainMemoFree");
        ASSERT_EQ(first.state(), platform::InstanceLock::State::kFirst);
        EXPECT_EQ(first.path(),
                  (runtime.path() / ("TulkaMainMemoFree-" + std::to_string(::getuid()) + ".lock"))
                      .string());
        platform::InstanceLock second("TulkaMainMemoFree");
        EXPECT_EQ(second.state(), platform::InstanceLock::State::kAlreadyRunning);
        platform::InstanceLock other("SomethingElse");
        EXPECT_EQ(other.state(), platform::InstanceLock::State::kFirst);
    }
    platform::InstanceLock again("TulkaMainMemoFree");
    EXPECT_EQ(again.state(), platform::InstanceLock::State::kFirst);
}

TEST(InstanceLock, WithoutARuntimeFolderTheLockStaysInAFolderOfTheUsersOwn) {
    test::TempDir home("lock home");
    ScopedEnv homeEnv("HOME", home.path().string());
    ScopedEnv cacheEnv("XDG_CACHE_HOME", "");
    for (const std::string& runtime : {std::string(), std::string("/tmp")}) {
        // No runtime folder, or one everybody may write into: neither is used.
        ScopedEnv env("XDG_RUNTIME_DIR", runtime);
        platform::InstanceLock lock("TulkaMainMemoFree");
        EXPECT_EQ(lock.state(), platform::InstanceLock::State::kFirst) << runtime;
        EXPECT_EQ(fs::path(lock.path()).parent_path(), home.path() / ".cache" / "korvane")
            << runtime;
        EXPECT_EQ(fs::status(home.path() / ".cache" / "korvane").permissions() & fs::perms::all,
                  fs::perms::owner_all);
    }
}

TEST(InstanceLock, KilledHolderLeavesNoStaleLock) {
    test::TempDir runtime("runtime");
    ScopedEnv env("XDG_RUNTIME_DIR", runtime.path().string());
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    if (child == 0) {
        platform::InstanceLock held("TulkaMainMemoFree");
        const char ok = held.state() == platform::InstanceLock::State::kFirst ? '1' : '0';
        (void)!::write(ready[1], &ok, 1);
        ::pause();
        ::_exit(0);
    }
    char ok = 0;
    ASSERT_EQ(::read(ready[0], &ok, 1), 1);
    ASSERT_EQ(ok, '1');
    EXPECT_EQ(platform::InstanceLock("TulkaMainMemoFree").state(),
              platform::InstanceLock::State::kAlreadyRunning);
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    EXPECT_EQ(platform::InstanceLock("TulkaMainMemoFree").state(),
              platform::InstanceLock::State::kFirst);
    ::close(ready[0]);
    ::close(ready[1]);
}

TEST(InstanceLock, UnusableFolderRunsUnprotected) {
    test::TempDir runtime("runtime");
    ScopedEnv env("XDG_RUNTIME_DIR", runtime.path().string());
    fs::create_directory(runtime.path() / ("Blocked-" + std::to_string(::getuid()) + ".lock"));
    EXPECT_EQ(platform::InstanceLock("Blocked").state(),
              platform::InstanceLock::State::kUnprotected);
}

TEST(StartProgram, HelperBesideTheProgramWinsAndRunsThere) {
    test::TempDir app("start 程序");
    const fs::path script = app.path() / "update.exe";
    std::ofstream(script) << "#!/bin/sh\n"
                             "{ pwd; for a in \"$@\"; do echo \"[$a]\"; done; } > args.txt\n";
    fs::permissions(script, fs::perms::owner_all);
    const std::string dir = app.CodePageDir();
    ASSERT_TRUE(platform::StartProgram("update.exe", {"Quorvex", "20110913", "my notes.exe"}, dir));
    const fs::path out = app.path() / "args.txt";
    for (int i = 0; i < 200 && ReadFile(out).find("notes") == std::string::npos; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_EQ(ReadFile(out), app.path().string() + "\n[Quorvex]\n[20110913]\n[my notes.exe]\n");
    EXPECT_FALSE(platform::StartProgram("no-such-program-korvane", {}, dir));
}

}  // namespace
}  // namespace korvane
