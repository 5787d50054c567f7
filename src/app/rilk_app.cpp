#include "app/rilk_app.h"

#include <stdexcept>

#include <fmt/format.h>

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
    // Still to come here, in this order: --create-project; loading the registry;
    // --find-compilers; settling the project root and loading the project with its units,
    // profiles and imports; -r; implicit variables; the static, registry and project tools;
    // the units and the main target; the positional items; -l, -u and -p; the build, the -o
    // file and the cache file. Until then a run that needs them fails instead of claiming
    // success.
    throw std::runtime_error(fmt::format(
        "{} is not available yet: this rilk only prints its version (--version) and its "
        "usage (-h).",
        modeLabel(mode)));
}
