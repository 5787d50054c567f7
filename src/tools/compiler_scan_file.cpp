#include "tools/compiler_scan_file.h"

#include <limits>

#include "tools/answer_record.h"
#include "tools/record_checksum.h"

namespace Rilk {

namespace {

void writeStamp(AnswerRecordWriter& writer, const PathStamp& stamp) {
    writer.number(stamp.device);
    writer.number(stamp.inode);
    writer.number(stamp.mode);
    writer.number(stamp.user);
    writer.number(stamp.group);
    writer.number(stamp.size);
    writer.number(stamp.modified);
    writer.number(stamp.changed);
}

void appendRecord(std::string& out, const ScanKey& key, const RememberedScan& scan) {
    const std::size_t start = out.size();
    AnswerRecordWriter writer(out);
    out += static_cast<char>(key.first);
    out += ' ';
    writer.text(key.second);
    writer.number(scan.dependencies.paths().size());
    for (const auto& [path, stamp] : scan.dependencies.paths()) {
        writer.text(path.first);
        writer.number(static_cast<int>(path.second));
        writeStamp(writer, stamp);
    }
    writer.number(scan.probes.size());
    for (const auto& [probeKey, answer] : scan.probes) writeProbeFields(writer, probeKey, answer);
    writer.number(scan.items.size());
    for (const std::string& item : scan.items) writer.text(item);
    appendRecordChecksum(out, start);
}

using Read = RecordRead;

/// Runs the reads in order until one fails.
#define RILK_READ(expression)                           \
    do {                                                \
        if (const Read r = (expression); r != Read::Ok) \
            return r;                                   \
    } while (false)

constexpr std::int64_t kInt64Min = std::numeric_limits<std::int64_t>::min();
constexpr std::uint64_t kInt64Max = std::numeric_limits<std::int64_t>::max();
constexpr std::uint64_t kUint32Max = std::numeric_limits<std::uint32_t>::max();

Read readStamp(AnswerRecordReader& reader, PathStamp& stamp) {
    std::int64_t mode = 0, user = 0, group = 0;
    RILK_READ(reader.unsignedNumber(stamp.device));
    RILK_READ(reader.unsignedNumber(stamp.inode));
    RILK_READ(reader.number(mode, 0, kUint32Max));
    RILK_READ(reader.number(user, 0, kUint32Max));
    RILK_READ(reader.number(group, 0, kUint32Max));
    RILK_READ(reader.number(stamp.size, kInt64Min, kInt64Max));
    RILK_READ(reader.number(stamp.modified, kInt64Min, kInt64Max));
    RILK_READ(reader.number(stamp.changed, kInt64Min, kInt64Max));
    stamp.mode = static_cast<std::uint32_t>(mode);
    stamp.user = static_cast<std::uint32_t>(user);
    stamp.group = static_cast<std::uint32_t>(group);
    return Read::Ok;
}

/// A count of parts that follow; no file within `kMaxScanFile` holds more.
Read readCount(AnswerRecordReader& reader, std::int64_t& count) {
    return reader.number(count, 0, kMaxScanFile);
}

Read readRecord(AnswerRecordReader& reader, ScanKey& key, RememberedScan& scan) {
    const std::size_t start = reader.position();
    char kind = 0;
    for (const ScanKind candidate : {ScanKind::Walk, ScanKind::Directory}) {
        const Read read = reader.expect(static_cast<char>(candidate));
        if (read == Read::Short) return read;
        if (read == Read::Ok) {
            kind = static_cast<char>(candidate);
            break;
        }
    }
    if (kind == 0) return Read::Bad;
    RILK_READ(reader.expect(' '));
    key.first = static_cast<ScanKind>(kind);
    RILK_READ(reader.text(key.second));
    std::int64_t count = 0;
    RILK_READ(readCount(reader, count));
    for (std::int64_t i = 0; i < count; ++i) {
        std::string path;
        std::int64_t stampKind = 0;
        PathStamp stamp;
        RILK_READ(reader.text(path));
        RILK_READ(reader.number(stampKind, 0, 1));
        RILK_READ(readStamp(reader, stamp));
        scan.dependencies.add(path, static_cast<StampKind>(stampKind), stamp);
    }
    RILK_READ(readCount(reader, count));
    for (std::int64_t i = 0; i < count; ++i) {
        ProbeKey probeKey;
        ProbeAnswer answer;
        RILK_READ(readProbeFields(reader, probeKey, answer));
        scan.probes.insert_or_assign(std::move(probeKey), std::move(answer));
    }
    RILK_READ(readCount(reader, count));
    for (std::int64_t i = 0; i < count; ++i) {
        RILK_READ(reader.text(scan.items.emplace_back()));
    }
    return reader.end(start);
}

#undef RILK_READ

}  // namespace

std::string rememberedScansText(const RememberedScans& scans) {
    std::string out(kScanFileHeader);
    out += '\n';
    for (const auto& [key, scan] : scans) appendRecord(out, key, scan);
    return out;
}

std::optional<RememberedScans> parseRememberedScans(std::string_view text) {
    const std::string header = std::string(kScanFileHeader) + '\n';
    if (!text.starts_with(header)) return std::nullopt;
    RememberedScans scans;
    AnswerRecordReader reader(text, header.size(), kMaxScanFile);
    while (!reader.atEnd()) {
        ScanKey key;
        RememberedScan scan;
        const Read read = readRecord(reader, key, scan);
        if (read == Read::Short) break;
        if (read == Read::Bad) return std::nullopt;
        scans.insert_or_assign(std::move(key), std::move(scan));
    }
    return scans;
}

std::optional<RememberedScans> readRememberedScanFile(const std::filesystem::path& file) {
    const std::optional<std::string> text =
        readAnswerFile(file, kMaxScanFile, "Scanning the toolchain directories again.");
    if (!text) return std::nullopt;
    return parseRememberedScans(*text);
}

}  // namespace Rilk
