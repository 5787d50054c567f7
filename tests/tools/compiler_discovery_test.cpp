#include "tools/compiler_discovery.h"

#include <algorithm>
#include <sstream>

#include <gtest/gtest.h>

#include "support/temp_dir.h"
#include "tools/fake_toolchain.h"
#include "types/rilk_value_types.h"

namespace {

namespace fs = std::filesystem;
using Rilk::CompilerInfo;
using Rilk::findCompilersUnder;
using RilkTest::FakeAnswers;
using RilkTest::writeFakeCompiler;

const FakeAnswers machineOnly{"x86_64-linux-gnu", "", ""};
const FakeAnswers gcc12{"x86_64-linux-gnu", "12.2.0", ""};
const FakeAnswers gcc13{"x86_64-linux-gnu", "13.1.0", ""};

/// The wants of a tool definition with the variables `name = text` (no value for null).
Rilk::ToolchainWants wantsOf(std::initializer_list<std::pair<const char*, const char*>> list) {
    Rilk::AssignmentMap variables;
    for (const auto& [name, text] : list) {
        variables.emplace(name,
                          Rilk::Assignment(name, text ? Rilk::makeString(text) : nullptr,
                                           Rilk::AssignType::Set, Rilk::AssignModifier::None));
    }
    return Rilk::ToolchainWants(variables);
}

/// "compiler|triple|version|toolchain root" of each record, paths relative to `base`.
std::vector<std::string> describe(const std::vector<CompilerInfo>& records, const fs::path& base) {
    std::vector<std::string> lines;
    for (const CompilerInfo& r : records) {
        EXPECT_EQ(r.binDir, r.compilerPath.parent_path());
        lines.push_back(r.compilerPath.lexically_relative(base).string() + "|" + r.prefix + "|" +
                        r.version + "|" + r.toolchainRoot.lexically_relative(base).string());
    }
    return lines;
}

TEST(CompilerDiscovery, AcceptsAndRefusesCompilerNames) {
    // Each name is tried alone in a bin directory; "!" marks a refused name, ":" the version
    // taken from an accepted name.
    const std::string expected =
        "gcc cc gcc-12:12 gcc-12.2:12.2 x86_64-linux-gnu-gcc x86_64-linux-gnu-gcc-12:12 "
        "arm-none-eabi-gcc gcc.exe gcc.EXE gcc-12.exe:12 !gcc-ar !x86_64-linux-gnu-gcc-ar-12 "
        "!kgcc !gcc- !GCC !gcc.sh g++ c++ g++-13:13 aarch64-linux-gnu-g++ !clang++";
    RilkTest::TempDir dir;
    std::string seen;
    std::istringstream words(expected);
    for (std::string word; words >> word;) {
        const std::string file = word.substr(word[0] == '!', word.find(':') - (word[0] == '!'));
        const fs::path bin = dir.path() / file / "bin";
        writeFakeCompiler(bin / file, machineOnly);
        const auto found = findCompilersUnder({}, bin);
        seen += std::string(seen.empty() ? "" : " ") + (found.empty() ? "!" : "") + file;
        if (found.empty()) continue;
        if (!found[0].version.empty()) seen += ":" + found[0].version;
        EXPECT_EQ(found[0].compilerPath, bin / file);
    }
    EXPECT_EQ(seen, expected);
}

TEST(CompilerDiscovery, VersionComesFromProbesThenFromTheName) {
    // File name, answers to the probes, the version found and the number of probes run.
    const std::tuple<const char*, FakeAnswers, const char*, std::size_t> cases[] = {
        {"gcc", {"x86_64-linux-gnu", "12.2.0", "12"}, "12.2.0", 2},
        {"gcc-11", {"x86_64-linux-gnu", "11.4.0", ""}, "11.4.0", 2},
        {"gcc", {"x86_64-linux-gnu", std::nullopt, "9"}, "9", 3},
        {"gcc", {"x86_64-linux-gnu", "", "9"}, "9", 3},
        {"gcc-11", {"x86_64-linux-gnu", "", ""}, "11", 3},
        {"gcc-11", {"x86_64-linux-gnu", std::nullopt, std::nullopt}, "11", 3},
        {"gcc", {"x86_64-linux-gnu", "", ""}, "", 3},
    };
    RilkTest::TempDir dir;
    int index = 0;
    for (const auto& [file, answers, version, probes] : cases) {
        const fs::path bin = dir.path() / std::to_string(index++) / "bin";
        writeFakeCompiler(bin / file, answers, bin / "log");
        const auto found = findCompilersUnder({}, bin);
        ASSERT_EQ(found.size(), 1u) << file;
        EXPECT_EQ(found[0].version, version) << file;
        std::ifstream log(bin / "log");
        EXPECT_EQ(std::count(std::istreambuf_iterator<char>(log), {}, '\n'), probes) << file;
    }
}

TEST(CompilerDiscovery, SearchesOfOneDirectoryProbeEachProgramOnce) {
    RilkTest::TempDir dir;
    const fs::path bin = dir.path() / "bin";
    writeFakeCompiler(bin / "gcc", gcc12, dir.path() / "log");
    EXPECT_EQ(findCompilersUnder({}, dir.path()).size(), 1u);
    EXPECT_EQ(findCompilersUnder({}, bin).size(), 1u);
    std::ifstream log(dir.path() / "log");
    std::string all((std::istreambuf_iterator<char>(log)), {});
    EXPECT_EQ(std::count(all.begin(), all.end(), '\n'), 2) << all;
}

TEST(CompilerDiscovery, LinksOfOtherNamesDoNotHideTheCompilerTheyLeadTo) {
    // Directory order is the file system's; with many such links one of them is almost
    // surely listed before the compiler itself.
    RilkTest::TempDir dir;
    const fs::path bin = dir.path() / "bin";
    const fs::path gcc = writeFakeCompiler(bin / "gcc-12", gcc12);
    for (int i = 0; i < 20; ++i) fs::create_symlink(gcc, bin / ("tool" + std::to_string(i)));
    const auto found = findCompilersUnder({}, bin);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].compilerPath, gcc);
}

TEST(CompilerDiscovery, CompilerWithoutMachineIsLeftOut) {
    RilkTest::TempDir dir;
    writeFakeCompiler(dir.path() / "a/bin/gcc", {std::nullopt, "12.2.0", "12"});
    writeFakeCompiler(dir.path() / "b/bin/gcc", {"", "12.2.0", "12"});
    dir.write("c/bin/gcc", "#!/bin/sh\necho x86_64-linux-gnu\n");  // not executable
    fs::create_directories(dir.path() / "d/bin/gcc");              // a directory
    fs::create_symlink("nowhere", dir.path() / "c/bin/cc");        // a dangling link
    EXPECT_TRUE(findCompilersUnder({}, dir.path()).empty());
}

TEST(CompilerDiscovery, OneRecordPerTripleAndVersion) {
    RilkTest::TempDir dir;
    const fs::path bin = dir.path() / "bin";
    writeFakeCompiler(bin / "gcc", gcc12);
    writeFakeCompiler(bin / "x86_64-linux-gnu-gcc", gcc12);  // same triple and version
    writeFakeCompiler(bin / "gcc-13", gcc13);
    const auto found = describe(findCompilersUnder({}, bin), bin);
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(std::count(found.begin(), found.end(), "gcc-13|x86_64-linux-gnu|13.1.0|.."), 1);
}

TEST(CompilerDiscovery, EveryNonEmptyWantMustHold) {
    // A variable of the tool definition (names ignore case), its text, and a compiler's
    // machine and version, kept or not.
    const std::tuple<const char*, const char*, const char*, const char*, bool> cases[] = {
        {"prefix", "", "x86_64-linux-gnu", "", true},
        {"arch", nullptr, "x86_64-linux-gnu", "", true},
        {"PREFIX", "x86_64-linux-gnu", "X86_64-Linux-GNU", "12.2.0", true},
        {"prefix", "x86_64-linux-gnu", "x86_64-pc-linux-gnu", "12.2.0", false},
        {"Arch", "ARM", "arm-none-eabi", "12.2.0", true},
        {"arch", "arm", "aarch64-linux-gnu", "12.2.0", false},
        {"os", "linux", "x86_64-linux-gnu", "12.2.0", true},
        {"OS", "linux", "x86_64-pc-linux-gnu", "12.2.0", false},
        {"abi", "gnu", "x86_64-linux-gnu", "12.2.0", true},
        {"abi", "gnu", "msp430-elf", "12.2.0", false},
        {"toolchain_version", "0", "x86_64-linux-gnu", "", true},
        {"toolchain_version", "0", "x86_64-linux-gnu", "13.1.0", true},
        {"toolchain_version", "12", "x86_64-linux-gnu", "12.2.0", false},
        {"TOOLCHAIN_VERSION", "12", "x86_64-linux-gnu", "12", true},
        {"toolchain_min_version", "12", "x86_64-linux-gnu", "", false},
        {"toolchain_min_version", "12", "x86_64-linux-gnu", "11.4.0", false},
        {"Toolchain_Min_Version", "12", "x86_64-linux-gnu", "12.2.0", true},
    };
    RilkTest::TempDir dir;
    int index = 0;
    for (const auto& [want, text, machine, version, kept] : cases) {
        const fs::path bin = dir.path() / std::to_string(index++) / "bin";
        writeFakeCompiler(bin / "gcc", {machine, version, ""});
        EXPECT_EQ(findCompilersUnder(wantsOf({{want, text}}), bin).size(), kept ? 1u : 0u)
            << want << ": " << machine << " " << version;
    }
    EXPECT_EQ(wantsOf({{"Toolchain_Path", "/x"}}).toolchainPath, std::optional<fs::path>("/x"));
    EXPECT_FALSE(wantsOf({{"toolchain_path", ""}}).toolchainPath.has_value());
}

TEST(CompilerDiscovery, RootNamedBinIsSearchedItselfAndCAndCppMerge) {
    RilkTest::TempDir dir;
    const fs::path bin = dir.path() / "tc/bin";
    writeFakeCompiler(bin / "g++", gcc12);
    writeFakeCompiler(bin / "gcc", gcc12);
    writeFakeCompiler(bin / "g++-13", gcc13);  // no C compiler of this version
    for (const fs::path& root : {bin, fs::path(bin.native() + "/")}) {
        EXPECT_EQ(describe(findCompilersUnder({}, root), dir.path()),
                  (std::vector<std::string>{"tc/bin/gcc|x86_64-linux-gnu|12.2.0|tc",
                                            "tc/bin/g++-13|x86_64-linux-gnu|13.1.0|tc"}))
            << root;
    }
}

TEST(CompilerDiscovery, FixedDirectoriesFirstThenTheWalkEachOnceThenTheWants) {
    RilkTest::TempDir dir;
    writeFakeCompiler(dir.path() / "bin/gcc", gcc12);
    writeFakeCompiler(dir.path() / "usr/bin/gcc", gcc13);
    writeFakeCompiler(dir.path() / "rh/gcc-toolset-12/root/usr/bin/arm-none-eabi-gcc",
                      {"arm-none-eabi", "12.2.0", ""});
    fs::create_directory_symlink("../usr/bin", dir.path() / "rh/bin");  // seen before
    EXPECT_EQ(describe(findCompilersUnder({}, dir.path()), dir.path()),
              (std::vector<std::string>{
                  "bin/gcc|x86_64-linux-gnu|12.2.0|.", "usr/bin/gcc|x86_64-linux-gnu|13.1.0|usr",
                  "rh/gcc-toolset-12/root/usr/bin/arm-none-eabi-gcc|arm-none-eabi|12.2.0|"
                  "rh/gcc-toolset-12/root/usr"}));
    const auto wants = wantsOf({{"arch", "X86_64"}, {"toolchain_min_version", "13"}});
    EXPECT_EQ(describe(findCompilersUnder(wants, dir.path()), dir.path()),
              std::vector<std::string>{"usr/bin/gcc|x86_64-linux-gnu|13.1.0|usr"});
}

TEST(CompilerDiscovery, FindsThisMachinesGcc) {
    if (!fs::exists("/usr/bin/gcc-12")) GTEST_SKIP() << "no /usr/bin/gcc-12 on this machine";
    const auto found = findCompilersUnder({}, "/usr/bin");
    const auto gcc = std::find_if(found.begin(), found.end(), [](const CompilerInfo& r) {
        return r.version == "12.2.0" && r.prefix == "x86_64-linux-gnu";
    });
    ASSERT_NE(gcc, found.end()) << ::testing::PrintToString(describe(found, "/"));
    EXPECT_EQ(gcc->arch + "|" + gcc->os + "|" + gcc->abi, "x86_64|linux|gnu");
    EXPECT_EQ(gcc->binDir, "/usr/bin");
    EXPECT_EQ(gcc->toolchainRoot, "/usr");
}

}  // namespace
