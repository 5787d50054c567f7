#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "types/access_key.h"
#include "types/assignment.h"
#include "types/condition.h"
#include "types/context_fwd.h"
#include "types/identifier.h"
#include "types/rilk_value.h"
#include "util/ci_string.h"

namespace Rilk {

/// `addAssignment` modes: the build driver merges other contexts into a target context
/// with `kTakeModifier`, which also copies the modifier; every other caller keeps it.
inline constexpr unsigned kKeepModifier = 0;
inline constexpr unsigned kTakeModifier = 1;

/// `addContext` operator overrides: `kKeepOperator` applies each variable by its own
/// operator, `operatorOverride(type)` every variable by `type`.
inline constexpr unsigned kKeepOperator = 0;
constexpr unsigned operatorOverride(AssignType type) { return static_cast<unsigned>(type); }

/// A scope of variables: one assignment per name (names compared ignoring case, the first
/// spelling kept), plus the conditional blocks not applied yet.
///
/// A context is the resolver of the values it stores: storing a resolvable value binds
/// it here. The operator a variable was created with stays with it; later assignments
/// change its value (and, in mode `kTakeModifier`, its modifier), never its type or name.
/// A variable is resolved at most once until an assignment changes it.
///
/// Copies are independent: a copy holds its own copies of the values (nested contexts
/// included), bound to the copy where the source's were bound to the source, so resolving
/// or appending in one never changes the other. Moving rebinds the moved values.
class Context : public Resolver, public std::enable_shared_from_this<Context> {
public:
    using AssignmentMap = Rilk::AssignmentMap;

    Context() = default;
    Context(const Context& other);
    Context(Context&& other) noexcept;
    Context& operator=(const Context& other);
    Context& operator=(Context&& other) noexcept;
    ~Context() override = default;

    /// A context from a template's lists: each assignment's value is copied (nested contexts
    /// too, see `independentCopy`) and applied in order; the conditions get copied operands
    /// bound here and share their bodies. The template's values never change through it.
    Context(const std::vector<Assignment>& assignments, const std::vector<Condition>& conditions);
    /// The same from assignments no other context will be made from: a value that only
    /// the list holds, a text, path or number bound nowhere, is taken as it is instead of
    /// copied; any other value is copied as above.
    Context(std::vector<Assignment>&& assignments, const std::vector<Condition>& conditions);

    /// The resolved value of the variable the identifier names (null for a variable
    /// without value). Dotted names descend into nested context values, indices select
    /// list elements or characters. A variable that needs itself to resolve, directly or
    /// through others, raises `LoopFoundException` naming the chain.
    RilkValuePtr resolve(const Identifier& identifier) override;
    RilkValuePtr resolveName(const std::string& name) override;

    /// Dumps the variables in braces, one assignment text per line, at `level`.
    virtual void print(int level) const;

    /// Applies one assignment by its operator; see the class comment for modes.
    /// Raises `AssignmentException` for an unknown operator on an existing variable.
    void addAssignment(const Assignment& assignment, unsigned mode);
    /// Stores `assignment` as `addAssignment` would when no variable of its name exists
    /// (whatever its operator) and returns true; otherwise changes nothing and returns
    /// false. One search of the variables either way.
    bool addIfNew(const Assignment& assignment);
    /// What applying "?=" to `stored`, a variable of this context with a value, does: it
    /// is marked for resolving again and its value bound here; value and modifier stay.
    void markUnresolved(Assignment& stored);
    /// Applies every variable of `other` in name order (mode `kKeepModifier`); the values
    /// are shared with `other` and bound here.
    Context& addAssignments(const Context& other);
    /// Appends `other`'s conditions, sharing operands and bodies, operands bound here.
    void addConditions(const Context& other);
    /// Merges every variable of `source` in name order. `typeOverride` `kKeepOperator`
    /// keeps each variable's operator, an `operatorOverride` replaces it. An assignment whose application
    /// raises `BadOperation` is logged at level `Debug` and returned for a later try; other
    /// errors propagate. With `copyConditions` the source's conditions follow.
    std::vector<Assignment> addContext(const Context& source, unsigned typeOverride, unsigned mode,
                                       bool copyConditions);
    /// `addContext(copy, kKeepOperator, mode, false)` for an independent copy `copy` of `source`, made
    /// value by value as it goes: resolving or appending here never changes `source`.
    /// Plain texts are not copied but marked shared (see `RilkBaseString::markShared`).
    std::vector<Assignment> addCopyOf(const Context& source, unsigned mode);

    bool hasVariable(const std::string& name) const;
    /// The stored value, unresolved; null for a variable without value. An absent name
    /// raises `NotFoundException` ("Variable", name).
    RilkValuePtr getVariable(const std::string& name) const;
    /// The stored value's plain text, or `defaultText` when absent or without value.
    std::string getString(const std::string& name, const std::string& defaultText) const;
    std::string getString(const std::string& name) const;

    /// Gathers each item's value into a list variable of its name (created, or made from
    /// the variable's current value, when the variable holds no list).
    void appendToList(const std::vector<Assignment>& items);

    /// Resolves every variable once, in name order; the first error stops.
    void resolveAll();
    /// The stored variable's resolved value, computed once and cached in it. An error met
    /// on the way that does not say whose value failed is raised as a `VariableError`
    /// naming the innermost variable; loops, limits and `BadOperation` pass unchanged.
    RilkValuePtr resolveAssignment(Assignment& stored);

    /// Applies the blocks of the conditions that hold, nested blocks right after their
    /// parent; the conditions that do not hold stay for a later call.
    void evaluateConditions();

    /// The stored assignment that a key chain ending in a name designates.
    Assignment& getAssignment(const KeyChain& chain);

    /// Command-line text of a variable: each leaf of its value (lists walked to any
    /// depth) as one argument " " + prefix + text, optionally in double quotes.
    std::string formatVariableArgs(const std::string& name, const std::string& prefix,
                                   bool quote) const;
    /// As `formatVariableArgs`, but the value is iterated (a string gives one argument
    /// per word) and nested lists are opened one level only.
    std::string formatVariableArgsFlat(const std::string& name, const std::string& prefix,
                                       bool quote) const;

    /// Conditional blocks not applied yet, in evaluation order.
    std::vector<Condition> conditions;
    /// The variables, ordered by name ignoring case.
    AssignmentMap assignments;

private:
    /// Makes this context the resolver of `value` when it is resolvable.
    void bind(const RilkValuePtr& value);
    /// Applies one assignment of a template, its value this context's own already.
    void addTemplateAssignment(Assignment made);
    /// Adds the template's conditions: copied operands bound here, bodies shared.
    void addTemplateConditions(const std::vector<Condition>& conditionList);
    void copyFrom(const Context& other);
    /// One assignment of a merge; one that raises `BadOperation` is logged and kept in
    /// `failed` for a later try.
    void addMerged(const Assignment& applied, unsigned mode, std::vector<Assignment>& failed);
    void rebindAfterMove(const Context& old);
    KeyChain buildKeyChain(const Identifier& identifier);
    RilkValuePtr resolveIndexed(const KeyChain& chain, const std::string& text);
};

/// The resolved form of a value: `resolve()` of a resolvable value, the value itself
/// otherwise (null stays null).
RilkValuePtr resolveValue(RilkValuePtr value);

}  // namespace Rilk
