#pragma once

#include <string>
#include <utility>
#include <vector>

#include "types/rilk_value.h"

namespace Rilk {

/// Named parameters in the order added: each a trimmed text and its value.
using ParameterList = std::vector<std::pair<std::string, RilkValuePtr>>;

/// The text without leading and trailing white space (C-locale `isspace`).
std::string trim(const std::string& text);

/// Adds (trimmed name, value) to `params`; a blank name adds nothing. Without a value the
/// entry gets a new string value holding the trimmed name.
void addParameter(ParameterList& params, std::string name, RilkValuePtr value);

}  // namespace Rilk
