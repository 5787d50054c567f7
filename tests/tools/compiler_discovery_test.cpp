// Compiler discovery from the bottom up: the scan of one directory, the merge of its
// candidates against a tool definition's wants, and the search below a root.
#include "tools/compiler_discovery.h"

#include <algorithm>
#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

#include "support/temp_dir.h"
#include "tools/compiler_candidate_merge.h"
#include "tools/compiler_directory_scan.h"
#include "tools/fake_toolchain.h"
#include "types/rilk_value_types.h"

namespace {

namespace fs = std::filesystem;
using namespace Rilk;
using RilkTest::FakeAnswers;
using RilkTest::writeFakeCompiler;

const char* const cKind = "gcc";
const char* const cppKind = "g\\+\\+";
const FakeAnswers machineOnly{"x86_64-linux-gnu", "", ""};
const FakeAnswers gcc12{"x86_64-linux-gnu", "12.2.0", ""};
const FakeAnswers gcc13{"x86_64-linux-gnu", "13.1.0", ""};
const FakeAnswers armGcc{"arm-none-eabi", "12.2.0", ""};

/// The wants of a tool definition with the variables `name = text` (no value for null).
ToolchainWants wantsOf(std::initializer_list<std::pair<const char*, const char*>> variables) {
    std::map<Util::CiString, Assignment> table;
    for (const auto& [name, text] : variables) {
        table.emplace(name, Assignment(name, text ? makeString(text) : nullptr, AssignType::Set,
                                       AssignModifier::None));
    }
    return ToolchainWants(table);
}

/// The lines of a file, none when it does not exist.
std::vector<std::string> readLines(const fs::path& file) {
    std::vector<std::string> lines;
    std::ifstream in(file);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
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

TEST(CompilerDirectoryScan, AcceptsAndRefusesCompilerNames) {
    // Each name is tried alone in a directory; "!" marks a refused name, ":" the version
    // taken from an accepted name.
    const std::pair<const char*, std::string> cases[] = {
        {cKind,
         "gcc cc gcc-12:12 gcc-12.2:12.2 x86_64-linux-gnu-gcc x86_64-linux-gnu-gcc-12:12 "
         "arm-none-eabi-gcc gcc.exe gcc.EXE gcc-12.exe:12 !gcc-ar !x86_64-linux-gnu-gcc-ar-12 "
         "!kgcc !gcc- !GCC !gcc.sh !g++"},
        {cppKind, "g++ c++ g++-13:13 aarch64-linux-gnu-g++ !clang++ !gcc"},
    };
    RilkTest::TempDir dir;
    int index = 0;
    for (const auto& [kind, expected] : cases) {
        std::string seen;
        std::istringstream words(expected);
        for (std::string word; words >> word;) {
            const std::string file = word.substr(word[0] == '!', word.find(':') - (word[0] == '!'));
            const fs::path bin = dir.path() / std::to_string(index++);
            writeFakeCompiler(bin / file, machineOnly);
            const auto found = scanCompilerDirectory(kind, bin);
            seen += std::string(seen.empty() ? "" : " ") + (found.empty() ? "!" : "") + file;
            if (found.empty()) continue;
            if (!found[0].version.empty()) seen += ":" + found[0].version;
            EXPECT_EQ(found[0].machine, "x86_64-linux-gnu");
            EXPECT_EQ(found[0].path, (bin / file).native());
        }
        EXPECT_EQ(seen, expected);
    }
}

TEST(CompilerDirectoryScan, VersionComesFromProbesThenFromTheName) {
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
        const fs::path bin = dir.path() / std::to_string(index);
        const fs::path log = dir.path() / (std::to_string(index++) + ".log");
        writeFakeCompiler(bin / file, answers, log);
        const auto found = scanCompilerDirectory(cKind, bin);
        ASSERT_EQ(found.size(), 1u) << file;
        EXPECT_EQ(found[0].version, version) << file;
        EXPECT_EQ(readLines(log).size(), probes) << file;
    }
}

TEST(CompilerDirectoryScan, CompilerWithoutMachineIsLeftOut) {
    RilkTest::TempDir dir;
    writeFakeCompiler(dir.path() / "a/gcc", {std::nullopt, "12.2.0", "12"});
    writeFakeCompiler(dir.path() / "b/gcc", {"", "12.2.0", "12"});
    dir.write("c/gcc", "#!/bin/sh\necho x86_64-linux-gnu\n");  // not executable
    fs::create_directories(dir.path() / "d/gcc");              // a directory
    fs::create_directories(dir.path() / "e");
    fs::create_symlink("nowhere", dir.path() / "e/gcc");  // a dangling link
    for (const char* sub : {"a", "b", "c", "d", "e", "missing"}) {
        EXPECT_TRUE(scanCompilerDirectory(cKind, dir.path() / sub).empty()) << sub;
    }
}

TEST(CompilerDirectoryScan, OneCandidatePerFileAndPerTripleAndVersion) {
    RilkTest::TempDir dir;
    const fs::path log = dir.path() / "probes.log", bin = dir.path() / "bin";
    // One file under three names: probed once, under a name listed in the directory.
    writeFakeCompiler(dir.path() / "real/driver", gcc12, log);
    fs::create_directories(bin);
    fs::create_symlink(dir.path() / "real/driver", bin / "gcc");
    fs::create_symlink(bin / "gcc", bin / "cc");
    fs::create_symlink("./gcc", bin / "x86_64-linux-gnu-gcc-12");
    // Another file of the same triple and version, and two that differ.
    writeFakeCompiler(bin / "x86_64-linux-gnu-gcc", gcc12);
    writeFakeCompiler(bin / "gcc-13", gcc13);
    writeFakeCompiler(bin / "arm-none-eabi-gcc", armGcc);

    std::vector<std::string> seen;
    for (const auto& c : scanCompilerDirectory(cKind, bin))
        seen.push_back(c.machine + " " + c.version);
    std::sort(seen.begin(), seen.end());
    EXPECT_EQ(seen, (std::vector<std::string>{"arm-none-eabi 12.2.0", "x86_64-linux-gnu 12.2.0",
                                              "x86_64-linux-gnu 13.1.0"}));
    const std::vector<std::string> probes = readLines(log);
    ASSERT_FALSE(probes.empty());
    EXPECT_TRUE(probes[0].starts_with(bin.native() + "/")) << probes[0];
    EXPECT_EQ(std::count_if(probes.begin(), probes.end(),
                            [](const std::string& p) { return p.ends_with("-dumpmachine"); }),
              1);
}

TEST(CompilerCandidateMerge, RecordDescribesTheCandidateAndSplitsItsTriple) {
    const std::pair<const char*, const char*> cases[] = {
        {"x86_64-linux-gnu", "x86_64|linux|gnu"},
        {"x86_64-pc-linux-gnu", "x86_64|pc|linux"},
        {"arm-none-eabi", "arm|none|eabi"},
        {"msp430-elf", "msp430|elf|"},
        {"avr", "avr||"},
        {"a--c-", "a||c"},
    };
    for (const auto& [machine, parts] : cases) {
        std::vector<CompilerInfo> out;
        mergeCompilerCandidates({}, "/opt/tc", {{"12.2.0", machine, "/opt/tc/bin/gcc-12"}}, out);
        ASSERT_EQ(out.size(), 1u);
        EXPECT_EQ(out[0].arch + "|" + out[0].os + "|" + out[0].abi, parts) << machine;
        EXPECT_EQ(describe(out, "/opt"),
                  std::vector<std::string>{"tc/bin/gcc-12|" + std::string(machine) + "|12.2.0|tc"});
    }
}

TEST(CompilerCandidateMerge, EveryNonEmptyWantMustHold) {
    // A variable of the tool definition (names ignore case), its text, and a candidate's
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
    for (const auto& [want, text, machine, version, kept] : cases) {
        std::vector<CompilerInfo> out(1);  // appended to, never replaced
        mergeCompilerCandidates(wantsOf({{want, text}}), "/r", {{version, machine, "/b/gcc"}}, out);
        EXPECT_EQ(out.size(), kept ? 2u : 1u) << want << ": " << machine << " " << version;
    }
}

TEST(CompilerCandidateMerge, AllWantsTogetherKeepTheCandidatesOrder) {
    const auto wants = wantsOf({{"toolchain_path", "/opt/cross"},
                                {"prefix", "x86_64-linux-gnu"},
                                {"arch", "x86_64"},
                                {"os", "linux"},
                                {"abi", "gnu"},
                                {"toolchain_version", "12.2.0"},
                                {"toolchain_min_version", "12"}});
    EXPECT_EQ(wants.toolchainPath, std::optional<fs::path>("/opt/cross"));
    EXPECT_FALSE(wantsOf({{"toolchain_path", ""}}).toolchainPath.has_value());
    std::vector<CompilerInfo> out;
    mergeCompilerCandidates(wants, "/",
                            {{"12.2.0", "x86_64-linux-gnu", "/b/first-gcc"},
                             {"12.2.0", "x86_64-linux-musl", "/b/musl-gcc"},
                             {"12.2.0", "X86_64-LINUX-GNU", "/c/second-gcc"}},
                            out);
    EXPECT_EQ(describe(out, "/"),
              (std::vector<std::string>{"b/first-gcc|x86_64-linux-gnu|12.2.0|.",
                                        "c/second-gcc|X86_64-LINUX-GNU|12.2.0|."}));
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
    writeFakeCompiler(dir.path() / "rh/gcc-toolset-12/root/usr/bin/arm-none-eabi-gcc", armGcc);
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

TEST(CompilerDiscovery, MissingRootOrNoCompilersGiveNothing) {
    RilkTest::TempDir dir;
    dir.write("bin/readme", "not a compiler");
    const fs::path file = dir.write("plain-file", "");
    for (const fs::path& root : {dir.path() / "missing", dir.path(), file, fs::path()}) {
        EXPECT_TRUE(findCompilersUnder({}, root).empty()) << root;
    }
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
