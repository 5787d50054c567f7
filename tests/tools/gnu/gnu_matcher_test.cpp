#include "tools/gnu/gnu_matcher.h"

#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tools/gnu/gnu_ar.h"
#include "tools/gnu/gnu_gcc.h"
#include "tools/gnu/gnu_ld.h"
#include "tools/gnu/gnu_objcopy.h"
#include "tools/gnu/gnu_test_support.h"
#include "util/logger.h"

namespace Rilk {
namespace {

using namespace RilkTest;

/// A matcher for the definition's variables over a toolchain of `version` with all five
/// tools (four without the object copier).
GNUMatcher matcherFor(const std::string& version, std::vector<Assignment> definition = {},
                      bool withObjcopy = true) {
    AssignmentTable plain;
    for (Assignment& a : definition) plain.insert_or_assign(a.name, a);
    GNUMatcher matcher("tc", plain, {});
    matcher.toolchain = toolchainIn("/tc/bin");
    matcher.toolchain.version = version;
    const CompilerInfo& tc = matcher.toolchain;
    matcher.tools = {std::make_shared<GNU_GCC>(gnuGccTables(), tc, "/tc/bin/gcc"),
                     std::make_shared<GNU_GPP>(gnuGppTables(), tc, "/tc/bin/g++"),
                     std::make_shared<GNU_AR>(gnuArTables(), tc, "/tc/bin/ar"),
                     std::make_shared<GNU_LD>(gnuLdTables(), tc, "/tc/bin/ld")};
    if (withObjcopy) {
        matcher.tools.push_back(
            std::make_shared<GNU_OBJCOPY>(gnuObjcopyTables(), tc, "/tc/bin/objcopy"));
    }
    return matcher;
}

/// What `action` prints at verbosity 1.
std::string printedBy(const std::function<void()>& action) {
    const int saved = verbosity;
    verbosity = 1;
    ::testing::internal::CaptureStdout();
    action();
    flushConsole();
    verbosity = saved;
    return ::testing::internal::GetCapturedStdout();
}

/// The name of the builder handed out ("none" for none).
std::string builderName(const GNUMatcher& matcher, const TargetContext& target) {
    const auto builder = matcher.builderFor(target);
    return builder ? builder->name() : "none";
}

TEST(GnuMatcher, ToolchainWantsOfTheTargetAndTheDefinition) {
    const auto a = [](const char* name, const char* text) {
        return var(name, text ? str(text) : nullptr);
    };
    // Toolchain version, definition's wants, target's wants, accepted.
    const std::tuple<const char*, std::vector<Assignment>, std::vector<Assignment>, bool> cases[] =
        {
            {"12.2.0", {}, {a("ARCH", "X86_64")}, true},
            {"12.2.0", {}, {a("ARCH", "")}, true},
            {"12.2.0", {}, {a("ARCH", nullptr)}, true},
            {"12.2.0", {}, {a("ARCH", "arm")}, false},
            {"12.2.0", {}, {a("TOOLCHAIN_TRIPLET", "x86_64-linux-gnu")}, true},
            {"12.2.0", {}, {a("TOOLCHAIN_TRIPLET", "x86_64-linux")}, false},
            {"12.2.0", {}, {a("TOOLCHAIN_TRIPLET", nullptr)}, true},
            {"12.2.1", {}, {var("toolchain_version", list({"11.4.0", "12.2.1"}))}, true},
            {"12.2.0", {}, {a("toolchain_version", "12")}, false},
            {"12.2.0", {}, {a("toolchain_version", nullptr)}, false},
            {"12.0.0", {}, {a("toolchain_min_version", "12")}, true},
            {"13.1", {}, {a("toolchain_min_version", "12")}, true},
            {"11.4.0", {}, {a("toolchain_min_version", "12")}, false},
            {"11.4.0", {}, {a("toolchain_min_version", "0")}, true},
            {"11.4.0", {}, {a("toolchain_min_version", "")}, true},
            {"12.2.0", {a("toolchain_version", "0")}, {}, false},
            {"12.2.0", {a("toolchain_version", "12.2.0")}, {}, true},
            {"12.2.0", {a("toolchain_version", nullptr)}, {}, true},
            {"12.2.0", {a("toolchain_min_version", "13")}, {}, false},
        };
    for (const auto& [version, definition, wants, accepted] : cases) {
        std::vector<Assignment> variables = wants;
        variables.push_back(var("C_FILES", str("a.c")));
        const auto target = makeTarget(variables);
        const GNUMatcher matcher = matcherFor(version, definition);
        const MatchResult result = matcher.match(*target);
        EXPECT_EQ(result.status == BuildPossible, accepted)
            << version << " " << (wants.empty() ? definition : wants)[0].toString();
        if (!accepted) {
            EXPECT_TRUE(result.variables.empty());
        }
    }
}

TEST(GnuMatcher, MatchTakesTheFirstCapableToolAndBuilderForTheBestScoring) {
    verbosity = 6;
    // Target variables, the builder handed out with and without an object copier.
    const std::tuple<std::vector<Assignment>, const char*, const char*> cases[] = {
        {{var("C_FILES", str("a.c"))}, "gcc", "gcc"},
        {{var("C_FILES", str("a.c")), var("CPP_FILES", str("b.cpp"))}, "g++", "g++"},
        {{var("CPP_FILES", str("b.cpp")), var("OBJS", str("a.o"), AssignModifier::Up)}, "g++",
         "g++"},
        {{var("OBJS", str("a.o"), AssignModifier::Up)}, "none", "none"},
        {{var("OBJS", str("a.o")), var("OUTPUT_NAME", str("libx.a"))}, "ar", "ar"},
        {{var("OBJS", str("a.o")), var("SO", str("1"))}, "ld", "ld"},
        {{var("OBJS", str("a.o"))}, "gcc", "gcc"},
        {{var("INPUT", str("a.elf"))}, "objcopy", "none"},
        {{var("INCLUDE", str("inc"))}, "none", "none"},
        {{}, "none", "none"},
    };
    for (const auto& [variables, withObjcopy, without] : cases) {
        const auto target = makeTarget(variables);
        const GNUMatcher full = matcherFor("12.2.0");
        EXPECT_EQ(builderName(full, *target), withObjcopy);
        EXPECT_EQ(builderName(matcherFor("12.2.0", {}, false), *target), without);
        EXPECT_EQ(full.match(*target).status == BuildPossible, std::string(withObjcopy) != "none");
    }
    // The usage map scored is GCC's, the first tool that can build an archive target.
    const auto archive = makeTarget({var("OBJS", str("a.o")), var("OUTPUT_NAME", str("libx.a"))});
    EXPECT_EQ(matcherFor("12.2.0").match(*archive).variables.at("OUTPUT_NAME").kind, PartialMatch);
    verbosity = 5;
}

TEST(GnuMatcher, MatchGivesWhatTheToolsFullMatchesGiveOneByOne) {
    // The matcher classifies the variables for the tool whose result it returns only; the
    // result and the messages must be those of matching every tool in turn. For a target
    // no tool can build, the variables are the last tool's while matches are traced, and
    // none otherwise.
    const std::vector<Assignment> cases[] = {
        {var("C_FILES", str("a.c")), var("X", str("1"))},
        {var("C_FILES", str("a.c"), AssignModifier::Up), var("OBJS", str("a.o"))},
        {var("OBJS", str("a.o"), AssignModifier::Up), var("INPUT", str("a.elf"))},
        {var("OBJS", str("a.o"), AssignModifier::Up), var("OUTPUT_NAME", str("libx.a"))},
        {var("cmdline", str("cp a b")), var("in", str("a"))},
        {},
    };
    for (const bool withObjcopy : {true, false}) {
        const GNUMatcher matcher = matcherFor("12.2.0", {}, withObjcopy);
        for (const auto& variables : cases) {
            const auto target = makeTarget(variables);
            MatchResult expected;
            const std::string expectedOutput = printedBy([&] {
                for (const auto& tool : matcher.tools) {
                    expected = tool->selectMatchSubject(*target);
                    if (expected.status == BuildPossible) break;
                }
            });
            MatchResult result;
            EXPECT_EQ(printedBy([&] { result = matcher.match(*target); }), expectedOutput);
            EXPECT_EQ(result.status, expected.status);
            if (expected.status != BuildPossible) {
                EXPECT_TRUE(result.variables.empty());
                verbosity = 0;
                result = matcher.match(*target);
                verbosity = 5;
            }
            ASSERT_EQ(result.variables.size(), expected.variables.size());
            for (const auto& [name, usage] : expected.variables) {
                EXPECT_EQ(result.variables.at(name).kind, usage.kind) << name.str();
                EXPECT_EQ(result.variables.at(name).claimed, usage.claimed) << name.str();
            }
        }
    }
}

}  // namespace
}  // namespace Rilk
