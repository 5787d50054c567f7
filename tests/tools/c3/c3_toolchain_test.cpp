#include "tools/c3/c3_toolchain.h"

#include <gtest/gtest.h>

#include "support/temp_dir.h"
#include "tools/c3/fake_c3c.h"

namespace Rilk {
namespace {

namespace fs = std::filesystem;

TEST(C3Toolchain, VersionIsTheFirstDottedNumberOfTheBanner) {
    const std::pair<const char*, const char*> cases[] = {
        {"C3 Compiler Version: 0.6.8", "0.6.8"},
        {"c3c for x86_64 version 0.6.1 (build 2)", "0.6.1"},
        {"version 1.2.3.4", "1.2.3.4"},
        {"C3 release 7", "3"},
        {"built 2024\nrelease 0.7", "0.7"},
        {"no digits here", nullptr},
        {"", nullptr},
    };
    for (const auto& [banner, version] : cases) {
        EXPECT_EQ(versionFromBanner(banner),
                  version ? std::optional<std::string>(version) : std::nullopt)
            << banner;
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

TEST(C3Toolchain, CompilerNamesIgnoreCase) {
    for (const char* name : {"c3c", "/x/C3C.EXE", "bin/c3c.exe", "C3c"}) {
        EXPECT_TRUE(isC3CompilerName(name)) << name;
    }
    for (const char* name : {"c3c-0.6", "c3", "/c3c/", "c3c.sh", ""}) {
        EXPECT_FALSE(isC3CompilerName(name)) << name;
    }
}

TEST(C3Toolchain, ProbeGivesNothingForFilesThatDoNotStateAVersion) {
    RilkTest::TempDir dir;
    const fs::path good = RilkTest::writeFakeC3c(dir.path() / "good/c3c", "C3 version 0.6.8");
    const std::pair<fs::path, bool> cases[] = {
        {good, true},
        {RilkTest::writeFakeC3c(dir.path() / "failing/c3c", "C3 version 0.6.8", 1), false},
        {RilkTest::writeFakeC3c(dir.path() / "silent/c3c", ""), false},
        {RilkTest::writeFakeC3c(dir.path() / "wordy/c3c", "compiler stand-in without a version"),
         false},
        {dir.write("plain/c3c", "#!/bin/sh\necho 0.6.8\n"), false},  // not executable
        {dir.path() / "good", false},
        {dir.path() / "missing/c3c", false},
    };
    for (const auto& [path, found] : cases) {
        const std::optional<C3Candidate> candidate = probeToolVersion(path);
        ASSERT_EQ(candidate.has_value(), found) << path;
        if (found) {
            EXPECT_EQ(candidate->version, "0.6.8");
            EXPECT_EQ(candidate->compilerPath, path);
            EXPECT_EQ(candidate->binDirectory, path.parent_path());
        }
    }
}

}  // namespace
}  // namespace Rilk
