#include "app/load/project.h"

namespace Rilk {

std::string Project::firstUnitName() const { return units.empty() ? "" : units.front().first; }

}  // namespace Rilk
