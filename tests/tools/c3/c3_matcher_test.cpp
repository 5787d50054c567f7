#include "tools/c3/c3_matcher.h"

#include <algorithm>
#include <fstream>
#include <variant>

#include <gtest/gtest.h>

#include "support/temp_dir.h"
#include "tools/c3/c3_test_support.h"
#include "tools/c3/fake_c3c.h"
#include "tools/fake_toolchain.h"
#include "tools/tool_factory_registry.h"
#include "types/rilk_errors.h"

namespace Rilk {
namespace {

namespace fs = std::filesystem;

/// A tool definition's plain assignments: `name = text`, or a declaration when null.
AssignmentTable definition(std::initializer_list<std::pair<const char*, const char*>> list) {
    AssignmentTable table;
    for (const auto& [name, text] : list) {
        table.emplace(
            name, Assignment(name, text ? makeString(text) : nullptr,
                             text ? AssignType::Set : AssignType::Declare, AssignModifier::None));
    }
    return table;
}

/// The matcher the registered "c3c" factory makes, or the message it fails with.
std::variant<std::unique_ptr<C3Matcher>, std::string> registerTool(const AssignmentTable& plain) {
    try {
        Matcher* made = createToolMatcher("C3C", "my_c3", plain, {});
        if (made == nullptr) return std::string("no factory");
        return std::unique_ptr<C3Matcher>(&dynamic_cast<C3Matcher&>(*made));
    } catch (const RilkException& error) {
        return error.message();
    }
}

/// The message of a failed registration, or "version at path" of the chosen compiler,
/// the path relative to `base`.
std::string outcome(const AssignmentTable& plain, const fs::path& base) {
    auto made = registerTool(plain);
    if (auto* message = std::get_if<std::string>(&made)) return *message;
    const C3Matcher& matcher = *std::get<0>(made);
    EXPECT_EQ(matcher.name, "my_c3");
    EXPECT_EQ(matcher.binDirectory(), matcher.compilerPath().parent_path());
    return matcher.version() + " at " + matcher.compilerPath().lexically_relative(base).string();
}

const char* const kNoPath = "C3Matcher requires want variable 'toolchain_path'.";
const char* const kNotFound = "Couldn't find C3 toolchain from provided 'wants' variables.";

TEST(C3Registration, NewestQualifyingCompilerIsChosenAndTheRestSkippedSilently) {
    RilkTest::TempDir dir;
    const fs::path root = dir.path() / "c3";
    RilkTest::writeFakeC3c(root / "bin/c3c", "C3 Compiler Version: 0.6.1");
    RilkTest::writeFakeC3c(root / "lib/c3/c3c", "C3 Compiler Version: 0.6.8");
    RilkTest::writeFakeC3c(root / "lib/c3/nested/deeper/C3C.EXE", "C3 Compiler Version: 0.7.0");
    RilkTest::writeFakeC3c(root / "failing/c3c", "C3 Compiler Version: 9.9.9", 1);
    RilkTest::writeFakeC3c(root / "silent/c3c", "compiler stand-in without a version");
    dir.write("c3/plain/c3c", "#!/bin/sh\necho 9.9.9\n");  // not executable
    fs::create_directories(root / "link");
    fs::create_symlink(root / "bin/c3c", root / "link/c3c");
    const fs::path lone = dir.write("lone.txt", "");

    const std::pair<AssignmentTable, std::string> cases[] = {
        {definition({{"toolchain_path", root.c_str()}}),
         "0.7.0 at c3/lib/c3/nested/deeper/C3C.EXE"},
        {definition({{"toolchain_path", root.c_str()}, {"toolchain_version", "0.6.8"}}),
         "0.6.8 at c3/lib/c3/c3c"},
        {definition({{"toolchain_path", root.c_str()},
                     {"toolchain_version", "0"},
                     {"toolchain_min_version", "0.6.5"}}),
         "0.7.0 at c3/lib/c3/nested/deeper/C3C.EXE"},
        {definition({{"toolchain_path", root.c_str()}, {"toolchain_version", "0.6"}}), kNotFound},
        {definition({{"toolchain_path", (root / "bin/c3c").c_str()}}), "0.6.1 at c3/bin/c3c"},
        {definition({{"toolchain_path", (root / "lib").c_str()}}),
         "0.7.0 at c3/lib/c3/nested/deeper/C3C.EXE"},
        {definition({{"toolchain_path", lone.c_str()}}), kNotFound},
        {definition({{"toolchain_path", (root / "silent").c_str()}}), kNotFound},
        {definition({{"toolchain_path", ""}}), kNoPath},
        {definition({{"toolchain_path", nullptr}}), kNoPath},
        {definition({{"toolchain_version", "0.7.0"}}), kNoPath},
    };
    for (const auto& [plain, expected] : cases) {
        EXPECT_EQ(outcome(plain, dir.path()), expected) << expected;
    }
}

TEST(C3Registration, EachProgramIsProbedOnceAndEqualVersionsKeepTheFixedCandidate) {
    RilkTest::TempDir dir;
    const fs::path probes = dir.path() / "probes";
    const std::string body = "echo \"$0\" >> '" + probes.string() + "'\necho 'c3c 0.6.8'\n";
    RilkTest::writeScript(dir.path() / "c3/c3c", body);
    RilkTest::writeScript(dir.path() / "c3/bin/c3c", body);
    RilkTest::writeScript(dir.path() / "c3/deeper/c3c", body);
    fs::create_directories(dir.path() / "c3/other");
    fs::create_symlink(dir.path() / "c3/bin/c3c", dir.path() / "c3/other/c3c.exe");
    EXPECT_EQ(outcome(definition({{"toolchain_path", (dir.path() / "c3").c_str()}}), dir.path()),
              "0.6.8 at c3/c3c");
    std::ifstream in(probes);
    std::vector<std::string> probed;
    for (std::string line; std::getline(in, line);) probed.push_back(line);
    std::sort(probed.begin(), probed.end());
    EXPECT_EQ(probed, (std::vector<std::string>{(dir.path() / "c3/bin/c3c").string(),
                                                (dir.path() / "c3/c3c").string(),
                                                (dir.path() / "c3/deeper/c3c").string()}));
}

TEST(C3Matcher, TargetVersionsAreComparedLiterallyBeforeTheSources) {
    RilkTest::TempDir dir;
    RilkTest::writeFakeC3c(dir.path() / "bin/c3c", "c3c 0.6.8");
    auto made = registerTool(definition({{"toolchain_path", dir.path().c_str()}}));
    const std::unique_ptr<C3Matcher> matcher = std::move(std::get<0>(made));
    const RilkValuePtr sources = makeString("main.c3");
    // variables, status, kind of the toolchain_min_version entry (-1: no entry)
    const std::tuple<std::vector<RilkTest::TestVariable>, MatchStatus, int> cases[] = {
        {{{"C3_FILES", sources}}, BuildPossible, -1},
        {{{"C3_FILES", sources}, {"toolchain_version", makeString("0.6.8")}}, BuildPossible, -1},
        {{{"C3_FILES", sources}, {"toolchain_version", makeString("0")}}, BuildImpossible, -1},
        {{{"C3_FILES", sources}, {"toolchain_version", makeString("0.6")}}, BuildImpossible, -1},
        {{{"C3_FILES", sources}, {"toolchain_min_version", makeString("0.6")}},
         BuildPossible,
         ExactMatch},
        {{{"C3_FILES", sources}, {"toolchain_min_version", makeString("0.7")}},
         BuildImpossible,
         -1},
        {{{"C3C_FLAGS", sources}, {"toolchain_min_version", makeString("0.6")}},
         BuildImpossible,
         NoMatch},
    };
    const std::unique_ptr<Matcher> clone = matcher->clone();
    for (const auto& [variables, status, minimumKind] : cases) {
        auto target = RilkTest::makeC3Target(variables);
        const MatchResult result = clone->match(*target);
        EXPECT_EQ(result.status, status);
        auto entry = result.variables.find("toolchain_min_version");
        EXPECT_EQ(entry == result.variables.end() ? -1 : entry->second.kind, minimumKind);
        const std::shared_ptr<Builder> builder = clone->builderFor(*target);
        const bool buildable = variables.front().first == "C3_FILES";
        EXPECT_EQ(builder != nullptr, buildable);
        if (builder) {
            EXPECT_EQ(builder, matcher->builderFor(*target));
        }
    }
}

TEST(C3Matcher, ARefusedTargetIsToldTheVersionOrTheVariablesWanted) {
    RilkTest::TempDir dir;
    RilkTest::writeFakeC3c(dir.path() / "bin/c3c", "c3c 0.6.8");
    auto made = registerTool(definition({{"toolchain_path", dir.path().c_str()}}));
    const std::unique_ptr<C3Matcher> matcher = std::move(std::get<0>(made));
    const RilkValuePtr sources = makeString("main.c3");
    const std::string toolchain = "its toolchain (c3c, version 0.6.8) ";
    const std::string needs = "'c3c' needs C3_FILES, C3C_FILES or C3_TEST_FILES";
    // variables, how many the tool knows, why it refuses
    const std::tuple<std::vector<RilkTest::TestVariable>, int, std::string> cases[] = {
        {{{"C3_FILES", sources}, {"toolchain_version", makeString("0.6")}},
         1,
         toolchain + "is not of the toolchain_version \"0.6\" that the target asks for"},
        {{{"C3_FILES", sources},
          {"OUTPUT_NAME", sources},
          {"toolchain_min_version", makeString("0.7")}},
         2,
         toolchain + "is older than the toolchain_min_version \"0.7\" that the target asks for"},
        {{{"^C3_FILES", sources}}, 1, needs + " (the target has C3_FILES only as output variable)"},
        {{{"C3C_FLAGS", sources}, {"unknown", sources}}, 1, needs},
        {{{"unknown", sources}}, 0, needs},
    };
    for (const auto& [variables, known, reason] : cases) {
        const ToolRefusal refusal = matcher->clone()->refusal(*RilkTest::makeC3Target(variables));
        EXPECT_EQ(refusal.known, known) << reason;
        EXPECT_EQ(refusal.reason, reason);
    }
}

}  // namespace
}  // namespace Rilk
