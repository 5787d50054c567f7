// Planning against a record the build cache holds as its bytes in the file.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "app/cache/build_cache.h"
#include "app/cache/file/cache_file_format.h"
#include "app/cache/file/cache_record_reader.h"
#include "app/cache/file/assignment_record_match.h"
#include "app/cache/file/cache_record_writer.h"

namespace Rilk {
namespace {

/// Removes `expected` from the front of `rest` when it is there.
bool take(std::string_view& rest, const std::string& expected) {
    if (rest.substr(0, expected.size()) != expected) return false;
    rest.remove_prefix(expected.size());
    return true;
}

/// A count line as the writer gives it.
bool takeCount(std::string_view& rest, std::size_t count) {
    return take(rest, std::to_string(count) + "\n");
}

/// Reads the files a work item's last build read from the front of `rest`, spelled exactly
/// as the writer spells them.
bool takeFilesRead(std::string_view& rest, FilesRead& files) {
    CacheInput in(rest);
    std::uint64_t count = 0;
    if (!in.readDigitLine(count)) return false;
    if (count != 0) {
        std::vector<std::string> read;
        read.reserve(static_cast<std::size_t>(std::min<std::uint64_t>(count - 1, in.remaining())));
        for (std::uint64_t i = 1; i < count; ++i) {
            std::string_view file;
            if (!readSizedText(in, file)) return false;
            read.emplace_back(file);
        }
        files = std::make_shared<const std::vector<std::string>>(std::move(read));
    }
    std::string written;
    writeFilesRead(written, files);
    return take(rest, written);
}

bool takeWorkItem(std::string_view& rest, const WorkItem& item) {
    if (!takeCount(rest, item.inputs.size())) return false;
    for (const WorkItemEntry& entry : item.inputs) {
        if (!matchAssignmentRecord(rest, entry.input)) return false;
        if (!take(rest, entry.hasIntermediate() ? "1\n" : "0\n")) return false;
        if (entry.hasIntermediate() && !matchAssignmentRecord(rest, entry.intermediate())) {
            return false;
        }
    }
    if (!takeCount(rest, item.outputs.size())) return false;
    for (const Assignment& output : item.outputs) {
        if (!matchAssignmentRecord(rest, output)) return false;
    }
    return true;
}

}  // namespace

bool BuildCache::heldRecordMatches(std::string_view held, const RecordContents& plan,
                                   std::vector<FilesRead>& filesRead) {
    filesRead.clear();
    filesRead.reserve(plan.workItems().size());
    std::string_view rest = held;
    if (!takeCount(rest, plan.workItems().size())) return false;
    for (const WorkItem& item : plan.workItems()) {
        if (item.filesRead || !takeWorkItem(rest, item) ||
            !takeFilesRead(rest, filesRead.emplace_back())) {
            return false;
        }
    }
    if (!takeCount(rest, plan.context.size())) return false;
    for (const Assignment& assignment : plan.context) {
        if (!matchAssignmentRecord(rest, assignment)) return false;
    }
    return rest.empty();
}

RecordContents BuildCache::readHeldRecord(std::string_view held) {
    CacheInput in(held);
    CacheRecordReader reader(in, CacheFileVersion::V6, true);
    RecordContents contents;
    reader.readContents(contents);
    return contents;
}

}  // namespace Rilk
