#pragma once

#include <cstddef>
#include <string>

#include "types/assignment.h"
#include "types/condition.h"
#include "types/context_template.h"
#include "types/identifier.h"
#include "types/rilk_value.h"

namespace Rilk {

// Model objects written back in the configuration language, in the form the parser reads
// as the same object: plain strings in double quotes, raw strings as R"(...)", path strings
// as P"(...)" holding their full path, lists in brackets, identifiers with their indices,
// assignments with their "^" or "!" modifier. Each function throws std::invalid_argument
// with the reason when the object has no such form: a string holding a double quote, a raw
// or path string holding `)"`, a nested block value, a list element without value, a
// declaration that carries a value, a condition that is not complete.

std::string identifierSourceText(const Identifier& identifier);
std::string valueSourceText(const RilkValue& value);
/// A variable without value is written as a bare name, or with an empty block after an
/// operator (a block has no value outside unit files, so it reads back without one).
std::string assignmentSourceText(const Assignment& assignment);
/// The block's assignments, then its conditional blocks, one line each, every line
/// indented by `indent` blanks and ended by a line feed.
void appendBlockLines(std::string& out, const ContextTemplate& block, std::size_t indent);

}  // namespace Rilk
