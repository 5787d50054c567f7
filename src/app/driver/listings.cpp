#include "app/driver/listings.h"

#include "util/ci_string.h"
#include "util/logger.h"

namespace Rilk {
namespace {

int noProject() {
    log(LogLevel::Error, "No file to list. You need .rilk_project.txt.\n");
    return -1;
}

}  // namespace

int listTargets(const UnitIndex& index, std::string ns, std::string unitName) {
    const UnitPtr unit = index.findUnit(ns, unitName);
    for (const auto& [name, target] : unit->targets) {
        if (Util::CiString::equal(name.str(), unit->defaultTarget)) {
            printColored(32, "{}\n", name.str());
        } else {
            log(LogLevel::Info, "{}\n", name.str());
        }
    }
    return 0;
}

int listUnits(const Project* project) {
    if (project == nullptr) return noProject();
    for (const auto& entry : project->units) log(LogLevel::Info, "{}\n", entry.first);
    return 0;
}

int listProfiles(const Project* project) {
    if (project == nullptr) return noProject();
    for (const auto& entry : project->profiles) log(LogLevel::Info, "{}\n", entry.first.str());
    return 0;
}

}  // namespace Rilk
