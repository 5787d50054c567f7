#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include <fmt/format.h>

#include "tools/record_checksum.h"

namespace Rilk {

// The fields of the records of the answer files kept across runs (the probe answers, the
// toolchain scans): a number as decimal digits, a text as "<byte count>:<bytes>", each
// followed by a space; a record ends with its checksum (record_checksum.h).

/// Appends the fields of one record to a text.
class AnswerRecordWriter {
public:
    explicit AnswerRecordWriter(std::string& out) : out_(out) {}

    void text(std::string_view value);
    template <typename Number>
    void number(Number value) {
        out_ += fmt::format("{} ", value);
    }

private:
    std::string& out_;
};

/// Reads the fields of the records, never past the text's end: `Short` when the text ends
/// within a field, `Bad` when a field is damaged.
class AnswerRecordReader {
public:
    /// Reads `text` from `pos`; a text field longer than `maxText` bytes is damage.
    AnswerRecordReader(std::string_view text, std::size_t pos, std::uint64_t maxText)
        : text_(text), pos_(pos), maxText_(maxText) {}

    bool atEnd() const { return pos_ == text_.size(); }
    std::size_t position() const { return pos_; }

    /// Decimal digits, after a '-' when `low` is negative, within [low, high], then ' '.
    RecordRead number(std::int64_t& value, std::int64_t low, std::uint64_t high);
    /// `number` kept in an unsigned field; the values beyond the signed range are refused.
    RecordRead unsignedNumber(std::uint64_t& value);
    /// A byte count, ':', that many bytes, then ' '.
    RecordRead text(std::string& value);
    RecordRead expect(char c);
    /// The checksum of the record begun at `start`, then the line feed; `Bad` when the
    /// checksum is not that of the record's bytes.
    RecordRead end(std::size_t start);

private:
    /// Decimal digits of a value of at most `high`, then `end`.
    RecordRead digits(std::uint64_t& value, std::uint64_t high, char end);

    std::string_view text_;
    std::size_t pos_;
    std::uint64_t maxText_;
};

/// The whole answer file `file` when it is a regular file of this user of at most
/// `sizeLimit` bytes; answers planted by someone else are not taken. A missing or foreign
/// file is passed over in silence; any other that cannot be read is reported as the
/// reason followed by `afterwards` (what the run does instead).
std::optional<std::string> readAnswerFile(const std::filesystem::path& file, std::size_t sizeLimit,
                                          const char* afterwards);

}  // namespace Rilk
