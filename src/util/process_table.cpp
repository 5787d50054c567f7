#include "util/process_table.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <string>
#include <string_view>
#include <system_error>

#include <fmt/format.h>

namespace Util {

std::optional<std::string> readSystemFile(const char* path, std::size_t limit) {
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

namespace {

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

}  // namespace

std::optional<std::string> readProcessFile(pid_t pid, const char* name, std::size_t limit) {
    char path[64];
    *fmt::format_to_n(path, sizeof path - 1, "/proc/{}/{}", pid, name).out = '\0';
    return readSystemFile(path, limit);
}

std::optional<ProcessEntry> readProcess(pid_t pid) {
    const std::optional<std::string> stat = readProcessFile(pid, "stat", 4096);
    if (!stat) return std::nullopt;
    // "pid (name) state ppid pgrp session tty tpgid flags minflt cminflt majflt cmajflt utime
    // stime cutime cstime priority nice threads itrealvalue starttime ...": the name may
    // hold blanks and parentheses.
    const std::size_t close = stat->rfind(')');
    if (close == std::string::npos || close + 2 >= stat->size()) return std::nullopt;
    std::string_view rest = std::string_view(*stat).substr(close + 2);
    ProcessEntry entry{.pid = pid};
    entry.state = rest.front();
    rest.remove_prefix(1);
    if (!takeNumber(rest, entry.parent) || !takeNumber(rest, entry.group) ||
        !takeNumber(rest, entry.session) || !takeNumber(rest, entry.terminal) ||
        !takeNumber(rest, entry.terminalGroup)) {
        return std::nullopt;
    }
    for (int field = 9; field < 22; ++field) skipField(rest);
    if (!takeNumber(rest, entry.start)) return std::nullopt;
    return entry;
}

std::vector<ProcessEntry> allProcesses() {
    std::vector<ProcessEntry> table;
    DIR* proc = ::opendir("/proc");
    if (proc == nullptr) return table;
    while (const dirent* item = ::readdir(proc)) {
        pid_t pid = 0;
        const std::string_view name = item->d_name;
        const auto [end, error] = std::from_chars(name.data(), name.data() + name.size(), pid);
        if (error != std::errc() || end != name.data() + name.size()) continue;
        if (std::optional<ProcessEntry> entry = readProcess(pid)) table.push_back(*entry);
    }
    ::closedir(proc);
    return table;
}

std::vector<ProcessEntry> processAncestors() {
    std::vector<ProcessEntry> ancestors;
    pid_t process = ::getppid();
    while (process > 1) {
        const std::optional<ProcessEntry> entry = readProcess(process);
        if (!entry) break;
        // A parent starts before its children: a later start is a process that took the id
        // once the ancestor had ended, and the ancestors beyond it are not this process's.
        if (!ancestors.empty() && entry->start > ancestors.back().start) break;
        ancestors.push_back(*entry);
        process = entry->parent;
    }
    return ancestors;
}

bool groupLives(const std::vector<ProcessEntry>& table, pid_t group) {
    return std::any_of(table.begin(), table.end(), [&](const ProcessEntry& entry) {
        return entry.group == group && entry.living();
    });
}

std::uint64_t processStartTime(pid_t pid) {
    const std::optional<ProcessEntry> entry = readProcess(pid);
    return entry ? entry->start : 0;
}

std::string currentBootId() {
    std::optional<std::string> id = readSystemFile("/proc/sys/kernel/random/boot_id", 128);
    if (!id) return "";
    while (!id->empty() && (id->back() == '\n' || id->back() == ' ')) id->pop_back();
    // Callers keep it as one word.
    if (id->find_first_of(" \n") != std::string::npos) return "";
    return *id;
}

std::uint64_t pidNamespaceId() {
    struct stat state {};
    if (::stat("/proc/self/ns/pid", &state) != 0) return 0;
    return static_cast<std::uint64_t>(state.st_ino);
}

bool stillRunning(const ProcessEntry& process) {
    const std::optional<ProcessEntry> now = readProcess(process.pid);
    return now && now->start == process.start;
}

std::vector<std::filesystem::path> openFilesOf(pid_t pid) {
    std::vector<std::filesystem::path> files;
    std::error_code error;
    std::filesystem::directory_iterator entries("/proc/" + std::to_string(pid) + "/fd", error);
    for (; !error && entries != std::filesystem::directory_iterator(); entries.increment(error)) {
        std::filesystem::path target = std::filesystem::read_symlink(entries->path(), error);
        if (!error) files.push_back(std::move(target));
        error.clear();
    }
    return files;
}

}  // namespace Util
