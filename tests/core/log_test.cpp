// The core's log hook: what the plain C++ layers swallow still reaches the log.
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "base/log.h"
#include "render/storetexts.h"
#include "store/notebook.h"
#include "support/tempdir.h"

namespace korvane {
namespace {

std::vector<std::string>& Logged() {
    static std::vector<std::string> lines;
    return lines;
}

void Capture(log::Area area, std::string_view message) {
    Logged().push_back(std::string(log::CategoryName(area)) + ": " + std::string(message));
}

// A failure the store swallows still leaves a line in the log, saying what.
TEST(CoreLog, SwallowedFailuresAreLoggedWithTheirArea) {
    test::AppFolder app;
    Logged().clear();
    log::SetSink(&Capture);
    std::array<std::string, 9> values;
    LoadRecord("SELECT no_such_column FROM mylist", values);
    log::SetSink(nullptr);
    ASSERT_EQ(Logged().size(), 1u);
    EXPECT_EQ(Logged()[0].rfind("korvane.store: record not read: ", 0), 0u) << Logged()[0];
}

}  // namespace
}  // namespace korvane
