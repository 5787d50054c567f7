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
#include "util/mapping_guard.h"

namespace Rilk {
namespace {

/// A count line as the writer gives it: `std::to_string(count)` and a line feed.
bool takeCount(std::string_view& rest, std::size_t count) {
    char line[24];
    char* end = std::to_chars(line, line + sizeof line - 1, count).ptr;
    *end++ = '\n';
    return takePrefix(rest, std::string_view(line, static_cast<std::size_t>(end - line)));
}

/// A count or length line as the writer spells it (`std::to_string` and a line feed) at the
/// front of `rest`, taken with its number.
bool takeNumber(std::string_view& rest, std::uint64_t& number) {
    CacheInput in(rest);
    if (!in.readDigitLine(number)) return false;
    // No leading zero: as many digits as the number has.
    std::size_t digits = 1;
    for (std::uint64_t left = number / 10; left != 0; left /= 10) ++digits;
    if (in.position() != digits + 1) return false;
    rest.remove_prefix(in.position());
    return true;
}

/// A sized text as the writer spells it at the front of `rest`, viewed in place.
bool takeSizedText(std::string_view& rest, std::string_view& text) {
    std::uint64_t length = 0;
    if (!takeNumber(rest, length) || length >= rest.size() || rest[length] != '\n') return false;
    text = rest.substr(0, length);
    rest.remove_prefix(length + 1);
    return true;
}

/// Reads the files a work item's last build read from the front of `rest`, spelled exactly
/// as the writer spells them.
bool takeFilesRead(std::string_view& rest, FilesRead& files) {
    std::uint64_t count = 0;
    if (!takeNumber(rest, count)) return false;
    if (count == 0) return true;
    std::vector<std::string> read;
    read.reserve(static_cast<std::size_t>(std::min<std::uint64_t>(count - 1, rest.size())));
    for (std::uint64_t i = 1; i < count; ++i) {
        std::string_view file;
        if (!takeSizedText(rest, file)) return false;
        read.emplace_back(file);
    }
    files = std::make_shared<const std::vector<std::string>>(std::move(read));
    return true;
}

/// Reads the stamps of a work item's files from the front of `rest`, spelled exactly as the
/// writer spells them (its stamp lines are read only so).
bool takeStamps(std::string_view& rest, FileStamps& stamps) {
    std::uint64_t count = 0;
    if (!takeNumber(rest, count)) return false;
    if (count == 0) return true;
    CacheInput in(rest);
    auto read = std::make_shared<StampedFiles>();
    if (!readStampsTime(in, read->knownSince)) return false;
    read->files.resize(
        static_cast<std::size_t>(std::min<std::uint64_t>(count - 1, in.remaining())));
    for (std::uint64_t i = 1; i < count; ++i) {
        if (i - 1 >= read->files.size() || !readStampLine(in, read->files[i - 1])) return false;
    }
    rest.remove_prefix(in.position());
    stamps = std::move(read);
    return true;
}

/// Whether the front of `rest` is what the writer gives for `files` (`writeFilesRead`);
/// takes it when so. Compared in place, as the files' texts are written.
bool matchFilesRead(std::string_view& rest, const FilesRead& files) {
    if (!files) return takePrefix(rest, "0\n");
    if (!takeCount(rest, files->size() + 1)) return false;
    for (const std::string& file : *files) {
        std::string_view held;
        if (!takeSizedText(rest, held) || held != file) return false;
    }
    return true;
}

/// Whether the front of `rest` is what the writer gives for `stamps` (`writeFileStamps`),
/// where `stamps` were read from these very bytes (`recordHeldAsWritten`); takes it when
/// so. The reader reads the time and stamp lines only as the writer spells them, so only
/// the count line may be spelled otherwise: the other lines are skipped, not read again.
bool matchStamps(std::string_view& rest, const FileStamps& stamps) {
    if (!stamps) return takePrefix(rest, "0\n");
    if (!takeCount(rest, stamps->files.size() + 1)) return false;
    // The time line, then a line for each file.
    for (std::size_t lines = stamps->files.size() + 1; lines != 0; --lines) {
        const std::size_t feed = rest.find('\n');
        if (feed == std::string_view::npos) return false;
        rest.remove_prefix(feed + 1);
    }
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
        if (!matchFilesRead(rest, item.filesRead) || !matchStamps(rest, item.stamps)) return false;
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
    return spellsRecord(held, plan, &lastBuilds, false) && !Util::mappedBytesLost(held);
}

RecordContents readHeldRecord(std::string_view held) {
    CacheInput in(held);
    CacheRecordReader reader(in, kCurrentCacheVersion, true);
    RecordContents contents;
    // Bytes the writer gave read whole: others were changed under the run.
    if (!reader.readContents(contents) || Util::mappedBytesLost(held)) return RecordContents();
    return contents;
}

}  // namespace Rilk
