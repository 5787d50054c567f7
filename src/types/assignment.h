#pragma once

#include <cstdint>
#include <exception>
#include <map>
#include <string>

#include "types/rilk_value.h"
#include "util/ci_string.h"

namespace Rilk {

/// The modifier written before a variable name.
enum class AssignModifier : std::uint32_t {
    None = 0,
    Up = 1,    ///< "^": an output variable, passed up to the targets that depend on this one.
    Must = 2,  ///< "!": a variable a tool requires.
};

struct AssignmentSpec;

/// One variable assignment: name, value, operator and modifier.
///
/// Copies share the value object (it is not cloned) and keep the `resolved` flag. The
/// text form (`toString`) is the language's assignment syntax; cache and registry files
/// store it and read it back through the grammar.
class Assignment {
public:
    /// The operator: what applying the assignment to an existing variable does.
    enum class AssignType : std::uint32_t {
        Set = 1,         ///< "=": replaces the value.
        Append = 2,      ///< "+=": appends, or sets a variable without value.
        SetIfUnset = 3,  ///< "?=": sets only a variable without value.
        Declare = 4,     ///< the bare name: declares the variable, clearing its value.
    };

    Assignment(const std::string& name, const RilkValuePtr& value, AssignType type,
               AssignModifier modifier)
        : name(name), value(value), type(type), modifier(modifier) {}
    explicit Assignment(const AssignmentSpec& spec);

    /// Names equal ignoring case and values equal (same pointer, both null, or `equals`).
    /// Operator, modifier and `resolved` are not compared.
    bool operator==(const Assignment& other) const;

    /// The operator as written between name and value, blanks included (" = ", " += ",
    /// " ?= "); null for a declaration or a type outside the enumeration.
    static const char* operatorText(AssignType type);

    /// name, " = " / " += " / " ?= " (a declaration: " : " only with a value), then the
    /// value's display text when there is a value. The modifier is not written.
    std::string toString() const;

    /// Stores `newValue`, marks the assignment unresolved and returns the previous value.
    RilkValuePtr replaceValue(RilkValuePtr newValue);

    /// True once the holding context has replaced the value by its resolved form.
    bool resolved = false;
    std::string name;
    /// Null for a variable declared without a value or whose value was cleared.
    RilkValuePtr value;
    AssignType type;
    AssignModifier modifier;
};

using AssignType = Assignment::AssignType;

/// The fields callers fill before making an `Assignment`.
struct AssignmentSpec {
    std::string name;
    RilkValuePtr value;
    AssignType type = AssignType::Set;
    AssignModifier modifier = AssignModifier::None;
};

/// Assignments by name, ordered and found ignoring case.
using AssignmentMap = std::map<Util::CiString, Assignment, Util::CiLess>;

/// The plain text of the named assignment's value; empty when the name is absent or the
/// assignment has no value. Never throws for a missing name.
std::string getAssignmentString(const AssignmentMap& assignments,
                                std::string name);

/// An assignment that cannot be applied to the one a context holds. A standard exception.
class AssignmentException : public std::exception {
public:
    AssignmentException(const Assignment& held, const Assignment& applied);
    const char* what() const noexcept override { return message_.c_str(); }

private:
    std::string message_;
};

}  // namespace Rilk
