#include "base/log.h"

#include <atomic>
#include <cstdio>

namespace korvane::log {
namespace {

void StandardError(Area area, std::string_view message) {
    std::fprintf(stderr, "%s: %.*s\n", CategoryName(area), static_cast<int>(message.size()),
                 message.data());
}

// The one sink of the process; the backup thread logs too, hence atomic.
std::atomic<Sink>& CurrentSink() {
    static std::atomic<Sink> sink{&StandardError};
    return sink;
}

}  // namespace

const char* CategoryName(Area area) {
    switch (area) {
        case Area::Store:
            return "korvane.store";
        case Area::Render:
            return "korvane.render";
        case Area::App:
            return "korvane.app";
        case Area::Platform:
            return "korvane.platform";
    }
    return "korvane";
}

void SetSink(Sink sink) {
    CurrentSink().store(sink ? sink : &StandardError);
}

void Warn(Area area, std::string_view message) {
    try {
        CurrentSink().load()(area, message);
    } catch (...) {
        // A log line is never worth more than the work that wanted to log it.
    }
}

}  // namespace korvane::log
