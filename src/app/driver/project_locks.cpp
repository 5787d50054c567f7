#include "app/driver/project_locks.h"

#include <unistd.h>

#include <algorithm>
#include <stdexcept>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>

#include <fmt/format.h>

#include "app/driver/lock_marks.h"
#include "app/driver/lock_wait.h"
#include "app/jobs/child_environment.h"
#include "app/load/project_imports.h"
#include "types/rilk_errors.h"
#include "util/logger.h"

namespace Rilk {

namespace {

/// How deep runs may nest in one project, each level a lock file of its own.
constexpr int kNestingLevels = 64;

/// What a lock file says of its holder, for people and for older runs nested in this one:
/// its process id, then this word when it builds in the project as one its own project
/// imports. No run reads it back.
constexpr std::string_view kImportedMark = " imported";

/// How an ancestor of this process that holds `file` holds it, by its process mark: for a
/// run whose environment did not come down from the build that started it. True: as its own
/// project; empty when no ancestor holds the file (or none says so).
std::optional<bool> heldByAncestorProcess(const std::filesystem::path& file) {
    const std::optional<Util::MarkedFile> marks = Util::MarkedFile::open(file);
    if (!marks) return std::nullopt;
    const std::optional<Util::ProcessMark> holder = LockMarks::holderProcess(*marks);
    if (!holder || !LockMarks::isAncestor(holder->pid)) return std::nullopt;
    return holder->offset == LockMarks::kOwnHolder;
}

/// The project's folder, for comparison with the ancestors' locks; nothing to compare without
/// any.
Util::FileIdentity projectIdentity(const std::filesystem::path& root,
                                   const LockAncestry& ancestry) {
    return ancestry.locks().empty() ? Util::FileIdentity{} : identityOf(root);
}

/// Turns the lock's own errors into the run's: the run ends unless no other run can build in
/// the project meanwhile.
template <typename Lock>
auto orUnlocked(Lock take) -> decltype(take()) {
    try {
        return take();
    } catch (const Util::LockFileRefused& e) {
        throw RilkException(e.what());
    } catch (const Util::LockFileCannotBeMade& e) {
        if (!e.readOnlyFileSystem()) {
            throw RilkException(fmt::format(
                "{}. Another user may build in the project meanwhile, and rilk does not build "
                "there without its lock. A lock file made there once (empty, by a user who may "
                "write the folder) is locked all the same by users who may only read it.",
                e.what()));
        }
        // A project on a read-only file system: no run reaching it here can make the lock
        // file or write anything in the project, so none changes what another reads. (A run
        // reaching the same files through a writable mount elsewhere is not seen.)
        log(LogLevel::Warning, "{}; building without it.\n", e.what());
    } catch (const std::runtime_error& e) {
        throw RilkException(fmt::format(
            "{}. rilk does not build in the project without its lock: another run could build "
            "there at the same time.",
            e.what()));
    }
    return {};
}

/// The root of a project, resolved, so that one project has one place in the locking order.
std::filesystem::path canonicalRoot(const std::filesystem::path& root) {
    std::error_code error;
    std::filesystem::path resolved = std::filesystem::weakly_canonical(root, error);
    if (error) return std::filesystem::absolute(root).lexically_normal();
    return resolved;
}

void addImportedRoots(const Project& project, std::vector<std::filesystem::path>& roots) {
    for (const ProjectPtr& imported : importedProjectsOf(project)) {
        roots.push_back(canonicalRoot(imported->projectFile.parent_path()));
    }
}

}  // namespace

void ProjectLocks::lockOwnProject(const std::filesystem::path& root) {
    ownRoot_ = root;
    lockAll({root});
}

bool ProjectLocks::lockImportedProjects(const Project& project) {
    if (project.importedProjects.empty()) return false;
    const std::filesystem::path own = canonicalRoot(ownRoot_);
    for (Held& held : held_) {
        if (held.root == ownRoot_) held.root = own;
    }
    ownRoot_ = own;
    std::vector<std::filesystem::path> roots{own};
    addImportedRoots(project, roots);
    std::sort(roots.begin(), roots.end());
    roots.erase(std::unique(roots.begin(), roots.end()), roots.end());
    return lockAll(roots);
}

const ProjectLock* ProjectLocks::find(const std::filesystem::path& root) const {
    for (const Held& held : held_) {
        if (held.root == root) return &held.lock;
    }
    return nullptr;
}

const ProjectLock& ProjectLocks::own() const {
    for (const Held& held : held_) {
        if (held.root == ownRoot_) return held.lock;
    }
    throw InternalError();
}

bool ProjectLocks::holds(const std::filesystem::path& root) const {
    return std::any_of(held_.begin(), held_.end(),
                       [&](const Held& held) { return held.root == root; });
}

ProjectLocks::Attempt ProjectLocks::tryLock(const std::filesystem::path& root, bool imported) {
    const Util::FileIdentity project = projectIdentity(root, *ancestry_);
    bool nested = ancestry_->holdsAsOwn(project);
    for (int level = 0; level < kNestingLevels; ++level) {
        const std::filesystem::path file = projectLockFile(root, level);
        if (ancestry_->holding(project, level) == nullptr) {
            if (std::optional<Util::FileLock> lock = Util::FileLock::tryAcquire(file)) {
                return settle(std::move(*lock), root, level, imported, nested);
            }
            const std::optional<bool> ancestorsOwn = heldByAncestorProcess(file);
            if (!ancestorsOwn) return {.nested = nested, .file = file, .busy = true};
            nested = nested || *ancestorsOwn;
        }
        if (level == 0) {
            log(LogLevel::Verbose,
                "Run inside a build of this project: not taking its lock. Taking the lock "
                "of the runs that build started instead.\n");
        }
    }
    // Others nested as deep would go unlocked beside this run.
    throw RilkException(fmt::format(
        "Runs are nested more than {} deep in builds of the project '{}' (each started by a "
        "command of the one before); rilk has no lock for a run nested deeper and does not "
        "build without one.",
        kNestingLevels, root.string()));
}

ProjectLocks::Attempt ProjectLocks::settle(Util::FileLock lock, const std::filesystem::path& root,
                                           int level, bool imported, bool nested) {
    LockMarks::markHolder(lock, token_, imported);
    if (lock.writable()) {
        try {
            std::string holder = std::to_string(::getpid());
            if (imported) holder += kImportedMark;
            lock.describeHolder(holder);
        } catch (const std::runtime_error&) {
            // Only people read it.
        }
    }
    // A deeper level held by a run that no ancestor started: the build it belongs to holds
    // this level no more (it was killed), while that run still builds in the project.
    const Util::FileIdentity project = projectIdentity(root, *ancestry_);
    for (int deeper = level + 1; deeper < kNestingLevels; ++deeper) {
        if (ancestry_->holding(project, deeper) != nullptr) continue;
        const std::filesystem::path file = projectLockFile(root, deeper);
        const std::optional<Util::MarkedFile> marks = Util::MarkedFile::open(file);
        if (!marks) break;
        if (marks->lockIsFree() || heldByAncestorProcess(file)) continue;
        return {.nested = nested, .file = file, .busy = true, .leftOver = true};
    }
    const std::filesystem::path file = lock.file();
    held_.push_back({root, file, imported, ProjectLock{std::move(lock), nested}});
    return {};
}

void ProjectLocks::announceWait(const Attempt& attempt, const std::filesystem::path& root,
                                bool imported) const {
    const std::string holder = LockMarks::holderText(attempt.file);
    if (attempt.leftOver) {
        log(LogLevel::Info,
            "Waiting for a run in this project that a build which has ended (killed) started to "
            "finish. The lock file '{}' is held by {}.\n",
            attempt.file.string(), holder);
    } else if (!imported) {
        log(LogLevel::Info,
            "Waiting for another run in this project to finish. The lock file '{}' is held by "
            "{}.\n",
            attempt.file.string(), holder);
    } else {
        log(LogLevel::Info,
            "Waiting for another run that builds in the imported project '{}' to finish. The "
            "lock file '{}' is held by {}.\n",
            root.string(), attempt.file.string(), holder);
    }
    // Seen now, also where the output goes to a file or a pipe.
    flushConsole();
}

bool ProjectLocks::lockAll(const std::vector<std::filesystem::path>& roots) {
    if (!ancestry_) {
        ancestry_ = LockAncestry::fromEnvironment();
        token_ = LockMarks::newRunToken();
    }
    bool ownLetGo = false;
    for (std::size_t i = 0; i < roots.size();) {
        const std::filesystem::path& root = roots[i];
        if (holds(root)) {
            ++i;
            continue;
        }
        const bool imported = root != ownRoot_;
        Attempt attempt = orUnlocked([&] { return tryLock(root, imported); });
        bool waited = false;
        while (attempt.busy) {
            // Never waits holding a lock: the run it waits for may be waiting for that one.
            ownLetGo = ownLetGo || holds(ownRoot_);
            held_.clear();
            announceWait(attempt, root, imported);
            waited = true;
            attempt = orUnlocked([&] {
                if (attempt.leftOver) {
                    // Let go at once: the run left over has ended.
                    waitForLock(attempt.file, *ancestry_);
                    return tryLock(root, imported);
                }
                return settle(waitForLock(attempt.file, *ancestry_), root,
                              projectLockLevel(attempt.file).value_or(0), imported, attempt.nested);
            });
        }
        if (!holds(root)) held_.push_back({root, {}, imported, ProjectLock{{}, attempt.nested}});
        // The locks before this one are taken anew after a wait.
        i = waited ? 0 : i + 1;
    }
    passToCommands();
    return ownLetGo;
}

void ProjectLocks::passToCommands() const {
    std::vector<HeldLock> locks;
    for (const AncestorLock& lock : ancestry_->locks()) locks.push_back(lock.held);
    for (const Held& held : held_) {
        if (!held.lock.lock) continue;
        locks.push_back({std::filesystem::absolute(held.file), token_, held.imported});
    }
    setCommandVariable(kHeldLocksVariable, heldLocksText(locks));
}

}  // namespace Rilk
