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

}  // namespace korvane::platform
