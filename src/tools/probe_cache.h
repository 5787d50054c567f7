#pragma once

#include <chrono>
#include <filesystem>
#include <map>
#include <mutex>
#include <set>
#include <string>

#include "tools/probe_answer_file.h"
#include "tools/tool_probe.h"

namespace Rilk {

/// Name of the file, in the user's cache directory, that keeps probe answers across runs.
inline constexpr const char* kProbeAnswerFileName = "compiler_probes";

/// `runToolCapture`, run at most once per invoked program and argument text: the answer is
/// kept and handed out again. A program is known by the path it is invoked by and by its
/// file (links resolved), that file's size and times, and the modification times of the
/// directories holding both (`ProbeKey`): one path shares its answers across searches of
/// the same directories by several tool definitions, two links to one multi-call program
/// get their own answers, and a changed file, or a wrapped compiler upgraded beside the
/// invoked path or its file, is probed again.
///
/// With an answer file, the answers of earlier runs are read from it once, at the first
/// probe, and `save` writes it back when a probe added an answer; a missing or damaged
/// file only means that the probes run again. Probes that timed out are never kept in the
/// file; once a probe of a file has timed out, every later probe of that file in this
/// object fails at once (status -1, `timedOut`) without running it.
/// Safe to call from several threads.
class ProbeCache {
public:
    /// A cache keeping its answers in `answerFile` (only in memory when it is empty) whose
    /// probes are stopped after `timeout`.
    explicit ProbeCache(std::filesystem::path answerFile = {},
                        std::chrono::milliseconds timeout = kProbeTimeout);

    /// Changes the answer file; takes effect when no probe has run yet.
    void setAnswerFile(std::filesystem::path answerFile);

    ToolRunResult probe(const std::filesystem::path& tool, const std::string& arguments);

    /// Whether a probe with `key` would hand out `answer` now without running: the answer
    /// is held (read from the file or probed in this run) and the program has not timed
    /// out. It then counts as used, as if probed. Lets a caller that remembers what its
    /// result relied on skip the probes.
    bool reuse(const ProbeKey& key, const ProbeAnswer& answer);

    /// Writes the answer file when a probe added an answer since it was read or last
    /// written: the answers read, those of this run, without the answers of an older state
    /// of a program probed in this run. When that would pass `kMaxProbeAnswerFile`, only the
    /// answers this run used are written. Creates the file's directory. A failure is logged
    /// at level `Verbose` and otherwise ignored: the file is only a cache.
    void save();

private:
    struct Entry {
        ProbeAnswer answer;
        bool used = false;
    };

    void loadOnce();
    std::string fileText() const;
    /// Notes a handed-out answer in the thread's `ProbeRecording`: a kept one, or (null) one
    /// that is not kept.
    static void record(const ProbeKey& key, const ProbeAnswer* kept);

    std::mutex mutex_;
    std::filesystem::path file_;
    const std::chrono::milliseconds timeout_;
    bool loaded_ = false;
    bool added_ = false;
    /// Answers that may be kept in the file: read from it or probed in this run.
    std::map<ProbeKey, Entry> kept_;
    /// Answers only for this run (programs that could not be inspected, failed starts).
    std::map<ProbeKey, ToolRunResult> transient_;
    /// Programs (keys without arguments) whose probe timed out.
    std::set<ProbeKey> timedOut_;
};

/// Collects, while it lives, the answers that probes on this thread hand out (`probe` and
/// `reuse` of any cache), so that a caller can tell what its result relied on. Not
/// `complete` once a probe gave an answer that is not kept across runs: it timed out, did
/// not start, or its program could not be inspected. Recordings nest; the innermost one
/// collects.
class ProbeRecording {
public:
    ProbeRecording();
    ~ProbeRecording();
    ProbeRecording(const ProbeRecording&) = delete;
    ProbeRecording& operator=(const ProbeRecording&) = delete;

    const ProbeAnswers& answers() const { return answers_; }
    bool complete() const { return complete_; }

private:
    friend class ProbeCache;
    ProbeAnswers answers_;
    bool complete_ = true;
    ProbeRecording* outer_;
};

/// `ProbeCache::probe` of the process's one cache.
ToolRunResult probeTool(const std::filesystem::path& tool, const std::string& arguments);

/// Makes the process's cache keep its answers in `kProbeAnswerFileName` in `directory` (the
/// user's cache directory); an empty path keeps them in memory only. Called at start-up,
/// before the first probe.
void setProbeCacheDirectory(const std::filesystem::path& directory);

/// `ProbeCache::reuse` of the process's one cache.
bool reuseProbeAnswer(const ProbeKey& key, const ProbeAnswer& answer);

/// `ProbeCache::save` of the process's one cache. Called once the run's probes are done.
void saveProbeAnswers();

}  // namespace Rilk
