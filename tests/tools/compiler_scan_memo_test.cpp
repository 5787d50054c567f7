#include "tools/compiler_scan_memo.h"

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <functional>
#include <iterator>

#include <gtest/gtest.h>

#include "support/temp_dir.h"
#include "tools/compiler_discovery.h"
#include "tools/fake_toolchain.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Rilk::CompilerScanMemo;
using RilkTest::writeFakeCompiler;

const RilkTest::FakeAnswers gcc12{"x86_64-linux-gnu", "12.2.0", ""};
const RilkTest::FakeAnswers gcc13{"x86_64-linux-gnu", "13.1.0", ""};

/// Takes every stamp as settled, so that scans of files made just now are kept.
constexpr auto kSettled = -std::chrono::nanoseconds(1h);

using RilkTest::readFile;

void backdate(const fs::path& directory) {
    fs::last_write_time(directory, fs::file_time_type::clock::now() - 1h);
}

/// root/bin with gcc-12 and g++, and root/bin/cc leading to gcc-12 through a link in
/// alt/ beside root; every directory's time lies in the past, so that any change shows.
fs::path makeToolchain(const fs::path& base) {
    const fs::path root = base / "root";
    writeFakeCompiler(root / "bin/gcc-12", gcc12, base / "log");
    writeFakeCompiler(root / "bin/g++", gcc12, base / "log");
    fs::create_directories(base / "alt");
    fs::create_symlink(root / "bin/gcc-12", base / "alt/cc");
    fs::create_symlink("../../alt/cc", root / "bin/cc");
    for (const fs::path& dir : {root / "bin", root, base / "alt", base}) backdate(dir);
    return root;
}

/// "file|triple|version" of every toolchain found below `root`.
std::string found(CompilerScanMemo& memo, const fs::path& root) {
    std::string text;
    for (const Rilk::CompilerInfo& info : Rilk::findCompilersUnder({}, root, memo)) {
        text += info.compilerPath.filename().string() + "|" + info.prefix + "|" + info.version + " ";
    }
    return text;
}

std::string foundFresh(const fs::path& root) {
    CompilerScanMemo memo({}, kSettled);
    return found(memo, root);
}

TEST(CompilerScanMemo, ARememberedScanIsTakenInsteadOfScanning) {
    RilkTest::TempDir dir;
    const fs::path root = makeToolchain(dir.path());
    const fs::path file = dir.path() / "cache/compiler_scans";
    CompilerScanMemo first(file, kSettled);
    const std::string expected = found(first, root);
    EXPECT_EQ(expected, "gcc-12|x86_64-linux-gnu|12.2.0 ");
    EXPECT_EQ(first.scansRun(), 2u);  // the walk below root, then root/bin
    first.save();
    const std::string probes = readFile(dir.path() / "log");

    CompilerScanMemo second(file, kSettled);
    EXPECT_EQ(found(second, root), expected);
    EXPECT_EQ(second.scansRun(), 0u);
    EXPECT_EQ(readFile(dir.path() / "log"), probes);

    // An answer in the file that differs from the disk, under keys that hold, is what is
    // taken: the directory is not looked at.
    std::optional<Rilk::RememberedScans> scans = Rilk::readRememberedScanFile(file);
    ASSERT_TRUE(scans);
    std::vector<std::string>& items =
        scans->at({Rilk::ScanKind::Directory, (root / "bin").native()}).items;
    std::replace(items.begin(), items.end(), std::string("12.2.0"), std::string("99.9"));
    std::ofstream(file, std::ios::binary) << Rilk::rememberedScansText(*scans);
    CompilerScanMemo third(file, kSettled);
    EXPECT_EQ(found(third, root), "gcc-12|x86_64-linux-gnu|99.9 ");
    EXPECT_EQ(third.scansRun(), 0u);
}

TEST(CompilerScanMemo, EachDirectoryIsScannedOnceInARunHoweverItIsAskedFor) {
    RilkTest::TempDir dir;
    const fs::path root = makeToolchain(dir.path());
    CompilerScanMemo memo({}, kSettled);
    const std::string expected = found(memo, root);
    EXPECT_EQ(found(memo, root), expected);
    EXPECT_EQ(found(memo, root / "bin"), expected);
    // The walks below root and below root/bin, and root/bin once.
    EXPECT_EQ(memo.scansRun(), 3u);
}

TEST(CompilerScanMemo, AChangeOnTheWayToACompilerMeansScanningAgain) {
    const std::pair<const char*, std::function<void(const fs::path& base)>> changes[] = {
        {"compiler added",
         [](const fs::path& base) { writeFakeCompiler(base / "root/bin/gcc-13", gcc13); }},
        {"link retargeted in another directory",
         [](const fs::path& base) {
             writeFakeCompiler(base / "other/gcc-13.1.0", gcc13);
             fs::remove(base / "alt/cc");
             fs::create_symlink(base / "other/gcc-13.1.0", base / "alt/cc");
         }},
        {"compiler rewritten in place",
         [](const fs::path& base) {
             writeFakeCompiler(base / "root/bin/gcc-12", {"x86_64-linux-gnu", "12.3.0", ""});
         }},
        {"bin directory added below the root",
         [](const fs::path& base) { writeFakeCompiler(base / "root/opt/bin/gcc", gcc13); }},
        {"bin directory removed",
         [](const fs::path& base) { fs::rename(base / "root/bin", base / "root/old"); }},
    };
    for (const auto& [what, change] : changes) {
        RilkTest::TempDir dir;
        const fs::path root = makeToolchain(dir.path());
        const fs::path file = dir.path() / "compiler_scans";
        CompilerScanMemo before(file, kSettled);
        const std::string old = found(before, root);
        before.save();
        change(dir.path());
        const std::string now = foundFresh(root);
        EXPECT_NE(now, old) << what;
        CompilerScanMemo after(file, kSettled);
        EXPECT_EQ(found(after, root), now) << what;
        EXPECT_GT(after.scansRun(), 0u) << what;
    }
}

TEST(CompilerScanMemo, AnUnusableFileMeansScanningAndNoFailure) {
    const std::pair<const char*, std::function<void(const fs::path& file, const std::string&)>>
        files[] = {
            {"truncated",
             [](const fs::path& file, const std::string& whole) {
                 std::ofstream(file, std::ios::binary) << whole.substr(0, whole.size() / 2);
             }},
            {"garbage",
             [](const fs::path& file, const std::string&) {
                 std::ofstream(file, std::ios::binary) << "RILK_SCANS_V1\nD 3:abc garbage\n";
             }},
            {"oversized",
             [](const fs::path& file, const std::string& whole) {
                 std::ofstream(file, std::ios::binary)
                     << whole << std::string(Rilk::kMaxScanFile, '\n');
             }},
            {"fifo",
             [](const fs::path& file, const std::string&) {
                 fs::remove(file);
                 ASSERT_EQ(::mkfifo(file.c_str(), 0600), 0);
             }},
            {"directory",
             [](const fs::path& file, const std::string&) {
                 fs::remove(file);
                 fs::create_directories(file / "x");
             }},
        };
    for (const auto& [what, spoil] : files) {
        RilkTest::TempDir dir;
        const fs::path root = makeToolchain(dir.path());
        const fs::path file = dir.path() / "compiler_scans";
        CompilerScanMemo first(file, kSettled);
        const std::string expected = found(first, root);
        first.save();
        spoil(file, readFile(file));
        CompilerScanMemo second(file, kSettled);
        EXPECT_EQ(found(second, root), expected) << what;
        EXPECT_EQ(second.scansRun(), 2u) << what;
        EXPECT_NO_THROW(second.save()) << what;
    }
}

TEST(CompilerScanMemo, ScansOfFreshlyChangedDirectoriesAreNotKept) {
    RilkTest::TempDir dir;
    const fs::path root = dir.path() / "root";
    writeFakeCompiler(root / "bin/gcc", gcc12);
    const fs::path file = dir.path() / "compiler_scans";
    CompilerScanMemo memo(file);
    const std::string expected = found(memo, root);
    EXPECT_EQ(found(memo, root), expected);
    EXPECT_EQ(memo.scansRun(), 4u);
    memo.save();
    EXPECT_FALSE(fs::exists(file));
}

TEST(CompilerScanMemo, ConcurrentRunsLeaveAWholeFile) {
    RilkTest::TempDir dir;
    constexpr int kRuns = 6;
    std::vector<fs::path> roots;
    for (int i = 0; i < kRuns; ++i) {
        roots.push_back(makeToolchain(dir.path() / std::to_string(i)));
    }
    const fs::path file = dir.path() / "compiler_scans";
    std::vector<pid_t> children;
    for (int i = 0; i < kRuns; ++i) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            CompilerScanMemo memo(file, kSettled);
            const bool scanned = !found(memo, roots[static_cast<std::size_t>(i)]).empty();
            memo.save();
            ::_exit(scanned ? 0 : 1);
        }
        children.push_back(child);
    }
    for (const pid_t child : children) {
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    const std::optional<Rilk::RememberedScans> scans = Rilk::readRememberedScanFile(file);
    ASSERT_TRUE(scans);
    EXPECT_GE(scans->size(), 2u);
    EXPECT_EQ(Rilk::rememberedScansText(*scans), readFile(file));
}

}  // namespace
