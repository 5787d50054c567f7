// The build of the main target: the last step of a run that is no one-shot mode.
#include "app/driver/build_run.h"

#include <memory>

#include "app/build/target_build.h"
#include "app/driver/application_build_services.h"
#include "app/driver/output_file.h"
#include "app/jobs/build_interrupt.h"
#include "app/jobs/leftover_commands.h"
#include "app/load/runtime_contexts.h"
#include "util/logger.h"

namespace Rilk {

void dumpContexts(const Workspace& workspace, const LoadOptions& options) {
    if (workspace.project) {
        for (const auto& [ns, entry] : workspace.runtimeContexts) {
            Rilk::log(Rilk::LogLevel::Info, "Implicit context for project '{}':\n", ns.str());
            entry.context.print(Rilk::LogLevel::Info);
        }
    } else {
        Rilk::log(Rilk::LogLevel::Info, "Implicit context:\n");
        workspace.implicitContext.print(Rilk::LogLevel::Info);
    }
    if (options.cmdMode) workspace.commandLineContext.print(Rilk::LogLevel::Info);
}

std::unique_ptr<BuildCache> startLoadingCache(const std::filesystem::path& projectRoot) {
    auto buildCache = std::make_unique<Rilk::BuildCache>(projectRoot / ".rilk_cache");
    // Records are held as their bytes in the file while a build only compares them.
    buildCache->holdRecordsAsBytes(true);
    buildCache->startLoading();
    return buildCache;
}

namespace {

/// Saves the caches, then removes the run's journals: its outputs are accounted for.
void finishRun(ProjectCaches& caches, ProjectJournals* journals) {
    caches.save();
    if (journals != nullptr) journals->finish();
}

}  // namespace

int runBuild(Workspace& workspace, const ToolMap& tools, ProjectCaches& caches,
             const RunOptions& options, std::shared_ptr<void>& finishedBuild,
             ProjectJournals* journals) {
    const QualifiedTargetName& mainTarget = workspace.mainTarget;
    const ProjectPtr& project = workspace.project;
    if (caches.own() == nullptr) caches.startOwn(workspace.projectRoot);
    caches.load();
    caches.route(project.get());
    if (journals != nullptr) journals->route(project.get());
    Rilk::log(Rilk::LogLevel::Info, "Starting build\n");
    Rilk::log(Rilk::LogLevel::Trace, "Main file: {}\n", options.load.unitFile.string());
    Rilk::log(Rilk::LogLevel::Trace, "Main unit: {}\n", mainTarget.unit);
    Rilk::log(Rilk::LogLevel::Trace, "Main target: {}\n", mainTarget.target);
    if (project) {
        workspace.runtimeContexts.clear();
        createProjectRuntimeContexts(workspace, options.load);
    } else {
        applyDefaultProfile(workspace, options.load);
    }
    if (options.dump) dumpContexts(workspace, options.load);

    struct BuildState {
        BuildState(const Workspace& workspace, const ToolMap& tools, const RunOptions& options,
                   ProjectCaches& caches, ProjectJournals* journals)
            : services(workspace, tools, options.weights, caches, options.jobs, journals),
              build(services) {}
        ApplicationBuildServices services;
        TargetBuild build;
    };
    auto state = std::make_shared<BuildState>(workspace, tools, options, caches, journals);
    finishedBuild = state;
    Rilk::VisitingChain chain;
    // A namespace named on the command line is kept; the main project's own is left empty.
    const bool ownNamespace =
        mainTarget.ns.empty() || (project && Util::CiString::equal(mainTarget.ns, project->name));
    Rilk::QualifiedTargetName main(ownNamespace ? "" : mainTarget.ns, mainTarget.unit,
                                   mainTarget.target);
    Rilk::Context outputs;
    {
        // From here a stop signal stops the build before its next target (or its running
        // commands), so that the run can keep what finished.
        const BuildSignals signals;
        try {
            outputs = state->build.buildTarget(main, {}, chain);
        } catch (...) {
            // Whatever ended the build, the records of the work that finished are kept;
            // the failed or stopped jobs removed what they had begun to write. What the
            // commands left running ends before the journals go, which name them.
            endLeftoverCommands();
            finishRun(caches, journals);
            if (buildInterrupted()) endInterruptedRun();
            throw;
        }
        // Saved before the -o file: the build succeeded even when that file cannot be written.
        finishRun(caches, journals);
        if (buildInterrupted()) endInterruptedRun();
    }
    if (!options.outFile.empty()) writeOutputFile(options.outFile, outputs);
    return 0;
}

}  // namespace Rilk
