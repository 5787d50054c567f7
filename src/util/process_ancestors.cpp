#include "util/process_ancestors.h"

#include <fstream>
#include <sstream>
#include <string>
#include <system_error>

#include <unistd.h>

namespace Util {

std::optional<ProcessEntry> readProcess(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string stat;
    std::getline(in, stat);
    // "pid (name) state ppid pgrp session tty tpgid flags minflt cminflt majflt cmajflt utime
    // stime cutime cstime priority nice threads itrealvalue starttime ...": the name may
    // hold blanks and parentheses.
    const std::size_t close = stat.rfind(')');
    if (close == std::string::npos) return std::nullopt;
    std::istringstream rest(stat.substr(close + 1));
    ProcessEntry entry{.pid = pid};
    char state = 0;
    rest >> state >> entry.parent;
    constexpr int kFieldsBeforeStart = 17;
    std::string skipped;
    for (int field = 0; field < kFieldsBeforeStart && rest; ++field) rest >> skipped;
    rest >> entry.start;
    if (!rest) return std::nullopt;
    return entry;
}

std::vector<ProcessEntry> processAncestors(std::size_t limit) {
    std::vector<ProcessEntry> ancestors;
    pid_t process = ::getppid();
    while (ancestors.size() < limit && process > 1) {
        const std::optional<ProcessEntry> entry = readProcess(process);
        if (!entry) break;
        ancestors.push_back(*entry);
        process = entry->parent;
    }
    return ancestors;
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
