#include "tools/c3/c3_toolchain.h"

#include <gtest/gtest.h>

namespace Rilk {
namespace {

TEST(C3Toolchain, VersionIsTheFirstDottedNumberOfTheBanner) {
    const std::string longRun = std::string(1 << 20, '7') + ".1";
    const std::pair<std::string, std::optional<std::string>> cases[] = {
        {"C3 Compiler Version: 0.6.8", "0.6.8"},
        {"c3c for x86_64 version 0.6.1 (build 2)", "0.6.1"},
        {"version 1.2.3.4", "1.2.3.4"},
        {"1. 2.x 3.4", "3.4"},
        {"C3 release 7", "3"},
        {"built 2024\nrelease 0.7", "0.7"},
        {"no digits here", std::nullopt},
        {"", std::nullopt},
        {longRun, longRun},
    };
    for (const auto& [banner, version] : cases) {
        EXPECT_EQ(versionFromBanner(banner), version) << banner.substr(0, 40);
    }
}

TEST(C3Toolchain, VersionWantsAcceptMajorNumbersExactVersionsAndMinimums) {
    // wanted version, minimum version, candidate version, accepted
    const std::tuple<const char*, const char*, const char*, bool> cases[] = {
        {"", "", "0.6.8", true},
        {"0", "", "0.1", true},
        {"1", "", "1", true},
        {"1", "", "1.4.2", true},
        {"1", "", "10.1", false},
        {"1.4", "", "1.4", true},
        {"1.4", "", "1.4.2", false},
        {"0", "0.6.0", "0.6.0", true},
        {"0", "0.6.0", "0.5.9", false},
        {"", "0", "0.0.1", true},
        {"0.6.8", "0.7", "0.6.8", false}};
    for (const auto& [wanted, minimum, version, accepted] : cases) {
        ToolchainWants wants;
        wants.toolchainVersion = wanted;
        wants.toolchainMinVersion = minimum;
        EXPECT_EQ(versionMatches(wants, {version, "c3c", ""}), accepted)
            << wanted << " / " << minimum << " / " << version;
    }
}

}  // namespace
}  // namespace Rilk
