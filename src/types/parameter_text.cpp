#include "types/parameter_text.h"

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

std::string piece(const RilkValuePtr& value) {
    if (!value) return {kEscape, '0'};
    return escaped(value->toString());
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
