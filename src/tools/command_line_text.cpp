#include "tools/command_line_text.h"

#include "types/argument_text.h"
#include "types/rilk_value_types.h"
#include "types/value_cast.h"

namespace Rilk {

namespace {

/// One argument per word of a plain or raw string; one argument of any other value.
std::string wordArguments(const RilkValuePtr& value, const std::string& prefix, bool quote) {
    if (!isWordText(value)) return formatArg(value, prefix, quote);
    std::string text;
    for (auto it = valueBegin(*value), end = valueEnd(*value); !(it == end); ++it) {
        text += formatArg(*it, prefix, quote);
    }
    return text;
}

/// The value's argument texts in its one-level form (see `flatArguments`). An element of a
/// list is one argument whatever it holds: a define `S="a b"` or a library in a folder with
/// a blank must reach the program as the user wrote it, with its prefix once.
std::string flatValueArguments(const RilkValuePtr& value, const std::string& prefix, bool quote) {
    const auto* list = valueCast<const RilkList>(value.get());
    if (list == nullptr) return wordArguments(value, prefix, quote);
    std::string text;
    for (const RilkValuePtr& element : list->elements()) {
        const auto* inner = valueCast<const RilkList>(element.get());
        if (inner == nullptr) {
            text += formatArg(element, prefix, quote);
            continue;
        }
        for (const RilkValuePtr& item : inner->elements()) text += formatArg(item, prefix, quote);
    }
    return text;
}

}  // namespace

bool isWordText(const RilkValuePtr& value) {
    return valueCast<const RilkBaseString>(value.get()) != nullptr &&
           valueCast<const RilkPathString>(value.get()) == nullptr;
}

std::string flatArguments(const Context& context, const std::string& name,
                          const std::string& prefix, bool quote) {
    const auto found = context.assignments.find(name);
    if (found == context.assignments.end() || !found->second.value) return {};
    return flatValueArguments(found->second.value, prefix, quote);
}

std::string operandText(const std::string& name) {
    return name.starts_with('-') ? "./" + name : name;
}

}  // namespace Rilk
