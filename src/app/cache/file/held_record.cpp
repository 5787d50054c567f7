// Planning against a record the build cache holds as its bytes in the file, and reading
// those bytes only while they are still the file's.
#include <algorithm>
#include <charconv>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "app/cache/file/held_record.h"

#include "app/cache/file/assignment_record_match.h"
#include "app/cache/file/cache_file_format.h"
#include "app/cache/file/cache_record_reader.h"
#include "app/cache/file/cache_record_writer.h"

namespace Rilk {
namespace {

/// A count line as the writer gives it: `std::to_string(count)` and a line feed.
bool takeCount(std::string_view& rest, std::size_t count) {
    char line[24];
    char* end = std::to_chars(line, line + sizeof line - 1, count).ptr;
    *end++ = '\n';
    return takePrefix(rest, std::string_view(line, static_cast<std::size_t>(end - line)));
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
    return takePrefix(rest, written);
}

/// Reads the stamps of a work item's files from the front of `rest`, spelled exactly as the
/// writer spells them (its stamp lines are read only so).
bool takeStamps(std::string_view& rest, FileStamps& stamps) {
    CacheInput in(rest);
    std::uint64_t count = 0;
    if (!in.readDigitLine(count)) return false;
    // The count as `std::to_string` gives it: no leading zero.
    if (rest[0] == '0' && count != 0) return false;
    if (count != 0) {
        auto read = std::make_shared<StampedFiles>();
        if (!readStampsTime(in, read->knownSince)) return false;
        read->files.resize(
            static_cast<std::size_t>(std::min<std::uint64_t>(count - 1, in.remaining())));
        for (std::uint64_t i = 1; i < count; ++i) {
            if (i - 1 >= read->files.size() || !readStampLine(in, read->files[i - 1])) {
                return false;
            }
        }
        stamps = std::move(read);
    }
    rest.remove_prefix(in.position());
    return true;
}

bool takeWorkItem(std::string_view& rest, const WorkItem& item, bool checkRefusals) {
    if (!takeCount(rest, item.inputs.size())) return false;
    for (const WorkItemEntry& entry : item.inputs) {
        if (!matchAssignmentRecord(rest, entry.input, checkRefusals)) return false;
        if (!takePrefix(rest, entry.hasIntermediate() ? "1\n" : "0\n")) return false;
        if (entry.hasIntermediate() &&
            !matchAssignmentRecord(rest, entry.intermediate(), checkRefusals)) {
            return false;
        }
    }
    if (!takeCount(rest, item.outputs.size())) return false;
    for (const Assignment& output : item.outputs) {
        if (!matchAssignmentRecord(rest, output, checkRefusals)) return false;
    }
    return true;
}

/// Whether `held` is what the writer gives for `contents`: with what each work item's last
/// build left (the files it read, the stamps of its files) taken from `held` into
/// `lastBuilds` when it is given (the contents hold none then), else with what the
/// contents hold.
bool spellsRecord(std::string_view held, const RecordContents& contents,
                  std::vector<LastBuild>* lastBuilds, bool checkRefusals) {
    std::string_view rest = held;
    if (!takeCount(rest, contents.workItems().size())) return false;
    std::string written;
    for (const WorkItem& item : contents.workItems()) {
        if (!takeWorkItem(rest, item, checkRefusals)) return false;
        if (lastBuilds != nullptr) {
            if (item.filesRead || item.stamps) return false;
            LastBuild& last = lastBuilds->emplace_back();
            if (!takeFilesRead(rest, last.filesRead) || !takeStamps(rest, last.stamps)) {
                return false;
            }
            continue;
        }
        written.clear();
        writeFilesRead(written, item.filesRead);
        writeFileStamps(written, item.stamps);
        if (!takePrefix(rest, written)) return false;
    }
    if (!takeCount(rest, contents.context.size())) return false;
    for (const Assignment& assignment : contents.context) {
        if (!matchAssignmentRecord(rest, assignment, checkRefusals)) return false;
    }
    return rest.empty();
}

}  // namespace

bool recordHeldAsWritten(std::string_view held, const RecordContents& contents) {
    return spellsRecord(held, contents, nullptr, true);
}

bool heldRecordMatches(std::string_view held, const RecordContents& plan,
                       std::vector<LastBuild>& lastBuilds) {
    lastBuilds.clear();
    lastBuilds.reserve(plan.workItems().size());
    // Held bytes are the writer's (`recordHeldAsWritten`): nothing it refuses is in them.
    return spellsRecord(held, plan, &lastBuilds, false);
}

RecordContents readHeldRecord(std::string_view held) {
    CacheInput in(held);
    CacheRecordReader reader(in, kCurrentCacheVersion, true);
    RecordContents contents;
    reader.readContents(contents);
    return contents;
}

}  // namespace Rilk
