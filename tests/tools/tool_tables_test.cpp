#include "tools/tool_tables.h"

#include <gtest/gtest.h>

namespace Rilk {
namespace {

/// The names of a table, blank-separated in key order; every entry must be a bare
/// assignment (no value, type Set, modifier None, not resolved).
std::string namesOf(const AssignmentTable& table) {
    std::string names;
    for (const auto& [key, a] : table) {
        EXPECT_TRUE(!a.value && a.type == AssignType::Set && a.modifier == AssignModifier::None &&
                    !a.resolved)
            << a.name;
        names += (names.empty() ? "" : " ") + a.name;
    }
    return names;
}

/// "criteria | required".
std::string textOf(const MatcherTables& tables) {
    return namesOf(tables.criteria) + " | " + namesOf(tables.required);
}

/// "input variables | declared variables", each declared variable followed by its weights
/// for the three match kinds when they are not the usual 0, 1 and 2.
std::string textOf(const BuilderTables& tables) {
    std::string text = namesOf(tables.inputVariables) + " |";
    for (const auto& [key, spec] : tables.declaredVariables) {
        EXPECT_EQ(spec.defaultValue, nullptr) << key.str();
        const std::string weights = std::to_string(spec.weightFor(NoMatch)) +
                                    std::to_string(spec.weightFor(PartialMatch)) +
                                    std::to_string(spec.weightFor(ExactMatch));
        text += " " + key.str() + (weights == "012" ? "" : "(" + weights + ")");
    }
    return text;
}

TEST(ToolTables, BuiltInTables) {
    EXPECT_EQ(namesOf(makeAssignmentTable({"b", "A", "a"})), "A b");  // the first spelling stays
    EXPECT_EQ(gnuGccTables().inputVariables.count("c_files"), 1U);
    EXPECT_EQ(
        textOf(gnuMatcherTables()),
        "arch GNU toolchain_min_version toolchain_path TOOLCHAIN_TRIPLET toolchain_version | ");
    EXPECT_EQ(textOf(commandMatcherTables()), "cwd | cmdline");
    EXPECT_EQ(textOf(noToolMatcherTables()), " | NO_TOOL");
    EXPECT_EQ(textOf(c3MatcherTables()),
              "C3C toolchain_min_version toolchain_path toolchain_version | ");
    EXPECT_EQ(textOf(gnuGccTables()),
              "C_FILES OBJS | C_DEFINES C_FILES C_FLAGS EXE GCC INCLUDE LD_SCRIPT LIB LIBPATH "
              "LINK_FLAGS OBJS OUTPUT_NAME(005)");
    EXPECT_EQ(textOf(gnuGppTables()),
              "CPP_FILES OBJS | C_DEFINES C_FILES C_FLAGS CPP_FILES EXE GPP INCLUDE LD_SCRIPT LIB "
              "LIBPATH LINK_FLAGS OBJS OUTPUT_NAME(005)");
    EXPECT_EQ(textOf(gnuArTables()), "OBJS | AR LIB OBJS OUTPUT_NAME(005) STATIC(005)");
    EXPECT_EQ(textOf(gnuLdTables()),
              "OBJS | KO LD LD_SCRIPT LIB LIBPATH LINK_FLAGS OBJS SHARED SO");
    EXPECT_EQ(textOf(gnuObjcopyTables()), "INPUT | INPUT OBJCOPY OBJCOPY_FLAGS OUTPUT_NAME");
    EXPECT_EQ(textOf(c3BuilderTables()),
              "C3_FILES C3_TEST_FILES C3C_FILES | C3_FILES C3_TEST_FILES C3C C3C_FILES C3C_FLAGS "
              "DLL EXE LIB LIB_PATH LIBPATH LINK_FLAGS OUTPUT_NAME SO STATIC");
    EXPECT_EQ(textOf(noToolBuilderTables()), "NO_TOOL |");
}

}  // namespace
}  // namespace Rilk
