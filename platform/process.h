// Starting other programs and giving memory back to the system.
#pragma once

#include <string>
#include <vector>

namespace korvane::platform {

// Starts `program` with `arguments`, detached from this process (own session,
// not waited for), with `directory` as its working directory. A program name
// without a folder is looked for in `directory` first and then along PATH, so
// a helper program shipped beside ours wins. Paths are in the code page.
// True when the program was started.
bool StartProgram(const std::string& program, const std::vector<std::string>& arguments,
                  const std::string& directory);

// Asks the system to take back memory the program no longer uses.
void TrimWorkingSet();

// Memory freed beyond a small margin goes back to the system at once rather
// than being kept for later use (by default that margin grows with large
// allocations to tens of megabytes per thread). Called once at start.
void ReturnFreedMemoryPromptly();

// While the program waits unseen for a long time: gives back what
// TrimWorkingSet does, and also the pages of program code and read-only
// files the process holds, which the system reads in again when they are
// next used.
void GiveBackIdleMemory();

// Lets a program started from a command line write to it: a windowed
// program on Windows has no console of its own and attaches to its parent's.
// Elsewhere the streams already reach the terminal.
void UseParentConsole();

}  // namespace korvane::platform
