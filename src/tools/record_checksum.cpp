#include "tools/record_checksum.h"

#include <fmt/format.h>

namespace Rilk {

namespace {

constexpr std::size_t kChecksumDigits = 16;

}  // namespace

std::uint64_t recordChecksum(std::string_view bytes) {
    std::uint64_t hash = 0xcbf29ce484222325ULL;
    for (const char c : bytes) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 0x100000001b3ULL;
    }
    return hash;
}

void appendRecordChecksum(std::string& out, std::size_t recordStart) {
    out += fmt::format("{:016x}\n", recordChecksum(std::string_view(out).substr(recordStart)));
}

RecordRead readRecordChecksum(std::string_view text, std::size_t& pos, std::uint64_t& value) {
    if (text.size() - pos < kChecksumDigits) return RecordRead::Short;
    value = 0;
    for (std::size_t i = 0; i < kChecksumDigits; ++i, ++pos) {
        const char c = text[pos];
        int digit = 0;
        if (c >= '0' && c <= '9') {
            digit = c - '0';
        } else if (c >= 'a' && c <= 'f') {
            digit = c - 'a' + 10;
        } else {
            return RecordRead::Bad;
        }
        value = value << 4 | static_cast<std::uint64_t>(digit);
    }
    return RecordRead::Ok;
}

}  // namespace Rilk
