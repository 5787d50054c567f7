// Whether the bytes of records held as bytes can still be read: the cache file they lie in
// may be cut short or rewritten in place by a command of the build.
#include <algorithm>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/cache/file/build_cache.h"
#include "app/cache/file/held_record.h"
#include "app/cache/record_comparison.h"
#include "util/logger.h"
#include "util/mapped_copy.h"
#include "util/mapping_guard.h"

namespace Rilk {

std::optional<std::string_view> BuildCache::heldBytesToRead(const RuntimeRecord& record,
                                                            std::string& copy) {
    // A read of bytes of the same file met a page cut away from it.
    if (heldBytesLost_ || Util::mappedBytesLost(record.heldBytes)) {
        loseHeldBytes();
        return std::nullopt;
    }
    if (!commandsRan_) return record.heldBytes;
    // A command may have left a process that changes the file while it is read.
    copy.resize(record.heldBytes.size());
    if (!Util::copyMappedBytes(copy.data(), record.heldBytes)) {
        loseHeldBytes();
        return std::nullopt;
    }
    return std::string_view(copy);
}

std::vector<std::size_t> BuildCache::staleAgainstHeld(const RuntimeRecord& record,
                                                      RecordContents& plan,
                                                      const PathStamps& stamps) {
    // A record held as the bytes the plan writes to is the plan's own but for what its work
    // items' last builds left (files read, stamps); any other is parsed here first. Bytes
    // that can no longer be vouched for are no record: every work item is stale.
    std::string copy;
    const std::optional<std::string_view> held = heldBytesToRead(record, copy);
    if (!held) return everyWorkItem(plan);
    std::vector<LastBuild> lastBuilds;
    if (plainValuesOnly(plan) && heldRecordMatches(*held, plan, lastBuilds)) {
        return staleWorkItemsOfOwnPlan(plan, lastBuilds, stamps);
    }
    return staleWorkItems(readHeldRecord(*held), plan, stamps);
}

void BuildCache::commandsEnded() {
    // The commands may have changed the cache file under the records held as its bytes,
    // and a run nested in them may have stored newer records of other targets.
    checkFileAfterCommands();
    takeRecordsOfNestedRuns();
}

void BuildCache::checkFileAfterCommands() {
    commandsRan_ = true;
    heldBytesStillRead();
}

bool BuildCache::heldBytesStillRead() {
    if (!heldBytesLost_ && !heldBytesUnchanged()) loseHeldBytes();
    return !heldBytesLost_;
}

bool BuildCache::heldBytesUnchanged() const {
    return std::all_of(heldFiles_.begin(), heldFiles_.end(),
                       [](const auto& file) { return file->unchanged(); });
}

void BuildCache::loseHeldBytes() {
    if (heldBytesLost_.exchange(true)) return;
    // The file is written anew, without them.
    markChanged();
    if (!changeReported_.exchange(true)) log(LogLevel::Warning, "{}", changedFileMessage(path_));
}

std::string BuildCache::changedFileMessage(const std::filesystem::path& file) {
    return fmt::format(
        "Cache file '{}' was changed during the run, not by rilk: the records read from it are "
        "dropped, and their targets build again.\n",
        file.string());
}

}  // namespace Rilk
