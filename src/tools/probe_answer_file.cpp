#include "tools/probe_answer_file.h"

#include <limits>

#include <fmt/format.h>

#include "tools/record_checksum.h"
#include "util/bounded_file_read.h"
#include "util/logger.h"

namespace Rilk {

namespace {

void appendSized(std::string& out, std::string_view text) {
    out += std::to_string(text.size());
    out += ':';
    out += text;
}

void appendRecord(std::string& out, const ProbeKey& key, const ProbeAnswer& answer) {
    const std::size_t start = out.size();
    appendSized(out, key.invoked);
    out += ' ';
    appendSized(out, key.program);
    out += fmt::format(" {} {} {} {} {} ", key.size, key.modified, key.changed,
                       key.invokedDirectoryModified, key.programDirectoryModified);
    appendSized(out, key.arguments);
    out += fmt::format(" {} ", answer.exitStatus);
    appendSized(out, answer.output);
    out += ' ';
    appendRecordChecksum(out, start);
}

using Read = RecordRead;

/// Reads the records of a probe answer file, piece by piece, never past its end.
class RecordReader {
public:
    explicit RecordReader(std::string_view text, std::size_t pos) : text_(text), pos_(pos) {}

    bool atEnd() const { return pos_ == text_.size(); }

    Read record(ProbeKey& key, ProbeAnswer& answer) {
        const std::size_t start = pos_;
        std::int64_t status = 0;
        Read read = sized(key.invoked, ' ');
        if (read == Read::Ok) read = sized(key.program, ' ');
        if (read == Read::Ok) read = number(key.size, false, ' ');
        if (read == Read::Ok) read = number(key.modified, true, ' ');
        if (read == Read::Ok) read = number(key.changed, true, ' ');
        if (read == Read::Ok) read = number(key.invokedDirectoryModified, true, ' ');
        if (read == Read::Ok) read = number(key.programDirectoryModified, true, ' ');
        if (read == Read::Ok) read = sized(key.arguments, ' ');
        if (read == Read::Ok) read = number(status, false, ' ');
        if (read == Read::Ok) read = sized(answer.output, ' ');
        if (read != Read::Ok) return read;
        const std::string_view body = text_.substr(start, pos_ - start);
        std::uint64_t stored = 0;
        read = checksumField(stored);
        if (read == Read::Ok) read = expect('\n');
        if (read != Read::Ok) return read;
        if (stored != recordChecksum(body) || status > 255) return Read::Bad;
        answer.exitStatus = static_cast<std::int32_t>(status);
        return Read::Ok;
    }

private:
    Read expect(char c) {
        if (atEnd()) return Read::Short;
        if (text_[pos_] != c) return Read::Bad;
        ++pos_;
        return Read::Ok;
    }

    /// Decimal digits, after a '-' when `signedValue` allows one, then `end`. A value beyond
    /// 64 bits is damage.
    Read number(std::int64_t& value, bool signedValue, char end) {
        const bool negative = signedValue && pos_ < text_.size() && text_[pos_] == '-';
        if (negative) ++pos_;
        constexpr auto kLimit =
            static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());
        std::size_t digits = 0;
        std::uint64_t result = 0;
        for (; pos_ < text_.size() && text_[pos_] >= '0' && text_[pos_] <= '9'; ++pos_, ++digits) {
            const auto digit = static_cast<std::uint64_t>(text_[pos_] - '0');
            if (result > (kLimit - digit) / 10) return Read::Bad;
            result = result * 10 + digit;
        }
        if (digits == 0 && !atEnd()) return Read::Bad;
        const Read read = expect(end);
        if (read == Read::Ok) {
            value =
                negative ? -static_cast<std::int64_t>(result) : static_cast<std::int64_t>(result);
        }
        return read;
    }

    /// A byte count, ':', that many bytes, then `end`.
    Read sized(std::string& text, char end) {
        std::int64_t length = 0;
        if (const Read read = number(length, false, ':'); read != Read::Ok) return read;
        if (static_cast<std::uint64_t>(length) > text_.size() - pos_) return Read::Short;
        text.assign(text_.substr(pos_, static_cast<std::size_t>(length)));
        pos_ += static_cast<std::size_t>(length);
        return expect(end);
    }

    Read checksumField(std::uint64_t& value) {
        return readRecordChecksum(text_, pos_, value);
    }

    std::string_view text_;
    std::size_t pos_;
};

bool isKept(const ProbeKey& key, const ProbeAnswer& answer) {
    return key.size >= 0 && answer.exitStatus >= 0 && answer.exitStatus <= 255;
}

/// The whole file when it is a regular file of this user of at most `kMaxProbeAnswerFile`
/// bytes; answers planted by someone else are not taken. A missing file or a foreign one
/// is passed over in silence; any other that cannot be read is reported, and the answers
/// start afresh as after damage.
std::optional<std::string> readBounded(const std::filesystem::path& file) {
    try {
        return Util::readWholeFile(file, {kMaxProbeAnswerFile, true});
    } catch (const Util::FileReadError& error) {
        if (error.failure() != Util::FileReadFailure::Missing &&
            error.failure() != Util::FileReadFailure::ForeignOwner) {
            log(LogLevel::Warning, "{} Starting with no probe answers.\n", error.what());
        }
        return std::nullopt;
    }
}

}  // namespace

std::string probeAnswersText(const ProbeAnswers& answers) {
    std::string out(kProbeAnswerHeader);
    out += '\n';
    for (const auto& [key, answer] : answers) {
        if (isKept(key, answer)) appendRecord(out, key, answer);
    }
    return out;
}

std::optional<ProbeAnswers> parseProbeAnswers(std::string_view text) {
    const std::string header = std::string(kProbeAnswerHeader) + '\n';
    if (!text.starts_with(header)) return std::nullopt;
    ProbeAnswers answers;
    RecordReader reader(text, header.size());
    while (!reader.atEnd()) {
        ProbeKey key;
        ProbeAnswer answer;
        const Read read = reader.record(key, answer);
        if (read == Read::Short) break;
        if (read == Read::Bad) return std::nullopt;
        answers.insert_or_assign(std::move(key), std::move(answer));
    }
    return answers;
}

std::optional<ProbeAnswers> readProbeAnswerFile(const std::filesystem::path& file) {
    const std::optional<std::string> text = readBounded(file);
    if (!text) return std::nullopt;
    return parseProbeAnswers(*text);
}

}  // namespace Rilk
