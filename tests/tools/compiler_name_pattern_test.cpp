// Compiler file names matched by hand must be matched exactly as the regular expression
// of the kind would match them.

#include "tools/compiler_name_pattern.h"

#include <filesystem>

#include <gtest/gtest.h>

#include "tools/compiler_identity.h"
#include "util/ci_string.h"

#include <regex>
#include <string>
#include <vector>

namespace {

TEST(CompilerNamePattern, MatchesAndVersionsAsTheRegularExpressionWould) {
    const std::vector<std::string> kinds = {"gcc", "GCC", "g\\+\\+"};
    const std::vector<std::string> names = {
        "gcc", "cc", "g++", "c++", "gcc-12", "gcc-12.2.0", "cc-4", "c++-12.2",
        "x86_64-linux-gnu-gcc", "x86_64-linux-gnu-gcc-12", "x86_64-linux-gnu-g++-12.2",
        "arm-none-eabi-c++", "-gcc", "--gcc", "a-gcc", "agcc", "gcc-", "gcc-12.", "gcc-.12",
        "gcc-1..2", "gcc-12-13", "gcc-ar", "gcc-ar-12", "x-gcc-ar", "gccgo", "tcc", "g+",
        "GCC", "x-GCC-12", "gcc12", "gcc-12a", "", "-", "c++-", "x-c++-1.2.3.4", "g++-12-x",
    };
    for (const std::string& kind : kinds) {
        const std::string core = std::string("^(?:.+-)?") +
                                 (kind == "g\\+\\+" ? "(?:g\\+\\+|c\\+\\+)" : "(?:gcc|cc)");
        const std::regex whole(core + "(?:-[0-9]+(?:\\.[0-9]+)*)?$");
        const std::regex versioned(core + "-([0-9]+(?:\\.[0-9]+)*)$");
        const Rilk::CompilerNamePattern pattern(kind);
        for (const std::string& name : names) {
            SCOPED_TRACE(kind + " " + name);
            EXPECT_EQ(pattern.matches(name), std::regex_match(name, whole));
            std::smatch match;
            const std::optional<std::string> expected =
                std::regex_match(name, match, versioned) ? std::optional(match[1].str())
                                                         : std::nullopt;
            EXPECT_EQ(pattern.version(name), expected);
        }
    }
}

TEST(CompilerNamePattern, FileNamesLoseAnExeExtensionAsPathsDo) {
    for (const std::string name : {"gcc", "gcc.exe", "GCC.EXE", "gcc.Exe", ".exe", "..exe", "a.b.exe",
                                   "gcc.exe.old", "gcc.ex", ".", "..", "x.", "c++-12.exe"}) {
        const std::filesystem::path file = std::filesystem::path("/usr/bin") / name;
        const std::string expected = Util::CiString::equal(file.extension().native(), ".exe")
                                         ? file.stem().native()
                                         : file.filename().native();
        EXPECT_EQ(Rilk::compilerNameOf(name), expected) << name;
    }
}

TEST(CompilerNamePattern, OtherKindsAreRegularExpressions) {
    const Rilk::CompilerNamePattern pattern("clang(?:-cl)?");
    EXPECT_TRUE(pattern.matches("x86_64-pc-clang-cl-17"));
    EXPECT_EQ(pattern.version("clang-17.0"), "17.0");
    EXPECT_FALSE(pattern.matches("clang-cl-x"));
}

}  // namespace
