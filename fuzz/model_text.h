#pragma once

// A canonical text of a unit's model, so that two units can be compared field by field: the
// model classes compare values ignoring case (and identifiers equal everything), which is
// the language's equality, not the exact one that a differential check needs.

#include <string>
#include <vector>

#include "types/context.h"
#include "types/rilk_context_value.h"
#include "types/rilk_identifier.h"
#include "types/rilk_value_types.h"
#include "types/unit.h"

namespace RilkFuzz {

inline void renderValue(std::string& out, const Rilk::RilkValuePtr& value);
inline void renderContext(std::string& out, const Rilk::Context& context);

inline void renderIdentifier(std::string& out, const Rilk::Identifier& identifier) {
    out += "id(";
    for (const auto& segment : identifier.segments) {
        out += "seg[" + segment.name + "]";
        for (const auto& index : segment.indices) {
            if (const auto* number = std::get_if<std::uint64_t>(&index)) {
                out += "#" + std::to_string(*number);
            } else if (const auto* range = std::get_if<Rilk::IndexRange>(&index)) {
                out += "#" + std::to_string(range->first) + ".." + std::to_string(range->last);
            } else {
                const auto& nested = std::get<std::shared_ptr<Rilk::Identifier>>(index);
                out += "#";
                if (nested) renderIdentifier(out, *nested);
            }
        }
    }
    out += ")";
}

inline void renderBinding(std::string& out, const Rilk::RilkValue& value) {
    if (const auto* resolvable = dynamic_cast<const Rilk::Resolvable*>(&value)) {
        out += resolvable->resolver() != nullptr ? "@bound" : "@free";
    }
}

inline void renderValue(std::string& out, const Rilk::RilkValuePtr& value) {
    if (value == nullptr) {
        out += "none";
        return;
    }
    using namespace Rilk;
    if (const auto* path = dynamic_cast<const RilkPathString*>(value.get())) {
        out += "path[" + path->text() + "|" + path->baseDirectory().string() + "]";
    } else if (const auto* raw = dynamic_cast<const RilkRawString*>(value.get())) {
        out += "raw[" + raw->text() + "]";
    } else if (const auto* text = dynamic_cast<const RilkString*>(value.get())) {
        out += "str[" + text->text() + "]";
    } else if (const auto* number = dynamic_cast<const RilkInt*>(value.get())) {
        out += "int[" + std::to_string(number->number()) + "]";
    } else if (const auto* identifier = dynamic_cast<const RilkIdentifier*>(value.get())) {
        renderIdentifier(out, identifier->identifier());
    } else if (const auto* list = dynamic_cast<const RilkList*>(value.get())) {
        out += "list[";
        for (const auto& element : list->elements()) {
            renderValue(out, element);
            out += ",";
        }
        out += "]";
    } else if (const auto* nested = dynamic_cast<const RilkContext*>(value.get())) {
        out += "ctx";
        if (nested->context()) renderContext(out, *nested->context());
    } else {
        out += "other[" + value->typeName() + "]";
    }
    renderBinding(out, *value);
}

inline void renderAssignment(std::string& out, const Rilk::Assignment& assignment) {
    out += assignment.name + " t" + std::to_string(static_cast<int>(assignment.type)) + " m" +
           std::to_string(static_cast<int>(assignment.modifier)) +
           (assignment.resolved ? " resolved " : " ");
    renderValue(out, assignment.value);
    out += ";";
}

inline void renderBlock(std::string& out, const std::vector<Rilk::Assignment>& assignments,
                        const std::vector<Rilk::Condition>& conditions);

inline void renderConditions(std::string& out, const std::vector<Rilk::Condition>& conditions) {
    for (const auto& condition : conditions) {
        out += "if(" + std::to_string(static_cast<int>(condition.type)) + " ";
        renderValue(out, condition.lhs);
        out += " ";
        renderValue(out, condition.rhs);
        out += ")";
        if (condition.body)
            renderBlock(out, condition.body->assignments, condition.body->conditions);
    }
}

inline void renderBlock(std::string& out, const std::vector<Rilk::Assignment>& assignments,
                        const std::vector<Rilk::Condition>& conditions) {
    out += "{";
    for (const auto& assignment : assignments) renderAssignment(out, assignment);
    renderConditions(out, conditions);
    out += "}";
}

inline void renderContext(std::string& out, const Rilk::Context& context) {
    out += "{";
    for (const auto& [key, assignment] : context.assignments) {
        out += key.str() + ":";
        renderAssignment(out, assignment);
    }
    renderConditions(out, context.conditions);
    out += "}";
}

inline void renderDependency(std::string& out, const Rilk::Dependency& dependency) {
    out += "dep(m" + std::to_string(dependency.modifier) + " a" +
           std::to_string(dependency.aliasKind) + " " + dependency.alias + " ";
    renderValue(out, dependency.sourceValue);
    if (const auto* name = std::get_if<Rilk::QualifiedTargetName>(&dependency.target)) {
        out += " direct[" + name->ns + "|" + name->unit + "|" + name->target + "]";
    } else {
        const auto& macro = std::get<Rilk::DynamicDependency>(dependency.target);
        out += macro.sourceParameter ? " dynamic. " : " dynamic ";
        renderIdentifier(out, macro.identifier);
    }
    for (const auto& parameter : dependency.parameters) renderIdentifier(out, parameter);
    out += ")";
}

/// Every field of `unit`, its targets in map order, their templates, dependencies and
/// values, with each value's exact type and text.
inline std::string renderUnit(const Rilk::Unit& unit) {
    std::string out = "unit[" + unit.name + "] default[" + unit.defaultTarget + "]\n";
    for (const auto& [key, target] : unit.targets) {
        out += key.str() + " = target[" + target.name.ns + "|" + target.name.unit + "|" +
               target.name.target + "](";
        for (const auto& parameter : target.parameterNames) out += parameter + ",";
        out += ")";
        for (const auto& dependency : target.dependencies) renderDependency(out, dependency);
        renderBlock(out, target.assignments, target.conditions);
        out += "\n";
    }
    return out;
}

}  // namespace RilkFuzz
