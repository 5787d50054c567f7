#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "app/jobs/command_groups.h"
#include "app/jobs/output_snapshot.h"

namespace Rilk {

/// The durable record of the output files a build run is about to let its commands write,
/// with each file's state before the run, so that a run killed where nothing can clean up
/// (SIGKILL, an out-of-memory kill) leaves no partly written output that the next run
/// would take for up to date.
///
/// A run adds the snapshots of each batch of jobs before the batch starts and removes the
/// record once it has ended by itself (saved its cache, failed, or was interrupted and
/// removed its partial outputs). It also names the process group of each command it
/// starts, and the run itself: the boot it ran in, the token its commands carry in
/// `kRunTokenVariable`, the process that writes it (id, start, session, PID namespace) and
/// the folder it is written in. A record found when a run starts was left by a killed run,
/// whose commands may still be running: `recoverKilledRun` first ends those it can show to
/// be that run's, then removes every listed output that the killed run changed, but only
/// inside the project and in the very folder the record names: a record copied with its
/// project, or written by hand, never removes another project's files, nor ends a process.
/// The record is written only by runs that start commands, so a run that builds nothing
/// pays for it with a single failed open.
///
/// Used on the main thread, by the one run holding the project's lock; only
/// `recordCommandGroup` is called from the job threads.
class RunJournal {
public:
    explicit RunJournal(std::filesystem::path file) : file_(std::move(file)) {}
    ~RunJournal();
    RunJournal(const RunJournal&) = delete;
    RunJournal& operator=(const RunJournal&) = delete;

    /// Adds the snapshots to the record and writes it whole, flushed to disk, before it
    /// returns; when `commandsStart`, writes it also without snapshots, once, so that it can
    /// name the commands' process groups (not flushed while it lists no outputs: the groups
    /// need to outlive only this process). Throws std::runtime_error naming the file when it
    /// cannot be written and there are snapshots to add.
    void record(const std::vector<const OutputSnapshot*>& snapshots, bool commandsStart = true);

    /// The token the run's commands carry; empty until the record is first written.
    const std::string& token() const { return token_; }

    /// Appends the process group that the command just started leads, and its leader's start
    /// time. Not flushed to disk: it has only to outlive this process, not the machine, whose
    /// end ends the command too. Nothing before the record is written; a failed write is
    /// ignored (the group is then not ended after a kill). Safe to call from several threads.
    void recordCommandGroup(pid_t group) noexcept;

    /// Removes the record; failures are ignored (the next run then removes the outputs of
    /// this one once more and builds them again).
    void finish() noexcept;

    /// An entry of the record: a file's state and the identity (device, inode) of the
    /// folder that held it when the state was recorded, 0 where there was none.
    struct Entry : OutputSnapshot::Entry {
        std::uint64_t folderDevice = 0;
        std::uint64_t folderInode = 0;
    };

    /// A file the record names and that was changed, but that recovery left as it is.
    struct Left {
        /// Why it was left.
        enum class Why {
            OutsideProject,  ///< it lies outside the project
            OtherFolder,     ///< its folder is not the one the record knew
            /// its folder did not exist when it was recorded, and the record is not shown to
            /// be this project's own
            NewFolder,
            RelativePath,    ///< the record names it by a relative path, which rilk never writes
        };
        std::filesystem::path file;
        Why why = Why::OtherFolder;
    };

    /// Whether a record shows that the processes it names may be ended: only when it is the
    /// record of a run that is gone, and no other could have written it.
    enum class Proof {
        Shown,        ///< they may be ended
        Unnamed,      ///< the record, of an older rilk, does not name its writer
        OtherUser,    ///< the file belongs to another user, or others may write it
        OtherFolder,  ///< it was written in another folder (a copy of the project)
        OtherSystem,  ///< it was written on another boot, or in another PID namespace
        WriterRuns,   ///< the run that wrote it still runs
    };

    /// What `recoverKilledRun` found and did.
    struct Recovery {
        bool found = false;    ///< a killed run left a record
        bool damaged = false;  ///< it could not be read, so the cache file was removed
        bool link = false;     ///< a symbolic link stood in its place and was removed
        Proof proof = Proof::Unnamed;  ///< whether its commands could be ended
        /// It names commands of the killed run (process groups, or a token).
        bool namesCommands = false;
        /// The process that wrote it, when it names one.
        pid_t writer = 0;
        EndedGroups groups;    ///< what became of the process groups of its commands
        std::vector<std::filesystem::path> removed;  ///< the outputs removed
        std::vector<Left> left;                      ///< changed files not removed
    };

    /// The process that wrote a record and the folder it wrote it in.
    struct Writer {
        pid_t pid = 0;
        /// Its start in clock ticks after boot.
        std::uint64_t start = 0;
        pid_t session = 0;
        /// Its PID namespace (`Util::pidNamespaceId`).
        std::uint64_t pidNamespace = 0;
        /// The identity (device, inode) of the folder the record was written in.
        std::uint64_t folderDevice = 0;
        std::uint64_t folderInode = 0;

        bool operator==(const Writer&) const = default;
    };

    /// The whole content of a record.
    struct Contents {
        std::vector<Entry> entries;
        /// The boot and the token of the run that wrote it; empty in an older record.
        std::string bootId;
        std::string token;
        /// Who wrote it, and where; empty in an older record.
        std::optional<Writer> writer;
        std::vector<CommandGroup> groups;
    };

    /// How long `recoverKilledRun` waits for the killed run's commands to end.
    static constexpr std::chrono::seconds kCommandsEndLimit{10};

    /// When `file` holds the record of a killed run: ends the processes of its commands
    /// (`endKilledRunGroups`, in the writer's session), waiting for them to be gone, when the
    /// record shows they may be (`Proof::Shown`): it names its writer, which is gone (on this
    /// boot, in this PID namespace, no process with its id and start), it lies in the very
    /// folder it was written in (a copy of the project is another folder), and it belongs to
    /// the user running this process, who alone may write it. Then it removes every regular
    /// file it lists that was created or changed since its state was recorded, lies in the
    /// project (the folder of `file`, links resolved) and whose folder is the one the record
    /// names, or did not exist then in a record that lies in its own folder and belongs to
    /// this user; then the record. Other changed files it lists are left and returned, and so
    /// is every file it names by a relative path, whatever its state. A record that cannot be
    /// read makes every output suspect: `cacheFile` is removed, so that the build that
    /// follows builds everything again. A symbolic link in the record's place is removed and
    /// nothing else done: the record is never a link. Call it before the cache file is read.
    /// Throws std::runtime_error naming the record when it is not a regular file (a
    /// directory, a FIFO, a socket, a device), and nothing is removed, or when it cannot be
    /// removed: every later run would otherwise remove the same outputs again.
    static Recovery recoverKilledRun(const std::filesystem::path& file,
                                     const std::filesystem::path& cacheFile);

    /// The whole record's text for the snapshots' entries, and back: empty when `text` is
    /// not a whole record of this form or of the two before, which name no writer (the one
    /// before them no run and no process groups either).
    static std::string format(const std::vector<const OutputSnapshot*>& snapshots);
    static std::optional<Contents> parse(std::string_view text);

private:
    /// Creates the record's text, naming the run, and the run's token.
    void start();

    std::filesystem::path file_;
    std::string content_;
    std::string token_;
    bool written_ = false;
    /// Whether the record lists outputs: it must then survive a power loss too.
    bool holdsOutputs_ = false;
    /// The record, open for appending the process groups; -1 while it is not written.
    int appendTo_ = -1;
    /// Guards `content_` and `appendTo_` while the jobs run.
    std::mutex groupsMutex_;
};

}  // namespace Rilk
