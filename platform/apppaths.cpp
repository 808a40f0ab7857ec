#include "platform/apppaths.h"

#include "platform/files.h"

namespace korvane {
namespace {

struct Paths {
    std::string directory;
    std::string executable;
};

Paths& State() {
    static Paths paths;
    return paths;
}

}  // namespace

void SetApplicationPaths(const std::string& executablePath) {
    const size_t cut = platform::LastSeparator(executablePath);
    Paths& paths = State();
    paths.directory = cut == std::string::npos ? std::string() : executablePath.substr(0, cut + 1);
    paths.executable = cut == std::string::npos ? executablePath : executablePath.substr(cut + 1);
}

const std::string& ApplicationDirectory() {
    return State().directory;
}
const std::string& ExecutableName() {
    return State().executable;
}

std::string AppPath(const std::string& relative) {
    std::string path = ApplicationDirectory() + relative;
    for (size_t i = ApplicationDirectory().size(); i < path.size(); ++i) {
        if (path[i] == '\\' || path[i] == '/') path[i] = platform::PathSeparator();
    }
    return path;
}

}  // namespace korvane
