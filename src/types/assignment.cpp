#include "types/assignment.h"

namespace Rilk {

Assignment::Assignment(const AssignmentSpec& spec)
    : Assignment(spec.name, spec.value, spec.type, spec.modifier) {}

bool Assignment::operator==(const Assignment& other) const {
    if (!Util::CiString::equal(name, other.name)) return false;
    if (value == other.value) return true;
    if (!value || !other.value) return false;
    return value->equals(*other.value);
}

const char* Assignment::operatorText(AssignType type) {
    switch (type) {
        case AssignType::Set:
            return " = ";
        case AssignType::Append:
            return " += ";
        case AssignType::SetIfUnset:
            return " ?= ";
        case AssignType::Declare:
            break;
    }
    return nullptr;
}

std::string Assignment::toString() const {
    std::string text = name;
    if (const char* op = operatorText(type)) {
        text += op;
    } else if (type == AssignType::Declare && value) {
        text += " : ";
    }
    if (value) text += value->toDisplayString();
    return text;
}

RilkValuePtr Assignment::replaceValue(RilkValuePtr newValue) {
    resolved = false;
    std::swap(value, newValue);
    return newValue;
}

std::string getAssignmentString(const AssignmentMap& assignments,
                                std::string name) {
    const auto found = assignments.find(Util::CiString(std::move(name)));
    if (found == assignments.end() || !found->second.value) return "";
    return found->second.value->toString();
}

AssignmentException::AssignmentException(const Assignment& held, const Assignment& applied)
    : message_("Attempted to modify assignment: " + held.toString() + " with " +
               applied.toString()) {}

}  // namespace Rilk
