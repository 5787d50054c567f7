#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "types/rilk_path_string.h"
#include "util/file_stamp.h"

namespace Rilk {

/// The stamps (modification time, size, inode) and status change times of files a run is
/// about to ask for, read ahead on a few threads of their own while the run goes on with
/// other work. A no-op build asks the stamp of every input and output its cache records
/// name; read here, those answers are ready when the build asks. Each file is read once
/// however many records name it: the headers a C++ project's objects read are mostly the
/// same few hundred.
///
/// A stamp read ahead is what a `stat` of the full path text gave a moment earlier in the
/// same run. That is the build's own answer only while no job has run (jobs change files),
/// so the run's stamps drop the prefetch before the first job starts
/// (`PathStamps::filesMayChange`) and never consult it again. Only absolute texts without NUL
/// bytes are read, and only the times of files that could be read are kept: any other
/// question is left to the caller.
///
/// The paths and their places are fixed before the threads start; each thread fills the
/// stamp of a path and then marks it ready, so a lookup takes no lock. The paths are held
/// one after another in one text, each ended by a NUL byte (`PathTexts`): a no-op of
/// 100,000 targets holds 200,000 of them.
class FileTimePrefetch {
public:
    /// Threads for `count` distinct paths: one per `kPathsPerThread`, at most `kMaxThreads`;
    /// none for fewer paths, whose times the build reads faster than threads start.
    static unsigned threadsFor(std::size_t count);

    /// A prefetch of the times of `paths` (full path texts, each ended by a NUL byte;
    /// repeated ones read once), or null when there are none. Too few to be worth threads
    /// of their own, they are read only when asked, still once each.
    static std::unique_ptr<FileTimePrefetch> start(std::string paths);

    /// Starts reading the times of `paths` (full path texts, each ended by a NUL byte) on
    /// `threads` threads (none: only lookups read).
    FileTimePrefetch(std::string paths, unsigned threads);
    /// `FileTimePrefetch` of the texts `paths`, each appended by `addPathText`.
    FileTimePrefetch(const std::vector<std::string>& paths, unsigned threads);
    /// Starts `threads` more threads reading the paths no thread or lookup has taken yet.
    void startThreads(unsigned threads);
    /// Stops the threads and waits for them.
    ~FileTimePrefetch();
    FileTimePrefetch(const FileTimePrefetch&) = delete;
    FileTimePrefetch& operator=(const FileTimePrefetch&) = delete;

    /// The stamp read for exactly the full path that `path`'s pieces spell, or nothing when
    /// that path is not held or its stamp cannot be read. A held path no thread has taken
    /// yet is read here and then, so that no thread reads it; one a thread is reading is
    /// waited for: each held path is read once.
    std::optional<Util::FileState> find(const JoinedPath& path) const;

    /// Lets the threads end after the path at hand.
    void stop();
    /// Waits until every thread has ended.
    void wait();

    /// The number of distinct paths held.
    std::size_t size() const { return count_; }

    static constexpr std::size_t kPathsPerThread = 1024;
    static constexpr unsigned kMaxThreads = 3;

private:
    /// A slot is read by whoever takes it first: a thread, or a lookup that comes before
    /// the threads reach it, so that no file is read twice.
    enum State : std::uint8_t { kFree, kTaken, kReady, kUnreadable };
    /// 48 bytes: a no-op of 100,000 targets holds 200,000.
    struct Slot {
        /// Where the path's text starts in `texts_`, and its length.
        std::uint32_t offset = 0;
        std::uint32_t length = 0;
        /// The low half of the path's hash, which tells most other paths apart.
        std::uint32_t hash = 0;
        std::atomic<std::uint8_t> state{kFree};
        /// Written once by its taker before `state` becomes `kReady`; read only after it.
        Util::FileState file;
    };
    static_assert(sizeof(Slot) <= 48);

    /// Reads the stamp of a slot the caller has taken; false when the file cannot be read.
    bool read(Slot& slot) const;
    std::string_view pathOf(const Slot& slot) const {
        return std::string_view(texts_.data() + slot.offset, slot.length);
    }

    /// `find` of a full path text.
    std::optional<Util::FileState> findText(std::string_view text) const;
    /// Holds the text of `texts_` at `[begin, begin + length)` unless it is held already:
    /// moved to the end of the texts held before it.
    void add(std::size_t begin, std::size_t length);
    /// Reads times in batches until none is left or the prefetch stops.
    void run();

    /// The held paths' texts, each ended by a NUL byte.
    std::string texts_;
    /// Where the held texts end in `texts_`.
    std::size_t textsEnd_ = 0;
    std::unique_ptr<Slot[]> slots_;
    std::size_t count_ = 0;
    /// Open addressing by hash: a slot's position + 1, or 0 for an empty place.
    std::vector<std::uint32_t> places_;
    std::size_t mask_ = 0;
    /// The first slot no thread has taken yet.
    std::atomic<std::size_t> next_{0};
    std::atomic<bool> stopped_{false};
    std::vector<std::thread> threads_;
};

/// Appends `text` and a NUL byte to `texts` when it is a text the prefetch reads: an
/// absolute one without NUL bytes (a relative text depends on the working directory, and
/// the system cuts a text at its first NUL byte).
void addPathText(std::string& texts, std::string_view text);

}  // namespace Rilk
