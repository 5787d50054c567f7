#include "tools/tool_tables.h"

#include <ostream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace Rilk {
namespace {

std::vector<std::string> namesOf(const AssignmentTable& table) {
    std::vector<std::string> names;
    for (const auto& [key, assignment] : table) names.push_back(assignment.name);
    return names;
}

struct Weights {
    std::string name;
    int none, partial, exact;
    bool operator==(const Weights&) const = default;
};

void PrintTo(const Weights& w, std::ostream* os) {
    *os << w.name << " " << w.none << "/" << w.partial << "/" << w.exact;
}

std::vector<Weights> weightsOf(const VariableSpecTable& table) {
    std::vector<Weights> weights;
    for (const auto& [key, spec] : table) {
        EXPECT_EQ(spec.defaultValue, nullptr) << key.str();
        weights.push_back(
            {key.str(), spec.noMatchWeight, spec.partialMatchWeight, spec.exactMatchWeight});
    }
    return weights;
}

TEST(ToolTables, AssignmentTableEntriesHaveNoValueTypeSetAndNoModifier) {
    AssignmentTable table = makeAssignmentTable({"b", "A", "a"});
    ASSERT_EQ(namesOf(table), (std::vector<std::string>{"A", "b"}));  // first spelling stays
    for (const auto& [key, assignment] : table) {
        EXPECT_EQ(assignment.value, nullptr);
        EXPECT_EQ(assignment.type, AssignType::Set);
        EXPECT_EQ(assignment.modifier, AssignModifier::None);
        EXPECT_FALSE(assignment.resolved);
    }
}

TEST(ToolTables, MatcherTables) {
    using Names = std::vector<std::string>;
    EXPECT_EQ(namesOf(gnuMatcherTables().criteria),
              (Names{"arch", "GNU", "toolchain_min_version", "toolchain_path", "TOOLCHAIN_TRIPLET",
                     "toolchain_version"}));
    EXPECT_TRUE(gnuMatcherTables().required.empty());
    EXPECT_EQ(namesOf(commandMatcherTables().criteria), (Names{"cwd"}));
    EXPECT_EQ(namesOf(commandMatcherTables().required), (Names{"cmdline"}));
    EXPECT_TRUE(noToolMatcherTables().criteria.empty());
    EXPECT_EQ(namesOf(noToolMatcherTables().required), (Names{"NO_TOOL"}));
    EXPECT_EQ(namesOf(c3MatcherTables().criteria),
              (Names{"C3C", "toolchain_min_version", "toolchain_path", "toolchain_version"}));
    EXPECT_TRUE(c3MatcherTables().required.empty());
}

TEST(ToolTables, BuilderInputVariables) {
    using Names = std::vector<std::string>;
    EXPECT_EQ(namesOf(gnuGccTables().inputVariables), (Names{"C_FILES", "OBJS"}));
    EXPECT_EQ(namesOf(gnuGppTables().inputVariables), (Names{"CPP_FILES", "OBJS"}));
    EXPECT_EQ(namesOf(gnuArTables().inputVariables), (Names{"OBJS"}));
    EXPECT_EQ(namesOf(gnuLdTables().inputVariables), (Names{"OBJS"}));
    EXPECT_EQ(namesOf(gnuObjcopyTables().inputVariables), (Names{"INPUT"}));
    EXPECT_EQ(namesOf(c3BuilderTables().inputVariables),
              (Names{"C3_FILES", "C3_TEST_FILES", "C3C_FILES"}));
    EXPECT_EQ(namesOf(noToolBuilderTables().inputVariables), (Names{"NO_TOOL"}));
    EXPECT_TRUE(noToolBuilderTables().declaredVariables.empty());
    EXPECT_EQ(gnuGccTables().inputVariables.count("c_files"), 1U);
}

TEST(ToolTables, DeclaredVariablesAndWeights) {
    using W = std::vector<Weights>;
    EXPECT_EQ(weightsOf(gnuGccTables().declaredVariables), (W{{"C_DEFINES", 0, 1, 2},
                                                              {"C_FILES", 0, 1, 2},
                                                              {"C_FLAGS", 0, 1, 2},
                                                              {"EXE", 0, 1, 2},
                                                              {"GCC", 0, 1, 2},
                                                              {"INCLUDE", 0, 1, 2},
                                                              {"LD_SCRIPT", 0, 1, 2},
                                                              {"LIB", 0, 1, 2},
                                                              {"LIBPATH", 0, 1, 2},
                                                              {"LINK_FLAGS", 0, 1, 2},
                                                              {"OBJS", 0, 1, 2},
                                                              {"OUTPUT_NAME", 0, 0, 5}}));
    EXPECT_EQ(weightsOf(gnuGppTables().declaredVariables), (W{{"C_DEFINES", 0, 1, 2},
                                                              {"C_FILES", 0, 1, 2},
                                                              {"C_FLAGS", 0, 1, 2},
                                                              {"CPP_FILES", 0, 1, 2},
                                                              {"EXE", 0, 1, 2},
                                                              {"GPP", 0, 1, 2},
                                                              {"INCLUDE", 0, 1, 2},
                                                              {"LD_SCRIPT", 0, 1, 2},
                                                              {"LIB", 0, 1, 2},
                                                              {"LIBPATH", 0, 1, 2},
                                                              {"LINK_FLAGS", 0, 1, 2},
                                                              {"OBJS", 0, 1, 2},
                                                              {"OUTPUT_NAME", 0, 0, 5}}));
    EXPECT_EQ(weightsOf(gnuArTables().declaredVariables), (W{{"AR", 0, 1, 2},
                                                             {"LIB", 0, 1, 2},
                                                             {"OBJS", 0, 1, 2},
                                                             {"OUTPUT_NAME", 0, 0, 5},
                                                             {"STATIC", 0, 0, 5}}));
    EXPECT_EQ(weightsOf(gnuLdTables().declaredVariables), (W{{"KO", 0, 1, 2},
                                                             {"LD", 0, 1, 2},
                                                             {"LD_SCRIPT", 0, 1, 2},
                                                             {"LIB", 0, 1, 2},
                                                             {"LIBPATH", 0, 1, 2},
                                                             {"LINK_FLAGS", 0, 1, 2},
                                                             {"OBJS", 0, 1, 2},
                                                             {"SHARED", 0, 1, 2},
                                                             {"SO", 0, 1, 2}}));
    EXPECT_EQ(weightsOf(gnuObjcopyTables().declaredVariables), (W{{"INPUT", 0, 1, 2},
                                                                  {"OBJCOPY", 0, 1, 2},
                                                                  {"OBJCOPY_FLAGS", 0, 1, 2},
                                                                  {"OUTPUT_NAME", 0, 1, 2}}));
    EXPECT_EQ(weightsOf(c3BuilderTables().declaredVariables), (W{{"C3_FILES", 0, 1, 2},
                                                                 {"C3_TEST_FILES", 0, 1, 2},
                                                                 {"C3C", 0, 1, 2},
                                                                 {"C3C_FILES", 0, 1, 2},
                                                                 {"C3C_FLAGS", 0, 1, 2},
                                                                 {"DLL", 0, 1, 2},
                                                                 {"EXE", 0, 1, 2},
                                                                 {"LIB", 0, 1, 2},
                                                                 {"LIB_PATH", 0, 1, 2},
                                                                 {"LIBPATH", 0, 1, 2},
                                                                 {"LINK_FLAGS", 0, 1, 2},
                                                                 {"OUTPUT_NAME", 0, 1, 2},
                                                                 {"SO", 0, 1, 2},
                                                                 {"STATIC", 0, 1, 2}}));
}

}  // namespace
}  // namespace Rilk
