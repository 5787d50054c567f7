#include "app/driver/lock_marks.h"

#include <sys/random.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <string>

#include <fmt/format.h>

#include "util/process_table.h"

namespace Rilk::LockMarks {

namespace {

std::uint64_t mixed(std::uint64_t x) {
    x ^= x >> 33;
    x *= 0xff51afd7ed558ccdULL;
    x ^= x >> 33;
    x *= 0xc4ceb9fe1a85ec53ULL;
    return x ^ (x >> 33);
}

}  // namespace

std::uint64_t newRunToken() {
    std::uint64_t random = 0;
    if (::getrandom(&random, sizeof random, GRND_NONBLOCK) != sizeof random) {
        const auto now = std::chrono::system_clock::now().time_since_epoch().count();
        random =
            mixed(static_cast<std::uint64_t>(now) ^ (static_cast<std::uint64_t>(::getpid()) << 32));
    }
    return random % static_cast<std::uint64_t>(kSpan - 1) + 1;
}

std::int64_t lockId(const Util::FileIdentity& file) {
    return static_cast<std::int64_t>(mixed(mixed(file.device) ^ file.inode) %
                                     static_cast<std::uint64_t>(kSpan));
}

void markHolder(const Util::FileLock& lock, std::uint64_t token, bool imported) {
    // A file system without byte-range locks leaves the lock unmarked: nested runs then
    // find their build through their ancestors' process ids alone.
    const Util::MarkedFile marks = lock.marks();
    marks.place(imported ? kImportedHolder : kOwnHolder, Util::MarkOwner::Process);
    marks.place(kTokenBase + static_cast<std::int64_t>(token), Util::MarkOwner::Descriptor);
}

bool heldBy(const Util::MarkedFile& marks, std::uint64_t token) {
    return marks.isMarked(kTokenBase + static_cast<std::int64_t>(token));
}

std::optional<Util::ProcessMark> holderProcess(const Util::MarkedFile& marks) {
    return marks.processMark(kOwnHolder, kImportedHolder);
}

std::string holderText(const std::filesystem::path& file) {
    const std::optional<Util::MarkedFile> marks = Util::MarkedFile::open(file);
    const std::optional<Util::ProcessMark> holder =
        marks ? holderProcess(*marks) : std::optional<Util::ProcessMark>();
    if (!holder) return "a process that does not tell its id";
    if (holder->pid == 0) return "a process in another PID namespace";
    return fmt::format("process {}", holder->pid);
}

bool isAncestor(pid_t pid) {
    if (pid <= 1) return false;
    if (pid == ::getppid()) return true;
    return std::ranges::any_of(
        Util::processAncestors(),
        [&](const Util::ProcessEntry& process) { return process.pid == pid; });
}

}  // namespace Rilk::LockMarks
