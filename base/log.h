// The core's log hook. The plain C++ layers report what they had to swallow
// (a failed rollback, a backup that could not be pruned) through Warn; the
// program installs a sink that hands each line to its logging categories, and
// without one the lines go to standard error.
#pragma once

#include <string_view>

namespace korvane::log {

// The part of the program a line comes from; each has a category of its own.
enum class Area { Store, Render, App, Platform };

// The category name of an area, such as "korvane.store".
const char* CategoryName(Area area);

using Sink = void (*)(Area area, std::string_view message);

// Replaces the sink; null restores the standard-error one. Meant to be called
// once at start-up, before other threads run.
void SetSink(Sink sink);

void Warn(Area area, std::string_view message);

}  // namespace korvane::log
