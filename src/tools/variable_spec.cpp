#include "tools/variable_spec.h"

namespace Rilk {

std::int32_t VariableSpec::weightFor(MatchKind kind) const {
    switch (kind) {
        case NoMatch:
            return noMatchWeight;
        case PartialMatch:
            return partialMatchWeight;
        case ExactMatch:
            return exactMatchWeight;
        default:
            return 0;
    }
}

}  // namespace Rilk
