#include "app/cache/file/cache_file_format.h"

#include <cctype>
#include <charconv>
#include <limits>

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

/// Reads one number of a stamp line from `[first, last)`, spelled as the writer spells it
/// (no sign but a "-" before a negative time, no leading zero), up to `last` or a blank.
template <typename Number>
const char* readStampField(const char* first, const char* last, Number& number) {
    const char* digits = first != last && *first == '-' ? first + 1 : first;
    if (digits == last || (*digits == '0' && digits + 1 != last && digits[1] != ' ') ||
        (*digits == '0' && digits != first)) {
        return nullptr;
    }
    const std::from_chars_result result = std::from_chars(first, last, number);
    return result.ec == std::errc() ? result.ptr : nullptr;
}

}  // namespace

bool readStampLine(CacheInput& in, RecordedStamp& stamp) {
    CacheInput rest = in;
    std::string_view line;
    if (!rest.readLine(line, kMaxCacheLine)) return false;
    if (line == "?") {
        stamp.reset();
        in = rest;
        return true;
    }
    Util::FileStamp read;
    const char* end = line.data() + line.size();
    // Three numbers, one blank between each: exactly the writer's spelling.
    const char* next = readStampField(line.data(), end, read.time);
    if (next == nullptr || next == end || *next != ' ') return false;
    next = readStampField(next + 1, end, read.size);
    if (next == nullptr || next == end || *next != ' ') return false;
    next = readStampField(next + 1, end, read.inode);
    if (next != end) return false;
    stamp = read;
    in = rest;
    return true;
}

bool readStampsTime(CacheInput& in, std::int64_t& time) {
    CacheInput rest = in;
    std::string_view line;
    if (!rest.readLine(line, kMaxCacheLine) || line.empty() || line.front() == '-') return false;
    const char* end = line.data() + line.size();
    if (readStampField(line.data(), end, time) != end) return false;
    in = rest;
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
