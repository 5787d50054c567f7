// Hostile but valid-looking unit files: each one parses, and resolving its target ends in
// the result or in a clear error, never in a crash, a hang or an exhausted memory.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "../../fuzz/resolve_entry.h"
#include "../support/temp_dir.h"
#include "parser_test_support.h"
#include "sanitizer_scale.h"
#include "types/reference_parser.h"

namespace {

using RilkTest::scaled;

enum Build { kEither, kRelease, kSanitized };
constexpr Build kThisBuild = RilkTest::kSizeDivisor == 1 ? kRelease : kSanitized;

std::string repeat(const std::string& text, int times) {
    std::string out;
    for (int i = 0; i < times; ++i) out += text;
    return out;
}

/// n nested "a[" ... "]" around "a".
std::string nestedIndex(int n) { return repeat("a[", n) + "a" + repeat("]", n); }

/// The target `t` of the unit text, as a build makes it: context, conditions, then
/// `x` resolved. "= " and the result's first 60 characters, or "! " and the error.
std::string outcome(const std::string& unitText) {
    try {
        const auto unit = unitOf("t: { " + unitText + " }\nb(p): { }\n");
        const Rilk::Target& target = unit->targets.at("t");
        auto context = std::make_shared<Rilk::TargetContext>(
            target.name, target.parameterNames, std::vector<Rilk::RilkValuePtr>{},
            target.assignments, target.conditions, target.dependencies);
        context->evaluateConditions();
        const Rilk::RilkValuePtr value = context->resolve(Rilk::parseReferenceName("x"));
        return "= " + (value ? value->toString().substr(0, 60) : "<none>");
    } catch (const Rilk::RilkException& error) {
        return "! " + error.message().substr(0, 200);
    } catch (const Rilk::ParseError& error) {
        return "! " + error.message;
    }
}

/// `count` variables a1 ... a<count>, each written as `link(i + 1)`, the last "end".
std::string chain(int count, const std::function<std::string(int)>& link) {
    std::string text = "x = " + link(1) + "\n";
    for (int i = 1; i < count; ++i) text += "a" + std::to_string(i) + " = " + link(i + 1) + "\n";
    return text + "a" + std::to_string(count) + " = \"end\"\n";
}

std::string doubling(int count) {
    std::string text = "a0 = \"xy\"\n";
    for (int i = 1; i <= count; ++i) {
        const std::string previous = "${a" + std::to_string(i - 1) + "}";
        text += "a" + std::to_string(i) + " = \"" + previous + previous + "\"\n";
    }
    return text + "x = \"${a" + std::to_string(count) + "}\"\n";
}

std::string conditions(int count) {
    return "v = \"1\" x = \"\"\n" + repeat("if v = \"1\" { x += \"b\" }\n", count);
}

TEST(HostileUnit, EveryInputEndsInItsResultOrAClearError) {
    const auto reference = [](int i) { return "\"${a" + std::to_string(i) + "}\""; };
    const auto name = [](int i) { return "a" + std::to_string(i); };
    const struct {
        const char* input;
        std::string text;
        std::string expected;
        // Inputs that only cost time or memory come in a smaller size for the sanitizer build.
        Build only = kEither;
    } cases[] = {
        // The depth limit counts variables, and a sanitizer build may run out of the stack
        // it allows first: either way the error names the variable reached.
        {"reference chain past the depth limit", chain(scaled(8000) + 2000, reference), "! "},
        {"reference chain within it", chain(scaled(800), reference), "= end"},
        {"identifier chain", chain(scaled(25000), name), "! "},
        {"group rebuilt from its own elements",
         "l = [\"#{l\"] x = \"#{l" + repeat("}", scaled(12000)) + "\"",
         "! Variable 'x' nested too deeply"},
        {"index nesting in a reference", "a = \"0\" x = \"${" + nestedIndex(scaled(30000)) + "}\"",
         "! Variable 'x', value " + ("\"${" + nestedIndex(scaled(30000))).substr(0, 100) +
             "...: nested too deeply: flatten the indices"},
        {"reference joined by a trailing $", "a = \"{a}{a}$$\" x = \"${a}{a}\"",
         "! Variable 'x' forms more than 65536 references"},
        {"group doubling itself", "l = \"#{l #{l\" x = \"#{l" + repeat("}", 22) + "\"",
         "! Variable 'x' cross expands to more than", kRelease},
        {"cross product", "l = [0, 1, 2, 3, 4, 5, 6, 7, 8, 9] x = \"" + repeat("#{l}", 7) + "\"",
         "! Variable 'x' cross expands to more than", kRelease},
        {"smaller cross product",
         "l = [0, 1, 2, 3, 4, 5, 6, 7, 8, 9] x = \"" + repeat("#{l}", 5) + "\"", "= 00000 00001",
         kSanitized},
        {"reference doubling", doubling(26), "! Variable 'a24' expands to more than 16777216 bytes",
         kRelease},
        {"smaller reference doubling", doubling(20), "= xyxy", kSanitized},
        {"many references", "v = \"w\" x = \"" + repeat("${v}", scaled(20000)) + "\"", "= www"},
        {"many appends", "x = [\"a\"]\n" + repeat("x += \"b\"\n", scaled(20000)), "= a b b"},
        {"many condition blocks", conditions(scaled(100000)), "=  b b b"},
        {"range of a missing variable", "x = y[-1:-5]", "! Variable 'x': Variable 'y' not found."},
    };
    for (const auto& each : cases) {
        if (each.only != kEither && each.only != kThisBuild) continue;
        const std::string result = outcome(each.text);
        EXPECT_THAT(result, ::testing::StartsWith(each.expected)) << each.input;
        if (each.expected == "! ") {
            EXPECT_THAT(result, ::testing::HasSubstr("nested too deeply")) << each.input;
        }
    }
}

TEST(HostileUnit, DynamicDependencyParameterNestingIsAClearError) {
    const auto unit = unitOf("t: @deps { a = \"0\" deps = \"b(" + nestedIndex(scaled(30000)) +
                             ")\" }\nb(p): { }\n");
    const Rilk::Target& target = unit->targets.at("t");
    Rilk::TargetContext context(target.name, {}, {}, target.assignments, target.conditions,
                                target.dependencies);
    try {
        context.createDependencyList();
        ADD_FAILURE() << "no error";
    } catch (const Rilk::RilkException& error) {
        EXPECT_THAT(error.message(),
                    ::testing::HasSubstr("nested too deeply: flatten the indices"));
    }
}

TEST(HostileUnit, GlobsThroughLinksBackToTheirParentEndAndNulBytesAreRefused) {
    const RilkTest::TempDir directory;
    RilkFuzz::makeGlobTree(directory.path());
    const std::string root = directory.path().string();
    EXPECT_EQ(outcome("x = P\"(" + root + "/L/*/*/*/*/*/*)\""),
              "= " + (root + "/L/*/*/*/*/*/*").substr(0, 60));
    EXPECT_THAT(outcome("x = P\"(" + root + "/L/s*/*.c)\""), ::testing::EndsWith("/L/sub/c.c"));
    EXPECT_THAT(outcome("x = P\"(" + root + std::string("/L\0junk/s*)\"", 12)),
                ::testing::StartsWith("! Variable 'x', value P\"" + root +
                                      "/L\\x00junk/s*\": Path holds a NUL byte: '" + root +
                                      "/L\\0junk/s*'"));
}

}  // namespace
