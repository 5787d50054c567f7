// Planning against a record the build cache holds as its bytes in the file.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "app/cache/build_cache.h"
#include "app/cache/file/cache_file_format.h"
#include "app/cache/file/cache_record_reader.h"
#include "app/cache/file/cache_record_writer.h"

namespace Rilk {
namespace {

/// Whether the next bytes of `in` are `expected`, consuming them.
bool consume(CacheInput& in, const std::string& expected) {
    std::string_view bytes;
    return in.readBytes(expected.size(), bytes) && bytes == expected;
}

/// Reads the files a work item's last build read, as the writer gives them.
bool readFilesRead(CacheInput& in, FilesRead& files) {
    std::uint64_t count = 0;
    if (!in.readDigitLine(count)) return false;
    if (count == 0) return true;
    std::vector<std::string> read;
    read.reserve(static_cast<std::size_t>(count - 1));
    for (std::uint64_t i = 1; i < count; ++i) {
        std::string_view file;
        if (!readSizedText(in, file)) return false;
        read.emplace_back(file);
    }
    files = std::make_shared<const std::vector<std::string>>(std::move(read));
    return true;
}

}  // namespace

bool BuildCache::heldRecordMatches(std::string_view held, const RecordContents& plan,
                                   std::vector<FilesRead>& filesRead) {
    filesRead.clear();
    filesRead.reserve(plan.workItems().size());
    CacheInput in(held);
    std::string written = std::to_string(plan.workItems().size()) + "\n";
    if (!consume(in, written)) return false;
    for (const WorkItem& item : plan.workItems()) {
        if (item.filesRead) return false;
        written.clear();
        if (!writeWorkItemParts(written, item) || !consume(in, written)) return false;
        const std::size_t start = in.position();
        if (!readFilesRead(in, filesRead.emplace_back())) return false;
        // Read back exactly as the writer gives them: no other spelling of a count.
        written.clear();
        writeFilesRead(written, filesRead.back());
        if (held.substr(start, in.position() - start) != written) return false;
    }
    written.clear();
    return writeRecordContext(written, plan) && consume(in, written) && in.remaining() == 0;
}

RecordContents BuildCache::readHeldRecord(std::string_view held) {
    CacheInput in(held);
    CacheRecordReader reader(in, CacheFileVersion::V6, true);
    RecordContents contents;
    reader.readContents(contents);
    return contents;
}

}  // namespace Rilk
