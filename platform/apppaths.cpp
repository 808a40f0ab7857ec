#include "platform/apppaths.h"

#include "platform/files.h"

namespace korvane {
namespace {

struct Paths {
    std::string directory;
    std::string executable;
    std::string data;  // empty: beside the program
};

Paths& State() {
    static Paths paths;
    return paths;
}

// `folder` followed by `relative`, whose separators become the platform's.
std::string Joined(const std::string& folder, const std::string& relative) {
    std::string path = folder + relative;
    for (size_t i = folder.size(); i < path.size(); ++i) {
        if (path[i] == '\\' || path[i] == '/') path[i] = platform::PathSeparator();
    }
    return path;
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
    return Joined(ApplicationDirectory(), relative);
}

const std::string& DataDirectory() {
    const Paths& paths = State();
    return paths.data.empty() ? paths.directory : paths.data;
}

void SetDataDirectory(const std::string& folder) {
    std::string& data = State().data;
    data = folder;
    if (!data.empty() && data.back() != platform::PathSeparator())
        data += platform::PathSeparator();
}

std::string DataPath(const std::string& relative) {
    return Joined(DataDirectory(), relative);
}

}  // namespace korvane
