#include "app/cache/built_dependencies.h"

#include <algorithm>
#include <memory>
#include <utility>

#include "util/bounded_file_read.h"
#include "util/logger.h"

namespace Rilk {

namespace fs = std::filesystem;

std::vector<std::string> filesReadByCompile(const std::vector<DependencyRule>& rules,
                                            const fs::path& directory, bool sourceFirst) {
    std::vector<std::string> files;
    for (const DependencyRule& rule : rules) {
        for (std::size_t i = sourceFirst ? 1 : 0; i < rule.prerequisites.size(); ++i) {
            const fs::path named(rule.prerequisites[i]);
            files.push_back(
                (named.is_absolute() ? named : directory / named).lexically_normal().string());
        }
    }
    std::sort(files.begin(), files.end());
    files.erase(std::unique(files.begin(), files.end()), files.end());
    return files;
}

FilesRead readBuiltDependencies(const WorkItem& item) {
    if (!item.dependencyFiles) return nullptr;
    std::vector<DependencyRule> rules;
    for (const fs::path& file : item.dependencyFiles->filesOf(item)) {
        const std::optional<std::string> text = Util::readRegularFile(file, kMaxDependencyFile);
        std::optional<std::vector<DependencyRule>> read;
        if (text) read = parseDependencyRules(*text);
        if (!read) {
            log(LogLevel::Debug,
                "Dependency file '{}' cannot be read; its work is done again next time.\n",
                file.string());
            return nullptr;
        }
        for (DependencyRule& rule : *read) rules.push_back(std::move(rule));
    }
    return std::make_shared<const std::vector<std::string>>(filesReadByCompile(
        rules, item.dependencyFiles->directory(), item.dependencyFiles->sourceFirst()));
}

}  // namespace Rilk
