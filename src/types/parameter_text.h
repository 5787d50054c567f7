#pragma once

#include <string>
#include <vector>

#include "types/rilk_value.h"

namespace Rilk {

/// The text that names the parameter values of one target instance; distinct value
/// lists always give distinct texts, and no values give the empty text.
///
/// A single string gives its text. Any other kind of value is marked by 0x1F and its
/// type name (a list also brackets its elements), so that the list ["a", "b"] differs
/// from the string "a b" and the integer 1 from the string "1". Several values are separated by the
/// control character 0x1F followed by ",", so ("12", "3") and ("1", "23") differ. To keep every
/// list apart, a 0x1F inside a text is doubled, a missing value is written 0x1F "0", and
/// a single empty text becomes 0x1F "E" (it must differ from no parameters at all).
std::string parameterTextOf(const std::vector<RilkValuePtr>& values);

}  // namespace Rilk
