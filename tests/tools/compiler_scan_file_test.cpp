#include "tools/compiler_scan_file.h"

#include <sys/stat.h>

#include <cstdint>
#include <fstream>

#include <gtest/gtest.h>

#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using Rilk::PathStamp;
using Rilk::RememberedScan;
using Rilk::RememberedScans;
using Rilk::ScanKind;
using Rilk::StampKind;

void writeFile(const fs::path& file, const std::string& text) {
    std::ofstream(file, std::ios::binary) << text;
}

/// Two scans with texts holding spaces, line breaks and colons, extreme numbers and a probe.
RememberedScans awkwardScans() {
    RememberedScans scans;
    RememberedScan walk;
    walk.dependencies.add("/opt/a b", StampKind::Listing, {1, 2, 040755, 0, 0, 0, -5, 0});
    walk.dependencies.add("/opt/a b", StampKind::Entry,
                          {UINT64_MAX >> 1, 7, 0120777, 1000, 1000, 12, INT64_MIN, INT64_MAX});
    walk.items = {"/opt/a b/bin", "/opt/a b/x\n:y/bin"};
    scans[{ScanKind::Walk, "/opt/a b"}] = walk;
    RememberedScan directory;
    directory.dependencies.add("/usr/bin/gcc", StampKind::Entry, {3, 4, 0100755, 0, 0, 9, 10, 11});
    directory.probes[{"/usr/bin/gcc", "/usr/bin/gcc-12", 9, 10, 11, 12, 13, "-dumpmachine"}] = {
        0, "x86_64-linux-gnu"};
    directory.items = {"1", "12.2.0", "x86_64-linux-gnu", "/usr/bin/gcc"};
    scans[{ScanKind::Directory, "/usr/bin"}] = directory;
    scans[{ScanKind::Directory, ""}] = RememberedScan{};
    return scans;
}

bool sameScans(const RememberedScans& a, const RememberedScans& b) {
    return Rilk::rememberedScansText(a) == Rilk::rememberedScansText(b);
}

TEST(CompilerScanFile, RoundTripsEveryField) {
    const RememberedScans scans = awkwardScans();
    const std::string text = Rilk::rememberedScansText(scans);
    EXPECT_EQ(text.rfind("RILK_SCANS_V1\n", 0), 0u);
    const std::optional<RememberedScans> read = Rilk::parseRememberedScans(text);
    ASSERT_TRUE(read);
    EXPECT_TRUE(sameScans(*read, scans));
    const RememberedScan& walk = read->at({ScanKind::Walk, "/opt/a b"});
    EXPECT_EQ(walk.items, scans.at({ScanKind::Walk, "/opt/a b"}).items);
    EXPECT_EQ(walk.dependencies.paths(), scans.at({ScanKind::Walk, "/opt/a b"}).dependencies.paths());
    EXPECT_EQ(read->at({ScanKind::Directory, "/usr/bin"}).probes,
              scans.at({ScanKind::Directory, "/usr/bin"}).probes);
}

TEST(CompilerScanFile, EveryTruncationKeepsTheWholeRecordsOrNothing) {
    const RememberedScans scans = awkwardScans();
    std::vector<std::size_t> recordEnds;
    RememberedScans first;
    for (const auto& entry : scans) {
        first.insert(entry);
        recordEnds.push_back(Rilk::rememberedScansText(first).size());
    }
    const std::string text = Rilk::rememberedScansText(scans);
    for (std::size_t length = 0; length <= text.size(); ++length) {
        const std::optional<RememberedScans> read =
            Rilk::parseRememberedScans(std::string_view(text).substr(0, length));
        if (!read) continue;  // every directory is scanned again
        std::size_t whole = 0;
        while (whole < recordEnds.size() && recordEnds[whole] <= length) ++whole;
        ASSERT_EQ(read->size(), whole) << "cut at " << length;
        RememberedScans expected;
        for (const auto& [key, scan] : *read) expected.emplace(key, scans.at(key));
        EXPECT_TRUE(sameScans(*read, expected)) << "cut at " << length;
    }
}

TEST(CompilerScanFile, DamageMeansNoScansAtAll) {
    const std::string text = Rilk::rememberedScansText(awkwardScans());
    auto replaced = [&](std::size_t at, std::size_t count, const std::string& with) {
        return std::string(text).replace(at, count, with);
    };
    const std::size_t firstEnd = text.find('\n', 14) + 1;
    const std::pair<const char*, std::string> cases[] = {
        {"empty file", ""},
        {"other header", replaced(0, 13, "RILK_SCANS_V0")},
        {"probe file header", replaced(0, 13, "RILK_PROBES_V2")},
        {"unknown kind", replaced(14, 1, "X")},
        {"flipped item byte", replaced(text.find("12.2.0"), 1, "7")},
        {"letter in a number", replaced(text.find(" 0 0 9 10 11 "), 2, " x")},
        {"mode past 32 bits", replaced(text.find(" 33261 "), 7, " 4294967296 ")},
        {"status past 255", replaced(text.find(" 0 16:x86"), 2, " 256")},
        {"number past 64 bits", replaced(text.find(" 33261 "), 1, " 99999999999999999999")},
        {"records not apart", replaced(firstEnd - 1, 1, " ")},
        {"garbage record", text + "garbage\n"},
        {"checksum not hex", replaced(firstEnd - 2, 1, "G")},
    };
    for (const auto& [what, damaged] : cases) {
        EXPECT_EQ(Rilk::parseRememberedScans(damaged).has_value(), false) << what;
    }
}

TEST(CompilerScanFile, RefusesFilesItShouldNotRead) {
    RilkTest::TempDir dir;
    writeFile(dir.path() / "large", std::string(Rilk::kMaxScanFile + 1, 'x'));
    fs::create_directory(dir.path() / "directory");
    ASSERT_EQ(::mkfifo((dir.path() / "fifo").c_str(), 0600), 0);
    for (const char* name : {"large", "directory", "missing", "fifo"}) {
        EXPECT_FALSE(Rilk::readRememberedScanFile(dir.path() / name).has_value()) << name;
    }
    writeFile(dir.path() / "whole", Rilk::rememberedScansText(awkwardScans()));
    EXPECT_TRUE(Rilk::readRememberedScanFile(dir.path() / "whole").has_value());
}

}  // namespace
