#include "app/driver/rilk_app.h"

#include "app/driver/listings.h"
#include "app/registry/toolchain_discovery.h"
#include "util/logger.h"
#include "util/rilk_version.h"

RunMode RilkApplication::runMode() const {
    if (printVersion) return RunMode::PrintVersion;
    if (createProject) return RunMode::CreateProject;
    if (findCompilers) return RunMode::FindCompilers;
    if (registerProject) return RunMode::RegisterProject;
    if (!listTargetsUnit.empty()) return RunMode::ListTargets;
    if (listUnits) return RunMode::ListUnits;
    if (listProfiles) return RunMode::ListProfiles;
    return RunMode::Build;
}

int RilkApplication::run(int argc, char** argv) {
    parseCommandLine(argc, argv);
    const RunMode mode = runMode();
    if (mode == RunMode::PrintVersion) {
        Rilk::log(Rilk::LogLevel::Info, "{}\n", Rilk::kRilkVersion);
        return 0;
    }
    if (mode == RunMode::CreateProject) {
        CreateProjectFile("");
        return 0;
    }
    loadRegistry();
    if (mode == RunMode::FindCompilers) {
        discoverToolchains(defaultToolchainRoots());
        return 0;
    }
    findProjectFile();
    if (mode == RunMode::Build) startLoadingCache();
    loadMainProject();
    if (mode == RunMode::RegisterProject) {
        registerMainProject();
        return 0;
    }
    addImplicitVariables();
    registerBuildTools();
    loadMainUnits();
    HandlePositionalArguments();
    switch (mode) {
        case RunMode::ListTargets:
            return Rilk::listTargets(unitIndex, project ? project->name : "", listTargetsUnit);
        case RunMode::ListUnits:
            return Rilk::listUnits(project.get());
        case RunMode::ListProfiles:
            return Rilk::listProfiles(project.get());
        default:
            break;
    }
    return runBuild();
}
