// The source writer's assignments and blocks: statements, cache record texts, command-line
// items and the template's block lines with their conditional blocks.
#include <fmt/format.h>

#include "parser/source_writer.h"
#include "types/rilk_identifier.h"
#include "types/value_cast.h"

namespace Rilk {
namespace {

const char* conditionOperatorText(Condition::OperatorType type) {
    switch (type) {
        case Condition::OperatorType::Equal:
            return " = ";
        case Condition::OperatorType::NotEqual:
            return " != ";
        case Condition::OperatorType::Less:
            return " < ";
        case Condition::OperatorType::Greater:
            return " > ";
        case Condition::OperatorType::Resolves:
            break;
    }
    return nullptr;
}

}  // namespace

bool SourceWriter::statement(std::string& out, const Assignment& assignment) {
    switch (assignment.modifier) {
        case AssignModifier::None:
            break;
        case AssignModifier::Up:
            out += '^';
            break;
        case AssignModifier::Must:
            if (resolved()) {
                refuse("the \"!\" modifier has no place in a resolved block");
                return within(assignment.name);
            }
            out += '!';
            break;
        default:
            refuse("its modifier is none of \"^\" and \"!\"");
            return within(assignment.name);
    }
    if (!name(out, assignment.name)) return within(assignment.name);
    if (assignment.type == AssignType::Declare) {
        if (!assignment.value) return true;
        refuse("a declaration carries a value");
        return within(assignment.name);
    }
    const char* op = Assignment::operatorText(assignment.type);
    if (op == nullptr) {
        refuse("its operator is none of \"=\", \"+=\" and \"?=\"");
        return within(assignment.name);
    }
    out += op;
    if (!assignment.value) {
        // Outside unit files a block has no value, so this reads back without one.
        if (form_ == SourceForm::Template) {
            out += "{}";
            return true;
        }
        refuse("an operator has no value");
        return within(assignment.name);
    }
    if (!value(out, *assignment.value)) return within(assignment.name);
    return true;
}

bool SourceWriter::recordText(std::string& out, const Assignment& assignment) {
    if (!name(out, assignment.name)) return within(assignment.name);
    if (assignment.type == AssignType::Declare) {
        if (!assignment.value) return true;
        // The record line carries the operator, so a declaration's value follows " = ".
        out += " = ";
    } else if (const char* op = Assignment::operatorText(assignment.type)) {
        out += op;
    } else {
        refuse("its operator is none of \"=\", \"+=\" and \"?=\"");
        return within(assignment.name);
    }
    if (assignment.value && !value(out, *assignment.value)) return within(assignment.name);
    return true;
}

bool SourceWriter::itemText(std::string& out, const Assignment& assignment) {
    if (!name(out, assignment.name)) return within(assignment.name);
    if (!assignment.value) {
        refuse("it has no value");
        return within(assignment.name);
    }
    out += " = ";
    if (!value(out, *assignment.value)) return within(assignment.name);
    return true;
}

bool SourceWriter::conditionHead(std::string& out, const Condition& condition) {
    const auto* subject = valueCast<const RilkIdentifier>(condition.lhs.get());
    if (subject == nullptr) return refuse("a condition does not test a variable");
    out += "if ";
    if (!identifier(out, subject->identifier())) return false;
    const char* op = conditionOperatorText(condition.type);
    if ((op != nullptr) != (condition.rhs != nullptr)) {
        refuse("a condition's operator and value do not go together");
        return within(subject->identifier().toString());
    }
    if (op != nullptr) {
        out += op;
        if (!value(out, *condition.rhs)) return within(subject->identifier().toString());
    }
    out += " {";
    return true;
}

bool SourceWriter::blockLines(std::string& out, const ContextTemplate& block, std::size_t indent) {
    const std::string margin(indent, ' ');
    for (const Assignment& assignment : block.assignments) {
        out += margin;
        if (!statement(out, assignment)) return false;
        out += '\n';
    }
    for (const Condition& condition : block.conditions) {
        if (!condition.body) return refuse("a conditional block has no body");
        out += margin;
        if (!conditionHead(out, condition)) return false;
        out += '\n';
        if (!blockLines(out, *condition.body, indent + 2)) return false;
        out += margin;
        out += "}\n";
    }
    return true;
}

std::optional<std::string> cacheAssignmentText(const Assignment& assignment) {
    std::string text;
    SourceWriter writer = SourceWriter::forCacheRecords();
    if (!writer.recordText(text, assignment)) return std::nullopt;
    return text;
}

}  // namespace Rilk
