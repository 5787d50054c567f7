// The run of the program: the steps from the command line to the exit status.
#include "app/driver/rilk_app.h"

#include <exception>
#include <filesystem>
#include <memory>
#include <string>
#include <system_error>

#include <fmt/format.h>

#include "app/cache/file/build_cache.h"
#include "app/driver/build_run.h"
#include "app/driver/build_run_start.h"
#include "app/driver/command_line.h"
#include "app/driver/listings.h"
#include "app/driver/project_caches.h"
#include "app/driver/project_journals.h"
#include "app/driver/project_locks.h"
#include "app/driver/project_template.h"
#include "app/driver/rilk_error_report.h"
#include "app/jobs/build_interrupt.h"
#include "app/load/project_imports.h"
#include "app/load/workspace.h"
#include "app/registry/registry_modes.h"
#include "app/registry/rilk_registry.h"
#include "app/toolbox/tool_map.h"
#include "app/toolbox/tool_registration.h"
#include "tools/compiler_scan_memo.h"
#include "tools/probe_cache.h"
#include "types/rilk_errors.h"
#include "util/logger.h"
#include "util/rilk_version.h"
#include "util/user_cache_dir.h"

namespace Rilk {
namespace {

/// The objects of one run, each made by one step and read by the later ones.
struct Run {
    RunOptions options;
    std::shared_ptr<RilkRegistry> registry;
    /// Why no registry could be set up, when `registry` is null after loading it.
    std::string registryFailure;
    Workspace workspace;
    ToolMap tools;
    /// The build caches: the own project's started once the project root is settled in a
    /// build run (or just before the build), those of the imported projects once their
    /// locks are held.
    ProjectCaches caches;
    /// A build run's hold on its project and those it imports, from before the cache is
    /// read to the end.
    ProjectLocks projectLocks;
    /// The records of the outputs a build run's commands may change, in each project whose
    /// lock it holds; none when nested.
    ProjectJournals journals;
    std::shared_ptr<void> finishedBuild;
};

/// Joins the load of the workspace: a build starts reading its cache as soon as the
/// project root is known, `-r` needs nothing after the project, and the tools are
/// registered before the units load.
class RunLoadListener : public LoadListener {
public:
    RunLoadListener(Run& run, RunMode mode) : run_(run), mode_(mode) {}

    void rootSettled(const Workspace& workspace) override {
        if (mode_ != RunMode::Build) return;
        run_.projectLocks.lockOwnProject(workspace.projectRoot);
        startReadingState(workspace);
    }
    bool projectLoaded(const Workspace& workspace) override {
        if (mode_ == RunMode::Build && workspace.project) {
            if (run_.projectLocks.lockImportedProjects(*workspace.project)) {
                // Another run in this project may have changed its state files meanwhile.
                startReadingState(workspace);
            }
            startReadingImportedState(*workspace.project);
        }
        return mode_ != RunMode::RegisterProject;
    }
    void unitsAboutToLoad(const Workspace& workspace) override {
        registerTools(run_.tools, run_.registry.get(), workspace.project);
    }

private:
    /// With the project's lock held: cleans up after a killed run and starts reading the cache.
    void startReadingState(const Workspace& workspace) {
        run_.journals.setOwn(startRunJournal(workspace.projectRoot, run_.projectLocks.own()));
        run_.caches.startOwn(workspace.projectRoot);
    }
    /// The same in each imported project whose lock the run holds: its targets' records
    /// are kept in its own cache file.
    void startReadingImportedState(const Project& project) {
        for (const ProjectPtr& imported : importedProjectsOf(project)) {
            const std::filesystem::path root = imported->projectFile.parent_path();
            const ProjectLock* lock = run_.projectLocks.find(root);
            if (lock == nullptr || !lock->lock || run_.caches.reads(root)) continue;
            run_.journals.addImported(root, startImportedRunJournal(root, *lock));
            run_.caches.startImported(root);
        }
    }

    Run& run_;
    RunMode mode_;
};

/// `--version`.
int printVersion() {
    log(LogLevel::Info, "{}\n", kRilkVersion);
    return 0;
}

/// Refuses to go on when the working directory cannot be named: every path the run
/// reads and writes is taken relative to it.
void checkWorkingDirectory() {
    std::error_code error;
    if (!std::filesystem::current_path(error).empty() && !error) return;
    throw RilkException(fmt::format(
        "The working directory cannot be found: {}{}. Run rilk in an existing directory.",
        error.message(), error == std::errc::no_such_file_or_directory ? " (it was removed)" : ""));
}

/// `--create-project`.
int createProject(const RunOptions& options) {
    createProjectFile(options.load, "");
    return 0;
}

/// `--find-compilers`.
int findCompilersMode(const Run& run) {
    findCompilers(run.registry.get(), run.registryFailure, defaultToolchainRoots());
    return 0;
}

/// The error of `-r` without a project: why no project file was read.
RilkException noProjectToRegister(const LoadOptions& options) {
    if (options.unitFileMode != UnitFileMode::Search) {
        return RilkException(
            "project '' not found: with -f or -c no project file is read, so there is nothing "
            "to register.");
    }
    return RilkException(fmt::format(
        "project '' not found: no project file (.rilk_project.txt) was found in '{}' or any "
        "directory above it, so there is nothing to register.",
        std::filesystem::current_path().string()));
}

/// `-r`: fails without a project.
int registerMainProject(const Run& run) {
    const ProjectPtr& project = run.workspace.project;
    if (!project) throw noProjectToRegister(run.options.load);
    registerProject(run.registry.get(), run.registryFailure, project->name, project->projectFile);
    return 0;
}

/// `-l`, `-u` and `-p`.
int listing(RunMode mode, const Run& run) {
    const ProjectPtr& project = run.workspace.project;
    if (mode == RunMode::ListTargets) {
        return listTargets(run.workspace.unitIndex, project ? project->name : "",
                           run.options.listTargetsUnit);
    }
    if (mode == RunMode::ListUnits) return listUnits(project.get());
    return listProfiles(project.get());
}

/// The steps of a run; the one-shot modes end it early.
int runSteps(Run& run, int argc, char** argv) {
    run.options = parseCommandLine(argc, argv);
    const RunMode mode = runMode(run.options);
    // A build run ends with status 1 wherever its output closes, as when a pager quits.
    if (mode == RunMode::Build) catchClosedOutput();
    if (mode == RunMode::PrintVersion) return printVersion();
    checkWorkingDirectory();
    if (mode == RunMode::CreateProject) return createProject(run.options);
    run.registry = RilkRegistry::load(run.registryFailure);
    if (mode == RunMode::FindCompilers) return findCompilersMode(run);
    RunLoadListener listener(run, mode);
    loadWorkspace(run.workspace, run.options.load, run.registry.get(), listener);
    if (mode == RunMode::RegisterProject) return registerMainProject(run);
    if (mode != RunMode::Build) return listing(mode, run);
    requireMainTarget(run.workspace);
    return runBuild(run.workspace, run.tools, run.caches, run.options, run.finishedBuild,
                    &run.journals);
}

}  // namespace

int runRilk(int argc, char** argv) {
    // Owned by the process: a large project's model, registry and build cache go back to
    // the system with it. Freeing them object by object would cost every run tens of
    // milliseconds; the sanitizer builds still free everything, so that their leak checks
    // see every object.
    auto* run = new Run;
    std::set_terminate(terminateHandler);
    setProbeCacheDirectory(getUserCacheDir());
    setCompilerScanDirectory(getUserCacheDir());
    const int status = runReportingErrors([&] { return runSteps(*run, argc, argv); });
    // Once the run has ended no job thread is left, and failed runs keep their answers too.
    saveProbeAnswers();
    saveCompilerScans();
#ifdef RILK_TEAR_DOWN_AT_EXIT
    delete run;
#endif
    return status;
}

}  // namespace Rilk
