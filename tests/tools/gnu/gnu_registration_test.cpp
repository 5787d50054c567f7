#include "tools/gnu/gnu_registration.h"

#include <gtest/gtest.h>

#include "support/temp_dir.h"
#include "tools/compiler_discovery.h"
#include "tools/fake_toolchain.h"
#include "tools/gnu/gnu_test_support.h"
#include "tools/tool_factory_registry.h"
#include "types/rilk_errors.h"
#include "util/logger.h"

namespace Rilk {
namespace {

namespace fs = std::filesystem;
using namespace RilkTest;

const FakeAnswers gcc12{"x86_64-linux-gnu", "12.2.0", ""};

/// A bin directory with the given compilers (file name, answers) and binutils (names).
void writeToolchain(const fs::path& bin,
                    const std::vector<std::pair<std::string, FakeAnswers>>& compilers,
                    const std::vector<std::string>& binutils = {"ar", "ld", "objcopy"}) {
    for (const auto& [name, answers] : compilers) writeFakeCompiler(bin / name, answers);
    for (const std::string& name : binutils) writeScript(bin / name, "exit 0\n");
}

AssignmentTable definition(std::vector<std::pair<const char*, const char*>> variables) {
    AssignmentTable table;
    for (const auto& [name, text] : variables) table.emplace(name, var(name, str(text)));
    return table;
}

/// The factory's error message, or "tools:" and the tools' file names.
std::string outcome(const AssignmentTable& assignments) {
    try {
        const auto matcher = createGNUMatcher("tc", assignments, {});
        std::string names = "tools:";
        for (const auto& tool : matcher->tools) names += " " + tool->name();
        return names;
    } catch (const RilkException& e) {
        return e.message();
    }
}

TEST(GnuRegistration, EveryFailureHasItsMessage) {
    TempDir dir;
    const fs::path bin = dir.path() / "tc/bin";
    writeToolchain(bin, {{"gcc", gcc12}, {"g++", gcc12}}, {"ld"});
    const std::string path = bin.string();
    const std::pair<AssignmentTable, std::string> cases[] = {
        {{}, "GNUMatcher requires want variable 'toolchain_path'."},
        {definition({{"toolchain_path", ""}}),
         "GNUMatcher requires want variable 'toolchain_path'."},
        {definition({{"toolchain_path", path.c_str()}, {"arch", "arm"}}),
         "Couldn't find GNU toolchain from provided 'wants' variables: '" + path +
             "' has x86_64-linux-gnu 12.2.0, none with arch arm."},
        {definition({{"toolchain_path", (dir.path() / "none").c_str()}}),
         "Couldn't find GNU toolchain from provided 'wants' variables: its toolchain_path '" +
             (dir.path() / "none").string() + "' does not exist."},
        {definition({{"toolchain_path", dir.path().c_str()}, {"toolchain_version", "13"}}),
         "Couldn't find GNU toolchain from provided 'wants' variables: '" + dir.path().string() +
             "' has x86_64-linux-gnu 12.2.0, none with toolchain_version 13."},
        {definition({{"toolchain_path", path.c_str()}}),
         "Required GNU tool missing: '" + path + "/x86_64-linux-gnu-ar'."},
    };
    for (const auto& [assignments, message] : cases) EXPECT_EQ(outcome(assignments), message);
    writeScript(bin / "ar", "exit 0\n");
    EXPECT_EQ(outcome(definition({{"toolchain_path", path.c_str()}})), "tools: gcc g++ ar ld");
}

TEST(GnuRegistration, NewestToolchainWinsAndPrefixedProgramsComeFirst) {
    TempDir dir;
    writeToolchain(dir.path() / "a/bin", {{"gcc", {"x86_64-linux-gnu", "13.1", ""}},
                                          {"g++", {"x86_64-linux-gnu", "13.1", ""}}});
    writeToolchain(dir.path() / "b/bin", {{"gcc", {"x86_64-linux-gnu", "13.1.0", ""}},
                                          {"g++", {"x86_64-linux-gnu", "13.1.0", ""}}});
    const fs::path newer = dir.path() / "c/bin";
    writeToolchain(newer,
                   {{"gcc", {"x86_64-linux-gnu", "12.2.0", ""}},
                    {"x86_64-linux-gnu-gcc", {"x86_64-linux-gnu", "14.1.0", ""}},
                    {"x86_64-linux-gnu-g++", {"x86_64-linux-gnu", "14.1.0", ""}}},
                   {"x86_64-linux-gnu-ar", "ar", "ld"});
    const auto assignments = definition({{"toolchain_path", dir.path().c_str()}});
    EXPECT_EQ(outcome(assignments),
              "tools: x86_64-linux-gnu-gcc x86_64-linux-gnu-g++ x86_64-linux-gnu-ar ld");
    fs::remove_all(newer);
    // Of the equal versions 13.1 and 13.1.0 the one found first stays.
    const auto found = findCompilersUnder(ToolchainWants(assignments), dir.path());
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(createGNUMatcher("tc", assignments, {})->toolchain.binDir, found[0].binDir);
}

TEST(GnuRegistration, AToolchainChosenForItsVersionRunsThatVersionsCompilers) {
    TempDir dir;
    const fs::path bin = dir.path() / "bin";
    writeToolchain(bin, {{"gcc", {"x86_64-linux-gnu", "13.1.0", ""}},
                         {"g++", {"x86_64-linux-gnu", "13.1.0", ""}},
                         {"gcc-12", {"x86_64-linux-gnu", "12.2.0", ""}},
                         {"x86_64-linux-gnu-gcc-12.2", {"arm-none-eabi", "12.2.0", ""}}});
    const auto wanted =
        definition({{"toolchain_path", bin.c_str()}, {"toolchain_version", "12.2.0"}});
    const std::string missing = "Required GNU tool missing: '" + bin.string() +
                                "/x86_64-linux-gnu-g++'. The toolchain chosen, x86_64-linux-gnu "
                                "12.2.0 (found as '" +
                                bin.string() + "/gcc-12'), has no g++ of its version there: '" +
                                bin.string() + "/g++' is x86_64-linux-gnu 13.1.0";
    const std::string advice =
        ". A toolchain's gcc and g++ must both be of its version: install the g++ of "
        "x86_64-linux-gnu 12.2.0 in '" +
        bin.string() +
        "', or choose a version whose gcc and "
        "g++ are both there with toolchain_version in the tool's definition.";
    EXPECT_EQ(outcome(wanted), missing + advice);
    writeFakeCompiler(bin / "g++-12", {"x86_64-linux-gnu", "", ""});
    EXPECT_EQ(outcome(wanted),
              missing + ", '" + bin.string() + "/g++-12' is x86_64-linux-gnu 12" + advice);
    writeFakeCompiler(bin / "g++-12.2.0", {"x86_64-linux-gnu", "12.2.0", ""});
    EXPECT_EQ(outcome(wanted), "tools: gcc-12 g++-12.2.0 ar ld objcopy");
    EXPECT_EQ(outcome(definition({{"toolchain_path", bin.c_str()}})),
              "tools: gcc g++ ar ld objcopy");
}

TEST(GnuRegistration, ANewestGccWithoutItsGppNamesTheGppFoundAndWhatToDo) {
    TempDir dir;
    const fs::path bin = dir.path() / "bin";
    const std::string b = bin.string();
    writeToolchain(
        bin, {{"gcc-13", {"x86_64-linux-gnu", "13.1.0", ""}}, {"gcc", gcc12}, {"g++", gcc12}});
    const auto any = definition({{"toolchain_path", b.c_str()}});
    const std::string missing = "Required GNU tool missing: '" + b +
                                "/x86_64-linux-gnu-g++'. The toolchain chosen, "
                                "x86_64-linux-gnu 13.1.0 (found as '" +
                                b +
                                "/gcc-13'), has no g++ of its version "
                                "there: '" +
                                b + "/g++' is ";
    const std::string advice =
        ". A toolchain's gcc and g++ must both be of its version: install the g++ of "
        "x86_64-linux-gnu 13.1.0 in '" +
        b +
        "', or choose a version whose gcc and g++ are "
        "both there with toolchain_version in the tool's definition";
    struct Case {
        const char* gpp;  // the g++ beside gcc-13, or none
        FakeAnswers answers;
        std::string outcome;
    };
    const Case cases[] = {
        {nullptr, {}, missing + "x86_64-linux-gnu 12.2.0" + advice + " (\"12.2.0\")."},
        // A g++ of no version the scan takes is named all the same.
        {"x86_64-linux-gnu-g++",
         {"x86_64-linux-gnu", "", ""},
         "Required GNU tool missing: '" + b +
             "/x86_64-linux-gnu-g++'. The toolchain chosen, "
             "x86_64-linux-gnu 13.1.0 (found as '" +
             b +
             "/gcc-13'), has no g++ of its version "
             "there: '" +
             b + "/x86_64-linux-gnu-g++' is x86_64-linux-gnu of no known version, '" + b +
             "/g++' is x86_64-linux-gnu 12.2.0" + advice + " (\"12.2.0\")."},
        {"g++-13", {"x86_64-linux-gnu", "13.1.0", ""}, "tools: gcc-13 g++-13 ar ld objcopy"},
    };
    for (const Case& c : cases) {
        if (c.gpp != nullptr) writeFakeCompiler(bin / c.gpp, c.answers);
        EXPECT_EQ(outcome(any), c.outcome) << (c.gpp ? c.gpp : "");
    }
    // The version the message offers builds.
    EXPECT_EQ(outcome(definition({{"toolchain_path", b.c_str()}, {"toolchain_version", "12.2.0"}})),
              "tools: gcc g++ ar ld objcopy");
}

TEST(GnuRegistration, TheFactoryIsRegisteredAndLogsTheSearchedDirectory) {
    TempDir dir;
    writeToolchain(dir.path() / "tc/bin", {{"gcc", gcc12}, {"g++", gcc12}});
    verbosity = 1;
    ::testing::internal::CaptureStdout();
    std::unique_ptr<Matcher> matcher(createToolMatcher(
        "GNU-GCC", "mine", definition({{"toolchain_path", dir.path().c_str()}}), {}));
    const std::string printed = ::testing::internal::GetCapturedStdout();
    verbosity = 5;
    ASSERT_NE(matcher, nullptr);
    EXPECT_EQ(matcher->name, "mine");
    EXPECT_EQ(dynamic_cast<GNUMatcher&>(*matcher).tools.size(), 5u);
    EXPECT_NE(printed.find("Compiler at " + dir.path().string() + " added.\n"), std::string::npos)
        << printed;
}

}  // namespace
}  // namespace Rilk
