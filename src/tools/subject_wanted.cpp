#include "tools/subject_wanted.h"

namespace Rilk {

namespace {

/// The target's assignment of `name` when it is an output variable; null otherwise.
const Assignment* outputOnly(const TargetContext& target, const Util::CiString& name) {
    const auto found = target.assignments.find(name);
    if (found == target.assignments.end()) return nullptr;
    return found->second.modifier == AssignModifier::Up ? &found->second : nullptr;
}

}  // namespace

std::string subjectWanted(const std::string& tool, std::span<const Util::CiString> subjects,
                          const TargetContext& target) {
    std::string names;
    std::string outputs;
    for (std::size_t i = 0; i < subjects.size(); ++i) {
        names += (i == 0 ? "" : i + 1 == subjects.size() ? " or " : ", ") + subjects[i].str();
        if (const Assignment* held = outputOnly(target, subjects[i])) {
            outputs += (outputs.empty() ? "" : ", ") + held->name;
        }
    }
    std::string reason = "'" + tool + "' needs " + names;
    if (!outputs.empty()) reason += " (the target has " + outputs + " only as output variable)";
    return reason;
}

int outputOnlySubjects(std::span<const Util::CiString> subjects, const TargetContext& target) {
    int count = 0;
    for (const Util::CiString& name : subjects) {
        if (outputOnly(target, name) != nullptr) ++count;
    }
    return count;
}

}  // namespace Rilk
