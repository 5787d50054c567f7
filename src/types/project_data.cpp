#include "types/project_data.h"

#include <iterator>
#include <tuple>

namespace Rilk {

void ProjectData::addUnitFiles(const std::string& unitName,
                               std::vector<std::filesystem::path> files) {
    if (unitPositions_.size() != units.size()) indexUnits();
    auto [position, added] = unitPositions_.try_emplace(unitName, units.size());
    if (!added && (position->second >= units.size() ||
                   !Util::CiString::equal(units[position->second].first, unitName))) {
        indexUnits();
        std::tie(position, added) = unitPositions_.try_emplace(unitName, units.size());
    }
    if (added) {
        units.emplace_back(unitName, std::move(files));
        return;
    }
    auto& entryFiles = units[position->second].second;
    std::move(files.begin(), files.end(), std::back_inserter(entryFiles));
}

void ProjectData::indexUnits() {
    unitPositions_.clear();
    // The first entry of a name wins, as a search from the front would find it.
    for (std::size_t i = 0; i < units.size(); ++i) unitPositions_.try_emplace(units[i].first, i);
}

}  // namespace Rilk
