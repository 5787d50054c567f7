#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "tools/builder.h"
#include "tools/match_result.h"
#include "tools/tool_tables.h"
#include "types/rilk_context_types.h"
#include "util/ci_string.h"

namespace Rilk {

/// The caller's score per tool, handed to `Matcher::match`; no matcher reads it.
using ToolScores = std::map<Util::CiString, std::int32_t>;

/// How near a tool came to building a target it cannot build, for the message that no tool
/// can: how many of the target's own (non-output) variables it knows, and of the variables
/// that would make the target its subject those the target holds only as output variables
/// ('^'), and what it lacks.
struct ToolRefusal {
    int known = 0;
    /// A phrase that completes "... the nearest tool, 'gcc', ": "needs OBJS". Empty when
    /// the tool cannot say.
    std::string reason;
};

/// One configured tool (one tool definition): its name, the variables targets are scored
/// against, the variables a target must define and the definition's conditional blocks.
/// It reports whether and how well it can build a target and hands out the builder that
/// will do the work. Matchers are made by the tool factories and owned by the application
/// through shared pointers; they are used on the main thread only.
class Matcher {
public:
    /// The tool's name (the name it is registered under, not its type).
    std::string name;
    /// Variables targets are scored against; an entry with a value asks for that value.
    AssignmentTable criteria;
    /// Variables a target must define; entries with a value need not be defined.
    AssignmentTable required;
    /// The tool definition's conditional blocks; assigned by the application right after
    /// the factory returns.
    std::vector<Condition> conditions;
    /// The namespace of the project whose tools block defines the tool; none for the
    /// registry's and the built-in tools. Assigned by the application with `conditions`.
    std::optional<std::string> project;

    /// A matcher from its tables and a tool definition: a plain assignment overrides the
    /// value of a required variable of its name or sets a criterion; an assignment marked
    /// '!' moves the variable from the criteria into the required variables.
    Matcher(std::string name, const AssignmentTable& criteriaTable,
            const AssignmentTable& requiredTable, const AssignmentTable& assignments,
            const AssignmentTable& mustAssignments);
    virtual ~Matcher() = default;

    /// A copy of the same dynamic type with every field copied.
    virtual std::unique_ptr<Matcher> clone() const = 0;
    /// Whether and how well the tool can build the target. The default can build nothing:
    /// an empty result with status BuildImpossible.
    virtual MatchResult match(const TargetContext& target, const ToolScores& scores = {}) const;
    /// The builder for the target, or null when the tool has none for it.
    virtual std::shared_ptr<Builder> builderFor(const TargetContext& target) const = 0;
    /// Why the tool cannot build a target that `match` refused. The default counts the
    /// target's variables among the required variables and names the required variables
    /// without default that the target does not define.
    virtual ToolRefusal refusal(const TargetContext& target) const;

protected:
    Matcher(const Matcher&) = default;
    Matcher& operator=(const Matcher&) = default;
};

}  // namespace Rilk
