#include "app/cache/file/cache_record_reader.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace Rilk {
namespace {

/// Room for `count` elements, up to a few: a count is bounded by the bytes left, not by
/// memory.
std::size_t smallReserve(std::uint64_t count) {
    return static_cast<std::size_t>(std::min<std::uint64_t>(count, 16));
}

}  // namespace

std::optional<CacheFileVersion> cacheFileVersion(std::string_view header) {
    if (header == kCurrentCacheHeader) return CacheFileVersion::V8;
    if (header == "RILK_CACHE_V7") return CacheFileVersion::V7;
    if (header == "RILK_CACHE_V6") return CacheFileVersion::V6;
    if (header == "RILK_CACHE_V5") return CacheFileVersion::V5;
    if (header == "RILK_CACHE_V4") return CacheFileVersion::V4;
    if (header == "RILK_CACHE_V3") return CacheFileVersion::V3;
    return std::nullopt;
}

bool CacheRecordReader::read(std::string_view& key, RecordContents& contents) {
    return step("record key", readSizedText(in_, key)) && readContents(contents);
}

bool CacheRecordReader::readContents(RecordContents& contents) {
    std::uint64_t items = 0;
    if (!step("recipe count", readCountLine(in_, items))) return false;
    for (std::uint64_t i = 0; i < items; ++i) {
        WorkItem item;
        if (!readWorkItem(item)) return false;
        if (interpret_) contents.add(std::move(item));
    }
    std::uint64_t count = 0;
    if (!step("env/context count", readCountLine(in_, count))) return false;
    const bool keep = interpret_ && version_ != CacheFileVersion::V3;
    if (keep) contents.context.reserve(smallReserve(count));
    for (std::uint64_t i = 0; i < count; ++i) {
        std::optional<Assignment> assignment;
        if (!readAssignment("env/context assignment", assignment)) return false;
        if (keep && assignment) contents.context.push_back(std::move(*assignment));
    }
    return true;
}

bool CacheRecordReader::readAssignment(const char* what, std::optional<Assignment>& assignment) {
    if (!interpret_) {
        AssignmentRecordFields fields;
        return step(what, readAssignmentRecordFields(in_, fields));
    }
    if (memo_ == nullptr) {
        if (!step(what, readAssignmentRecord(in_, assignment))) return false;
    } else {
        AssignmentRecordFields fields;
        if (!step(what, readAssignmentRecordFields(in_, fields))) return false;
        assignment = memo_->read(fields);
    }
    if (!assignment) damaged = true;
    return true;
}

bool CacheRecordReader::readInput(WorkItem& item) {
    std::optional<Assignment> input;
    if (!readAssignment("input assignment", input)) return false;
    std::optional<Assignment> intermediate;
    if (version_ >= CacheFileVersion::V5) {
        std::uint64_t flag = 0;
        if (!step("input intermediate flag", readCountLine(in_, flag) && flag <= 1)) return false;
        if (flag == 1 && !readAssignment("input intermediate assignment", intermediate)) {
            return false;
        }
    }
    if (!input) return true;
    if (intermediate) {
        item.inputs.emplace_back(std::move(*input), std::move(*intermediate));
    } else {
        item.inputs.emplace_back(std::move(*input));
    }
    return true;
}

bool CacheRecordReader::readWorkItem(WorkItem& item) {
    std::uint64_t inputs = 0;
    if (!step("inputs count", readCountLine(in_, inputs))) return false;
    if (interpret_) item.inputs.reserve(smallReserve(inputs));
    for (std::uint64_t i = 0; i < inputs; ++i) {
        if (!readInput(item)) return false;
    }
    std::uint64_t outputs = 0;
    if (!step("outputs count", readCountLine(in_, outputs))) return false;
    if (interpret_) item.outputs.reserve(smallReserve(outputs));
    for (std::uint64_t i = 0; i < outputs; ++i) {
        std::optional<Assignment> output;
        if (!readAssignment("output assignment", output)) return false;
        if (output) item.outputs.push_back(std::move(*output));
    }
    if (version_ < CacheFileVersion::V6) return true;
    return readDependencies(item) && (version_ < CacheFileVersion::V7 || readStamps(item));
}

bool CacheRecordReader::readDependencies(WorkItem& item) {
    std::uint64_t count = 0;
    if (!step("read files count", readCountLine(in_, count))) return false;
    if (count == 0) return true;
    std::vector<std::string> files;
    if (interpret_) files.reserve(smallReserve(count - 1));
    for (std::uint64_t i = 1; i < count; ++i) {
        std::string_view file;
        if (!step("read file", readSizedText(in_, file))) return false;
        if (interpret_) files.emplace_back(file);
    }
    if (interpret_) {
        item.filesRead = std::make_shared<const std::vector<std::string>>(std::move(files));
    }
    return true;
}

bool CacheRecordReader::readStamps(WorkItem& item) {
    std::uint64_t count = 0;
    if (!step("stamps count", readCountLine(in_, count))) return false;
    if (count == 0) return true;
    StampedFiles stamped;
    if (version_ >= CacheFileVersion::V8 &&
        !step("stamps time", readStampsTime(in_, stamped.knownSince))) {
        return false;
    }
    // A V7 record's stamps are read and dropped: it does not say since when its files are
    // known, so each of its work items builds once.
    const bool keep = interpret_ && version_ >= CacheFileVersion::V8;
    if (keep) stamped.files.reserve(smallReserve(count - 1));
    for (std::uint64_t i = 1; i < count; ++i) {
        RecordedStamp stamp;
        if (!step("stamp", readStampLine(in_, stamp))) return false;
        if (keep) stamped.files.push_back(stamp);
    }
    if (keep) item.stamps = std::make_shared<const StampedFiles>(std::move(stamped));
    return true;
}

}  // namespace Rilk
