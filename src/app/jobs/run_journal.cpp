#include "app/jobs/run_journal.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstdint>
#include <iterator>
#include <stdexcept>
#include <system_error>

#include <fmt/format.h>

#include "app/jobs/run_token.h"
#include "util/file_time.h"
#include "util/file_writer.h"
#include "util/process_table.h"

namespace Rilk {

namespace {

/// The first line of a record; another one is not read but the two before: one whose run
/// line names no writer, and one that holds entries only. All three are of one length.
constexpr std::string_view kHeader = "rilk run journal 4\n";
constexpr std::string_view kHeaderWithoutWriter = "rilk run journal 3\n";
constexpr std::string_view kHeaderWithoutRun = "rilk run journal 2\n";
/// The line after the header that names the run: its boot ("-" when unknown), its token,
/// then its writer: pid, start, session, PID namespace, and the device and inode of the
/// folder it was written in.
constexpr std::string_view kRunLine = "run ";
/// Only its owner may write the record: the processes it names are ended on its word.
constexpr mode_t kRecordMode = 0600;
/// A line naming a command's process group and its leader's start time.
constexpr std::string_view kGroupLine = "group ";

timespec timeOf(std::int64_t nanoseconds) {
    timespec time{};
    time.tv_sec = static_cast<time_t>(nanoseconds / 1'000'000'000);
    time.tv_nsec = static_cast<long>(nanoseconds % 1'000'000'000);
    return time;
}

/// The identity of the folders of the entries written, looked up once per folder.
class FolderIdentities {
public:
    /// Device and inode of `folder`; zeros when it cannot be found.
    std::pair<std::uint64_t, std::uint64_t> of(const std::filesystem::path& folder) {
        if (folder != last_) {
            last_ = folder;
            struct stat state {};
            identity_ = ::stat(folder.c_str(), &state) == 0
                            ? std::pair{static_cast<std::uint64_t>(state.st_dev),
                                        static_cast<std::uint64_t>(state.st_ino)}
                            : std::pair<std::uint64_t, std::uint64_t>{0, 0};
        }
        return identity_;
    }

private:
    std::filesystem::path last_;
    std::pair<std::uint64_t, std::uint64_t> identity_{0, 0};
};

/// One entry's line: whether the file existed, device, inode, size, modification and
/// change times, its folder's device and inode, then the path's length in bytes and the
/// path itself, which may hold any byte but NUL.
void appendEntry(std::string& text, const OutputSnapshot::Entry& entry,
                 FolderIdentities& folders) {
    const struct stat& state = entry.state;
    // A later run may start in another directory of the project.
    std::error_code error;
    const std::filesystem::path absolute =
        entry.file.is_absolute() ? entry.file : std::filesystem::absolute(entry.file, error);
    const std::string& path = error ? entry.file.native() : absolute.native();
    const auto [folderDevice, folderInode] =
        folders.of(std::filesystem::path(path).parent_path());
    fmt::format_to(std::back_inserter(text), "{} {} {} {} {} {} {} {} {} ",
                   entry.existed ? 1 : 0, static_cast<std::uint64_t>(state.st_dev),
                   static_cast<std::uint64_t>(state.st_ino),
                   static_cast<std::int64_t>(state.st_size), Util::nanosecondsOf(state.st_mtim),
                   Util::nanosecondsOf(state.st_ctim), folderDevice, folderInode, path.size());
    text += path;
    text += '\n';
}

/// Reads a decimal number and the character after it, `end`, from the front of `text`.
template <typename Number>
bool take(std::string_view& text, Number& number, char end = ' ') {
    const auto [stop, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (error != std::errc() || stop == text.data() + text.size() || *stop != end) return false;
    text.remove_prefix(static_cast<std::size_t>(stop - text.data()) + 1);
    return true;
}

bool takeEntry(std::string_view& text, RunJournal::Entry& entry) {
    int existed = 0;
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::int64_t size = 0;
    std::int64_t modified = 0;
    std::int64_t changed = 0;
    std::size_t length = 0;
    if (!take(text, existed) || !take(text, device) || !take(text, inode) || !take(text, size) ||
        !take(text, modified) || !take(text, changed) || !take(text, entry.folderDevice) ||
        !take(text, entry.folderInode) || !take(text, length)) {
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

/// Reads a word (no blank, no line break) and the character after it, `end`.
bool takeWord(std::string_view& text, std::string& word, char end) {
    const std::size_t stop = text.find_first_of(" \n");
    if (stop == 0 || stop == std::string_view::npos || text[stop] != end) return false;
    word = std::string(text.substr(0, stop));
    text.remove_prefix(stop + 1);
    return true;
}

/// "<pid> <start> <session> <PID namespace> <folder's device> <folder's inode>\n". The
/// session is 0 where its leader lies outside the writer's PID namespace (in a container).
bool takeWriter(std::string_view& text, RunJournal::Writer& writer) {
    return take(text, writer.pid) && writer.pid > 0 && take(text, writer.start) &&
           take(text, writer.session) && writer.session >= 0 && take(text, writer.pidNamespace) &&
           take(text, writer.folderDevice) && take(text, writer.folderInode, '\n');
}

/// "run <boot> <token>\n" after the header of a record that names its run, or
/// "run <boot> <token> <writer>\n" in one that names its writer too.
bool takeRun(std::string_view& text, RunJournal::Contents& contents, bool withWriter) {
    if (!text.starts_with(kRunLine)) return false;
    text.remove_prefix(kRunLine.size());
    if (!takeWord(text, contents.bootId, ' ') ||
        !takeWord(text, contents.token, withWriter ? ' ' : '\n')) {
        return false;
    }
    if (withWriter && !takeWriter(text, contents.writer.emplace())) return false;
    if (contents.bootId == "-") contents.bootId.clear();
    return true;
}

/// "group <number> <leader's start>\n".
bool takeGroup(std::string_view& text, CommandGroup& group) {
    text.remove_prefix(kGroupLine.size());
    return take(text, group.group) && group.group > 0 && take(text, group.leaderStart, '\n');
}

}  // namespace

std::string RunJournal::format(const std::vector<const OutputSnapshot*>& snapshots) {
    std::string text(kHeader);
    FolderIdentities folders;
    for (const OutputSnapshot* snapshot : snapshots) {
        for (const OutputSnapshot::Entry& entry : snapshot->entries()) {
            appendEntry(text, entry, folders);
        }
    }
    return text;
}

std::optional<RunJournal::Contents> RunJournal::parse(std::string_view text) {
    const bool namesWriter = text.starts_with(kHeader);
    const bool namesRun = namesWriter || text.starts_with(kHeaderWithoutWriter);
    if (!namesRun && !text.starts_with(kHeaderWithoutRun)) return std::nullopt;
    text.remove_prefix(kHeader.size());
    Contents contents;
    if (namesWriter && !takeRun(text, contents, true)) return std::nullopt;
    if (!namesWriter && namesRun && text.starts_with(kRunLine) && !takeRun(text, contents, false)) {
        return std::nullopt;
    }
    while (!text.empty()) {
        if (!namesRun || !text.starts_with(kGroupLine)) {
            if (!takeEntry(text, contents.entries.emplace_back())) return std::nullopt;
        } else if (!takeGroup(text, contents.groups.emplace_back())) {
            return std::nullopt;
        }
    }
    return contents;
}

RunJournal::~RunJournal() {
    if (appendTo_ >= 0) ::close(appendTo_);
}

void RunJournal::start() {
    token_ = ownRunToken();
    const std::string boot = Util::currentBootId();
    const std::filesystem::path folder = file_.parent_path();
    struct stat state {};
    if (::stat(folder.empty() ? "." : folder.c_str(), &state) != 0) state = {};
    const pid_t self = ::getpid();
    content_ = fmt::format("{}{}{} {} {} {} {} {} {} {}\n", kHeader, kRunLine,
                           boot.empty() ? "-" : boot, token_, self, Util::processStartTime(self),
                           ::getsid(0), Util::pidNamespaceId(),
                           static_cast<std::uint64_t>(state.st_dev),
                           static_cast<std::uint64_t>(state.st_ino));
}

void RunJournal::record(const std::vector<const OutputSnapshot*>& snapshots, bool commandsStart) {
    const std::string added = format(snapshots);
    if (added.size() == kHeader.size() && (written_ || !commandsStart)) return;
    const std::lock_guard lock(groupsMutex_);
    if (content_.empty()) start();
    content_.append(added, kHeader.size());
    holdsOutputs_ = holdsOutputs_ || added.size() != kHeader.size();
    if (appendTo_ >= 0) ::close(appendTo_);
    appendTo_ = -1;
    try {
        // Process groups alone need to outlive only this process: a power loss ends them too.
        Util::writeOwnFileReplacing(file_, content_, holdsOutputs_, kRecordMode);
    } catch (const std::runtime_error&) {
        // Without outputs to record the commands may start all the same (a full disk must
        // not stop them); their groups are then not named.
        if (added.size() != kHeader.size()) throw;
        return;
    }
    written_ = true;
    // The file just written, which only this run changes while it holds the lock.
    appendTo_ = ::open(file_.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC | O_NOFOLLOW);
}

void RunJournal::recordCommandGroup(pid_t group) noexcept {
    char line[64];
    const auto written = fmt::format_to_n(line, sizeof line, "{}{} {}\n", kGroupLine, group,
                                          Util::processStartTime(group));
    const std::size_t size = std::min(written.size, sizeof line);
    const std::lock_guard lock(groupsMutex_);
    if (appendTo_ < 0) return;
    try {
        content_.append(line, size);
    } catch (...) {
        return;  // out of memory: the group stays unnamed
    }
    while (::write(appendTo_, line, size) < 0 && errno == EINTR) {
    }
}

void RunJournal::finish() noexcept {
    if (appendTo_ >= 0) ::close(appendTo_);
    appendTo_ = -1;
    if (!written_) return;
    ::unlink(file_.c_str());
    content_.clear();
    written_ = false;
    holdsOutputs_ = false;
}

}  // namespace Rilk
