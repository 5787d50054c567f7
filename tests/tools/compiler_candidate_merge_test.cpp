#include "tools/compiler_candidate_merge.h"

#include <gtest/gtest.h>

namespace {

using Rilk::CompilerCandidate;
using Rilk::CompilerInfo;
using Rilk::ToolchainWants;

std::vector<CompilerInfo> merge(const ToolchainWants& wants,
                                std::vector<CompilerCandidate> candidates) {
    std::vector<CompilerInfo> out;
    Rilk::mergeCompilerCandidates(wants, "/opt/tc/usr", std::move(candidates), out);
    return out;
}

TEST(CompilerCandidateMerge, RecordDescribesTheCandidate) {
    const auto out = merge({}, {{"12.2.0", "x86_64-linux-gnu", "/opt/tc/usr/bin/gcc-12"}});
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0].version, "12.2.0");
    EXPECT_EQ(out[0].prefix, "x86_64-linux-gnu");
    EXPECT_EQ(out[0].binDir, "/opt/tc/usr/bin");
    EXPECT_EQ(out[0].toolchainRoot, "/opt/tc/usr");
    EXPECT_EQ(out[0].compilerPath, "/opt/tc/usr/bin/gcc-12");
}

TEST(CompilerCandidateMerge, TripleSplitsIntoArchOsAbi) {
    struct Case {
        const char* machine;
        const char* arch;
        const char* os;
        const char* abi;
    };
    const Case cases[] = {
        {"x86_64-linux-gnu", "x86_64", "linux", "gnu"},
        {"x86_64-pc-linux-gnu", "x86_64", "pc", "linux"},
        {"arm-none-eabi", "arm", "none", "eabi"},
        {"msp430-elf", "msp430", "elf", ""},
        {"avr", "avr", "", ""},
        {"a--c-", "a", "", "c"},
    };
    for (const Case& c : cases) {
        const auto out = merge({}, {{"1", c.machine, "/b/gcc"}});
        ASSERT_EQ(out.size(), 1u);
        EXPECT_EQ(out[0].arch, c.arch) << c.machine;
        EXPECT_EQ(out[0].os, c.os) << c.machine;
        EXPECT_EQ(out[0].abi, c.abi) << c.machine;
    }
}

TEST(CompilerCandidateMerge, EveryNonEmptyWantMustHold) {
    struct Case {
        ToolchainWants wants;
        const char* machine;
        const char* version;
        bool kept;
    };
    auto want = [](auto field, const char* text) {
        ToolchainWants w;
        w.*field = text;
        return w;
    };
    using W = ToolchainWants;
    const Case cases[] = {
        {{}, "x86_64-linux-gnu", "", true},
        {want(&W::prefix, "x86_64-linux-gnu"), "X86_64-Linux-GNU", "12.2.0", true},
        {want(&W::prefix, "x86_64-linux-gnu"), "x86_64-pc-linux-gnu", "12.2.0", false},
        {want(&W::arch, "ARM"), "arm-none-eabi", "12.2.0", true},
        {want(&W::arch, "arm"), "aarch64-linux-gnu", "12.2.0", false},
        {want(&W::os, "linux"), "x86_64-linux-gnu", "12.2.0", true},
        {want(&W::os, "linux"), "x86_64-pc-linux-gnu", "12.2.0", false},
        {want(&W::abi, "gnu"), "x86_64-linux-gnu", "12.2.0", true},
        {want(&W::abi, "gnu"), "msp430-elf", "12.2.0", false},
        {want(&W::toolchainVersion, "0"), "x86_64-linux-gnu", "", true},
        {want(&W::toolchainVersion, "0"), "x86_64-linux-gnu", "13.1.0", true},
        {want(&W::toolchainVersion, "12"), "x86_64-linux-gnu", "12.2.0", false},
        {want(&W::toolchainVersion, "12"), "x86_64-linux-gnu", "12", true},
        {want(&W::toolchainMinVersion, "12"), "x86_64-linux-gnu", "", false},
        {want(&W::toolchainMinVersion, "12"), "x86_64-linux-gnu", "11.4.0", false},
        {want(&W::toolchainMinVersion, "12"), "x86_64-linux-gnu", "12.2.0", true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(merge(c.wants, {{c.version, c.machine, "/b/gcc"}}).size(), c.kept ? 1u : 0u)
            << c.machine << " " << c.version;
    }
}

TEST(CompilerCandidateMerge, AllWantsTogetherAndOrderKept) {
    ToolchainWants wants;
    wants.prefix = "x86_64-linux-gnu";
    wants.arch = "x86_64";
    wants.os = "linux";
    wants.abi = "gnu";
    wants.toolchainVersion = "12.2.0";
    wants.toolchainMinVersion = "12";
    const auto out = merge(wants, {
                                      {"12.2.0", "x86_64-linux-gnu", "/b/first-gcc"},
                                      {"12.2.0", "x86_64-linux-musl", "/b/musl-gcc"},
                                      {"12.2.0", "X86_64-LINUX-GNU", "/c/second-gcc"},
                                  });
    ASSERT_EQ(out.size(), 2u);
    EXPECT_EQ(out[0].compilerPath, "/b/first-gcc");
    EXPECT_EQ(out[1].compilerPath, "/c/second-gcc");

    std::vector<CompilerInfo> existing(1);
    Rilk::mergeCompilerCandidates(wants, "/r", {{"12.2.0", "x86_64-linux-gnu", "/b/gcc"}},
                                  existing);
    EXPECT_EQ(existing.size(), 2u);  // appended, never replaced
}

}  // namespace
