#include "types/target.h"

namespace Rilk {

void Target::releaseBody() {
    // Swapped with empty vectors: clearing would keep the capacity allocated.
    std::vector<Assignment>().swap(assignments);
    std::vector<Condition>().swap(conditions);
    std::vector<Dependency>().swap(dependencies);
    bodyReleased_ = true;
}

std::vector<Assignment> Target::takeAssignments() {
    bodyReleased_ = true;
    return std::move(assignments);
}

}  // namespace Rilk
