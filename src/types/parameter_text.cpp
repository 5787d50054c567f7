#include "types/parameter_text.h"

#include "types/rilk_base_string.h"
#include "types/rilk_list.h"
#include "types/value_cast.h"

namespace Rilk {

namespace {

constexpr char kEscape = '\x1f';

std::string escaped(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        if (c == kEscape) out += kEscape;
        out += c;
    }
    return out;
}

/// A string gives its text; every other kind of value its type name in front, and a
/// list its elements' pieces in brackets, so that values of different kinds never meet.
std::string piece(const RilkValuePtr& value) {
    if (!value) return {kEscape, '0'};
    if (valueCast<const RilkBaseString>(value.get())) {
        return escaped(value->toString());
    }
    std::string text{kEscape};
    text += value->typeName();
    if (const auto* list = valueCast<const RilkList>(value.get())) {
        text += {kEscape, '['};
        for (const RilkValuePtr& element : list->elements()) text += piece(element) + kEscape + ';';
        return text + kEscape + ']';
    }
    return text + kEscape + ':' + escaped(value->toString());
}

}  // namespace

std::string parameterTextOf(const std::vector<RilkValuePtr>& values) {
    std::string text;
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (i > 0) text += {kEscape, ','};
        text += piece(values[i]);
    }
    if (text.empty() && !values.empty()) text = {kEscape, 'E'};
    return text;
}

}  // namespace Rilk
