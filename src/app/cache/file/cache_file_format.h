#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "tools/work_item.h"
#include "types/assignment.h"

namespace Rilk {

/// The bytes of a cache file being read, with the position of the next unread byte.
/// Reads never run past the end and never allocate more than the bytes they return.
class CacheInput {
public:
    explicit CacheInput(std::string_view bytes) : bytes_(bytes) {}
    /// The same bytes, read from `position` on (at most their size).
    CacheInput(std::string_view bytes, std::size_t position)
        : bytes_(bytes), pos_(std::min(position, bytes.size())) {}

    /// Bytes not read yet.
    std::size_t remaining() const { return bytes_.size() - pos_; }
    /// The offset of the next unread byte.
    std::size_t position() const { return pos_; }
    /// The next unread bytes, at most `count` of them, left unread.
    std::string_view peek(std::size_t count) const { return bytes_.substr(pos_, count); }
    /// Consumes `count` bytes, at most those left.
    void skip(std::size_t count) { pos_ += std::min(count, remaining()); }

    /// The next line without its line feed (a last line may end at the end of the file).
    /// False, consuming nothing, at the end or when the line is longer than `maxLength`.
    bool readLine(std::string_view& line, std::size_t maxLength);

    /// The next `count` bytes; false, consuming nothing, when fewer are left.
    bool readBytes(std::size_t count, std::string_view& bytes);

    /// A line of one to 19 decimal digits ended by a line feed, the form the writer gives
    /// every count and length, as its number: the same `readLine` and a count's parse give,
    /// at a fraction of their cost. False, consuming nothing, for any other line.
    bool readDigitLine(std::uint64_t& number);
    /// The line "A <digit> <digit>" ended by a line feed, the writer's own assignment
    /// record line, as its two numbers. False, consuming nothing, for any other line.
    bool readShortRecordLine(long long& type, long long& modifier);

private:
    static bool isDigit(char c) { return c >= '0' && c <= '9'; }

    std::string_view bytes_;
    std::size_t pos_ = 0;
};

// The reads below run for every line of the file: they are defined here, where the
// reader's loops can inline them.

inline bool CacheInput::readBytes(std::size_t count, std::string_view& bytes) {
    if (count > remaining()) return false;
    bytes = bytes_.substr(pos_, count);
    pos_ += count;
    return true;
}

inline bool CacheInput::readDigitLine(std::uint64_t& number) {
    constexpr std::size_t kMostDigits = 19;
    const std::size_t limit = std::min(remaining(), kMostDigits + 1);
    const char* start = bytes_.data() + pos_;
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < limit; ++i) {
        const char c = start[i];
        if (isDigit(c)) {
            value = value * 10 + static_cast<std::uint64_t>(c - '0');
            continue;
        }
        if (c != '\n' || i == 0) return false;
        number = value;
        pos_ += i + 1;
        return true;
    }
    return false;
}

inline bool CacheInput::readShortRecordLine(long long& type, long long& modifier) {
    if (remaining() < 6) return false;
    const char* line = bytes_.data() + pos_;
    if (line[0] != 'A' || line[1] != ' ' || !isDigit(line[2]) || line[3] != ' ' ||
        !isDigit(line[4]) || line[5] != '\n') {
        return false;
    }
    type = line[2] - '0';
    modifier = line[4] - '0';
    pos_ += 6;
    return true;
}

/// Longest header, count or record line read; a longer line is damage.
inline constexpr std::size_t kMaxCacheLine = 64;

/// `readCountLine` of a line that is not digits alone: the general parse.
bool readSpelledCountLine(CacheInput& in, std::uint64_t& count);

/// A count line: optional blanks, an optional "+", decimal digits, then anything (12abc
/// reads as 12). False when no line can be read or it holds no digits, a sign "-" or a
/// number beyond 64 bits, or when the number is larger than the bytes left after it: every
/// count and length in the file stands for at least that many bytes.
inline bool readCountLine(CacheInput& in, std::uint64_t& count) {
    if (in.readDigitLine(count)) return count <= in.remaining();
    return readSpelledCountLine(in, count);
}

/// A length line, exactly that many bytes, then a line feed.
bool readSizedString(CacheInput& in, std::string& text);
/// `readSizedString` viewing the bytes in place instead of copying them.
inline bool readSizedText(CacheInput& in, std::string_view& text) {
    std::uint64_t length = 0;
    std::string_view bytes;
    std::string_view feed;
    if (!readCountLine(in, length) || !in.readBytes(length, bytes) || !in.readBytes(1, feed) ||
        feed != "\n") {
        return false;
    }
    text = bytes;
    return true;
}

/// The parts of an assignment record as written: the record line's operator and modifier
/// (any numbers) and the assignment's text, viewed in the file's bytes.
struct AssignmentRecordFields {
    long long type = 0;
    long long modifier = 0;
    std::string_view text;
};

/// `readAssignmentRecordFields` of a record whose line is not the writer's short one: the
/// general parse.
bool readSpelledAssignmentRecordFields(CacheInput& in, AssignmentRecordFields& fields);

/// The structure of an assignment record, its text not interpreted: false exactly when
/// `readAssignmentRecord` is false, consuming the same bytes.
inline bool readAssignmentRecordFields(CacheInput& in, AssignmentRecordFields& fields) {
    if (in.readShortRecordLine(fields.type, fields.modifier)) return readSizedText(in, fields.text);
    return readSpelledAssignmentRecordFields(in, fields);
}

/// The assignment record fields stand for: nothing when the operator or the modifier is
/// none an assignment has or the text cannot be read.
std::optional<Assignment> readRecordAssignment(const AssignmentRecordFields& fields);

/// An assignment record: the line "A <operator> <modifier>" and the assignment's text as a
/// sized text. False when the record's structure is damaged. True with `assignment` empty
/// when the structure is whole but the operator, the modifier or the text cannot be read.
bool readAssignmentRecord(CacheInput& in, std::optional<Assignment>& assignment);

/// A stamp line: "<time> <size> <inode>" (decimal; the time may be negative) or "?" for a
/// stamp not known, ended by a line feed, spelled exactly as `writeStampLine` spells it.
/// False, consuming nothing, for any other line.
bool readStampLine(CacheInput& in, RecordedStamp& stamp);

/// Appends a stamp line.
void writeStampLine(std::string& out, const RecordedStamp& stamp);

/// The line of a work item's stamps telling since when its files are known
/// (`StampedFiles::knownSince`): a time in nanoseconds of decimal digits without a leading
/// zero, ended by a line feed, spelled exactly as `writeStampsTime` spells it. False,
/// consuming nothing, for any other line.
bool readStampsTime(CacheInput& in, std::int64_t& time);

/// Appends the line of a work item's stamps time; a time before the epoch is written 0,
/// which trusts no file.
void writeStampsTime(std::string& out, std::int64_t time);

/// Appends the length, a line feed, the bytes and a line feed.
void writeSizedString(std::string& out, std::string_view text);

/// Appends an assignment record. False, with `out` partly written, when the assignment
/// cannot be written so that it reads back the same (`cacheAssignmentText`).
bool writeAssignmentRecord(std::string& out, const Assignment& assignment);

}  // namespace Rilk
