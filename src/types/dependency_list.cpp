// The flat dependency list of a target context: direct dependencies as written, dynamic
// ones ("@" variable) replaced by the dependencies their variable's value names.

#include <algorithm>
#include <cctype>
#include <stdexcept>
#include <string>
#include <vector>

#include <fmt/format.h>

#include "types/dependency_string.h"
#include "types/identifier_parser.h"
#include "types/parameter_list.h"
#include "types/rilk_context_value.h"
#include "types/rilk_errors.h"
#include "types/rilk_list.h"
#include "types/target_context.h"
#include "types/value_cast.h"
#include "util/logger.h"

namespace Rilk {

namespace {

RilkException invalid(const std::string& subject, const std::string& reason) {
    return RilkException("Invalid dynamic dependency '" + subject + "': " + reason);
}

/// The words of a text, split at white space outside parentheses: `b(x, y)` stays one.
void splitWords(const std::string& text, ParameterList& entries) {
    std::string word;
    int depth = 0;
    for (const char c : text) {
        if (c == '(') {
            ++depth;
        } else if (c == ')') {
            if (depth == 0) throw invalid(text, "unmatched ')'");
            --depth;
        } else if (depth == 0 && std::isspace(static_cast<unsigned char>(c))) {
            addParameter(entries, word, nullptr);
            word.clear();
            continue;
        }
        word += c;
    }
    if (depth > 0) throw invalid(text, "unterminated parameter list");
    addParameter(entries, word, nullptr);
}

/// One entry per dependency the value names, each a text and the value it came from.
ParameterList collectEntries(const RilkValue& value) {
    ParameterList entries;
    if (const auto* nested = valueCast<const RilkContext>(&value)) {
        if (nested->context()) {
            for (const auto& [name, assignment] : nested->context()->assignments) {
                addParameter(entries, name.str(), assignment.value);
            }
        }
    } else if (const auto* list = valueCast<const RilkList>(&value)) {
        for (const RilkValuePtr& element : list->elements()) {
            if (element) addParameter(entries, element->toString(), element);
        }
    } else {
        splitWords(value.toString(), entries);
    }
    return entries;
}

/// The identifiers of a parameter list's inner text, split at every ",".
std::vector<Identifier> parseParameters(const std::string& inner, const std::string& entry) {
    std::vector<Identifier> parameters;
    std::size_t start = 0;
    for (;;) {
        const std::size_t comma = inner.find(',', start);
        const std::string piece = trim(inner.substr(start, comma - start));
        if (piece.empty()) throw invalid(entry, "empty parameter");
        ParseError error;
        IdentifierParseState state{piece.size(), piece.data(), 0, &error};
        Identifier identifier;
        if (!parseKeyChain(state, identifier.segments, '\0') || state.position != piece.size()) {
            if (error.message == kIdentifierTooDeep) {
                throw invalid(entry, fmt::format("parameter {} at offset {}", kIdentifierTooDeep,
                                                 error.position));
            }
            throw invalid(entry, "invalid parameter '" + piece + "'");
        }
        parameters.push_back(std::move(identifier));
        if (comma == std::string::npos) return parameters;
        start = comma + 1;
    }
}

/// The direct dependency that one entry of a dynamic dependency names.
Dependency expandEntry(const Dependency& macro, bool sourceParameter,
                       const std::pair<std::string, RilkValuePtr>& entry) {
    const std::string& text = entry.first;
    Dependency record = macro;
    record.sourceValue = sourceParameter ? entry.second : nullptr;
    const std::size_t open = text.find('(');
    if (open == std::string::npos) {
        record.target = parseDependencyString(text);
        return record;
    }
    if (sourceParameter) {
        throw invalid(text,
                      "cannot combine source-parameterized macro with parameters from the "
                      "resolved dependency value");
    }
    if (!macro.parameters.empty()) {
        throw invalid(text,
                      "cannot combine macro parameters with parameters from the resolved "
                      "dependency value");
    }
    if (text.back() != ')') throw invalid(text, "unterminated parameter list");
    const std::string target = trim(text.substr(0, open));
    if (target.empty()) throw invalid(text, "empty target name");
    record.parameters = parseParameters(text.substr(open + 1, text.size() - open - 2), text);
    record.target = parseDependencyString(target);
    return record;
}

/// The operator of a unit file's dependency that `entry` holds, which no value can: an
/// alias ("=>", "+>") or the modifier "+" in front; empty when it holds none.
std::string unitFileOperator(const std::string& entry) {
    for (const char* alias : {"+>", "=>"}) {
        if (entry.find(alias) != std::string::npos) return alias;
    }
    return entry.starts_with('+') ? "+" : "";
}

/// Refuses an entry holding `unitFileOperator`, which would otherwise be read as part of a
/// target name or a parameter list and named as such; `subject` is the text shown.
void refuseUnitFileOperator(const std::string& entry, const std::string& subject,
                            const Identifier& variable) {
    const std::string found = unitFileOperator(entry);
    if (found.empty()) return;
    const std::string name = variable.toString();
    throw VariableError(
        name, invalid(subject, fmt::format("'{}' cannot stand in a value that names dependencies, "
                                           "which holds target names and their parameters only; "
                                           "write '+', '=>' or '+>' with the reference in the "
                                           "unit file (+@{}, @{} => name, @{} +> name)",
                                           found, name, name, name))
                  .message());
}

/// `make()`, with a dependency string that cannot be read told as the error of the
/// variable that holds it.
template <class Make>
Dependency namingVariable(const Identifier& variable, const std::string& entry, Make make) {
    try {
        return make();
    } catch (const std::runtime_error& error) {
        throw VariableError(variable.toString(), invalid(entry, error.what()).message());
    }
}

void logSkipped(const Identifier& identifier) {
    log(LogLevel::Warning, "Dynamic dependency '{}' is empty and will be skipped.\n", identifier.toString());
}

}  // namespace

const std::vector<Dependency>& TargetContext::dependencyList(std::vector<Dependency>& storage) {
    const std::vector<Dependency>& records = dependencyRecords();
    const auto dynamic = [](const Dependency& record) { return record.isDynamic(); };
    if (std::any_of(records.begin(), records.end(), dynamic)) {
        storage = createDependencyList();
        return storage;
    }
    log(LogLevel::Trace, "Creating dependency list.\n");
    return records;
}

std::vector<Dependency> TargetContext::createDependencyList() {
    log(LogLevel::Trace, "Creating dependency list.\n");
    const std::vector<Dependency>& records = dependencyRecords();
    std::vector<Dependency> list;
    list.reserve(records.size());
    for (const Dependency& record : records) {
        if (!record.isDynamic()) {
            list.push_back(record);
            continue;
        }
        const DynamicDependency& macro = std::get<DynamicDependency>(record.target);
        const RilkValuePtr value = resolve(macro.identifier);
        const std::string text = value ? value->toString() : std::string();
        const ParameterList entries = text.empty() ? ParameterList() : collectEntries(*value);
        if (entries.empty()) {
            logSkipped(macro.identifier);
            continue;
        }
        if (record.aliasKind == Dependency::kAlias && entries.size() > 1) {
            throw invalid(text,
                          "single output alias cannot be used when a macro expands to multiple "
                          "dependencies");
        }
        // A string's words are shown in the string; a list element or a name alone.
        const bool words = valueCast<const RilkList>(value.get()) == nullptr &&
                           valueCast<const RilkContext>(value.get()) == nullptr;
        for (const auto& entry : entries) {
            refuseUnitFileOperator(entry.first, words ? text : entry.first, macro.identifier);
            list.push_back(namingVariable(macro.identifier, entry.first, [&] {
                return expandEntry(record, macro.sourceParameter, entry);
            }));
        }
    }
    return list;
}

}  // namespace Rilk
