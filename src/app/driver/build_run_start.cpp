#include "app/driver/build_run_start.h"

#include <stdexcept>
#include <string>

#include <fmt/format.h>

#include "types/rilk_errors.h"
#include "util/file_writer.h"
#include "util/logger.h"
#include "util/shown_text.h"

namespace Rilk {

namespace {

/// Says which changed files the record of a killed run names that were left as they are:
/// the first ones by name, then how many more.
void reportLeft(const std::vector<RunJournal::Left>& left) {
    using Why = RunJournal::Left::Why;
    for (std::size_t i = 0; i < left.size() && i < Util::kShownRepeats; ++i) {
        const std::string file = Util::shownText(left[i].file.string());
        switch (left[i].why) {
            case Why::OutsideProject:
                log(LogLevel::Warning,
                    "Left '{}' as it is: the record of the killed run names it, but it lies "
                    "outside this project.\n",
                    file);
                break;
            case Why::OtherFolder:
                log(LogLevel::Warning,
                    "Left '{}' as it is: the record of the killed run names it in a folder "
                    "that is not the one the run wrote to.\n",
                    file);
                break;
            case Why::NewFolder:
                log(LogLevel::Warning,
                    "Left '{}' as it is: the record of the killed run names it in a folder "
                    "that did not exist when the record was made, and does not show that it "
                    "was written in this project.\n",
                    file);
                break;
            case Why::RelativePath:
                log(LogLevel::Warning,
                    "Left '{}' as it is: the record of the killed run names it by a relative "
                    "path; rilk records only absolute ones.\n",
                    file);
                break;
        }
    }
    if (left.size() > Util::kShownRepeats) {
        log(LogLevel::Warning,
            "... and {} more files the record of the killed run names were left as they are.\n",
            left.size() - Util::kShownRepeats);
    }
}

/// "1 process group", "2 process groups".
std::string processGroups(std::size_t count) {
    return fmt::format("{} process group{}", count, count == 1 ? "" : "s");
}

/// Why a record does not prove that the processes it names are the killed run's, as the
/// end of "its record '...' ..."; null for `Shown` and `WriterRuns`, which say otherwise.
const char* unprovenBecause(RunJournal::Proof proof) {
    using Proof = RunJournal::Proof;
    switch (proof) {
        case Proof::Unnamed:
            return "does not name the run that wrote it (an older rilk wrote it)";
        case Proof::OtherUser:
            return "belongs to another user, or others may write it";
        case Proof::OtherFolder:
            return "was written in another folder (this project is a copy of that one)";
        case Proof::OtherSystem:
            return "was written on another boot or in another PID namespace";
        case Proof::Shown:
        case Proof::WriterRuns:
            break;
    }
    return nullptr;
}

/// Says why no process of the killed run was ended, when its record names some.
void reportUnproven(const RunJournal::Recovery& recovery, const std::filesystem::path& journal) {
    if (!recovery.namesCommands || recovery.proof == RunJournal::Proof::Shown) return;
    const std::string file = Util::shownText(journal.string());
    if (recovery.proof == RunJournal::Proof::WriterRuns) {
        log(LogLevel::Verbose,
            "Ended no process of the run that wrote the record '{}': it still runs "
            "(process {}).\n",
            file, recovery.writer);
    } else {
        log(LogLevel::Verbose, "Ended no process of the killed run: its record '{}' {}.\n", file,
            unprovenBecause(recovery.proof));
    }
}

/// Says what became of the process groups of the commands the killed run had left running:
/// one line for those ended, before the outputs are removed.
void reportEndedGroups(const EndedGroups& groups, const std::string& where) {
    if (groups.ended > 0) {
        log(LogLevel::Info,
            "The last run in {} was killed; ended {} of commands it had left running.\n", where,
            processGroups(groups.ended));
    }
    if (groups.stillLiving > 0) {
        log(LogLevel::Warning,
            "The last run in {} was killed; {} of commands it had left running did not end "
            "within {} seconds after SIGKILL, and may still write its outputs.\n",
            where, processGroups(groups.stillLiving), RunJournal::kCommandsEndLimit.count());
    }
    if (groups.leftAlone > 0) {
        log(LogLevel::Verbose,
            "Left {} living {} that the record of the killed run names alone: nothing shows "
            "that they are its commands.\n",
            groups.leftAlone, groups.leftAlone == 1 ? "process group" : "process groups");
    }
}

/// `where` names the project in messages: "this project", or the imported one.
void cleanUpKilledRun(const std::filesystem::path& projectRoot,
                      const std::filesystem::path& cacheFile, const std::string& where) {
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
            "The last run in {} was killed and its record '{}' cannot be read: "
            "building everything again.\n",
            where, (projectRoot / kRunJournalFile).string());
        return;
    }
    reportUnproven(recovery, journal);
    reportEndedGroups(recovery.groups, where);
    for (const std::filesystem::path& file : recovery.removed) {
        log(LogLevel::Verbose, "Removed '{}', left behind by a killed run.\n",
            Util::shownText(file.string()));
    }
    const std::size_t removed = recovery.removed.size();
    log(LogLevel::Info, "The last run in {} was killed; removed {} output file{} it had changed.\n",
        where, removed, removed == 1 ? "" : "s");
}

/// Cleans up after a killed run in the project in `projectRoot`, whose lock the run holds
/// (`lock`) and not nested in that run, and removes the state files it left half written.
void finishKilledRun(const std::filesystem::path& projectRoot, const ProjectLock& lock,
                     const std::string& where) {
    cleanUpKilledRun(projectRoot, projectRoot / ".rilk_cache", where);
    // Only the holder of the lock writes these, or a run nested in it, which is not running
    // yet: a process that is gone was killed while it wrote them.
    if (lock.lock) Util::removeLeftTemporaries(projectRoot, {".rilk_cache", kRunJournalFile});
}

}  // namespace

std::unique_ptr<RunJournal> startRunJournal(const std::filesystem::path& projectRoot,
                                            const ProjectLock& lock) {
    if (lock.nested) return nullptr;
    finishKilledRun(projectRoot, lock, "this project");
    return std::make_unique<RunJournal>(projectRoot / kRunJournalFile);
}

std::unique_ptr<RunJournal> startImportedRunJournal(const std::filesystem::path& projectRoot,
                                                    const ProjectLock& lock) {
    if (lock.nested) return nullptr;
    finishKilledRun(projectRoot, lock,
                    fmt::format("the imported project '{}'", projectRoot.string()));
    return std::make_unique<RunJournal>(projectRoot / kRunJournalFile);
}

}  // namespace Rilk
