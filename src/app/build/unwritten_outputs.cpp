#include "app/build/unwritten_outputs.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <vector>

#include "util/logger.h"

namespace Rilk {

namespace {

/// Whether nothing is at `file`; one the run cannot reach says nothing of it.
bool isMissing(const std::filesystem::path& file) {
    struct stat state {};
    return ::stat(file.c_str(), &state) != 0 && (errno == ENOENT || errno == ENOTDIR);
}

}  // namespace

void warnUnwrittenOutputs(const JobPlan& plan, const QualifiedTargetName& target,
                          const Builder& tool) {
    std::vector<std::filesystem::path> warned;
    for (const std::vector<std::filesystem::path>& files : plan.jobOutputFiles) {
        for (const std::filesystem::path& file : files) {
            if (!isMissing(file)) continue;
            if (std::find(warned.begin(), warned.end(), file) != warned.end()) continue;
            warned.push_back(file);
            log(LogLevel::Warning,
                "Target {} declares the output '{}', which its commands did not write: they "
                "succeeded, but the file is not there, so the target builds again on every "
                "run. {}\n",
                target.shownName(), file.string(), tool.unwrittenOutputHint());
        }
    }
}

}  // namespace Rilk
