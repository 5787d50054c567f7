#include "tools/probe_cache.h"

#include <chrono>
#include <map>
#include <mutex>
#include <system_error>

#include "tools/normalized_path.h"

namespace Rilk {

namespace fs = std::filesystem;

namespace {

struct ProgramProbes {
    bool timedOut = false;
    std::map<std::string, ToolRunResult> answers;
};

struct ProbeCache {
    std::mutex mutex;
    std::map<std::string, ProgramProbes> programs;
};

ProbeCache& cache() {
    static ProbeCache instance;
    return instance;
}

/// The file's resolved path, size and modification time; the normalised path alone when
/// the file cannot be inspected.
std::string programKey(const fs::path& tool) {
    std::error_code ec;
    const fs::path file = fs::canonical(tool, ec);
    if (ec) return normalizedPathText(tool);
    const auto size = fs::file_size(file, ec);
    if (ec) return file.native();
    const auto time = fs::last_write_time(file, ec);
    if (ec) return file.native();
    return file.native() + "|" + std::to_string(size) + "|" +
           std::to_string(time.time_since_epoch().count());
}

}  // namespace

ToolRunResult probeTool(const fs::path& tool, const std::string& arguments) {
    const std::string key = programKey(tool);
    ProbeCache& probes = cache();
    {
        std::lock_guard lock(probes.mutex);
        ProgramProbes& program = probes.programs[key];
        if (program.timedOut) {
            ToolRunResult skipped;
            skipped.timedOut = true;
            return skipped;
        }
        if (auto found = program.answers.find(arguments); found != program.answers.end()) {
            return found->second;
        }
    }
    // The lock is not held while the program runs; two threads probing one file at once
    // may both run it, and the first answer stored stays.
    ToolRunResult result = runToolCapture(tool, arguments);
    std::lock_guard lock(probes.mutex);
    ProgramProbes& program = probes.programs[key];
    if (result.timedOut) program.timedOut = true;
    return program.answers.emplace(arguments, result).first->second;
}

}  // namespace Rilk
