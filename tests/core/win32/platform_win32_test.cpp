// The Windows platform layer against the real system functions: the named
// mutex and the writer lock across processes, the Startup-folder shortcut read back through the
// shell, the program started through WinExec, file copies and moves that
// never replace, and paths whose two-byte characters end in a backslash byte.
#include <gtest/gtest.h>
#include <shlobj.h>
#include <windows.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

#include "platform/autostart.h"
#include "platform/codepage.h"
#include "platform/filemap.h"
#include "platform/files.h"
#include "platform/instance.h"
#include "platform/process.h"
#include "platform/win32/com.h"
#include "platform/win32/handle.h"
#include "support/tempdir.h"

namespace fs = std::filesystem;

namespace korvane {
namespace {

using platform::InstanceLock;
using platform::win32::Handle;
using test::ReadFile;
using test::WriteFile;

constexpr char kMutexName[] = "TulkaMainMemoFree";
constexpr char kChildOutput[] = "KORVANE_CHILD_OUTPUT";

// Starts this test program again, running only `test` (a disabled one), and
// returns the process handle.
Handle StartChild(const std::string& test) {
    const std::string line = "\"" + platform::RunningExecutablePath() +
                             "\" --gtest_filter=" + test + " --gtest_also_run_disabled_tests";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    std::string mutableLine = line;
    if (!::CreateProcessA(nullptr, mutableLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                          &startup, &process)) {
        return Handle();
    }
    ::CloseHandle(process.hThread);
    return Handle(process.hProcess);
}

DWORD ExitCodeOf(const Handle& process) {
    ::WaitForSingleObject(process.get(), 60000);
    DWORD code = 0xFFFF;
    ::GetExitCodeProcess(process.get(), &code);
    return code;
}

// Run in a child: reports what the lock says there as the exit code.
TEST(DISABLED_InstanceChild, ReportsTheLockState) {
    const InstanceLock lock(kMutexName);
    std::_Exit(static_cast<int>(lock.state()));
}

// Run in a child: takes the lock and keeps it until killed.
TEST(DISABLED_InstanceChild, HoldsTheLock) {
    const InstanceLock lock(kMutexName);
    if (lock.state() != InstanceLock::State::kFirst) std::_Exit(9);
    ::Sleep(60000);
    std::_Exit(0);
}

TEST(InstanceLockWin32, ASecondProcessIsRefusedWhileTheFirstHoldsTheMutex) {
    {
        const InstanceLock first(kMutexName);
        ASSERT_EQ(first.state(), InstanceLock::State::kFirst);
        EXPECT_EQ(first.path(), kMutexName);
        const Handle child = StartChild("DISABLED_InstanceChild.ReportsTheLockState");
        ASSERT_TRUE(child.valid());
        EXPECT_EQ(ExitCodeOf(child), static_cast<DWORD>(InstanceLock::State::kAlreadyRunning));
    }
    // Once the first copy is gone, the next one starts.
    const Handle child = StartChild("DISABLED_InstanceChild.ReportsTheLockState");
    ASSERT_TRUE(child.valid());
    EXPECT_EQ(ExitCodeOf(child), static_cast<DWORD>(InstanceLock::State::kFirst));
}

TEST(InstanceLockWin32, AKilledHolderLeavesNoStaleLock) {
    const Handle holder = StartChild("DISABLED_InstanceChild.HoldsTheLock");
    ASSERT_TRUE(holder.valid());
    bool refused = false;
    for (int i = 0; i < 600 && !refused; ++i) {
        refused = InstanceLock(kMutexName).state() == InstanceLock::State::kAlreadyRunning;
        if (!refused) ::Sleep(50);
    }
    ASSERT_TRUE(refused) << "the child never took the mutex";
    ::TerminateProcess(holder.get(), 1);
    ::WaitForSingleObject(holder.get(), 10000);
    EXPECT_EQ(InstanceLock(kMutexName).state(), InstanceLock::State::kFirst);
}

// The writer lock's file for the children below, handed over in the
// environment they inherit.
constexpr char kWriterLockPath[] = "KORVANE_WRITER_LOCK";

std::string WriterLockPathOfParent() {
    const char* path = std::getenv(kWriterLockPath);
    return path != nullptr ? path : std::string();
}

// Run in a child: reports what the writer lock says there as the exit code.
TEST(DISABLED_WriterChild, ReportsTheLockState) {
    const platform::WriterLock lock(WriterLockPathOfParent());
    std::_Exit(static_cast<int>(lock.state()));
}

// Run in a child: takes the writer lock and keeps it until killed.
TEST(DISABLED_WriterChild, HoldsTheLock) {
    const platform::WriterLock lock(WriterLockPathOfParent());
    if (lock.state() != platform::WriterLock::State::kHeld) std::_Exit(9);
    ::Sleep(60000);
    std::_Exit(0);
}

// Two copies on one data folder, whatever their sessions: one writer.
class WriterLockWin32 : public ::testing::Test {
  protected:
    void SetUp() override { ::SetEnvironmentVariableA(kWriterLockPath, path.c_str()); }
    void TearDown() override { ::SetEnvironmentVariableA(kWriterLockPath, nullptr); }
    DWORD ChildState() {
        const Handle child = StartChild("DISABLED_WriterChild.ReportsTheLockState");
        return child.valid() ? ExitCodeOf(child) : 0xFFFF;
    }
    test::TempDir dir{"writer 锁"};
    std::string path = dir.CodePageDir() + "glst.mysql.lock";
};

TEST_F(WriterLockWin32, ASecondProcessIsRefusedWhileTheFirstHoldsTheLock) {
    {
        const platform::WriterLock first(path);
        ASSERT_EQ(first.state(), platform::WriterLock::State::kHeld);
        EXPECT_EQ(ChildState(), static_cast<DWORD>(platform::WriterLock::State::kHeldElsewhere));
    }
    EXPECT_EQ(ChildState(), static_cast<DWORD>(platform::WriterLock::State::kHeld));
}

TEST_F(WriterLockWin32, AKilledHolderLeavesNoStaleLock) {
    const Handle holder = StartChild("DISABLED_WriterChild.HoldsTheLock");
    ASSERT_TRUE(holder.valid());
    bool refused = false;
    for (int i = 0; i < 600 && !refused; ++i) {
        refused = platform::WriterLock(path).state() == platform::WriterLock::State::kHeldElsewhere;
        if (!refused) ::Sleep(50);
    }
    ASSERT_TRUE(refused) << "the child never took the lock";
    ::TerminateProcess(holder.get(), 1);
    ::WaitForSingleObject(holder.get(), 10000);
    EXPECT_EQ(platform::WriterLock(path).state(), platform::WriterLock::State::kHeld);
}

// Points the user's Startup folder at a test folder for the test's length.
class StartupFolder : public ::testing::Test {
  protected:
    static constexpr char kKey[] =
        "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

    void SetUp() override {
        ASSERT_EQ(::RegCreateKeyExA(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                    &key_, nullptr),
                  ERROR_SUCCESS);
        char value[MAX_PATH + 1] = {};
        DWORD size = sizeof value - 1;
        hadValue_ = ::RegQueryValueExA(key_, "Startup", nullptr, &type_,
                                       reinterpret_cast<BYTE*>(value), &size) == ERROR_SUCCESS;
        old_.assign(value, size);
        SetStartup(platform::NativePath(folder_));
    }
    void TearDown() override {
        if (hadValue_) {
            ::RegSetValueExA(key_, "Startup", 0, type_, reinterpret_cast<const BYTE*>(old_.data()),
                             static_cast<DWORD>(old_.size()));
        } else {
            ::RegDeleteValueA(key_, "Startup");
        }
        ::RegCloseKey(key_);
    }
    void SetStartup(const std::string& ansi) {
        ::RegSetValueExA(key_, "Startup", 0, REG_SZ, reinterpret_cast<const BYTE*>(ansi.c_str()),
                         static_cast<DWORD>(ansi.size() + 1));
    }

    test::TempDir dir_{"启动 startup"};
    std::string folder_ = test::CodePagePath(dir_.path());
    HKEY key_ = nullptr;
    bool hadValue_ = false;
    DWORD type_ = REG_SZ;
    std::string old_;
};

struct ShortcutContent {
    std::string target;
    std::string directory;
};

// What the shell reads from a shortcut file, in the code page.
ShortcutContent ReadShortcut(const std::string& path) {
    platform::win32::ComScope com;
    platform::win32::ComPtr<IShellLinkA> link;
    platform::win32::ComPtr<IPersistFile> file;
    ShortcutContent content;
    if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                  link.out())) ||
        FAILED(link->QueryInterface(IID_IPersistFile, file.out())) ||
        FAILED(file->Load(platform::win32::WideFromCodePage(path).c_str(), STGM_READ))) {
        return content;
    }
    char buffer[MAX_PATH] = {};
    link->GetPath(buffer, sizeof buffer, nullptr, SLGP_RAWPATH);
    content.target = buffer;
    link->GetWorkingDirectory(buffer, sizeof buffer);
    content.directory = buffer;
    return content;
}

TEST_F(StartupFolder, TheFolderComesFromTheRegistryAsStored) {
    EXPECT_EQ(platform::AutostartFolder(), folder_);
    EXPECT_EQ(platform::AutostartEntryPath("  Korvane V3.016 \t"),
              folder_ + "\\Korvane V3.016.lnk");
    SetStartup("%APPDATA%\\Startup\\");  // no expansion; no doubled separator
    EXPECT_EQ(platform::AutostartEntryPath("K"), "%APPDATA%\\Startup\\K.lnk");
    ::RegDeleteValueA(key_, "Startup");
    EXPECT_EQ(platform::AutostartEntryPath("K"), "\\K.lnk");
}

TEST_F(StartupFolder, ShortcutIsWrittenReadBackReplacedAndRemoved) {
    const std::string entry = platform::AutostartEntryPath("Korvane V3.016");
    EXPECT_FALSE(platform::AutostartEntryExists(entry));
    // A program folder with Chinese characters and blanks, as users install to.
    const fs::path program = dir_.path() / test::PathOf("我的 程序");
    fs::create_directories(program);
    WriteFile(program / "Notes.EXE", "MZ");
    const std::string programDir = test::CodePagePath(program) + "\\";
    ASSERT_EQ(platform::WriteAutostartEntry(entry, "Korvane V3.016", programDir + "Notes.EXE",
                                            programDir),
              "");
    EXPECT_TRUE(platform::AutostartEntryExists(entry));
    const ShortcutContent written = ReadShortcut(entry);
    EXPECT_EQ(written.target, platform::NativePath(programDir + "Notes.EXE"));
    EXPECT_EQ(written.directory, platform::NativePath(programDir));

    // Written again from another place: the shortcut follows the program.
    const std::string moved = test::CodePagePath(dir_.path()) + "\\";
    WriteFile(dir_.path() / "Notes.EXE", "MZ");
    ASSERT_EQ(platform::WriteAutostartEntry(entry, "Korvane V3.016", moved + "Notes.EXE", moved),
              "");
    EXPECT_EQ(ReadShortcut(entry).target, platform::NativePath(moved + "Notes.EXE"));

    platform::RemoveAutostartEntry(entry);
    platform::RemoveAutostartEntry(entry);  // nothing there: nothing happens
    EXPECT_FALSE(platform::AutostartEntryExists(entry));
}

TEST_F(StartupFolder, AShortcutThatCannotBeWrittenSaysWhy) {
    const std::string entry = folder_ + "\\missing\\deeper\\K.lnk";
    const std::string error =
        platform::WriteAutostartEntry(entry, "K", folder_ + "\\K.exe", folder_);
    EXPECT_NE(error.find("Cannot write"), std::string::npos) << error;
    EXPECT_FALSE(platform::AutostartEntryExists(entry));
}

// Run in a child started through StartProgram: writes its working folder and
// its arguments, one a line, to the file the parent names.
TEST(DISABLED_StartedChild, WritesWhereAndWithWhatItRuns) {
    const char* output = std::getenv(kChildOutput);
    if (output == nullptr) std::_Exit(3);
    char folder[MAX_PATH] = {};
    ::GetCurrentDirectoryA(sizeof folder, folder);
    std::string text = std::string(folder) + "\n";
    for (int i = 1; i < __argc; ++i) text += std::string(__argv[i]) + "\n";
    WriteFile(test::PathOf(platform::FromCodePage(output)), text);
    std::_Exit(0);
}

TEST(StartProgramWin32, TheProgramBesideUsStartsInTheFolderWithItsArgumentsWhole) {
    test::TempDir dir("启动 run");
    const std::string folder = test::CodePagePath(dir.path());
    const std::string output = folder + "\\out.txt";
    ::SetEnvironmentVariableA(kChildOutput, platform::NativePath(output).c_str());
    const std::string self = platform::RunningExecutablePath();
    const std::string name = self.substr(platform::LastSeparator(self) + 1);
    const std::string odd = platform::ToCodePage("my notes \"记事\".exe");
    ASSERT_TRUE(platform::StartProgram(name,
                                       {"--gtest_filter=DISABLED_StartedChild.*",
                                        "--gtest_also_run_disabled_tests", odd, "a\\\\b\\"},
                                       folder));
    std::string text;
    for (int i = 0; i < 600 && text.empty(); ++i) {
        ::Sleep(50);
        text = ReadFile(dir.path() / "out.txt");
    }
    ::SetEnvironmentVariableA(kChildOutput, nullptr);
    EXPECT_EQ(text,
              platform::NativePath(folder) +
                  "\n--gtest_filter=DISABLED_StartedChild.*\n--gtest_also_run_disabled_tests\n" +
                  platform::NativePath(odd) + "\na\\\\b\\\n");
    EXPECT_FALSE(platform::StartProgram("no-such-program-korvane.exe", {}, folder));
}

TEST(FilesWin32, CopiesAndMovesNeverReplace) {
    test::TempDir dir("文件 files");
    const std::string folder = test::CodePagePath(dir.path()) + "\\";
    WriteFile(dir.path() / "a", "first");
    WriteFile(dir.path() / "b", "second");
    EXPECT_FALSE(platform::CopyFileNoOverwrite(folder + "a", folder + "b"));
    EXPECT_EQ(ReadFile(dir.path() / "b"), "second");
    EXPECT_TRUE(platform::CopyFileNoOverwrite(folder + "a", folder + platform::ToCodePage("副本")));
    EXPECT_EQ(ReadFile(dir.path() / test::PathOf("副本")), "first");

    EXPECT_FALSE(platform::MoveNoReplace(folder + "a", folder + "b"));
    EXPECT_EQ(ReadFile(dir.path() / "a"), "first");
    const auto identity = platform::IdentityOf(folder + "a");
    ASSERT_TRUE(identity.has_value());
    EXPECT_TRUE(platform::MoveNoReplace(folder + "a", folder + "c"));
    EXPECT_EQ(platform::IdentityOf(folder + "c"), identity);  // the same file, renamed
    EXPECT_NE(platform::IdentityOf(folder + "b"), identity);
    EXPECT_FALSE(platform::IdentityOf(folder + "a").has_value());
    EXPECT_FALSE(platform::IdentityOf(test::CodePagePath(dir.path())).has_value());  // a folder

    // A durable copy lands whole, replaces nothing and leaves no temporary.
    WriteFile(dir.path() / "stale.tmp", "half");
    EXPECT_TRUE(platform::CopyFileDurably(folder + "c", folder + "d", folder + "stale.tmp"));
    EXPECT_EQ(ReadFile(dir.path() / "d"), "first");
    EXPECT_FALSE(fs::exists(dir.path() / "stale.tmp"));
    EXPECT_FALSE(platform::CopyFileDurably(folder + "b", folder + "d", folder + "stale.tmp"));
    EXPECT_EQ(ReadFile(dir.path() / "d"), "first");
    EXPECT_FALSE(fs::exists(dir.path() / "stale.tmp"));
}

// The bounded reader and the replacing write on Windows: a folder is no
// file, a file over the limit is refused unread, and a replaced file leaves
// no temporary beside it.
TEST(FilesWin32, FilesAreReadAsFilesAndReplacedWhole) {
    using platform::FileReadFailure;
    test::TempDir dir("读写 files");
    const std::string folder = test::CodePagePath(dir.path()) + "\\";
    WriteFile(dir.path() / "f", "1234");
    EXPECT_EQ(platform::ReadRegularFile(folder + "f", 4).bytes, "1234");
    EXPECT_EQ(platform::ReadRegularFile(folder + "f", 3).failure, FileReadFailure::kTooLarge);
    EXPECT_EQ(platform::ReadRegularFile(folder + "none", 4).failure, FileReadFailure::kNotFound);
    EXPECT_EQ(platform::ReadRegularFile(test::CodePagePath(dir.path()), 4).failure,
              FileReadFailure::kNotRegular);

    WriteFile(dir.path() / "f.tmp-Ab12Cd", "left by a killed write");
    EXPECT_TRUE(platform::ReplaceFileDurably(folder + "f", "new"));
    EXPECT_EQ(ReadFile(dir.path() / "f"), "new");
    EXPECT_EQ(platform::FileNamesIn(test::CodePagePath(dir.path())), std::vector<std::string>{"f"});
    fs::create_directory(dir.path() / "d");
    EXPECT_FALSE(platform::ReplaceFileDurably(folder + "d", "x"));
    EXPECT_TRUE(fs::is_directory(dir.path() / "d"));
}

TEST(FilesWin32, NamesComeBackInTheCodePage) {
    test::TempDir dir("names");
    WriteFile(dir.path() / test::PathOf("记事 1.txt"), "x");
    EXPECT_EQ(platform::FileNamesIn(test::CodePagePath(dir.path())),
              std::vector<std::string>{platform::ToCodePage("记事 1.txt")});
    EXPECT_EQ(platform::FileSize(test::CodePagePath(dir.path() / test::PathOf("记事 1.txt"))), 1);
}

TEST(FilesWin32, ASecondByteOfBackslashIsNoSeparator) {
    // 0x81 0x5C is one two-byte character whose second byte is '\'.
    const std::string path =
        "C:\\Prog\\\x81\x5C"
        "dir\\\x81\x5C";
    EXPECT_EQ(platform::LastSeparator(path), 13u);
    EXPECT_EQ(platform::LastSeparator("C:/Prog/Notes.EXE"), 7u);
    EXPECT_EQ(platform::LastSeparator("Notes.EXE"), std::string::npos);
}

TEST(FileMapWin32, AFileAnotherProgramHoldsOpenForWritingCanBeRead) {
    test::TempDir dir("map");
    const fs::path file = dir.path() / "page.html";
    WriteFile(file, "<html>page</html>");
    Handle writer(::CreateFileW(file.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(writer.valid());
    const platform::FileMap map(test::CodePagePath(file));
    ASSERT_EQ(map.size(), 17u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(map.data()), map.size()),
              "<html>page</html>");
}

}  // namespace
}  // namespace korvane
