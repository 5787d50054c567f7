#include "types/argument_text.h"

#include "types/context.h"
#include "types/rilk_base_string.h"
#include "types/rilk_list.h"
#include "types/rilk_path_string.h"
#include "types/value_cast.h"
#include "types/value_utils.h"

namespace Rilk {

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
    const auto* string = valueCast<const RilkBaseString>(value.get());
    if (string == nullptr || valueCast<const RilkPathString>(value.get()) != nullptr) {
        return false;
    }
    const std::string& text = string->text();
    return text.size() >= 2 && text.front() == '"' && text.back() == '"';
}

std::string formatArg(const RilkValuePtr& value, const std::string& prefix, bool quote) {
    if (!value) return {};
    const std::string text = value->toString();
    if (text.empty()) return {};
    if (!quote || isUserQuoted(value)) return " " + prefix + text;
    return " " + prefix + shellQuoted(text);
}

std::string formatValueArgs(const RilkValuePtr& value, const std::string& prefix, bool quote) {
    std::string text;
    for (const RilkValuePtr& leaf : flattenValue(value)) text += formatArg(leaf, prefix, quote);
    return text;
}

std::string Context::formatVariableArgs(const std::string& name, const std::string& prefix,
                                        bool quote) const {
    const auto found = assignments.find(name);
    if (found == assignments.end() || !found->second.value) return {};
    return formatValueArgs(found->second.value, prefix, quote);
}

std::string Context::formatVariableArgsFlat(const std::string& name, const std::string& prefix,
                                            bool quote) const {
    const auto found = assignments.find(name);
    if (found == assignments.end() || !found->second.value) return {};
    std::string text;
    const RilkValue& value = *found->second.value;
    for (auto it = valueBegin(value), end = valueEnd(value); !(it == end); ++it) {
        const RilkValuePtr element = *it;
        const auto* inner = valueCast<const RilkList>(element.get());
        if (!inner) {
            text += formatArg(element, prefix, quote);
            continue;
        }
        for (const RilkValuePtr& item : inner->elements()) text += formatArg(item, prefix, quote);
    }
    return text;
}

}  // namespace Rilk
