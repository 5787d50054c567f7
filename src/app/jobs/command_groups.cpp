#include "app/jobs/command_groups.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/random.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <ctime>
#include <optional>
#include <set>
#include <string_view>
#include <thread>

#include <fmt/format.h>

namespace Rilk {

namespace {

/// What a run needs of one process in /proc.
struct ProcessEntry {
    pid_t pid = 0;
    pid_t parent = 0;
    pid_t group = 0;
    char state = 0;
    std::uint64_t start = 0;

    /// A zombie, or a process on its way out, runs nothing any more.
    bool living() const { return state != 'Z' && state != 'X' && state != 'x'; }
};

/// Up to `limit` bytes of `path`, read as the system gives them (/proc files tell no
/// size); nothing when it cannot be opened.
std::optional<std::string> readProcFile(const char* path, std::size_t limit) {
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    std::string text;
    char buffer[4096];
    while (text.size() < limit) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) break;
        text.append(buffer, static_cast<std::size_t>(got));
    }
    ::close(fd);
    return text;
}

/// Reads the next blank-separated number of `text`.
template <typename Number>
bool takeNumber(std::string_view& text, Number& number) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (error != std::errc()) return false;
    text.remove_prefix(static_cast<std::size_t>(end - text.data()));
    return true;
}

/// Skips the next blank-separated field of `text`.
void skipField(std::string_view& text) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    const std::size_t end = text.find(' ');
    text.remove_prefix(end == std::string_view::npos ? text.size() : end);
}

/// The entry of process `pid` from its stat line: "pid (name) state ppid pgrp ..., field 22
/// the start time"; the name may hold blanks and parentheses.
std::optional<ProcessEntry> readEntry(pid_t pid) {
    char path[32];
    *fmt::format_to_n(path, sizeof path - 1, "/proc/{}/stat", pid).out = '\0';
    const std::optional<std::string> stat = readProcFile(path, 4096);
    if (!stat) return std::nullopt;
    const std::size_t close = stat->rfind(')');
    if (close == std::string::npos || close + 2 >= stat->size()) return std::nullopt;
    std::string_view rest = std::string_view(*stat).substr(close + 2);
    ProcessEntry entry;
    entry.pid = pid;
    entry.state = rest.front();
    rest.remove_prefix(1);
    if (!takeNumber(rest, entry.parent) || !takeNumber(rest, entry.group)) return std::nullopt;
    for (int field = 6; field < 22; ++field) skipField(rest);
    if (!takeNumber(rest, entry.start)) return std::nullopt;
    return entry;
}

/// Every process the system shows.
std::vector<ProcessEntry> processTable() {
    std::vector<ProcessEntry> table;
    DIR* proc = ::opendir("/proc");
    if (proc == nullptr) return table;
    while (const dirent* item = ::readdir(proc)) {
        pid_t pid = 0;
        const std::string_view name = item->d_name;
        const auto [end, error] = std::from_chars(name.data(), name.data() + name.size(), pid);
        if (error != std::errc() || end != name.data() + name.size()) continue;
        if (std::optional<ProcessEntry> entry = readEntry(pid)) table.push_back(*entry);
    }
    ::closedir(proc);
    return table;
}

const ProcessEntry* find(const std::vector<ProcessEntry>& table, pid_t pid) {
    const auto found = std::find_if(table.begin(), table.end(),
                                    [&](const ProcessEntry& entry) { return entry.pid == pid; });
    return found == table.end() ? nullptr : &*found;
}

/// The process groups of this process and of its ancestors: ending one would end this run.
std::set<pid_t> ownGroups(const std::vector<ProcessEntry>& table) {
    std::set<pid_t> groups{::getpgrp()};
    std::set<pid_t> seen;
    for (const ProcessEntry* entry = find(table, ::getpid());
         entry != nullptr && seen.insert(entry->pid).second; entry = find(table, entry->parent)) {
        groups.insert(entry->group);
    }
    return groups;
}

/// Whether `pid` carries the token in its environment (which only the user's own processes
/// show).
bool carriesToken(pid_t pid, const std::string& token) {
    if (token.empty()) return false;
    char path[40];
    *fmt::format_to_n(path, sizeof path - 1, "/proc/{}/environ", pid).out = '\0';
    const std::optional<std::string> environment = readProcFile(path, std::size_t{16} << 20);
    if (!environment) return false;
    const std::string entry = fmt::format("{}={}", kRunTokenVariable, token);
    for (std::size_t at = environment->find(entry); at != std::string::npos;
         at = environment->find(entry, at + 1)) {
        const std::size_t end = at + entry.size();
        if ((at == 0 || (*environment)[at - 1] == '\0') &&
            (end == environment->size() || (*environment)[end] == '\0')) {
            return true;
        }
    }
    return false;
}

/// The living members of `group`.
std::vector<pid_t> livingMembers(const std::vector<ProcessEntry>& table, pid_t group) {
    std::vector<pid_t> members;
    for (const ProcessEntry& entry : table) {
        if (entry.group == group && entry.living()) members.push_back(entry.pid);
    }
    return members;
}

/// Whether the living group is the one the killed run started: its leader, while it lives
/// (a zombie too), holds the number, so none other can lead a group of it.
bool startedByKilledRun(const CommandGroup& recorded, const std::vector<ProcessEntry>& table,
                        const std::vector<pid_t>& members, bool sameBoot,
                        const std::string& token) {
    const ProcessEntry* leader = find(table, recorded.group);
    if (sameBoot && leader != nullptr && recorded.leaderStart != 0 &&
        leader->start == recorded.leaderStart) {
        return true;
    }
    return std::any_of(members.begin(), members.end(),
                       [&](pid_t member) { return carriesToken(member, token); });
}

/// Waits until no group of `killed` has a living member, at most `limit`, killing again
/// what a member started meanwhile; how many still had one at the end.
std::size_t awaitGone(const std::vector<pid_t>& killed, std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    auto pause = std::chrono::milliseconds(2);
    while (true) {
        const std::vector<ProcessEntry> table = processTable();
        std::size_t living = 0;
        for (const pid_t group : killed) {
            if (livingMembers(table, group).empty()) continue;
            ++living;
            ::kill(-group, SIGKILL);
        }
        if (living == 0 || std::chrono::steady_clock::now() >= deadline) return living;
        std::this_thread::sleep_for(pause);
        pause = std::min(pause * 2, std::chrono::milliseconds(50));
    }
}

}  // namespace

std::uint64_t processStartTime(pid_t pid) {
    const std::optional<ProcessEntry> entry = readEntry(pid);
    return entry ? entry->start : 0;
}

std::string currentBootId() {
    std::optional<std::string> id = readProcFile("/proc/sys/kernel/random/boot_id", 128);
    if (!id) return "";
    while (!id->empty() && (id->back() == '\n' || id->back() == ' ')) id->pop_back();
    // The journal keeps it as one word.
    if (id->find_first_of(" \n") != std::string::npos) return "";
    return *id;
}

std::string randomRunToken() {
    std::uint64_t bits[2] = {};
    if (::getrandom(bits, sizeof bits, 0) != static_cast<ssize_t>(sizeof bits)) {
        // Unique enough without the random bits: this process, now.
        timespec now{};
        ::clock_gettime(CLOCK_REALTIME, &now);
        bits[0] = static_cast<std::uint64_t>(now.tv_sec) * 1'000'000'000U +
                  static_cast<std::uint64_t>(now.tv_nsec);
        bits[1] = static_cast<std::uint64_t>(::getpid()) ^ processStartTime(::getpid());
    }
    return fmt::format("{:016x}{:016x}", bits[0], bits[1]);
}

EndedGroups endKilledRunGroups(const std::vector<CommandGroup>& groups, const std::string& bootId,
                               const std::string& token, std::chrono::milliseconds limit) {
    EndedGroups result;
    if (groups.empty()) return result;
    const std::vector<ProcessEntry> table = processTable();
    const std::set<pid_t> own = ownGroups(table);
    const bool sameBoot = !bootId.empty() && bootId == currentBootId();
    std::set<pid_t> seen;
    std::vector<pid_t> killed;
    for (const CommandGroup& recorded : groups) {
        // Group numbers 0 and 1 would name this process's group, or every process.
        if (recorded.group <= 1 || !seen.insert(recorded.group).second) continue;
        const std::vector<pid_t> members = livingMembers(table, recorded.group);
        if (members.empty()) continue;
        if (own.contains(recorded.group) ||
            !startedByKilledRun(recorded, table, members, sameBoot, token)) {
            ++result.leftAlone;
            continue;
        }
        ::kill(-recorded.group, SIGKILL);
        killed.push_back(recorded.group);
    }
    if (killed.empty()) return result;
    result.stillLiving = awaitGone(killed, limit);
    result.ended = killed.size() - result.stillLiving;
    return result;
}

}  // namespace Rilk
