#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "tools/work_item.h"
#include "types/rilk_context_types.h"
#include "util/ci_string.h"

namespace Rilk {

/// The output ('^') variables of one target build and the target's own values of those
/// that the inherited runtime context would otherwise override.
///
/// Merging the inherited context copies its modifiers, so a variable the target marked '^'
/// and the runtime context also sets loses the mark there; the names are taken before that
/// merge, so such a variable stays an output and carries the target's own value. A
/// variable the command line sets is the exception: the command line's value is what the
/// target's command sees, and so what its dependants and the `-o` file see too.
class TargetOutputs {
public:
    /// Takes the target's output variables before the inherited context is merged in, and
    /// keeps a copy of the value of each that `inherited` also defines, except those in
    /// `commandLine` (which must outlive this object).
    TargetOutputs(const Rilk::Context& target, const Rilk::Context& inherited,
                  const std::set<Util::CiString>& commandLine);

    /// Keeps the value the target holds now for `name`, before an inherited assignment that
    /// failed at first is applied once more (unless the command line sets it).
    void keepCurrentValue(const Rilk::Context& target, const std::string& name);

    /// Resolves the kept values in the target context, once it is resolved: the output
    /// context, and so the dependants and the `-o` file, get what they stand for.
    void resolveKeptValues(Rilk::Context& target);

    /// Fills the output context once the jobs ran: the outputs the jobs appended give way to
    /// the `planned` work items' outputs, in plan order, gathered into lists; then
    /// `applyOutputVariables`.
    void fill(const Rilk::Context& target, const std::vector<Rilk::WorkItem>& planned,
              Rilk::Context& output) const;
    /// Applies every output variable of the target to `output` by its own operator (with the
    /// kept value where there is one). An appending output variable whose value a `planned`
    /// work item already output is not applied again, so it does not appear twice.
    void applyOutputVariables(const Rilk::Context& target,
                              const std::vector<Rilk::WorkItem>& planned,
                              Rilk::Context& output) const;

private:
    /// The rule of `appliedOutput`, however the name was found: a variable is an output
    /// when marked '^' or `listed`, and its kept value, when there is one, wins over the
    /// one it holds.
    static const Rilk::Assignment* applied(const Rilk::Assignment& stored, bool listed,
                                           const Rilk::Assignment* kept);
    /// The assignment `fill` applies for the target's variable `name` (held as `stored`),
    /// or null when the variable is no output.
    const Rilk::Assignment* appliedOutput(const Util::CiString& name,
                                          const Rilk::Assignment& stored) const;
    /// Whether `fill` sets the target's own value of `name` ("="), whatever the work items
    /// output under that name.
    bool setsOwnValue(const Rilk::Context& target, const std::string& name) const;
    /// Gathers a work item's outputs into lists of `output`, as `Context::appendToList`.
    void addWorkItemOutputs(const Rilk::Context& target, const Rilk::WorkItem& item,
                            Rilk::Context& output) const;

    std::set<Util::CiString> names_;
    Rilk::AssignmentMap saved_;
    const std::set<Util::CiString>& commandLine_;
};

}  // namespace Rilk
