// The addresses of the page's commands: the program's constants, which the
// browser host and the dispatcher share, against the page that navigates to them.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <ostream>
#include <string>
#include <string_view>

#include "base/commandurls.h"

namespace korvane {
namespace {

std::string PageScript() {
    std::ifstream in(std::filesystem::path(KORVANE_DATA_DIR) / "hd" / "main.js", std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

struct Address {
    const char* pageName;  // the variable main.js keeps it in
    std::string_view url;
    std::string_view host;
};

void PrintTo(const Address& address, std::ostream* out) {
    *out << address.pageName;
}

class CommandAddress : public testing::TestWithParam<Address> {};

TEST_P(CommandAddress, IsTheHostsRootOverPlainHttp) {
    const Address& address = GetParam();
    EXPECT_EQ(address.url, "http://" + std::string(address.host) + "/");
}

// A name under .invalid never resolves, so a command that escaped the host
// could reach no server.
TEST_P(CommandAddress, NamesAHostThatNeverResolves) {
    EXPECT_TRUE(GetParam().host.ends_with(".invalid")) << GetParam().host;
}

TEST_P(CommandAddress, IsTheOneThePageNavigatesTo) {
    const Address& address = GetParam();
    const std::string declaration =
        "var " + std::string(address.pageName) + " = \"" + std::string(address.url) + "\";";
    EXPECT_NE(PageScript().find(declaration), std::string::npos) << declaration;
}

INSTANTIATE_TEST_SUITE_P(PageAddresses, CommandAddress,
                         testing::Values(Address{"COMMAND_BASE", kCommandBase, kCommandHost},
                                         Address{"RESTORE_URL", kRestoreUrl, kRestoreHost}),
                         [](const testing::TestParamInfo<Address>& info) {
                             return std::string(info.param.pageName);
                         });

TEST(CommandAddresses, CommandsAndTheRestoreGoToDifferentHosts) {
    EXPECT_NE(kCommandHost, kRestoreHost);
}

}  // namespace
}  // namespace korvane
