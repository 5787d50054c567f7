#include "types/project_data.h"

#include <algorithm>
#include <iterator>

#include "util/ci_string.h"

namespace Rilk {

void ProjectData::addUnitFiles(const std::string& unitName,
                               std::vector<std::filesystem::path> files) {
    auto entry = std::find_if(units.begin(), units.end(), [&](const UnitEntry& unit) {
        return Util::CiString::equal(unit.first, unitName);
    });
    if (entry == units.end()) {
        units.emplace_back(unitName, std::move(files));
        return;
    }
    std::move(files.begin(), files.end(), std::back_inserter(entry->second));
}

}  // namespace Rilk
