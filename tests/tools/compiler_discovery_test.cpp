#include "tools/compiler_discovery.h"

#include <algorithm>

#include <gtest/gtest.h>

#include "support/temp_dir.h"
#include "tools/fake_toolchain.h"

namespace {

namespace fs = std::filesystem;
using Rilk::CompilerInfo;
using Rilk::findCompilersUnder;
using Rilk::ToolchainWants;
using RilkTest::FakeAnswers;
using RilkTest::TempDir;
using RilkTest::writeFakeCompiler;

const FakeAnswers gcc12{"x86_64-linux-gnu", "12.2.0", ""};
const FakeAnswers gcc13{"x86_64-linux-gnu", "13.1.0", ""};
const FakeAnswers armGcc{"arm-none-eabi", "12.2.0", ""};

/// "binDir|prefix|version" of each record, in result order.
std::vector<std::string> describe(const std::vector<CompilerInfo>& records) {
    std::vector<std::string> lines;
    for (const CompilerInfo& r : records) {
        lines.push_back(r.binDir.native() + "|" + r.prefix + "|" + r.version);
    }
    return lines;
}

TEST(CompilerDiscovery, RootNamedBinIsSearchedItself) {
    TempDir dir;
    const fs::path bin = dir.path() / "tc" / "bin";
    writeFakeCompiler(bin / "gcc", gcc12);
    writeFakeCompiler(bin / "x86_64-linux-gnu-gcc-13", gcc13);
    for (const fs::path& root : {bin, fs::path(bin.native() + "/")}) {
        auto found = findCompilersUnder({}, root);
        std::sort(found.begin(), found.end(),
                  [](const auto& a, const auto& b) { return a.version < b.version; });
        EXPECT_EQ(describe(found), (std::vector<std::string>{
                                       bin.native() + "|x86_64-linux-gnu|12.2.0",
                                       bin.native() + "|x86_64-linux-gnu|13.1.0",
                                   }))
            << root;
        for (const CompilerInfo& r : found) EXPECT_EQ(r.toolchainRoot, dir.path() / "tc");
    }
}

TEST(CompilerDiscovery, FixedDirectoriesFirstThenTheWalk) {
    TempDir dir;
    const fs::path root = dir.path();
    writeFakeCompiler(root / "bin" / "gcc", gcc12);
    writeFakeCompiler(root / "usr" / "bin" / "gcc", gcc13);
    const fs::path deep = root / "rh" / "gcc-toolset-12" / "root" / "usr" / "bin";
    writeFakeCompiler(deep / "arm-none-eabi-gcc", armGcc);

    const auto found = findCompilersUnder({}, root);
    EXPECT_EQ(describe(found), (std::vector<std::string>{
                                   (root / "bin").native() + "|x86_64-linux-gnu|12.2.0",
                                   (root / "usr" / "bin").native() + "|x86_64-linux-gnu|13.1.0",
                                   deep.native() + "|arm-none-eabi|12.2.0",
                               }));
    ASSERT_EQ(found.size(), 3u);
    EXPECT_EQ(found[0].toolchainRoot, root);
    EXPECT_EQ(found[2].toolchainRoot, deep.parent_path());
    EXPECT_EQ(found[2].arch, "arm");
}

TEST(CompilerDiscovery, DirectoryReachedTwiceIsSearchedOnce) {
    TempDir dir;
    writeFakeCompiler(dir.path() / "usr" / "bin" / "gcc", gcc12);
    fs::create_directory_symlink("usr/bin", dir.path() / "bin");
    const auto found = findCompilersUnder({}, dir.path());
    EXPECT_EQ(describe(found),
              std::vector<std::string>{(dir.path() / "bin").native() + "|x86_64-linux-gnu|12.2.0"});
}

TEST(CompilerDiscovery, CAndCppOfOneToolchainMerge) {
    TempDir dir;
    const fs::path bin = dir.path() / "bin";
    writeFakeCompiler(bin / "g++", gcc12);
    writeFakeCompiler(bin / "gcc", gcc12);
    writeFakeCompiler(bin / "g++-13", gcc13);  // no C compiler of this version

    const auto found = findCompilersUnder({}, bin);
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(found[0].compilerPath, bin / "gcc");
    EXPECT_EQ(found[0].version, "12.2.0");
    EXPECT_EQ(found[1].compilerPath, bin / "g++-13");
    EXPECT_EQ(found[1].version, "13.1.0");
}

TEST(CompilerDiscovery, WantsNarrowTheResult) {
    TempDir dir;
    const fs::path bin = dir.path() / "bin";
    writeFakeCompiler(bin / "gcc", gcc12);
    writeFakeCompiler(bin / "gcc-13", gcc13);
    writeFakeCompiler(bin / "arm-none-eabi-gcc", armGcc);

    ToolchainWants wants;
    wants.arch = "X86_64";
    wants.toolchainMinVersion = "13";
    EXPECT_EQ(describe(findCompilersUnder(wants, dir.path())),
              std::vector<std::string>{bin.native() + "|x86_64-linux-gnu|13.1.0"});
    wants = {};
    wants.prefix = "arm-none-eabi";
    EXPECT_EQ(describe(findCompilersUnder(wants, dir.path())),
              std::vector<std::string>{bin.native() + "|arm-none-eabi|12.2.0"});
}

TEST(CompilerDiscovery, MissingRootOrNoCompilersGiveNothing) {
    TempDir dir;
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
    ASSERT_NE(gcc, found.end()) << ::testing::PrintToString(describe(found));
    EXPECT_EQ(gcc->arch, "x86_64");
    EXPECT_EQ(gcc->os, "linux");
    EXPECT_EQ(gcc->abi, "gnu");
    EXPECT_EQ(gcc->binDir, "/usr/bin");
    EXPECT_EQ(gcc->toolchainRoot, "/usr");
}

}  // namespace
