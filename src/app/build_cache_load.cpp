// Reading the build cache file into the cache's records.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <future>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/build_cache.h"
#include "app/cache_file_format.h"
#include "util/logger.h"
#include "util/mapped_file.h"

namespace Rilk {
namespace {

enum class Version { V3, V4, V5 };

std::optional<Version> versionOf(std::string_view header) {
    if (header == "RILK_CACHE_V5") return Version::V5;
    if (header == "RILK_CACHE_V4") return Version::V4;
    if (header == "RILK_CACHE_V3") return Version::V3;
    return std::nullopt;
}

/// Reads one record. A structural defect returns false with `part` naming what was being
/// read; an assignment whose text cannot be read only marks the record `damaged`.
class RecordReader {
public:
    RecordReader(CacheInput& in, Version version) : in_(in), version_(version) {}

    bool read(std::string& key, RecordContents& contents) {
        std::uint64_t items = 0;
        if (!step("record key", readSizedString(in_, key)) ||
            !step("recipe count", readCountLine(in_, items))) {
            return false;
        }
        for (std::uint64_t i = 0; i < items; ++i) {
            WorkItem item;
            if (!readWorkItem(item)) return false;
            contents.add(std::move(item));
        }
        std::uint64_t count = 0;
        if (!step("env/context count", readCountLine(in_, count))) return false;
        for (std::uint64_t i = 0; i < count; ++i) {
            std::optional<Assignment> assignment;
            if (!readAssignment("env/context assignment", assignment)) return false;
            if (version_ != Version::V3 && assignment) contents.context.push_back(*assignment);
        }
        return true;
    }

    bool damaged = false;
    const char* part = "";

private:
    bool step(const char* what, bool ok) {
        part = what;
        return ok;
    }

    bool readAssignment(const char* what, std::optional<Assignment>& assignment) {
        if (!step(what, readAssignmentRecord(in_, assignment))) return false;
        if (!assignment) damaged = true;
        return true;
    }

    bool readWorkItem(WorkItem& item) {
        std::uint64_t inputs = 0;
        if (!step("inputs count", readCountLine(in_, inputs))) return false;
        // The count is bounded by the bytes left, not by memory: reserve only a little.
        item.inputs.reserve(static_cast<std::size_t>(std::min<std::uint64_t>(inputs, 16)));
        for (std::uint64_t i = 0; i < inputs; ++i) {
            std::optional<Assignment> input;
            if (!readAssignment("input assignment", input)) return false;
            std::optional<Assignment> intermediate;
            if (version_ == Version::V5) {
                std::uint64_t flag = 0;
                if (!step("input intermediate flag", readCountLine(in_, flag) && flag <= 1)) {
                    return false;
                }
                if (flag == 1 && !readAssignment("input intermediate assignment", intermediate)) {
                    return false;
                }
            }
            if (!input) continue;
            if (intermediate) {
                item.inputs.emplace_back(std::move(*input), std::move(*intermediate));
            } else {
                item.inputs.emplace_back(std::move(*input));
            }
        }
        std::uint64_t outputs = 0;
        if (!step("outputs count", readCountLine(in_, outputs))) return false;
        for (std::uint64_t i = 0; i < outputs; ++i) {
            std::optional<Assignment> output;
            if (!readAssignment("output assignment", output)) return false;
            if (output) item.outputs.push_back(std::move(*output));
        }
        return true;
    }

    CacheInput& in_;
    Version version_;
};

}  // namespace

BuildCache::ReadResult BuildCache::readFile(const std::filesystem::path& file) {
    // Mapped, not copied: a huge damaged file is rejected after its first line without
    // being read into memory.
    const std::optional<Util::MappedFile> mapped = Util::MappedFile::open(file);
    if (!mapped) return ReadResult();
    return readBytes(mapped->bytes(), file.string(), true);
}

void BuildCache::startLoading() {
    if (pending_.valid()) return;
    pending_ = std::async(std::launch::async, [file = path_] { return readFile(file); });
}

void BuildCache::load() {
    install(pending_.valid() ? pending_.get() : readFile(path_));
}

void BuildCache::loadBytes(std::string_view bytes) {
    if (pending_.valid()) pending_.wait();
    pending_ = {};
    install(readBytes(bytes, path_.string(), false));
}

BuildCache::ReadResult BuildCache::readBytes(std::string_view bytes, const std::string& shown,
                                             bool bytesOfFile) {
    ReadResult result;
    auto note = [&](std::string message) { result.messages.push_back(std::move(message)); };
    CacheInput in(bytes);
    std::string_view header;
    std::uint64_t count = 0;
    bool whole = false;
    if (!in.readLine(header, kMaxCacheLine)) {
        note(fmt::format("Cache file '{}' has invalid header. Starting with empty cache.\n",
                         shown));
    } else if (!versionOf(header)) {
        note(fmt::format(
            "Cache file '{}' has unsupported header '{}'. Starting with empty cache.\n", shown,
            header));
    } else if (!readCountLine(in, count)) {
        note(fmt::format("Cache file '{}' has invalid records count. Starting with empty cache.\n",
                         shown));
    } else {
        whole = *versionOf(header) == Version::V5;
        for (std::uint64_t i = 0; i < count; ++i) {
            RecordReader reader(in, *versionOf(header));
            std::string key;
            auto record = std::make_shared<RuntimeRecord>();
            if (!reader.read(key, record->contents)) {
                note(fmt::format("Cache file '{}' is malformed ({}). Starting with empty cache.\n",
                                 shown, reader.part));
                result.records.clear();
                whole = false;
                break;
            }
            if (reader.damaged) {
                note(fmt::format("Build cache record '{}' is damaged. Dropping it.\n", key));
                whole = false;
                continue;
            }
            // A key given twice leaves one record, so the file holds more than the cache.
            if (!result.records.insert_or_assign(Util::CiString(key), std::move(record)).second) {
                whole = false;
            }
        }
        // Bytes after the last record are not part of any; the file is written anew.
        if (in.remaining() != 0) whole = false;
    }
    result.fileIsCurrent = bytesOfFile && whole;
    return result;
}

void BuildCache::install(ReadResult read) {
    for (const std::string& message : read.messages) log(6, "{}", message);
    replaceRecords(std::move(read.records), read.fileIsCurrent);
}

}  // namespace Rilk
