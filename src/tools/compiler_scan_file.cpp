#include "tools/compiler_scan_file.h"

#include <limits>

#include <fmt/format.h>

#include "tools/record_checksum.h"
#include "util/bounded_file_read.h"
#include "util/logger.h"

namespace Rilk {

namespace {

/// Writes the fields of one record, each followed by a space.
class RecordWriter {
public:
    explicit RecordWriter(std::string& out) : out_(out) {}

    void text(std::string_view value) {
        out_ += fmt::format("{}:", value.size());
        out_ += value;
        out_ += ' ';
    }
    template <typename Number>
    void number(Number value) {
        out_ += fmt::format("{} ", value);
    }

private:
    std::string& out_;
};

void writeStamp(RecordWriter& writer, const PathStamp& stamp) {
    writer.number(stamp.device);
    writer.number(stamp.inode);
    writer.number(stamp.mode);
    writer.number(stamp.user);
    writer.number(stamp.group);
    writer.number(stamp.size);
    writer.number(stamp.modified);
    writer.number(stamp.changed);
}

void writeProbe(RecordWriter& writer, const ProbeKey& key, const ProbeAnswer& answer) {
    writer.text(key.invoked);
    writer.text(key.program);
    writer.number(key.size);
    writer.number(key.modified);
    writer.number(key.changed);
    writer.number(key.invokedDirectoryModified);
    writer.number(key.programDirectoryModified);
    writer.text(key.arguments);
    writer.number(answer.exitStatus);
    writer.text(answer.output);
}

void appendRecord(std::string& out, const ScanKey& key, const RememberedScan& scan) {
    const std::size_t start = out.size();
    RecordWriter writer(out);
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
    for (const auto& [probeKey, answer] : scan.probes) writeProbe(writer, probeKey, answer);
    writer.number(scan.items.size());
    for (const std::string& item : scan.items) writer.text(item);
    appendRecordChecksum(out, start);
}

using Read = RecordRead;

/// Reads the fields of the records, each followed by a space, never past the text's end.
class RecordReader {
public:
    RecordReader(std::string_view text, std::size_t pos) : text_(text), pos_(pos) {}

    bool atEnd() const { return pos_ == text_.size(); }
    std::size_t position() const { return pos_; }

    /// Decimal digits, after a '-' when `low` is negative, within [low, high], then ' '.
    Read number(std::int64_t& value, std::int64_t low, std::uint64_t high) {
        const bool negative = low < 0 && pos_ < text_.size() && text_[pos_] == '-';
        if (negative) ++pos_;
        std::size_t digits = 0;
        std::uint64_t result = 0;
        constexpr std::uint64_t kMax = std::numeric_limits<std::uint64_t>::max();
        for (; pos_ < text_.size() && text_[pos_] >= '0' && text_[pos_] <= '9'; ++pos_, ++digits) {
            const auto digit = static_cast<std::uint64_t>(text_[pos_] - '0');
            if (result > (kMax - digit) / 10) return Read::Bad;
            result = result * 10 + digit;
        }
        if (digits == 0 && !atEnd()) return Read::Bad;
        const Read read = expect(' ');
        if (read != Read::Ok) return read;
        if (negative ? result > static_cast<std::uint64_t>(-(low + 1)) + 1 : result > high) {
            return Read::Bad;
        }
        value = negative ? static_cast<std::int64_t>(0 - result) : static_cast<std::int64_t>(result);
        return Read::Ok;
    }

    Read unsignedNumber(std::uint64_t& value) {
        std::int64_t read = 0;
        // Kept in a signed field, so the highest values are refused.
        const Read result = number(read, 0, std::numeric_limits<std::int64_t>::max());
        value = static_cast<std::uint64_t>(read);
        return result;
    }

    /// A byte count, ':', that many bytes, then ' '.
    Read text(std::string& value) {
        std::size_t digits = 0;
        std::uint64_t length = 0;
        for (; pos_ < text_.size() && text_[pos_] >= '0' && text_[pos_] <= '9'; ++pos_, ++digits) {
            if (length > kMaxScanFile) return Read::Bad;
            length = length * 10 + static_cast<std::uint64_t>(text_[pos_] - '0');
        }
        if (digits == 0 && !atEnd()) return Read::Bad;
        if (const Read read = expect(':'); read != Read::Ok) return read;
        if (length > text_.size() - pos_) return Read::Short;
        value.assign(text_.substr(pos_, static_cast<std::size_t>(length)));
        pos_ += static_cast<std::size_t>(length);
        return expect(' ');
    }

    Read expect(char c) {
        if (atEnd()) return Read::Short;
        if (text_[pos_] != c) return Read::Bad;
        ++pos_;
        return Read::Ok;
    }

    Read checksumField(std::uint64_t& value) {
        return readRecordChecksum(text_, pos_, value);
    }

    std::string_view since(std::size_t start) const { return text_.substr(start, pos_ - start); }

private:
    std::string_view text_;
    std::size_t pos_;
};

/// Runs the reads in order until one fails.
#define RILK_READ(expression)                           \
    do {                                                \
        if (const Read r = (expression); r != Read::Ok) \
            return r;                                   \
    } while (false)

constexpr std::int64_t kInt64Min = std::numeric_limits<std::int64_t>::min();
constexpr std::uint64_t kInt64Max = std::numeric_limits<std::int64_t>::max();
constexpr std::uint64_t kUint32Max = std::numeric_limits<std::uint32_t>::max();

Read readStamp(RecordReader& reader, PathStamp& stamp) {
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

Read readProbe(RecordReader& reader, ProbeKey& key, ProbeAnswer& answer) {
    std::int64_t status = 0;
    RILK_READ(reader.text(key.invoked));
    RILK_READ(reader.text(key.program));
    RILK_READ(reader.number(key.size, 0, kInt64Max));
    RILK_READ(reader.number(key.modified, kInt64Min, kInt64Max));
    RILK_READ(reader.number(key.changed, kInt64Min, kInt64Max));
    RILK_READ(reader.number(key.invokedDirectoryModified, kInt64Min, kInt64Max));
    RILK_READ(reader.number(key.programDirectoryModified, kInt64Min, kInt64Max));
    RILK_READ(reader.text(key.arguments));
    RILK_READ(reader.number(status, 0, 255));
    RILK_READ(reader.text(answer.output));
    answer.exitStatus = static_cast<std::int32_t>(status);
    return Read::Ok;
}

/// A count of parts that follow; no file within `kMaxScanFile` holds more.
Read readCount(RecordReader& reader, std::int64_t& count) {
    return reader.number(count, 0, kMaxScanFile);
}

Read readRecord(RecordReader& reader, ScanKey& key, RememberedScan& scan) {
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
        RILK_READ(readProbe(reader, probeKey, answer));
        scan.probes.insert_or_assign(std::move(probeKey), std::move(answer));
    }
    RILK_READ(readCount(reader, count));
    for (std::int64_t i = 0; i < count; ++i) {
        RILK_READ(reader.text(scan.items.emplace_back()));
    }
    const std::string_view body = reader.since(start);
    std::uint64_t stored = 0;
    Read read = reader.checksumField(stored);
    if (read == Read::Ok) read = reader.expect('\n');
    if (read != Read::Ok) return read;
    return stored == recordChecksum(body) ? Read::Ok : Read::Bad;
}

#undef RILK_READ

/// The whole file when it is a regular file of this user within `kMaxScanFile` bytes. A
/// missing or foreign file is passed over in silence; any other that cannot be read is
/// reported, and the scans start afresh as after damage.
std::optional<std::string> readBounded(const std::filesystem::path& file) {
    try {
        return Util::readWholeFile(file, {kMaxScanFile, true});
    } catch (const Util::FileReadError& error) {
        if (error.failure() != Util::FileReadFailure::Missing &&
            error.failure() != Util::FileReadFailure::ForeignOwner) {
            log(LogLevel::Warning, "{} Scanning the toolchain directories again.\n",
                error.what());
        }
        return std::nullopt;
    }
}

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
    RecordReader reader(text, header.size());
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
    const std::optional<std::string> text = readBounded(file);
    if (!text) return std::nullopt;
    return parseRememberedScans(*text);
}

}  // namespace Rilk
