#include "app/driver/project_locks.h"

#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>

#include "app/load/project_imports.h"
#include "types/rilk_errors.h"
#include "util/logger.h"

namespace Rilk {

namespace {

/// How deep runs may nest in one project, each level a lock file of its own; as deep as
/// the ancestors `heldByAncestor` looks at.
constexpr int kNestingLevels = 64;

/// The parent of process `pid`, from /proc; 0 when unknown.
pid_t parentOf(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string stat;
    std::getline(in, stat);
    // "pid (name) state ppid ...": the name may hold blanks and parentheses.
    const std::size_t close = stat.rfind(')');
    if (close == std::string::npos) return 0;
    std::istringstream rest(stat.substr(close + 1));
    char state = 0;
    pid_t parent = 0;
    rest >> state >> parent;
    return rest ? parent : 0;
}

/// What a lock file says of its holder: its process id, then this word when it builds in
/// the project as one its own project imports.
constexpr std::string_view kImportedMark = " imported";

/// How a run that this process descends from holds a project's lock file.
enum class AncestorHold { None, Own, Imported };

/// How the process whose id is written into the lock file holds it, when it is an ancestor
/// of this process.
AncestorHold heldByAncestor(const std::filesystem::path& file) {
    const std::string text = Util::FileLock::readHolder(file);
    pid_t holder = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), holder);
    if (error != std::errc() || holder <= 1) return AncestorHold::None;
    pid_t process = ::getppid();
    for (int depth = 0; depth < kNestingLevels && process > 1; ++depth) {
        if (process == holder) {
            const bool imported = std::string_view(end, text.data() + text.size()) == kImportedMark;
            return imported ? AncestorHold::Imported : AncestorHold::Own;
        }
        process = parentOf(process);
    }
    return AncestorHold::None;
}

/// Writes this process's id into the lock file, for nested runs to find.
ProjectLock describe(Util::FileLock lock, bool imported, bool nested) {
    try {
        std::string holder = std::to_string(::getpid());
        if (imported) holder += kImportedMark;
        lock.describeHolder(holder);
    } catch (const std::runtime_error&) {
        // A nested run then waits, as for any other run.
    }
    return ProjectLock{std::move(lock), nested};
}

/// The lock file of the runs nested `level` deep in a build of the project in `root`.
std::filesystem::path lockFile(const std::filesystem::path& root, int level) {
    std::filesystem::path file = root / kProjectLockFile;
    if (level > 0) file += "." + std::to_string(level);
    return file;
}

/// What trying a project's lock found: the lock taken, or the lock file that a run this
/// process does not descend from holds.
struct Attempt {
    ProjectLock taken;
    std::filesystem::path busyFile;
    /// Whether a run this process descends from holds the project as its own.
    bool nested = false;
};

/// Takes the project's lock unless a run that is no ancestor holds it: one level deeper for
/// each level an ancestor holds. `imported`: the project is not the run's own.
Attempt tryLock(const std::filesystem::path& root, bool imported) {
    bool nested = false;
    for (int level = 0; level < kNestingLevels; ++level) {
        const std::filesystem::path file = lockFile(root, level);
        std::optional<Util::FileLock> lock = Util::FileLock::tryAcquire(file);
        if (lock) return {describe(std::move(*lock), imported, nested), {}, nested};
        const AncestorHold ancestor = heldByAncestor(file);
        if (ancestor == AncestorHold::None) return {{}, file, nested};
        nested = nested || ancestor == AncestorHold::Own;
        if (level == 0) {
            log(LogLevel::Verbose,
                "Run inside a build of this project: not taking its lock. Taking the lock "
                "of the runs that build started instead.\n");
        }
    }
    return {};
}

/// Turns the lock's own errors into the run's: a link in the lock file's place ends the
/// run, any other failure leaves the project unlocked with a warning.
template <typename Lock>
auto orUnlocked(Lock take) -> decltype(take()) {
    try {
        return take();
    } catch (const Util::LockFileIsALink& e) {
        throw RilkException(e.what());
    } catch (const std::runtime_error& e) {
        log(LogLevel::Warning, "{}; building without it.\n", e.what());
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

bool ProjectLocks::lockAll(const std::vector<std::filesystem::path>& roots) {
    bool ownLetGo = false;
    for (std::size_t i = 0; i < roots.size();) {
        const std::filesystem::path& root = roots[i];
        if (holds(root)) {
            ++i;
            continue;
        }
        const bool imported = root != ownRoot_;
        Attempt attempt = orUnlocked([&] { return tryLock(root, imported); });
        if (attempt.busyFile.empty()) {
            held_.push_back({root, std::move(attempt.taken)});
            ++i;
            continue;
        }
        // Never waits holding a lock: the run it waits for may be waiting for that one.
        ownLetGo = ownLetGo || holds(ownRoot_);
        held_.clear();
        if (!imported) {
            log(LogLevel::Info, "Waiting for another run in this project to finish.\n");
        } else {
            log(LogLevel::Info,
                "Waiting for another run that builds in the imported project '{}' to finish.\n",
                root.string());
        }
        // Seen now, also where the output goes to a file or a pipe.
        flushConsole();
        held_.push_back({root, orUnlocked([&] {
                             return describe(Util::FileLock::acquire(attempt.busyFile), imported,
                                             attempt.nested);
                         })});
        // The locks before this one are taken anew.
        i = 0;
    }
    return ownLetGo;
}

}  // namespace Rilk
