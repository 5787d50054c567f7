#pragma once

#include <initializer_list>
#include <map>
#include <string_view>

#include "tools/variable_spec.h"
#include "types/assignment.h"
#include "util/ci_string.h"

namespace Rilk {

/// Variables by name, as a matcher's criteria and required maps and a builder's input
/// variables hold them.
using AssignmentTable = AssignmentMap;

/// A table of assignments without value, type Set, modifier None, one per name; a name
/// listed twice keeps its first entry.
AssignmentTable makeAssignmentTable(std::initializer_list<std::string_view> names);

/// A table of declared variables without value and with the weights 0, 1, 2.
VariableSpecTable makeVariableSpecTable(std::initializer_list<std::string_view> names);

/// The two tables a tool factory builds its matcher from: the variables targets are scored
/// against and the variables a target must define.
struct MatcherTables {
    AssignmentTable criteria;
    AssignmentTable required;
};

/// The two tables a builder is constructed from: the variables holding its input files and
/// every variable it understands, with match weights.
struct BuilderTables {
    AssignmentTable inputVariables;
    VariableSpecTable declaredVariables;
};

// The built-in tables. Each is built once, on first use, and read-only afterwards;
// factories and builders take copies, so no tool shares table state with another.

const MatcherTables& gnuMatcherTables();      ///< "gnu-gcc"
const MatcherTables& commandMatcherTables();  ///< "command"
const MatcherTables& noToolMatcherTables();   ///< "no_tool"
const MatcherTables& c3MatcherTables();       ///< "c3c"

const BuilderTables& gnuGccTables();         ///< the C compiler
const BuilderTables& gnuGppTables();         ///< the C++ compiler
const BuilderTables& gnuArTables();          ///< the archiver
const BuilderTables& gnuLdTables();          ///< the linker
const BuilderTables& gnuObjcopyTables();     ///< the object copier
const BuilderTables& c3BuilderTables();      ///< the C3 compiler
const BuilderTables& noToolBuilderTables();  ///< targets that build nothing

}  // namespace Rilk
