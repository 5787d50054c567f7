#pragma once

#include <cstddef>
#include <string>

#include "types/expander.h"
#include "types/rilk_string.h"

namespace Rilk {

/// The replacement of the reference `name` in a text of `owner`: null when it is empty (no
/// value), else the text, itself fully expanded. A string value that needs no expansion
/// gives its own text, which `hold` keeps alive, sparing a copy; any other replacement is
/// made in `owned`. Names being expanded are in `expanding`: a name met again is a loop.
const std::string* replacementText(const std::string& name, const RilkString& owner,
                                   Expander::NameSet& expanding, RilkValuePtr& hold,
                                   std::string& owned);

/// Raises the limit error when a text, once expanded, would hold `bytes` bytes in all.
void checkExpandedSize(std::size_t bytes);

}  // namespace Rilk
