#include "types/unit.h"

#include <stdexcept>

namespace Rilk {

void Unit::addTarget(Target&& target) {
    Util::CiString key(target.name.target);
    // One walk of the tree finds a target of the name or the place for the new one.
    const auto place = targets.lower_bound(key);
    if (place != targets.end() && !(key < place->first)) {
        throw DuplicateTarget(place->first.str());
    }
    if (defaultTarget.empty()) defaultTarget = key.str();
    targets.emplace_hint(place, std::move(key), std::move(target));
}

}  // namespace Rilk
