// Recovery after a killed run: what its record proves, ending its commands, and removing the
// outputs they changed.
#include "app/jobs/run_journal.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

#include <fmt/format.h>

#include "util/bounded_file_read.h"
#include "util/process_table.h"

namespace Rilk {

namespace {

/// The path with every link resolved; nothing when it cannot be found.
std::optional<std::string> realPath(const std::filesystem::path& path) {
    char* resolved = ::realpath(path.c_str(), nullptr);
    if (resolved == nullptr) return std::nullopt;
    std::string text(resolved);
    std::free(resolved);
    return text;
}

/// Whether `folder`, its links resolved, is `root` or lies below it.
bool inside(const std::filesystem::path& folder, const std::optional<std::string>& root) {
    const std::optional<std::string> real = realPath(folder.empty() ? "." : folder);
    if (!root || !real) return false;
    if (*root == "/" || *real == *root) return true;
    return real->size() > root->size() && real->starts_with(*root) && (*real)[root->size()] == '/';
}

/// Whether `folder` is the one of identity (`device`, `inode`).
bool sameFolder(const std::filesystem::path& folder, std::uint64_t device, std::uint64_t inode) {
    struct stat state {};
    return ::stat(folder.empty() ? "." : folder.c_str(), &state) == 0 &&
           static_cast<std::uint64_t>(state.st_dev) == device &&
           static_cast<std::uint64_t>(state.st_ino) == inode;
}

/// Removes each changed file of the entries that lies in `project` and in its recorded
/// folder, or, when the record is this project's own (`ownRecord`), in a folder that did not
/// exist when it was recorded: the killed run made it. Notes the other changed ones.
void removeChangedInProject(const std::vector<RunJournal::Entry>& entries,
                            const std::filesystem::path& project, bool ownRecord,
                            RunJournal::Recovery& recovery) {
    const std::optional<std::string> root = realPath(project.empty() ? "." : project);
    using Why = RunJournal::Left::Why;
    for (const RunJournal::Entry& entry : entries) {
        // Taken against the working directory, it might name any file.
        if (!entry.file.is_absolute()) {
            recovery.left.push_back({entry.file, Why::RelativePath});
            continue;
        }
        struct stat now {};
        if (::lstat(entry.file.c_str(), &now) != 0 || !S_ISREG(now.st_mode)) continue;
        if (!OutputSnapshot::changedSince(entry, now)) continue;
        const std::filesystem::path folder = entry.file.parent_path();
        const bool newFolder = entry.folderDevice == 0 && entry.folderInode == 0;
        if (!inside(folder, root)) {
            recovery.left.push_back({entry.file, Why::OutsideProject});
        } else if (newFolder && !ownRecord) {
            recovery.left.push_back({entry.file, Why::NewFolder});
        } else if (!newFolder && !sameFolder(folder, entry.folderDevice, entry.folderInode)) {
            recovery.left.push_back({entry.file, Why::OtherFolder});
        } else if (::unlink(entry.file.c_str()) == 0) {
            recovery.removed.push_back(entry.file);
        }
    }
}

/// What a file that is not a regular one is, for the message that refuses it.
const char* kindOf(mode_t mode) {
    if (S_ISDIR(mode)) return "a directory";
    if (S_ISFIFO(mode)) return "a FIFO";
    if (S_ISSOCK(mode)) return "a socket";
    if (S_ISCHR(mode) || S_ISBLK(mode)) return "a device";
    return "not a regular file";
}

/// Whether the record in `folder`, whose file is in the state `state`, shows that the
/// processes it names may be ended.
RunJournal::Proof proofOf(const RunJournal::Contents& contents, const struct stat& state,
                          const std::filesystem::path& folder) {
    using Proof = RunJournal::Proof;
    if (!contents.writer) return Proof::Unnamed;
    const RunJournal::Writer& writer = *contents.writer;
    if (state.st_uid != ::geteuid() || (state.st_mode & (S_IWGRP | S_IWOTH)) != 0) {
        return Proof::OtherUser;
    }
    if (!sameFolder(folder, writer.folderDevice, writer.folderInode)) return Proof::OtherFolder;
    if (contents.bootId.empty() || contents.bootId != Util::currentBootId() ||
        writer.pidNamespace != Util::pidNamespaceId()) {
        return Proof::OtherSystem;
    }
    const std::optional<Util::ProcessEntry> process = Util::readProcess(writer.pid);
    if (process && process->living() && process->start == writer.start) return Proof::WriterRuns;
    return Proof::Shown;
}

}  // namespace

RunJournal::Recovery RunJournal::recoverKilledRun(const std::filesystem::path& file,
                                                  const std::filesystem::path& cacheFile) {
    Recovery recovery;
    struct stat state {};
    if (::lstat(file.c_str(), &state) != 0) {
        if (errno == ENOENT) return recovery;
    } else if (!S_ISREG(state.st_mode) && !S_ISLNK(state.st_mode)) {
        throw std::runtime_error(
            fmt::format("'{}' is {}, where rilk keeps the record of a running build. "
                        "Remove or rename it and run again.",
                        file.string(), kindOf(state.st_mode)));
    }
    if (S_ISLNK(state.st_mode)) {
        recovery.link = true;
    } else {
        recovery.found = true;
        std::optional<Contents> contents;
        try {
            // The state of the file read, not of the name: the proof rests on its owner.
            contents = parse(Util::readWholeFile(file, {}, state));
        } catch (const Util::FileReadError&) {
        }
        if (contents) {
            const std::filesystem::path project = file.parent_path();
            recovery.proof = proofOf(*contents, state, project);
            recovery.namesCommands = !contents->groups.empty() || !contents->token.empty();
            if (contents->writer) recovery.writer = contents->writer->pid;
            // Nothing the killed run started may write once the outputs are removed.
            if (recovery.proof == Proof::Shown) {
                recovery.groups =
                    endKilledRunGroups(contents->groups, contents->bootId, contents->token,
                                       contents->writer->session, kCommandsEndLimit);
            }
            const bool ownRecord = recovery.proof != Proof::Unnamed &&
                                   recovery.proof != Proof::OtherUser &&
                                   recovery.proof != Proof::OtherFolder;
            removeChangedInProject(contents->entries, project, ownRecord, recovery);
        } else {
            recovery.damaged = true;
            ::unlink(cacheFile.c_str());
        }
    }
    if (::unlink(file.c_str()) != 0 && errno != ENOENT) {
        throw std::runtime_error(
            fmt::format("Unable to remove file '{}': {}", file.string(), std::strerror(errno)));
    }
    return recovery;
}
}  // namespace Rilk
