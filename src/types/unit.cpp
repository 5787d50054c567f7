#include "types/unit.h"

#include <stdexcept>

namespace Rilk {

void Unit::addTarget(Target&& target) {
    const std::string key = target.name.target;
    if (auto found = targets.find(key); found != targets.end()) {
        throw std::invalid_argument("Key already exists: " + found->first.str());
    }
    targets.emplace(key, std::move(target));
    if (defaultTarget.empty()) {
        defaultTarget = key;
    }
}

}  // namespace Rilk
