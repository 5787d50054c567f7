#include "tools/compiler_scan_memo.h"

#include <time.h>

#include <optional>
#include <utility>

#include "tools/probe_cache.h"
#include "tools/answer_file_save.h"
#include "util/logger.h"

namespace Rilk {

namespace fs = std::filesystem;

namespace {

std::int64_t nowNanoseconds() {
    timespec now {};
    ::clock_gettime(CLOCK_REALTIME, &now);
    return static_cast<std::int64_t>(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
}

std::vector<std::string> walkItems(const std::vector<fs::path>& directories) {
    std::vector<std::string> items;
    for (const fs::path& directory : directories) items.push_back(directory.native());
    return items;
}

std::vector<fs::path> walkAnswer(const std::vector<std::string>& items) {
    return {items.begin(), items.end()};
}

void appendCandidates(const std::vector<CompilerCandidate>& candidates,
                      std::vector<std::string>& items) {
    for (const CompilerCandidate& candidate : candidates) {
        items.push_back(candidate.version);
        items.push_back(candidate.machine);
        items.push_back(candidate.path);
    }
}

/// The number of C compilers, then version, triple and path of each C and C++ compiler.
std::vector<std::string> directoryItems(const DirectoryCompilers& compilers) {
    std::vector<std::string> items{std::to_string(compilers.cCompilers.size())};
    appendCandidates(compilers.cCompilers, items);
    appendCandidates(compilers.cppCompilers, items);
    return items;
}

std::optional<DirectoryCompilers> directoryAnswer(const std::vector<std::string>& items) {
    if (items.empty() || (items.size() - 1) % 3 != 0) return std::nullopt;
    const std::string& count = items.front();
    if (count.empty() || count.size() > 6 || count.find_first_not_of("0123456789") != count.npos) {
        return std::nullopt;
    }
    const std::size_t cCount = std::stoul(count);
    if (cCount > (items.size() - 1) / 3) return std::nullopt;
    DirectoryCompilers compilers;
    for (std::size_t i = 1, n = 0; i < items.size(); i += 3, ++n) {
        auto& list = n < cCount ? compilers.cCompilers : compilers.cppCompilers;
        list.push_back({items[i], items[i + 1], items[i + 2]});
    }
    return compilers;
}

}  // namespace

CompilerScanMemo::CompilerScanMemo(fs::path file, std::chrono::nanoseconds settle)
    : file_(std::move(file)), settle_(settle) {}

void CompilerScanMemo::setFile(fs::path file) {
    std::lock_guard lock(mutex_);
    if (!loaded_) file_ = std::move(file);
}

std::size_t CompilerScanMemo::scansRun() const {
    std::lock_guard lock(mutex_);
    return scansRun_;
}

std::vector<fs::path> CompilerScanMemo::binDirectories(const fs::path& root) {
    std::lock_guard lock(mutex_);
    const ScanKey key{ScanKind::Walk, root.native()};
    if (const RememberedScan* scan = remembered(key)) return walkAnswer(scan->items);
    const std::int64_t began = nowNanoseconds();
    ++scansRun_;
    TracedScan<std::vector<fs::path>> scan = traceBinDirectories(root);
    scan.trace.items = walkItems(scan.answer);
    keep(key, std::move(scan.trace), scan.keyable, began);
    return scan.answer;
}

DirectoryCompilers CompilerScanMemo::compilers(const fs::path& directory) {
    std::lock_guard lock(mutex_);
    const ScanKey key{ScanKind::Directory, directory.native()};
    if (const RememberedScan* scan = remembered(key)) {
        if (std::optional<DirectoryCompilers> answer = directoryAnswer(scan->items)) return *answer;
    }
    const std::int64_t began = nowNanoseconds();
    ++scansRun_;
    TracedScan<DirectoryCompilers> scan = traceDirectoryCompilers(directory);
    scan.trace.items = directoryItems(scan.answer);
    keep(key, std::move(scan.trace), scan.keyable && scan.answer.readable, began);
    return scan.answer;
}

const RememberedScan* CompilerScanMemo::remembered(const ScanKey& key) {
    loadOnce();
    const auto found = kept_.find(key);
    if (found == kept_.end()) return nullptr;
    // Checked once, an answer holds for the rest of the run.
    if (used_.contains(key)) return &found->second;
    if (!found->second.dependencies.unchanged()) return nullptr;
    for (const auto& [probe, answer] : found->second.probes) {
        if (!reuseProbeAnswer(probe, answer)) return nullptr;
    }
    used_.insert(key);
    return &found->second;
}

void CompilerScanMemo::keep(const ScanKey& key, RememberedScan trace, bool keyable,
                            std::int64_t began) {
    // A stale answer read from the file is dropped whether or not the new one may be kept.
    kept_.erase(key);
    used_.erase(key);
    // An answer that is not kept is worked out again when it is asked for again, so a
    // directory that changes while it is used is seen as it is.
    if (!keyable || !trace.dependencies.settledBefore(began - settle_.count())) return;
    kept_.emplace(key, std::move(trace));
    used_.insert(key);
    added_ = true;
}

void CompilerScanMemo::loadOnce() {
    if (loaded_) return;
    loaded_ = true;
    if (file_.empty()) return;
    if (std::optional<RememberedScans> scans = readRememberedScanFile(file_)) {
        kept_ = std::move(*scans);
    }
}

std::string CompilerScanMemo::fileText() const {
    std::string text = rememberedScansText(kept_);
    if (text.size() <= kMaxScanFile) return text;
    RememberedScans used;
    for (const ScanKey& key : used_) used.emplace(key, kept_.at(key));
    return rememberedScansText(used);
}

void CompilerScanMemo::save() {
    fs::path file;
    std::string text;
    {
        std::lock_guard lock(mutex_);
        if (!added_ || file_.empty()) return;
        added_ = false;
        file = file_;
        text = fileText();
    }
    saveAnswerFile(file, text, kMaxScanFile, "Toolchain scans");
}

CompilerScanMemo& processCompilerScanMemo() {
    static CompilerScanMemo instance;
    return instance;
}

void setCompilerScanDirectory(const fs::path& directory) {
    processCompilerScanMemo().setFile(directory.empty() ? fs::path() : directory / kScanFileName);
}

void saveCompilerScans() { processCompilerScanMemo().save(); }

}  // namespace Rilk
