#include "tools/compiler_directory_scan.h"

#include <algorithm>

#include <gtest/gtest.h>

#include "support/temp_dir.h"
#include "tools/fake_toolchain.h"

namespace {

namespace fs = std::filesystem;
using RilkTest::FakeAnswers;
using RilkTest::readLines;
using RilkTest::TempDir;
using RilkTest::writeFakeCompiler;

const char* const cKind = "gcc";
const char* const cppKind = "g\\+\\+";

/// Answers the machine probe and nothing for either version probe.
const FakeAnswers machineOnly{"x86_64-linux-gnu", "", ""};

TEST(CompilerDirectoryScan, AcceptsAndRefusesCompilerNames) {
    struct Case {
        const char* kind;
        const char* file;
        bool accepted;
        const char* version;  // taken from the name when accepted
    };
    const Case cases[] = {
        {cKind, "gcc", true, ""},
        {cKind, "cc", true, ""},
        {cKind, "gcc-12", true, "12"},
        {cKind, "gcc-12.2", true, "12.2"},
        {cKind, "x86_64-linux-gnu-gcc", true, ""},
        {cKind, "x86_64-linux-gnu-gcc-12", true, "12"},
        {cKind, "arm-none-eabi-gcc", true, ""},
        {cKind, "gcc.exe", true, ""},
        {cKind, "gcc.EXE", true, ""},
        {cKind, "gcc-12.exe", true, "12"},
        {cKind, "gcc-ar", false, ""},
        {cKind, "x86_64-linux-gnu-gcc-ar-12", false, ""},
        {cKind, "kgcc", false, ""},
        {cKind, "gcc-", false, ""},
        {cKind, "GCC", false, ""},
        {cKind, "gcc.sh", false, ""},
        {cKind, "g++", false, ""},
        {cppKind, "g++", true, ""},
        {cppKind, "c++", true, ""},
        {cppKind, "g++-13", true, "13"},
        {cppKind, "aarch64-linux-gnu-g++", true, ""},
        {cppKind, "clang++", false, ""},
        {cppKind, "gcc", false, ""},
    };
    TempDir dir;
    int index = 0;
    for (const Case& c : cases) {
        const fs::path bin = dir.path() / std::to_string(index++);
        writeFakeCompiler(bin / c.file, machineOnly);
        const auto found = Rilk::scanCompilerDirectory(c.kind, bin);
        ASSERT_EQ(found.size(), c.accepted ? 1u : 0u) << c.kind << " " << c.file;
        if (!c.accepted) continue;
        EXPECT_EQ(found[0].machine, "x86_64-linux-gnu");
        EXPECT_EQ(found[0].version, c.version) << c.file;
        EXPECT_EQ(found[0].path, (bin / c.file).native());
    }
}

TEST(CompilerDirectoryScan, VersionComesFromProbesThenFromTheName) {
    struct Case {
        const char* file;
        FakeAnswers answers;
        const char* version;
        std::size_t probes;
    };
    const Case cases[] = {
        {"gcc", {"x86_64-linux-gnu", "12.2.0", "12"}, "12.2.0", 2},
        {"gcc-11", {"x86_64-linux-gnu", "11.4.0", ""}, "11.4.0", 2},
        {"gcc", {"x86_64-linux-gnu", std::nullopt, "9"}, "9", 3},
        {"gcc", {"x86_64-linux-gnu", "", "9"}, "9", 3},
        {"gcc-11", {"x86_64-linux-gnu", "", ""}, "11", 3},
        {"gcc-11", {"x86_64-linux-gnu", std::nullopt, std::nullopt}, "11", 3},
        {"gcc", {"x86_64-linux-gnu", "", ""}, "", 3},
    };
    TempDir dir;
    int index = 0;
    for (const Case& c : cases) {
        const fs::path bin = dir.path() / std::to_string(index);
        const fs::path log = dir.path() / (std::to_string(index++) + ".log");
        writeFakeCompiler(bin / c.file, c.answers, log);
        const auto found = Rilk::scanCompilerDirectory(cKind, bin);
        ASSERT_EQ(found.size(), 1u) << c.file;
        EXPECT_EQ(found[0].version, c.version) << c.file;
        EXPECT_EQ(readLines(log).size(), c.probes) << c.file;
    }
}

TEST(CompilerDirectoryScan, CompilerWithoutMachineIsLeftOut) {
    TempDir dir;
    writeFakeCompiler(dir.path() / "a" / "gcc", {std::nullopt, "12.2.0", "12"});
    writeFakeCompiler(dir.path() / "b" / "gcc", {"", "12.2.0", "12"});
    dir.write("c/gcc", "#!/bin/sh\necho x86_64-linux-gnu\n");  // not executable
    fs::create_directories(dir.path() / "d" / "gcc");          // a directory
    fs::create_directories(dir.path() / "e");
    fs::create_symlink("nowhere", dir.path() / "e" / "gcc");  // a dangling link
    for (const char* sub : {"a", "b", "c", "d", "e", "missing"}) {
        EXPECT_TRUE(Rilk::scanCompilerDirectory(cKind, dir.path() / sub).empty()) << sub;
    }
}

TEST(CompilerDirectoryScan, FileReachedByTwoNamesIsProbedOnceUnderItsListedName) {
    TempDir dir;
    const fs::path log = dir.path() / "probes.log";
    const fs::path real = writeFakeCompiler(dir.path() / "real" / "driver", machineOnly, log);
    const fs::path bin = dir.path() / "bin";
    fs::create_directories(bin);
    fs::create_symlink(real, bin / "gcc");
    fs::create_symlink(bin / "gcc", bin / "cc");

    const auto found = Rilk::scanCompilerDirectory(cKind, bin);
    ASSERT_EQ(found.size(), 1u);
    const std::vector<std::string> probes = readLines(log);
    ASSERT_FALSE(probes.empty());
    EXPECT_EQ(probes[0], found[0].path + " -dumpmachine");
    EXPECT_EQ(std::count_if(probes.begin(), probes.end(),
                            [](const std::string& p) { return p.ends_with("-dumpmachine"); }),
              1);
}

TEST(CompilerDirectoryScan, OneCandidatePerTripleAndVersion) {
    TempDir dir;
    const fs::path bin = dir.path() / "bin";
    writeFakeCompiler(bin / "gcc", {"x86_64-linux-gnu", "12.2.0", ""});
    writeFakeCompiler(bin / "x86_64-linux-gnu-gcc", {"x86_64-linux-gnu", "12.2.0", ""});
    writeFakeCompiler(bin / "gcc-13", {"x86_64-linux-gnu", "13.1.0", ""});
    writeFakeCompiler(bin / "arm-none-eabi-gcc", {"arm-none-eabi", "12.2.0", ""});

    auto found = Rilk::scanCompilerDirectory(cKind, bin);
    std::vector<std::string> seen;
    for (const auto& c : found) seen.push_back(c.machine + " " + c.version);
    std::sort(seen.begin(), seen.end());
    EXPECT_EQ(seen, (std::vector<std::string>{"arm-none-eabi 12.2.0", "x86_64-linux-gnu 12.2.0",
                                              "x86_64-linux-gnu 13.1.0"}));
}

}  // namespace
