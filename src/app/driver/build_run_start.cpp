#include "app/driver/build_run_start.h"

#include <stdexcept>
#include <string>

#include "types/rilk_errors.h"
#include "util/logger.h"

namespace Rilk {

namespace {

/// Says which changed files the record of a killed run names that were left as they are.
void reportLeft(const std::vector<RunJournal::Left>& left) {
    for (const RunJournal::Left& file : left) {
        if (file.outsideProject) {
            log(LogLevel::Warning,
                "Left '{}' as it is: the record of the killed run names it, but it lies "
                "outside this project.\n",
                file.file.string());
        } else {
            log(LogLevel::Warning,
                "Left '{}' as it is: the record of the killed run names it in a folder that "
                "is not the one the run wrote to.\n",
                file.file.string());
        }
    }
}

void cleanUpKilledRun(const std::filesystem::path& projectRoot,
                      const std::filesystem::path& cacheFile) {
    const std::filesystem::path journal = projectRoot / kRunJournalFile;
    RunJournal::Recovery recovery;
    try {
        recovery = RunJournal::recoverKilledRun(journal, cacheFile);
    } catch (const std::runtime_error& e) {
        throw RilkException(e.what());
    }
    if (recovery.link) {
        log(LogLevel::Warning,
            "Removed the symbolic link '{}': rilk keeps the record of a running build there "
            "and does not follow a link to it.\n",
            journal.string());
    }
    reportLeft(recovery.left);
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

}  // namespace

std::unique_ptr<RunJournal> startRunJournal(const std::filesystem::path& projectRoot,
                                            const ProjectLock& lock) {
    if (lock.nested) return nullptr;
    cleanUpKilledRun(projectRoot, projectRoot / ".rilk_cache");
    return std::make_unique<RunJournal>(projectRoot / kRunJournalFile);
}

}  // namespace Rilk
