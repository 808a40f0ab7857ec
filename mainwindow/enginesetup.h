// How the program starts the web engine: called once, before the
// application object exists, by the program and by whatever runs its main
// window the same way (tests, benchmarks).
#pragma once

namespace korvane {

void PrepareWebEngine();

}  // namespace korvane
