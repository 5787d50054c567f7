#include "types/parameter_list.h"

#include <cctype>

#include "types/rilk_string.h"

namespace Rilk {

namespace {

bool isSpace(char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }

}  // namespace

std::string trim(const std::string& text) {
    std::size_t first = 0;
    std::size_t last = text.size();
    while (first < last && isSpace(text[first])) ++first;
    while (last > first && isSpace(text[last - 1])) --last;
    return text.substr(first, last - first);
}

void addParameter(ParameterList& params, std::string name, RilkValuePtr value) {
    name = trim(name);
    if (name.empty()) return;
    if (!value) value = makeString(name);
    params.emplace_back(std::move(name), std::move(value));
}

}  // namespace Rilk
