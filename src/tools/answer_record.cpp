#include "tools/answer_record.h"

#include <limits>

#include "util/bounded_file_read.h"
#include "util/logger.h"

namespace Rilk {

void AnswerRecordWriter::text(std::string_view value) {
    out_ += fmt::format("{}:", value.size());
    out_ += value;
    out_ += ' ';
}

RecordRead AnswerRecordReader::expect(char c) {
    if (atEnd()) return RecordRead::Short;
    if (text_[pos_] != c) return RecordRead::Bad;
    ++pos_;
    return RecordRead::Ok;
}

RecordRead AnswerRecordReader::digits(std::uint64_t& value, std::uint64_t high, char end) {
    std::size_t count = 0;
    value = 0;
    for (; pos_ < text_.size() && text_[pos_] >= '0' && text_[pos_] <= '9'; ++pos_, ++count) {
        const auto digit = static_cast<std::uint64_t>(text_[pos_] - '0');
        if (digit > high || value > (high - digit) / 10) return RecordRead::Bad;
        value = value * 10 + digit;
    }
    if (count == 0 && !atEnd()) return RecordRead::Bad;
    return expect(end);
}

RecordRead AnswerRecordReader::number(std::int64_t& value, std::int64_t low, std::uint64_t high) {
    const bool negative = low < 0 && pos_ < text_.size() && text_[pos_] == '-';
    if (negative) ++pos_;
    // The magnitude a negative value may reach: -(low + 1) + 1, without overflow.
    const std::uint64_t limit = negative ? static_cast<std::uint64_t>(-(low + 1)) + 1 : high;
    std::uint64_t magnitude = 0;
    if (const RecordRead read = digits(magnitude, limit, ' '); read != RecordRead::Ok) {
        return read;
    }
    value =
        negative ? static_cast<std::int64_t>(0 - magnitude) : static_cast<std::int64_t>(magnitude);
    return RecordRead::Ok;
}

RecordRead AnswerRecordReader::unsignedNumber(std::uint64_t& value) {
    std::int64_t read = 0;
    const RecordRead result = number(read, 0, std::numeric_limits<std::int64_t>::max());
    value = static_cast<std::uint64_t>(read);
    return result;
}

RecordRead AnswerRecordReader::text(std::string& value) {
    std::uint64_t length = 0;
    if (const RecordRead read = digits(length, maxText_, ':'); read != RecordRead::Ok) {
        return read;
    }
    if (length > text_.size() - pos_) return RecordRead::Short;
    value.assign(text_.substr(pos_, static_cast<std::size_t>(length)));
    pos_ += static_cast<std::size_t>(length);
    return expect(' ');
}

RecordRead AnswerRecordReader::end(std::size_t start) {
    const std::string_view body = text_.substr(start, pos_ - start);
    std::uint64_t stored = 0;
    RecordRead read = readRecordChecksum(text_, pos_, stored);
    if (read == RecordRead::Ok) read = expect('\n');
    if (read != RecordRead::Ok) return read;
    return stored == recordChecksum(body) ? RecordRead::Ok : RecordRead::Bad;
}

std::optional<std::string> readAnswerFile(const std::filesystem::path& file, std::size_t sizeLimit,
                                          const char* afterwards) {
    try {
        return Util::readWholeFile(file, {sizeLimit, true});
    } catch (const Util::FileReadError& error) {
        if (error.failure() != Util::FileReadFailure::Missing &&
            error.failure() != Util::FileReadFailure::ForeignOwner) {
            log(LogLevel::Warning, "{} {}\n", error.what(), afterwards);
        }
        return std::nullopt;
    }
}

}  // namespace Rilk
