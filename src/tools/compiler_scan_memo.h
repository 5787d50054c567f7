#pragma once

#include <chrono>
#include <cstddef>
#include <filesystem>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "tools/compiler_scan_file.h"
#include "tools/traced_toolchain_scans.h"

namespace Rilk {

/// Name of the file, in the user's cache directory, that keeps toolchain scans across runs.
inline constexpr const char* kScanFileName = "compiler_scans";

/// How long before a scan began everything it relied on must have last changed for its
/// answer to be kept in the file: a change made while it ran, or within the file system's
/// clock granularity of it, could otherwise hide behind an unchanged stamp.
inline constexpr std::chrono::nanoseconds kScanSettleTime = std::chrono::seconds(2);

/// The answers of the toolchain scans (`traceBinDirectories`, `traceDirectoryCompilers`),
/// each worked out at most once per path text in the life of the object however often it
/// is asked for, when it may be kept (see below); one that may not is worked out at each
/// question, so that a directory changing meanwhile is seen as it is.
///
/// With a file, the answers of earlier runs are read from it once, at the first question,
/// and one is taken instead of scanning while every path it relied on has the stamp it had
/// (`ScanDependencies::unchanged`) and the probe cache holds the same answers for the probes
/// it used (which then count as used in this run, as a scan would have used them). So an
/// answer taken from the file is the one scanning would give. An answer is kept for the file
/// only when everything it relied on could be recorded and had settled before the scan
/// began. A missing, damaged or foreign file only means scanning again. Safe to call from
/// several threads.
class CompilerScanMemo {
public:
    explicit CompilerScanMemo(std::filesystem::path file = {},
                              std::chrono::nanoseconds settle = kScanSettleTime);

    /// Changes the file; takes effect when nothing has been asked yet.
    void setFile(std::filesystem::path file);

    /// `traceBinDirectories(root)`'s answer.
    std::vector<std::filesystem::path> binDirectories(const std::filesystem::path& root);
    /// `traceDirectoryCompilers(directory)`'s answer.
    DirectoryCompilers compilers(const std::filesystem::path& directory);

    /// How many scans ran (not answered from memory or from the file).
    std::size_t scansRun() const;

    /// Writes the file when a scan added an answer since it was read: the answers read that
    /// were not replaced, and those of this run. When that would pass `kMaxScanFile`, only
    /// the answers this run used are written. Creates the file's directory. A failure is
    /// logged at level `Verbose` and otherwise ignored: the file is only a cache.
    void save();

private:
    /// The remembered answer of `key` when it still holds; marks it used.
    const RememberedScan* remembered(const ScanKey& key);
    /// Keeps a scan's answer for the file when it may be.
    void keep(const ScanKey& key, RememberedScan trace, bool keyable, std::int64_t began);
    void loadOnce();
    std::string fileText() const;

    mutable std::mutex mutex_;
    std::filesystem::path file_;
    const std::chrono::nanoseconds settle_;
    bool loaded_ = false;
    bool added_ = false;
    std::size_t scansRun_ = 0;
    RememberedScans kept_;
    /// Answers checked or worked out in this run; they hold for the rest of it.
    std::set<ScanKey> used_;
};

/// The process's one memo, which the toolchain searches share.
CompilerScanMemo& processCompilerScanMemo();

/// Makes the process's memo keep its answers in `kScanFileName` in `directory` (the user's
/// cache directory); an empty path keeps them in memory only. Called at start-up.
void setCompilerScanDirectory(const std::filesystem::path& directory);

/// `CompilerScanMemo::save` of the process's one memo. Called once the run's scans are done.
void saveCompilerScans();

}  // namespace Rilk
