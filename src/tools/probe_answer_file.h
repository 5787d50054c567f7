#pragma once

#include <compare>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "tools/answer_record.h"

namespace Rilk {

/// One probe of one program file: the path it was invoked by (lexically normal and absolute,
/// links not resolved: a multi-call program answers by the name it is called), the file as
/// it was found on disk (its path with links resolved, its size and its modification and
/// status-change times in nanoseconds), the modification times of the directories holding
/// the invoked path and the file (a package upgrade of a compiler that a wrapper forwards to
/// renames files into them), and the argument text. A file that is replaced, rewritten,
/// touched or made executable, or a changed directory, gives another key, so an answer is
/// never handed out for a program that has visibly changed since. `size` -1 stands for a
/// program that could not be inspected; such keys are never kept in a file.
struct ProbeKey {
    std::string invoked;
    std::string program;
    std::int64_t size = -1;
    std::int64_t modified = 0;
    std::int64_t changed = 0;
    std::int64_t invokedDirectoryModified = 0;
    std::int64_t programDirectoryModified = 0;
    std::string arguments;

    auto operator<=>(const ProbeKey&) const = default;
};

/// What a finished probe answered: its exit status (0..255) and its trimmed output.
struct ProbeAnswer {
    std::int32_t exitStatus = 0;
    std::string output;

    bool operator==(const ProbeAnswer&) const = default;
};

using ProbeAnswers = std::map<ProbeKey, ProbeAnswer>;

/// First line of a probe answer file.
inline constexpr std::string_view kProbeAnswerHeader = "RILK_PROBES_V2";

/// Largest probe answer file read or written; a larger one is ignored.
inline constexpr std::size_t kMaxProbeAnswerFile = 1 << 20;

/// The file text of `answers`: the header line, then one record per answer in key order.
/// Every text field is written as its byte count, ':' and the bytes, so paths and outputs
/// with line breaks or any other byte read back unchanged; each record ends with a checksum
/// of its bytes and a line feed. Keys with `size` -1 and answers with a status outside
/// 0..255 are left out.
std::string probeAnswersText(const ProbeAnswers& answers);

/// The answers of a probe answer file's text. A last record cut short (a torn write) is
/// dropped and the whole records before it are kept; any other defect (wrong header,
/// garbage, a bad number, a checksum that does not match) gives nothing, so that every
/// probe runs again.
std::optional<ProbeAnswers> parseProbeAnswers(std::string_view text);

/// Appends the fields of a probe and its answer to a record: the probe answer file's
/// records and the toolchain scans' hold them alike.
void writeProbeFields(AnswerRecordWriter& writer, const ProbeKey& key,
                      const ProbeAnswer& answer);
/// Reads the fields `writeProbeFields` writes; a status outside 0..255 is damage.
RecordRead readProbeFields(AnswerRecordReader& reader, ProbeKey& key, ProbeAnswer& answer);

/// `parseProbeAnswers` of the file at `file`, read with bounded reads: nothing when it is
/// missing, unreadable, not a regular file, owned by another user or larger than
/// `kMaxProbeAnswerFile`. A file that is there and cannot be read (other than a foreign
/// one) gets a `Warning` naming it and the reason.
std::optional<ProbeAnswers> readProbeAnswerFile(const std::filesystem::path& file);

}  // namespace Rilk
