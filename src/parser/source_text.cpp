#include "parser/source_text.h"

#include <memory>
#include <stdexcept>

#include <fmt/format.h>

#include "types/rilk_context_value.h"
#include "types/rilk_identifier.h"
#include "types/rilk_value_types.h"
#include "types/value_cast.h"

namespace Rilk {
namespace {

std::string quoted(const std::string& text) {
    if (text.find('"') != std::string::npos) {
        throw std::invalid_argument(fmt::format(
            "the string \"{}\" holds a double quote, which a string cannot hold", text));
    }
    return "\"" + text + "\"";
}

/// R"(...)" or P"(...)" around `text`, which must not end the literal early.
std::string delimited(char kind, const std::string& text) {
    if (text.find(")\"") != std::string::npos) {
        throw std::invalid_argument(
            fmt::format("the text '{}' holds ')\"', which ends a {}\"(...)\" literal", text, kind));
    }
    return std::string(1, kind) + "\"(" + text + ")\"";
}

std::string indexSourceText(const IndexExpr& index) {
    switch (index.index()) {
        case kNumberIndex:
            return std::to_string(std::get<kNumberIndex>(index));
        case kRangeIndex: {
            const IndexRange& range = std::get<kRangeIndex>(index);
            return fmt::format("{}:{}", range.first, range.last);
        }
        default: {
            const auto& nested = std::get<kIdentifierIndex>(index);
            if (!nested) throw std::invalid_argument("an identifier index is empty");
            return identifierSourceText(*nested);
        }
    }
}

std::string listSourceText(const RilkList& list) {
    if (list.elements().empty()) return "[]";
    std::string text = "[";
    const char* separator = " ";
    for (const RilkValuePtr& element : list.elements()) {
        if (!element) throw std::invalid_argument("a list element has no value");
        text += separator + valueSourceText(*element);
        separator = ", ";
    }
    return text + " ]";
}

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

std::string conditionHead(const Condition& condition) {
    const auto* subject = valueCast<const RilkIdentifier>(condition.lhs.get());
    if (subject == nullptr) throw std::invalid_argument("a condition does not test a variable");
    std::string text = "if " + identifierSourceText(subject->identifier());
    const char* op = conditionOperatorText(condition.type);
    if ((op != nullptr) != (condition.rhs != nullptr)) {
        throw std::invalid_argument("a condition's operator and value do not go together");
    }
    if (op != nullptr) text += op + valueSourceText(*condition.rhs);
    return text + " {";
}

}  // namespace

std::string identifierSourceText(const Identifier& identifier) {
    std::string text;
    for (const Identifier::Segment& segment : identifier.segments) {
        if (!text.empty()) text += ".";
        text += segment.name;
        for (const IndexExpr& index : segment.indices) text += "[" + indexSourceText(index) + "]";
    }
    return text;
}

std::string valueSourceText(const RilkValue& value) {
    if (const auto* path = valueCast<const RilkPathString>(&value)) {
        return delimited('P',
                         path->baseDirectory().empty() ? path->text() : path->fullPathText());
    }
    if (const auto* raw = valueCast<const RilkRawString>(&value)) {
        return delimited('R', raw->text());
    }
    if (const auto* text = valueCast<const RilkBaseString>(&value)) return quoted(text->text());
    if (const auto* list = valueCast<const RilkList>(&value)) return listSourceText(*list);
    if (const auto* identifier = valueCast<const RilkIdentifier>(&value)) {
        return identifierSourceText(identifier->identifier());
    }
    if (valueCast<const RilkInt>(&value) != nullptr) return value.toString();
    if (valueCast<const RilkContext>(&value) != nullptr) {
        throw std::invalid_argument("a nested block value has no written form here");
    }
    throw std::invalid_argument(
        fmt::format("a value of type {} has no written form", value.typeName()));
}

std::string assignmentSourceText(const Assignment& assignment) {
    std::string text;
    if (assignment.modifier == AssignModifier::Up) text = "^";
    if (assignment.modifier == AssignModifier::Must) text = "!";
    text += assignment.name;
    const char* op = Assignment::operatorText(assignment.type);
    if (op == nullptr) {
        if (assignment.value) {
            throw std::invalid_argument(
                fmt::format("the declaration of '{}' carries a value", assignment.name));
        }
        return text;
    }
    return text + op + (assignment.value ? valueSourceText(*assignment.value) : "{}");
}

void appendBlockLines(std::string& out, const ContextTemplate& block, std::size_t indent) {
    const std::string margin(indent, ' ');
    for (const Assignment& assignment : block.assignments) {
        out += margin + assignmentSourceText(assignment) + "\n";
    }
    for (const Condition& condition : block.conditions) {
        if (!condition.body) throw std::invalid_argument("a conditional block has no body");
        out += margin + conditionHead(condition) + "\n";
        appendBlockLines(out, *condition.body, indent + 2);
        out += margin + "}\n";
    }
}

}  // namespace Rilk
