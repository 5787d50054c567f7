#include "tools/probe_answer_file.h"

#include <limits>

#include "tools/record_checksum.h"

namespace Rilk {

namespace {

void appendRecord(std::string& out, const ProbeKey& key, const ProbeAnswer& answer) {
    const std::size_t start = out.size();
    AnswerRecordWriter writer(out);
    writeProbeFields(writer, key, answer);
    appendRecordChecksum(out, start);
}

/// One record of a probe answer file, its checksum included.
RecordRead readRecord(AnswerRecordReader& reader, ProbeKey& key, ProbeAnswer& answer) {
    const std::size_t start = reader.position();
    const RecordRead read = readProbeFields(reader, key, answer);
    return read == RecordRead::Ok ? reader.end(start) : read;
}

bool isKept(const ProbeKey& key, const ProbeAnswer& answer) {
    return key.size >= 0 && answer.exitStatus >= 0 && answer.exitStatus <= 255;
}

}  // namespace

void writeProbeFields(AnswerRecordWriter& writer, const ProbeKey& key, const ProbeAnswer& answer) {
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

RecordRead readProbeFields(AnswerRecordReader& reader, ProbeKey& key, ProbeAnswer& answer) {
    constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();
    constexpr std::uint64_t kMax = std::numeric_limits<std::int64_t>::max();
    std::int64_t status = 0;
    RecordRead read = reader.text(key.invoked);
    if (read == RecordRead::Ok) read = reader.text(key.program);
    if (read == RecordRead::Ok) read = reader.number(key.size, 0, kMax);
    if (read == RecordRead::Ok) read = reader.number(key.modified, kMin, kMax);
    if (read == RecordRead::Ok) read = reader.number(key.changed, kMin, kMax);
    if (read == RecordRead::Ok) read = reader.number(key.invokedDirectoryModified, kMin, kMax);
    if (read == RecordRead::Ok) read = reader.number(key.programDirectoryModified, kMin, kMax);
    if (read == RecordRead::Ok) read = reader.text(key.arguments);
    if (read == RecordRead::Ok) read = reader.number(status, 0, 255);
    if (read == RecordRead::Ok) read = reader.text(answer.output);
    if (read == RecordRead::Ok) answer.exitStatus = static_cast<std::int32_t>(status);
    return read;
}

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
    AnswerRecordReader reader(text, header.size(), std::numeric_limits<std::int64_t>::max());
    while (!reader.atEnd()) {
        ProbeKey key;
        ProbeAnswer answer;
        const RecordRead read = readRecord(reader, key, answer);
        if (read == RecordRead::Short) break;
        if (read == RecordRead::Bad) return std::nullopt;
        answers.insert_or_assign(std::move(key), std::move(answer));
    }
    return answers;
}

std::optional<ProbeAnswers> readProbeAnswerFile(const std::filesystem::path& file) {
    const std::optional<std::string> text =
        readAnswerFile(file, kMaxProbeAnswerFile, "Starting with no probe answers.");
    if (!text) return std::nullopt;
    return parseProbeAnswers(*text);
}

}  // namespace Rilk
