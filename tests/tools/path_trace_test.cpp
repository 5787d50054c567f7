#include "tools/path_trace.h"

#include <gtest/gtest.h>

#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using Rilk::ScanDependencies;
using Rilk::StampKind;

/// "E:<path>" or "L:<path>" of each recorded path below `base`, in order.
std::vector<std::string> recorded(const ScanDependencies& dependencies, const fs::path& base) {
    std::vector<std::string> lines;
    const std::string prefix = base.native() + "/";
    for (const auto& [key, stamp] : dependencies.paths()) {
        if (!key.first.starts_with(prefix)) continue;
        lines.push_back((key.second == StampKind::Entry ? "E:" : "L:") +
                        key.first.substr(prefix.size()));
    }
    return lines;
}

TEST(PathTrace, RecordsEveryStepThroughLinksInOtherDirectories) {
    RilkTest::TempDir dir;
    const fs::path base = fs::canonical(dir.path());
    dir.write("real/gcc-12", "");
    fs::create_directories(base / "bin");
    fs::create_directories(base / "alternatives");
    fs::create_symlink("../alternatives/cc", base / "bin/cc");
    fs::create_symlink(base / "real/gcc-12", base / "alternatives/cc");
    fs::create_symlink("nowhere", base / "bin/dangling");
    fs::create_symlink("loop", base / "bin/loop");

    // Path, whether it can be recorded, where it leads and what it relied on.
    const std::tuple<std::string, bool, std::string, std::vector<std::string>> cases[] = {
        {"bin/cc", true, "real/gcc-12",
         {"E:alternatives", "E:alternatives/cc", "E:bin", "E:bin/cc", "E:real", "E:real/gcc-12"}},
        {"bin/./../bin/missing", true, "", {"E:bin", "L:bin"}},
        {"bin/dangling", true, "", {"E:bin", "L:bin", "E:bin/dangling"}},
        {"real/gcc-12/x", true, "", {"E:real", "E:real/gcc-12"}},
        {"bin/loop", false, "", {}},
    };
    for (const auto& [path, traced, leadsTo, relied] : cases) {
        ScanDependencies dependencies;
        std::string resolved;
        EXPECT_EQ(Rilk::traceResolution(base / path, dependencies, resolved), traced) << path;
        if (!traced) continue;
        EXPECT_EQ(resolved, leadsTo.empty() ? "" : (base / leadsTo).native()) << path;
        EXPECT_EQ(recorded(dependencies, base), relied) << path;
        EXPECT_TRUE(dependencies.unchanged()) << path;
    }
    ScanDependencies relative;
    std::string resolved;
    EXPECT_FALSE(Rilk::traceResolution("bin/cc", relative, resolved));
}

TEST(PathTrace, ALinkRetargetedOrANameAddedChangesTheStamps) {
    RilkTest::TempDir dir;
    const fs::path base = fs::canonical(dir.path());
    dir.write("real/gcc-12", "");
    dir.write("real/gcc-13.1", "");
    fs::create_directories(base / "bin");
    fs::create_symlink(base / "real/gcc-12", base / "alternatives-cc");
    fs::create_symlink(base / "alternatives-cc", base / "bin/cc");
    fs::last_write_time(base / "bin", fs::file_time_type::clock::now() - std::chrono::hours(1));
    ScanDependencies link;
    ScanDependencies listing;
    std::string resolved;
    ASSERT_TRUE(Rilk::traceResolution(base / "bin/cc", link, resolved));
    ASSERT_TRUE(Rilk::traceListing(base / "bin", listing));

    fs::remove(base / "alternatives-cc");
    fs::create_symlink(base / "real/gcc-13.1", base / "alternatives-cc");
    EXPECT_FALSE(link.unchanged());
    EXPECT_TRUE(listing.unchanged());
    dir.write("bin/gcc", "");
    EXPECT_FALSE(listing.unchanged());
}

}  // namespace
