#include "app/driver/build_run_start.h"

#include <stdexcept>

#include "app/jobs/run_journal.h"
#include "util/logger.h"

namespace Rilk {

std::optional<Util::FileLock> lockProject(const std::filesystem::path& projectRoot) {
    const std::filesystem::path file = projectRoot / kProjectLockFile;
    try {
        if (std::optional<Util::FileLock> lock = Util::FileLock::tryAcquire(file)) return lock;
        log(LogLevel::Info, "Waiting for another run in this project to finish.\n");
        return Util::FileLock::acquire(file);
    } catch (const std::runtime_error& e) {
        log(LogLevel::Warning, "{}; building without it.\n", e.what());
        return std::nullopt;
    }
}

void cleanUpKilledRun(const std::filesystem::path& projectRoot,
                      const std::filesystem::path& cacheFile) {
    const RunJournal::Recovery recovery =
        RunJournal::recoverKilledRun(projectRoot / kRunJournalFile, cacheFile);
    if (!recovery.found) return;
    if (recovery.damaged) {
        log(LogLevel::Warning,
            "The last run in this project was killed and its record '{}' cannot be read: "
            "building everything again.\n",
            (projectRoot / kRunJournalFile).string());
        return;
    }
    for (const std::filesystem::path& file : recovery.removed) {
        log(LogLevel::Verbose, "Removed '{}', left behind by a killed run.\n", file.string());
    }
    log(LogLevel::Info,
        "The last run in this project was killed; removed {} output files it had changed.\n",
        recovery.removed.size());
}

}  // namespace Rilk
