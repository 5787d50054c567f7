#include "tools/command_line_text.h"

#include "types/rilk_value_types.h"
#include "types/value_utils.h"

namespace Rilk {

namespace {

/// A plain or raw string gives one argument per word; a path string, or any other value,
/// gives one argument.
std::string wordArguments(const RilkValuePtr& value, const std::string& prefix, bool quote) {
    const bool splitIntoWords = dynamic_cast<const RilkBaseString*>(value.get()) != nullptr &&
                                dynamic_cast<const RilkPathString*>(value.get()) == nullptr;
    if (!splitIntoWords) return argumentText(value, prefix, quote);
    std::string text;
    for (auto it = valueBegin(*value), end = valueEnd(*value); !(it == end); ++it) {
        text += argumentText(*it, prefix, quote);
    }
    return text;
}

/// The value's argument texts, one level opened (see `flatArguments`).
std::string flatValueArguments(const RilkValuePtr& value, const std::string& prefix, bool quote) {
    const auto* list = dynamic_cast<const RilkList*>(value.get());
    if (list == nullptr) return wordArguments(value, prefix, quote);
    std::string text;
    for (const RilkValuePtr& element : list->elements()) {
        const auto* inner = dynamic_cast<const RilkList*>(element.get());
        if (inner == nullptr) {
            text += wordArguments(element, prefix, quote);
            continue;
        }
        for (const RilkValuePtr& item : inner->elements()) {
            text += wordArguments(item, prefix, quote);
        }
    }
    return text;
}

const RilkValuePtr* valueOf(const Context& context, const std::string& name) {
    const auto found = context.assignments.find(name);
    if (found == context.assignments.end() || !found->second.value) return nullptr;
    return &found->second.value;
}

}  // namespace

std::string shellQuoted(const std::string& text) {
    std::string quoted = "\"";
    quoted.reserve(text.size() + 2);
    for (char c : text) {
        if (c == '\\' || c == '"' || c == '$' || c == '`') quoted += '\\';
        quoted += c;
    }
    quoted += '"';
    return quoted;
}

bool isUserQuoted(const RilkValuePtr& value) {
    const auto* string = dynamic_cast<const RilkBaseString*>(value.get());
    if (string == nullptr || dynamic_cast<const RilkPathString*>(value.get()) != nullptr) {
        return false;
    }
    const std::string& text = string->text();
    return text.size() >= 2 && text.front() == '"' && text.back() == '"';
}

std::string argumentText(const RilkValuePtr& value, const std::string& prefix, bool quote) {
    if (!value) return {};
    const std::string text = value->toString();
    if (text.empty()) return {};
    if (!quote || isUserQuoted(value)) return " " + prefix + text;
    return " " + prefix + shellQuoted(text);
}

std::string deepArguments(const Context& context, const std::string& name,
                          const std::string& prefix, bool quote) {
    const RilkValuePtr* value = valueOf(context, name);
    if (value == nullptr) return {};
    std::string text;
    for (const RilkValuePtr& leaf : flattenValue(*value)) text += argumentText(leaf, prefix, quote);
    return text;
}

std::string flatArguments(const Context& context, const std::string& name,
                          const std::string& prefix, bool quote) {
    const RilkValuePtr* value = valueOf(context, name);
    if (value == nullptr) return {};
    return flatValueArguments(*value, prefix, quote);
}

}  // namespace Rilk
