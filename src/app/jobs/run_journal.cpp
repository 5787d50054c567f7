#include "app/jobs/run_journal.h"

#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <stdexcept>
#include <system_error>

#include <fmt/format.h>

#include "util/file_time.h"
#include "util/file_writer.h"
#include "util/mapped_file.h"

namespace Rilk {

namespace {

/// The first line of a record; another one is not read.
constexpr std::string_view kHeader = "rilk run journal 1\n";

timespec timeOf(std::int64_t nanoseconds) {
    timespec time{};
    time.tv_sec = static_cast<time_t>(nanoseconds / 1'000'000'000);
    time.tv_nsec = static_cast<long>(nanoseconds % 1'000'000'000);
    return time;
}

/// One entry's line: whether the file existed, device, inode, size, modification and
/// change times, then the path's length in bytes and the path itself, which may hold any
/// byte but NUL.
void appendEntry(std::string& text, const OutputSnapshot::Entry& entry) {
    const struct stat& state = entry.state;
    // A later run may start in another directory of the project.
    std::error_code error;
    const std::filesystem::path absolute =
        entry.file.is_absolute() ? entry.file : std::filesystem::absolute(entry.file, error);
    const std::string& path = error ? entry.file.native() : absolute.native();
    fmt::format_to(std::back_inserter(text), "{} {} {} {} {} {} {} ", entry.existed ? 1 : 0,
                   static_cast<std::uint64_t>(state.st_dev),
                   static_cast<std::uint64_t>(state.st_ino),
                   static_cast<std::int64_t>(state.st_size), Util::nanosecondsOf(state.st_mtim),
                   Util::nanosecondsOf(state.st_ctim), path.size());
    text += path;
    text += '\n';
}

/// Reads a decimal number and the blank after it from the front of `text`.
template <typename Number>
bool take(std::string_view& text, Number& number) {
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (error != std::errc() || end == text.data() + text.size() || *end != ' ') return false;
    text.remove_prefix(static_cast<std::size_t>(end - text.data()) + 1);
    return true;
}

bool takeEntry(std::string_view& text, OutputSnapshot::Entry& entry) {
    int existed = 0;
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::int64_t size = 0;
    std::int64_t modified = 0;
    std::int64_t changed = 0;
    std::size_t length = 0;
    if (!take(text, existed) || !take(text, device) || !take(text, inode) || !take(text, size) ||
        !take(text, modified) || !take(text, changed) || !take(text, length)) {
        return false;
    }
    if (existed < 0 || existed > 1 || modified < 0 || changed < 0 || length == 0 ||
        length >= text.size() || text[length] != '\n') {
        return false;
    }
    entry.file = std::string(text.substr(0, length));
    entry.existed = existed == 1;
    entry.state.st_dev = static_cast<dev_t>(device);
    entry.state.st_ino = static_cast<ino_t>(inode);
    entry.state.st_size = static_cast<off_t>(size);
    entry.state.st_mtim = timeOf(modified);
    entry.state.st_ctim = timeOf(changed);
    text.remove_prefix(length + 1);
    return true;
}

}  // namespace

std::string RunJournal::format(const std::vector<const OutputSnapshot*>& snapshots) {
    std::string text(kHeader);
    for (const OutputSnapshot* snapshot : snapshots) {
        for (const OutputSnapshot::Entry& entry : snapshot->entries()) appendEntry(text, entry);
    }
    return text;
}

std::optional<std::vector<OutputSnapshot::Entry>> RunJournal::parse(std::string_view text) {
    if (!text.starts_with(kHeader)) return std::nullopt;
    text.remove_prefix(kHeader.size());
    std::vector<OutputSnapshot::Entry> entries;
    while (!text.empty()) {
        if (!takeEntry(text, entries.emplace_back())) return std::nullopt;
    }
    return entries;
}

void RunJournal::record(const std::vector<const OutputSnapshot*>& snapshots) {
    std::string added = format(snapshots);
    if (added.size() == kHeader.size()) return;
    if (content_.empty()) {
        content_ = std::move(added);
    } else {
        content_.append(added, kHeader.size());
    }
    Util::writeFileReplacing(file_, content_);
    written_ = true;
}

void RunJournal::finish() noexcept {
    if (!written_) return;
    ::unlink(file_.c_str());
    content_.clear();
    written_ = false;
}

RunJournal::Recovery RunJournal::recoverKilledRun(const std::filesystem::path& file,
                                                  const std::filesystem::path& cacheFile) {
    Recovery recovery;
    if (::access(file.c_str(), F_OK) != 0 && errno == ENOENT) return recovery;
    recovery.found = true;
    {
        std::optional<Util::MappedFile> mapped = Util::MappedFile::open(file);
        std::optional<std::vector<OutputSnapshot::Entry>> entries;
        if (mapped) entries = parse(mapped->bytes());
        if (entries) {
            recovery.removed = OutputSnapshot(std::move(*entries)).removeChanged();
        } else {
            recovery.damaged = true;
            ::unlink(cacheFile.c_str());
        }
    }
    if (::unlink(file.c_str()) != 0 && errno != ENOENT) {
        throw std::runtime_error(
            fmt::format("Unable to remove file '{}': {}", file.string(), std::strerror(errno)));
    }
    return recovery;
}

}  // namespace Rilk
