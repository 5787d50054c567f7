#include "app/cache/file_time_prefetch.h"

#include <sys/stat.h>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
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

std::unique_ptr<FileTimePrefetch> FileTimePrefetch::start(std::string paths) {
    if (paths.empty()) return nullptr;
    auto prefetch = std::make_unique<FileTimePrefetch>(std::move(paths), 0);
    // Threads for the files, not for the times records name them: a C++ project's
    // records name the same few hundred headers thousands of times.
    prefetch->startThreads(threadsFor(prefetch->size()));
    return prefetch;
}

FileTimePrefetch::FileTimePrefetch(std::string paths, unsigned threads) : texts_(std::move(paths)) {
    const std::size_t count =
        static_cast<std::size_t>(std::count(texts_.begin(), texts_.end(), '\0'));
    slots_ = std::make_unique<Slot[]>(count);
    places_.assign(std::bit_ceil(std::max<std::size_t>(count * 2, 16)), 0);
    mask_ = places_.size() - 1;
    for (std::size_t begin = 0; begin < texts_.size();) {
        const std::size_t end = texts_.find('\0', begin);
        if (end == std::string::npos) break;
        add(begin, end - begin);
        begin = end + 1;
    }
    texts_.resize(textsEnd_);
    startThreads(threads);
}

FileTimePrefetch::FileTimePrefetch(const std::vector<std::string>& paths, unsigned threads)
    : FileTimePrefetch(
          [&] {
              std::string texts;
              for (const std::string& path : paths) addPathText(texts, path);
              return texts;
          }(),
          threads) {}

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

void FileTimePrefetch::add(std::size_t begin, std::size_t length) {
    // Offsets are 32 bits: texts beyond 4 GiB are not read ahead.
    if (length == 0 || texts_[begin] != '/' || textsEnd_ + length >= UINT32_MAX) return;
    const std::string_view text(texts_.data() + begin, length);
    const std::uint64_t hash = hashOf(text);
    std::size_t place = hash & mask_;
    while (places_[place] != 0) {
        const Slot& held = slots_[places_[place] - 1];
        if (held.hash == static_cast<std::uint32_t>(hash) && pathOf(held) == text) return;
        place = (place + 1) & mask_;
    }
    // Moved down over the repeated texts left out before it, its NUL byte too.
    if (begin != textsEnd_)
        std::memmove(texts_.data() + textsEnd_, texts_.data() + begin, length + 1);
    Slot& slot = slots_[count_];
    slot.offset = static_cast<std::uint32_t>(textsEnd_);
    slot.length = static_cast<std::uint32_t>(length);
    slot.hash = static_cast<std::uint32_t>(hash);
    textsEnd_ += length + 1;
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

bool FileTimePrefetch::read(Slot& slot) const {
    struct stat info {};
    // The text is followed by its NUL byte.
    if (::stat(texts_.data() + slot.offset, &info) != 0) {
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
        if (slot.hash != static_cast<std::uint32_t>(hash) || pathOf(slot) != text) continue;
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

void addPathText(std::string& texts, std::string_view text) {
    if (text.empty() || text.front() != '/' || text.find('\0') != std::string_view::npos) return;
    texts.append(text);
    texts.push_back('\0');
}

}  // namespace Rilk
