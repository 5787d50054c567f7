// Toolchain scans kept across runs in the user's cache directory.
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "e2e/system_toolchain_project.h"
#include "support/watched_run.h"
#include "support/temp_dir.h"

namespace {

using RilkTest::readFile;

namespace fs = std::filesystem;

class CompilerScans : public SystemToolchainProject {
protected:
    RilkTest::ProcessResult run(const std::vector<std::string>& args) const {
        return RilkTest::runRilk(args, {.workingDirectory = work.path(),
                                        .environment = {{"HOME", home.path().string()},
                                                        {"XDG_CACHE_HOME", xdg.string()}}});
    }

    const fs::path xdg = home.path() / "xdg";
    const fs::path scans = xdg / "rilk/compiler_scans";
    const fs::path probes = xdg / "rilk/compiler_probes";
};

TEST_F(CompilerScans, ARunPrintsTheSameWithKeptScansWithoutThemAndWithADamagedFile) {
    ASSERT_EQ(run({}).exitCode, 0);
    ASSERT_TRUE(fs::exists(scans));
    const std::string kept = readFile(scans);
    const std::string answers = readFile(probes);
    const auto withScans = run({"-v", "1"});
    ASSERT_EQ(withScans.exitCode, 0) << withScans.err;

    fs::remove(scans);
    const auto scanning = run({"-v", "1"});
    EXPECT_EQ(scanning.exitCode, 0);
    EXPECT_EQ(scanning.out, withScans.out);
    EXPECT_EQ(scanning.err, withScans.err);
    EXPECT_EQ(readFile(scans), kept) << "the same scans are kept again";
    EXPECT_EQ(readFile(probes), answers) << "the probe answers are not touched";

    std::ofstream(scans, std::ios::binary) << kept.substr(0, kept.size() / 2) << "garbage";
    const auto damaged = run({"-v", "1"});
    EXPECT_EQ(damaged.exitCode, 0);
    EXPECT_EQ(damaged.out, withScans.out);
    EXPECT_EQ(damaged.err, withScans.err);
    EXPECT_EQ(readFile(scans), kept);
}

}  // namespace
