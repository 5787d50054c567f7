// The build of the main target: the last step of a run that is no one-shot mode.
#include <memory>

#include "app/driver/application_build_services.h"
#include "app/driver/output_file.h"
#include "app/driver/rilk_app.h"
#include "app/build/target_build.h"
#include "util/logger.h"

void RilkApplication::dumpContexts() const {
    if (project) {
        for (const auto& [ns, entry] : runtimeContexts) {
            Rilk::log(Rilk::LogLevel::Info, "Implicit context for project '{}':\n", ns.str());
            entry.context.print(Rilk::LogLevel::Info);
        }
    } else {
        Rilk::log(Rilk::LogLevel::Info, "Implicit context:\n");
        implicitContext.print(Rilk::LogLevel::Info);
    }
    if (cmdMode) commandLineContext.print(Rilk::LogLevel::Info);
}

void RilkApplication::startLoadingCache() {
    buildCache = std::make_unique<Rilk::BuildCache>(projectRoot / ".rilk_cache");
    buildCache->startLoading();
}

int RilkApplication::runBuild() {
    if (!buildCache) startLoadingCache();
    buildCache->load();
    Rilk::log(Rilk::LogLevel::Info, "Starting build\n");
    Rilk::log(Rilk::LogLevel::Trace, "Main file: {}\n", unitFile.string());
    Rilk::log(Rilk::LogLevel::Trace, "Main unit: {}\n", mainTarget.unit);
    Rilk::log(Rilk::LogLevel::Trace, "Main target: {}\n", mainTarget.target);
    if (project) {
        runtimeContexts.clear();
        CreateProjectRuntimeContexts();
    } else {
        ApplyDefaultProfile();
    }
    if (dump) dumpContexts();

    struct BuildState {
        explicit BuildState(RilkApplication& app) : services(app), build(services) {}
        ApplicationBuildServices services;
        TargetBuild build;
    };
    auto state = std::make_shared<BuildState>(*this);
    finishedBuild = state;
    Rilk::VisitingChain chain;
    // A namespace named on the command line is kept; the main project's own is left empty.
    const bool ownNamespace =
        mainTarget.ns.empty() || (project && Util::CiString::equal(mainTarget.ns, project->name));
    Rilk::QualifiedTargetName main(ownNamespace ? "" : mainTarget.ns, mainTarget.unit,
                                   mainTarget.target);
    const Rilk::Context outputs = state->build.buildTarget(main, {}, chain);
    // Saved before the -o file: the build succeeded even when that file cannot be written.
    buildCache->save();
    if (!outFile.empty()) writeOutputFile(outFile, outputs);
    return 0;
}
