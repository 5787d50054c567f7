// The units a run needs and the target it builds.
#include <memory>

#include "app/driver/rilk_app.h"

void RilkApplication::loadMainUnits() {
    if (project != nullptr) {
        LoadUnits(project);
        std::string ns = project->name;
        std::string unitName = project->firstUnitName();
        const Rilk::UnitPtr mainUnit = unitIndex.findUnit(ns, unitName);
        mainTarget = Rilk::QualifiedTargetName(project->name, project->firstUnitName(),
                                               mainUnit->defaultTarget);
    } else if (!cmdMode) {
        const Rilk::UnitPtr unit = loadUnitFile(unitFile, "");
        unitIndex.addUnit("", "1", unit);
        mainTarget = Rilk::QualifiedTargetName("", unit->name, unit->defaultTarget);
        unitIndex.defaultUnit = unit->name;
    } else {
        auto unit = std::make_shared<Rilk::Unit>();
        unit->name = "cmdline";
        unitIndex.addUnit("", "", unit);
        mainTarget = Rilk::QualifiedTargetName("", "", "cmdline");
    }
}
