#include "app/cache/file_time_prefetch.h"

#include <sys/stat.h>

#include <algorithm>
#include <bit>
#include <functional>
#include <string_view>
#include <system_error>
#include <utility>

#include "util/file_stamp.h"

namespace Rilk {
namespace {

/// Paths a thread takes at once: few enough that a stop is seen soon.
constexpr std::size_t kBatch = 32;

/// The hash of a full path text.
std::uint64_t hashOf(std::string_view text) { return std::hash<std::string_view>()(text); }

}  // namespace

unsigned FileTimePrefetch::threadsFor(std::size_t count) {
    return static_cast<unsigned>(std::min<std::size_t>(count / kPathsPerThread, kMaxThreads));
}

std::unique_ptr<FileTimePrefetch> FileTimePrefetch::start(std::vector<std::string> paths) {
    if (paths.empty()) return nullptr;
    auto prefetch = std::make_unique<FileTimePrefetch>(std::move(paths), 0);
    // Threads for the files, not for the times records name them: a C++ project's
    // records name the same few hundred headers thousands of times.
    prefetch->startThreads(threadsFor(prefetch->size()));
    return prefetch;
}

FileTimePrefetch::FileTimePrefetch(std::vector<std::string> paths, unsigned threads)
    : slots_(std::make_unique<Slot[]>(paths.size())),
      places_(std::bit_ceil(std::max<std::size_t>(paths.size() * 2, 16)), 0),
      mask_(places_.size() - 1) {
    for (std::string& path : paths) add(std::move(path));
    startThreads(threads);
}

void FileTimePrefetch::startThreads(unsigned threads) {
    threads = static_cast<unsigned>(std::min<std::size_t>(threads, count_));
    for (unsigned i = 0; i < threads; ++i) {
        try {
            threads_.emplace_back([this] { run(); });
        } catch (const std::system_error&) {
            break;  // the paths left unread are read by whoever asks
        }
    }
}

FileTimePrefetch::~FileTimePrefetch() {
    stop();
    wait();
}

void FileTimePrefetch::add(std::string path) {
    // A relative text would depend on the working directory, and the system cuts a text at
    // its first NUL byte: neither is read ahead.
    if (path.empty() || path.front() != '/' || path.find('\0') != std::string::npos) return;
    const std::uint64_t hash = hashOf(path);
    std::size_t place = hash & mask_;
    while (places_[place] != 0) {
        const Slot& held = slots_[places_[place] - 1];
        if (held.hash == static_cast<std::uint32_t>(hash) && held.path == path) return;
        place = (place + 1) & mask_;
    }
    Slot& slot = slots_[count_];
    slot.path = std::move(path);
    slot.hash = static_cast<std::uint32_t>(hash);
    places_[place] = static_cast<std::uint32_t>(++count_);
}

void FileTimePrefetch::run() {
    while (!stopped_.load(std::memory_order_relaxed)) {
        const std::size_t begin = next_.fetch_add(kBatch, std::memory_order_relaxed);
        if (begin >= count_) return;
        const std::size_t end = std::min(begin + kBatch, count_);
        for (std::size_t i = begin; i < end; ++i) {
            std::uint8_t free = kFree;
            if (slots_[i].state.compare_exchange_strong(free, kTaken)) read(slots_[i]);
        }
    }
}

bool FileTimePrefetch::read(Slot& slot) {
    struct stat info {};
    if (::stat(slot.path.c_str(), &info) != 0) {
        slot.state.store(kUnreadable, std::memory_order_release);
        return false;
    }
    slot.file = Util::stateOf(info);
    slot.state.store(kReady, std::memory_order_release);
    return true;
}

std::optional<Util::FileState> FileTimePrefetch::find(const JoinedPath& path) const {
    // A path value without base directory holds its full path text already.
    if (path.base.empty()) return findText(path.text);
    thread_local std::string joined;
    assignJoinedPath(joined, path);
    return findText(joined);
}

std::optional<Util::FileState> FileTimePrefetch::findText(std::string_view text) const {
    const std::uint64_t hash = hashOf(text);
    for (std::size_t place = hash & mask_; places_[place] != 0; place = (place + 1) & mask_) {
        Slot& slot = slots_[places_[place] - 1];
        if (slot.hash != static_cast<std::uint32_t>(hash) || slot.path != text) continue;
        std::uint8_t state = slot.state.load(std::memory_order_acquire);
        // Ahead of the threads (which read in their own order): read it now, once.
        if (state == kFree && slot.state.compare_exchange_strong(state, kTaken)) {
            return read(slot) ? std::optional(slot.file) : std::nullopt;
        }
        // A thread is reading it: one `stat` away, so waited for rather than read twice.
        while (state == kTaken) {
            std::this_thread::yield();
            state = slot.state.load(std::memory_order_acquire);
        }
        if (state != kReady) return std::nullopt;
        return slot.file;
    }
    return std::nullopt;
}

void FileTimePrefetch::stop() { stopped_.store(true, std::memory_order_relaxed); }

void FileTimePrefetch::wait() {
    for (std::thread& thread : threads_) {
        if (thread.joinable()) thread.join();
    }
}

}  // namespace Rilk
