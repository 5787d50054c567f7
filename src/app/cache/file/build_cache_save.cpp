// Writing the build cache's records to its file.
#include <algorithm>
#include <exception>
#include <memory>
#include <mutex>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include "app/cache/file/build_cache.h"
#include "app/cache/file/cache_file_format.h"
#include "app/cache/file/cache_record_layout.h"
#include "app/cache/file/cache_record_writer.h"
#include "util/file_writer.h"
#include "util/logger.h"
#include "util/special_file.h"

namespace Rilk {
void BuildCache::save() {
    {
        std::lock_guard mapLock(mapMutex_);
        if (fileIsCurrent_ && !changed_) return;
    }
    takeRecordsOfNestedRuns();
    std::vector<std::pair<std::string, std::shared_ptr<RuntimeRecord>>> snapshot;
    {
        std::lock_guard mapLock(mapMutex_);
        snapshot.reserve(records_.size());
        for (const auto& [key, record] : records_) snapshot.emplace_back(key.str(), record);
    }
    // A fixed order keeps the file the same from run to run.
    std::sort(snapshot.begin(), snapshot.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });

    std::string body;
    std::size_t written = 0;
    for (const auto& [key, record] : snapshot) {
        const std::size_t start = body.size();
        std::lock_guard recordLock(record->mutex());
        // A record held as bytes holds exactly what the writer gives for it.
        if (!record->heldBytes.empty()) {
            writeSizedString(body, key);
            body += record->heldBytes;
            ++written;
            continue;
        }
        if (!writeRecord(body, key, record->contents)) {
            body.resize(start);
            log(LogLevel::Warning,
                "Cache record for '{}' holds a value the cache file cannot keep; not saved, so "
                "it builds again on the next run.\n",
                key);
            continue;
        }
        ++written;
    }

    const std::filesystem::path directory = path_.parent_path();
    if (!directory.empty()) {
        std::error_code error;
        std::filesystem::create_directories(directory, error);
        if (error) {
            log(LogLevel::Error, "Unable to create cache directory '{}': {}\n", directory.string(),
                error.message());
            return;
        }
    }
    // A FIFO or a link to a device in the cache's place gives way to a regular file.
    Util::removeSpecialFile(path_);
    try {
        Util::writeOwnFileReplacing(path_, std::string(kCurrentCacheHeader) + "\n" +
                                               std::to_string(written) + "\n" + body);
    } catch (const std::exception& e) {
        log(LogLevel::Error, "Unable to save the build cache: {}\n", e.what());
    }
}

}  // namespace Rilk
