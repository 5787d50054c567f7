#include "app/rilk_app.h"

#include <stdexcept>

#include <fmt/format.h>

#include "app/listings.h"
#include "app/toolchain_discovery.h"
#include "util/logger.h"

namespace {

/// How a message names a mode that this rilk cannot run yet.
std::string_view modeLabel(RunMode mode) {
    switch (mode) {
        case RunMode::PrintVersion:
            return "Option '--version'";
        case RunMode::CreateProject:
            return "Option '--create-project'";
        case RunMode::FindCompilers:
            return "Option '--find-compilers'";
        case RunMode::RegisterProject:
            return "Option '-r'";
        case RunMode::ListTargets:
            return "Option '-l'";
        case RunMode::ListUnits:
            return "Option '-u'";
        case RunMode::ListProfiles:
            return "Option '-p'";
        case RunMode::Build:
            break;
    }
    return "Building";
}

std::runtime_error notAvailable(RunMode mode) {
    return std::runtime_error(
        fmt::format("{} is not available yet in this rilk.", modeLabel(mode)));
}

}  // namespace

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
        Rilk::log(5, "{}\n", kRilkVersion);
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
