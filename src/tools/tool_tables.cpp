#include "tools/tool_tables.h"

#include <string>

namespace Rilk {

namespace {

/// Gives `name` the weights 0, 0, 5: only a declaration without value earns points, and
/// then more than any ordinary variable.
void preferDeclaration(VariableSpecTable& table, const char* name) {
    VariableSpec& spec = table.at(name);
    spec.noMatchWeight = 0;
    spec.partialMatchWeight = 0;
    spec.exactMatchWeight = 5;
}

/// Marks the variables the builder takes as lists of paths.
void markPathLists(VariableSpecTable& table, std::initializer_list<const char*> names) {
    for (const char* name : names) table.at(name).pathList = true;
}

BuilderTables gccTables() {
    BuilderTables tables{
        makeAssignmentTable({"C_FILES", "OBJS"}),
        makeVariableSpecTable({"GCC", "EXE", "C_FLAGS", "C_FILES", "C_DEFINES", "INCLUDE", "LIB",
                               "OUTPUT_NAME", "OBJS", "LD_SCRIPT", "LIBPATH", "LINK_FLAGS"})};
    preferDeclaration(tables.declaredVariables, "OUTPUT_NAME");
    markPathLists(tables.declaredVariables, {"INCLUDE", "LIBPATH"});
    return tables;
}

BuilderTables gppTables() {
    BuilderTables tables{makeAssignmentTable({"CPP_FILES", "OBJS"}),
                         makeVariableSpecTable({"GPP", "EXE", "C_FLAGS", "C_FILES", "CPP_FILES",
                                                "C_DEFINES", "INCLUDE", "LIB", "OUTPUT_NAME",
                                                "OBJS", "LD_SCRIPT", "LIBPATH", "LINK_FLAGS"})};
    preferDeclaration(tables.declaredVariables, "OUTPUT_NAME");
    markPathLists(tables.declaredVariables, {"INCLUDE", "LIBPATH"});
    return tables;
}

BuilderTables arTables() {
    BuilderTables tables{makeAssignmentTable({"OBJS"}),
                         makeVariableSpecTable({"STATIC", "AR", "LIB", "OUTPUT_NAME", "OBJS"})};
    preferDeclaration(tables.declaredVariables, "STATIC");
    preferDeclaration(tables.declaredVariables, "OUTPUT_NAME");
    return tables;
}

}  // namespace

AssignmentTable makeAssignmentTable(std::initializer_list<std::string_view> names) {
    AssignmentTable table;
    for (std::string_view name : names) {
        table.emplace(Util::CiString(name), Assignment(std::string(name), nullptr, AssignType::Set,
                                                       AssignModifier::None));
    }
    return table;
}

VariableSpecTable makeVariableSpecTable(std::initializer_list<std::string_view> names) {
    VariableSpecTable table;
    for (std::string_view name : names) table.emplace(Util::CiString(name), VariableSpec{});
    return table;
}

const MatcherTables& gnuMatcherTables() {
    static const MatcherTables tables{
        makeAssignmentTable({"GNU", "toolchain_path", "toolchain_version", "toolchain_min_version",
                             "arch", "TOOLCHAIN_TRIPLET"}),
        {}};
    return tables;
}

const MatcherTables& commandMatcherTables() {
    static const MatcherTables tables{makeAssignmentTable({"cwd"}),
                                      makeAssignmentTable({"cmdline"})};
    return tables;
}

const MatcherTables& noToolMatcherTables() {
    static const MatcherTables tables{{}, makeAssignmentTable({"NO_TOOL"})};
    return tables;
}

const MatcherTables& c3MatcherTables() {
    static const MatcherTables tables{
        makeAssignmentTable(
            {"C3C", "toolchain_path", "toolchain_version", "toolchain_min_version"}),
        {}};
    return tables;
}

const BuilderTables& gnuGccTables() {
    static const BuilderTables tables = gccTables();
    return tables;
}

const BuilderTables& gnuGppTables() {
    static const BuilderTables tables = gppTables();
    return tables;
}

const BuilderTables& gnuArTables() {
    static const BuilderTables tables = arTables();
    return tables;
}

const BuilderTables& gnuLdTables() {
    static const BuilderTables tables = [] {
        BuilderTables made{makeAssignmentTable({"OBJS"}),
                           makeVariableSpecTable({"LD", "SO", "KO", "SHARED", "OBJS", "LIB",
                                                  "LIBPATH", "LINK_FLAGS", "LD_SCRIPT"})};
        markPathLists(made.declaredVariables, {"LIBPATH"});
        return made;
    }();
    return tables;
}

const BuilderTables& gnuObjcopyTables() {
    static const BuilderTables tables{
        makeAssignmentTable({"INPUT"}),
        makeVariableSpecTable({"OBJCOPY", "INPUT", "OBJCOPY_FLAGS", "OUTPUT_NAME"})};
    return tables;
}

const BuilderTables& c3BuilderTables() {
    static const BuilderTables tables = [] {
        BuilderTables made{
            makeAssignmentTable({"C3_FILES", "C3C_FILES", "C3_TEST_FILES"}),
            makeVariableSpecTable({"C3C", "C3_FILES", "C3C_FILES", "C3_TEST_FILES", "C3C_FLAGS",
                                   "EXE", "STATIC", "DLL", "SO", "LIB", "LIB_PATH", "LIBPATH",
                                   "LINK_FLAGS", "OUTPUT_NAME"})};
        markPathLists(made.declaredVariables, {"LIB_PATH", "LIBPATH"});
        return made;
    }();
    return tables;
}

const BuilderTables& noToolBuilderTables() {
    static const BuilderTables tables{makeAssignmentTable({"NO_TOOL"}), {}};
    return tables;
}

}  // namespace Rilk
