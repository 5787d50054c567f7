#include "app/cache/file/cache_file_format.h"

#include <bit>
#include <cctype>
#include <charconv>
#include <cstddef>
#include <cstring>
#include <limits>
#include <type_traits>

#include "app/cache/file/cache_assignment_reader.h"
#include "parser/source_writer.h"

namespace Rilk {
namespace {

/// Leading digits after optional blanks and "+", as an unsigned 64-bit number.
bool parseCount(std::string_view line, std::uint64_t& count) {
    std::size_t i = 0;
    while (i < line.size() && std::isspace(static_cast<unsigned char>(line[i]))) ++i;
    if (i < line.size() && line[i] == '+') ++i;
    const char* first = line.data() + i;
    const char* last = line.data() + line.size();
    auto [end, error] = std::from_chars(first, last, count, 10);
    return error == std::errc() && end != first;
}

/// A signed decimal number after optional blanks; `rest` is the text after it.
bool parseSigned(std::string_view& rest, long long& number) {
    while (!rest.empty() && (rest.front() == ' ' || rest.front() == '\t')) rest.remove_prefix(1);
    if (!rest.empty() && rest.front() == '+') rest.remove_prefix(1);
    auto [end, error] = std::from_chars(rest.data(), rest.data() + rest.size(), number, 10);
    if (error != std::errc() || end == rest.data()) return false;
    rest.remove_prefix(static_cast<std::size_t>(end - rest.data()));
    return true;
}

/// Parses "A <operator> <modifier>"; anything after the modifier is ignored.
bool parseRecordLine(std::string_view line, long long& type, long long& modifier) {
    while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) line.remove_prefix(1);
    if (line.size() < 2 || line[0] != 'A' || (line[1] != ' ' && line[1] != '\t')) return false;
    line.remove_prefix(1);
    return parseSigned(line, type) && parseSigned(line, modifier);
}

}  // namespace

bool CacheInput::readLine(std::string_view& line, std::size_t maxLength) {
    if (pos_ >= bytes_.size()) return false;
    const std::size_t limit = std::min(remaining(), maxLength + 1);
    // The lines are a few bytes long: a plain loop beats a library search here.
    const char* start = bytes_.data() + pos_;
    for (std::size_t feed = 0; feed < limit; ++feed) {
        if (start[feed] == '\n') {
            line = std::string_view(start, feed);
            pos_ += feed + 1;
            return true;
        }
    }
    if (remaining() > maxLength) return false;
    line = bytes_.substr(pos_);
    pos_ = bytes_.size();
    return true;
}

bool readSpelledCountLine(CacheInput& in, std::uint64_t& count) {
    std::string_view line;
    return in.readLine(line, kMaxCacheLine) && parseCount(line, count) && count <= in.remaining();
}

bool readSizedString(CacheInput& in, std::string& text) {
    std::string_view bytes;
    if (!readSizedText(in, bytes)) return false;
    text.assign(bytes);
    return true;
}

bool readSpelledAssignmentRecordFields(CacheInput& in, AssignmentRecordFields& fields) {
    std::string_view line;
    return in.readLine(line, kMaxCacheLine) &&
           parseRecordLine(line, fields.type, fields.modifier) && readSizedText(in, fields.text);
}

std::optional<Assignment> readRecordAssignment(const AssignmentRecordFields& fields) {
    if (fields.type < 1 || fields.type > 4 || fields.modifier < 0 || fields.modifier > 2) {
        return std::nullopt;
    }
    return readCacheAssignment(fields.text, static_cast<AssignType>(fields.type),
                               static_cast<AssignModifier>(fields.modifier));
}

bool readAssignmentRecord(CacheInput& in, std::optional<Assignment>& assignment) {
    assignment.reset();
    AssignmentRecordFields fields;
    if (!readAssignmentRecordFields(in, fields)) return false;
    assignment = readRecordAssignment(fields);
    return true;
}

void writeSizedString(std::string& out, std::string_view text) {
    out += std::to_string(text.size());
    out += '\n';
    out += text;
    out += '\n';
}

bool writeAssignmentRecord(std::string& out, const Assignment& assignment) {
    std::optional<std::string> text = cacheAssignmentText(assignment);
    if (!text) return false;
    out += "A ";
    out += std::to_string(static_cast<std::uint32_t>(assignment.type));
    out += ' ';
    out += std::to_string(static_cast<std::uint32_t>(assignment.modifier));
    out += '\n';
    writeSizedString(out, *text);
    return true;
}

namespace {

/// The eight bytes at `text`, as one number in memory order.
std::uint64_t eightBytes(const char* text) {
    std::uint64_t bytes = 0;
    std::memcpy(&bytes, text, sizeof bytes);
    if constexpr (std::endian::native == std::endian::big) bytes = __builtin_bswap64(bytes);
    return bytes;
}

/// Whether the eight bytes at `text` are all decimal digits, tested at once.
bool eightDigits(const char* text) {
    const std::uint64_t bytes = eightBytes(text);
    return (((bytes & 0xF0F0F0F0F0F0F0F0) |
             (((bytes + 0x0606060606060606) & 0xF0F0F0F0F0F0F0F0) >> 4)) == 0x3333333333333333);
}

/// The number the eight decimal digits at `text` spell, combined pairwise in a few
/// multiplications instead of a loop over each digit.
std::uint64_t valueOfEightDigits(const char* text) {
    std::uint64_t value = eightBytes(text) - 0x3030303030303030;
    value = (value * 10) + (value >> 8);  // pairs of digits, in every other byte
    return (((value & 0x000000FF000000FF) * (100 + (1000000ULL << 32))) +
            (((value >> 16) & 0x000000FF000000FF) * (1 + (10000ULL << 32)))) >>
           32;
}

/// Reads one number of a stamp line from `[first, last)`, spelled as the writer spells it
/// (no sign but a "-" before a negative time, no leading zero), up to `last`, a blank or a
/// line feed; null for any other spelling or a number `Number` cannot hold. A loop over the
/// digits: a C++ project's records hold a stamp for each of the hundreds of headers each
/// object read, read when the file is read and again when a record is planned.
template <typename Number>
const char* readStampField(const char* first, const char* last, Number& number) {
    const bool negative = std::is_signed_v<Number> && first != last && *first == '-';
    const char* next = negative ? first + 1 : first;
    if (next == last || *next < '0' || *next > '9') return nullptr;
    // Zero is "0" alone, never "-0" nor a leading zero.
    if (*next == '0' && (negative || (next + 1 != last && next[1] >= '0' && next[1] <= '9'))) {
        return nullptr;
    }
    using Magnitude = std::make_unsigned_t<Number>;
    const char* const digits = next;
    while (last - next >= 8 && eightDigits(next)) next += 8;
    while (next != last && *next >= '0' && *next <= '9') ++next;
    // Up to 19 digits fit 64 bits whatever they are; only a 20th can overflow.
    static_assert(sizeof(Magnitude) == 8);
    if (next - digits > 20) return nullptr;
    const char* const safe = digits + std::min<std::ptrdiff_t>(next - digits, 19);
    Magnitude value = 0;
    const char* digit = digits;
    for (; safe - digit >= 8; digit += 8) value = value * 100000000 + valueOfEightDigits(digit);
    for (; digit != safe; ++digit) value = value * 10 + static_cast<Magnitude>(*digit - '0');
    if (safe != next && (__builtin_mul_overflow(value, Magnitude(10), &value) ||
                         __builtin_add_overflow(value, Magnitude(*safe - '0'), &value))) {
        return nullptr;
    }
    // The most a `Number` holds, one more for a negative one.
    const Magnitude most =
        static_cast<Magnitude>(std::numeric_limits<Number>::max()) + (negative ? 1u : 0u);
    if (value > most || (next != last && *next != ' ' && *next != '\n')) return nullptr;
    number = negative ? static_cast<Number>(Magnitude(0) - value) : static_cast<Number>(value);
    return next;
}

/// Whether `next`, where a line's last field ended in `line` (the unread bytes, cut at
/// `kMaxCacheLine` and a feed), ends the line: at its feed, or at the end of the bytes.
bool endsLine(const char* next, std::string_view line, const CacheInput& in) {
    if (next == nullptr) return false;
    if (next != line.data() + line.size()) return *next == '\n';
    return line.size() == in.remaining() && line.size() <= kMaxCacheLine;
}

/// Consumes the line that ends at `next` (see `endsLine`), its feed too.
void takeLine(CacheInput& in, const char* next, std::string_view line) {
    in.skip(static_cast<std::size_t>(next - line.data()) + 1);
}

}  // namespace

bool readStampLine(CacheInput& in, RecordedStamp& stamp) {
    // One pass over the line's bytes, no line read first: the file holds one per file of
    // every work item.
    const std::string_view line = in.peek(kMaxCacheLine + 1);
    const char* const first = line.data();
    const char* const last = first + line.size();
    if (!line.empty() && line.front() == '?' && endsLine(first + 1, line, in)) {
        stamp.reset();
        takeLine(in, first + 1, line);
        return true;
    }
    Util::FileStamp read;
    // Three numbers, one blank between each: exactly the writer's spelling.
    const char* next = readStampField(first, last, read.time);
    if (next == nullptr || next == last || *next != ' ') return false;
    next = readStampField(next + 1, last, read.size);
    if (next == nullptr || next == last || *next != ' ') return false;
    next = readStampField(next + 1, last, read.inode);
    if (!endsLine(next, line, in)) return false;
    stamp = read;
    takeLine(in, next, line);
    return true;
}

bool readStampsTime(CacheInput& in, std::int64_t& time) {
    const std::string_view line = in.peek(kMaxCacheLine + 1);
    if (line.empty() || line.front() == '-') return false;
    const char* next = readStampField(line.data(), line.data() + line.size(), time);
    if (!endsLine(next, line, in)) return false;
    takeLine(in, next, line);
    return true;
}

void writeStampsTime(std::string& out, std::int64_t time) {
    out += std::to_string(std::max<std::int64_t>(time, 0));
    out += '\n';
}

void writeStampLine(std::string& out, const RecordedStamp& stamp) {
    if (!stamp) {
        out += "?\n";
        return;
    }
    out += std::to_string(stamp->time);
    out += ' ';
    out += std::to_string(stamp->size);
    out += ' ';
    out += std::to_string(stamp->inode);
    out += '\n';
}

}  // namespace Rilk
