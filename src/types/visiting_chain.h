#pragma once

#include <list>
#include <set>
#include <string>

#include "util/ci_string.h"

namespace Rilk {

/// The targets being built, from the innermost outward: their qualified-name texts,
/// newest first, and the same texts in a case-insensitive set for fast lookups.
struct VisitingChain {
    std::list<std::string> names;
    std::set<Util::CiString> lookup;
};

}  // namespace Rilk
