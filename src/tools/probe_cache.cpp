#include "tools/probe_cache.h"

#include <sys/stat.h>

#include <system_error>
#include <utility>

#include "tools/normalized_path.h"
#include "util/file_time.h"
#include "tools/answer_file_save.h"
#include "util/logger.h"

namespace Rilk {

namespace fs = std::filesystem;

namespace {

/// The modification time of the directory holding `path`; false when it cannot be read.
bool directoryModified(const fs::path& path, std::int64_t& time) {
    struct stat st {};
    if (::stat(path.parent_path().c_str(), &st) != 0) return false;
    time = Util::nanosecondsOf(st.st_mtim);
    return true;
}

/// The key of `tool` without arguments: the invoked path, its program file's resolved path
/// and stamp and the times of both directories, or the normalised path with `size` -1 when
/// they cannot be inspected.
ProbeKey programKey(const fs::path& tool) {
    ProbeKey key;
    std::error_code ec;
    const fs::path invoked = fs::absolute(tool, ec).lexically_normal();
    const fs::path file = ec ? fs::path() : fs::canonical(tool, ec);
    if (ec) {
        key.program = normalizedPathText(tool);
        key.invoked = key.program;
        return key;
    }
    key.invoked = invoked.native();
    key.program = file.native();
    struct stat st {};
    if (::stat(file.c_str(), &st) != 0 ||
        !directoryModified(invoked, key.invokedDirectoryModified) ||
        !directoryModified(file, key.programDirectoryModified)) {
        return key;
    }
    key.size = static_cast<std::int64_t>(st.st_size);
    key.modified = Util::nanosecondsOf(st.st_mtim);
    key.changed = Util::nanosecondsOf(st.st_ctim);
    return key;
}

/// Whether two keys name one state of one invoked program, whatever their arguments.
bool sameState(const ProbeKey& a, const ProbeKey& b) {
    return a.program == b.program && a.size == b.size && a.modified == b.modified &&
           a.changed == b.changed && a.invokedDirectoryModified == b.invokedDirectoryModified &&
           a.programDirectoryModified == b.programDirectoryModified;
}

ToolRunResult resultOf(const ProbeAnswer& answer) {
    ToolRunResult result;
    result.output = answer.output;
    result.exitStatus = answer.exitStatus;
    return result;
}

thread_local ProbeRecording* activeRecording = nullptr;

ProbeCache& processCache() {
    static ProbeCache instance;
    return instance;
}

}  // namespace

ProbeRecording::ProbeRecording() : outer_(activeRecording) { activeRecording = this; }

ProbeRecording::~ProbeRecording() { activeRecording = outer_; }

void ProbeCache::record(const ProbeKey& key, const ProbeAnswer* kept) {
    if (activeRecording == nullptr) return;
    if (kept == nullptr) {
        activeRecording->complete_ = false;
    } else {
        activeRecording->answers_.insert_or_assign(key, *kept);
    }
}

ProbeCache::ProbeCache(fs::path answerFile, std::chrono::milliseconds timeout)
    : file_(std::move(answerFile)), timeout_(timeout) {}

void ProbeCache::setAnswerFile(fs::path answerFile) {
    std::lock_guard lock(mutex_);
    if (!loaded_) file_ = std::move(answerFile);
}

ToolRunResult ProbeCache::probe(const fs::path& tool, const std::string& arguments) {
    ProbeKey key = programKey(tool);
    ProbeKey program = key;
    key.arguments = arguments;
    {
        std::lock_guard lock(mutex_);
        if (timedOut_.contains(program)) {
            record(key, nullptr);
            ToolRunResult skipped;
            skipped.timedOut = true;
            return skipped;
        }
        if (auto found = transient_.find(key); found != transient_.end()) {
            record(key, nullptr);
            return found->second;
        }
        loadOnce();
        if (auto found = kept_.find(key); found != kept_.end()) {
            found->second.used = true;
            record(key, &found->second.answer);
            return resultOf(found->second.answer);
        }
    }
    // The lock is not held while the program runs; two threads probing one file at once
    // may both run it, and the first answer stored stays.
    ToolRunResult result = runToolCapture(tool, arguments, timeout_);
    std::lock_guard lock(mutex_);
    if (result.timedOut) {
        record(key, nullptr);
        timedOut_.insert(std::move(program));
        return result;
    }
    if (key.size < 0 || result.exitStatus < 0) {
        record(key, nullptr);
        return transient_.emplace(std::move(key), std::move(result)).first->second;
    }
    const ProbeAnswer answer{result.exitStatus, result.output.native()};
    const auto [entry, added] = kept_.try_emplace(std::move(key), Entry{answer, true});
    added_ = added_ || added;
    record(entry->first, &entry->second.answer);
    return resultOf(entry->second.answer);
}

bool ProbeCache::reuse(const ProbeKey& key, const ProbeAnswer& answer) {
    ProbeKey program = key;
    program.arguments.clear();
    std::lock_guard lock(mutex_);
    if (timedOut_.contains(program) || transient_.contains(key)) return false;
    loadOnce();
    const auto found = kept_.find(key);
    if (found == kept_.end() || found->second.answer != answer) return false;
    found->second.used = true;
    record(key, &found->second.answer);
    return true;
}

void ProbeCache::loadOnce() {
    if (loaded_) return;
    loaded_ = true;
    if (file_.empty()) return;
    std::optional<ProbeAnswers> answers = readProbeAnswerFile(file_);
    if (!answers) return;
    for (auto& [key, answer] : *answers) kept_.emplace(key, Entry{std::move(answer), false});
}

std::string ProbeCache::fileText() const {
    // The state of each invoked program as this run saw it; answers for any other state of
    // it are stale.
    std::map<std::string, const ProbeKey*> current;
    for (const auto& [key, entry] : kept_) {
        if (entry.used) current[key.invoked] = &key;
    }
    ProbeAnswers all;
    ProbeAnswers used;
    for (const auto& [key, entry] : kept_) {
        const auto seen = current.find(key.invoked);
        if (seen != current.end() && !sameState(*seen->second, key)) continue;
        all.emplace(key, entry.answer);
        if (entry.used) used.emplace(key, entry.answer);
    }
    std::string text = probeAnswersText(all);
    if (text.size() > kMaxProbeAnswerFile) text = probeAnswersText(used);
    return text;
}

void ProbeCache::save() {
    fs::path file;
    std::string text;
    {
        std::lock_guard lock(mutex_);
        if (!added_ || file_.empty()) return;
        added_ = false;
        file = file_;
        text = fileText();
    }
    saveAnswerFile(file, text, kMaxProbeAnswerFile, "Probe answers");
}

ToolRunResult probeTool(const fs::path& tool, const std::string& arguments) {
    return processCache().probe(tool, arguments);
}

void setProbeCacheDirectory(const fs::path& directory) {
    processCache().setAnswerFile(directory.empty() ? fs::path() : directory / kProbeAnswerFileName);
}

bool reuseProbeAnswer(const ProbeKey& key, const ProbeAnswer& answer) {
    return processCache().reuse(key, answer);
}

void saveProbeAnswers() { processCache().save(); }

}  // namespace Rilk
