#include "tools/c3/c3_compiler_search.h"

#include <set>
#include <string>
#include <system_error>

#include "tools/normalized_path.h"
#include "tools/quiet_tree_walk.h"

namespace Rilk {

namespace fs = std::filesystem;

namespace {

/// Probes the candidates of one search, each program once, and keeps those that pass.
class CandidateExaminer {
public:
    explicit CandidateExaminer(const ToolchainWants& wants) : wants_(wants) {}

    void examine(const fs::path& path) {
        if (!insertNormalizedPath(seen_, path)) return;
        std::optional<C3Candidate> candidate = probeToolVersion(path);
        if (candidate && versionMatches(wants_, *candidate))
            found_.push_back(std::move(*candidate));
    }

    std::vector<C3Candidate> take() { return std::move(found_); }

private:
    const ToolchainWants& wants_;
    std::set<std::string> seen_;
    std::vector<C3Candidate> found_;
};

/// Examines every file or link named like the compiler below `root`.
void examineWalk(const fs::path& root, CandidateExaminer& examiner) {
    walkTreeQuietly(root, [&examiner](const fs::directory_entry& entry) {
        std::error_code typeError;
        const bool fileOrLink = entry.is_regular_file(typeError) || entry.is_symlink(typeError);
        if (fileOrLink && isC3CompilerName(entry.path())) examiner.examine(entry.path());
    });
}

}  // namespace

std::vector<C3Candidate> findC3Compilers(const ToolchainWants& wants, const fs::path& root) {
    CandidateExaminer examiner(wants);
    std::error_code error;
    const fs::file_status status = fs::status(root, error);
    if (fs::is_regular_file(status) && isC3CompilerName(root)) {
        examiner.examine(root);
        return examiner.take();
    }
    for (const fs::path& fixed :
         {root / "c3c", root / "c3c.exe", root / "bin" / "c3c", root / "bin" / "c3c.exe"}) {
        examiner.examine(fixed);
    }
    if (fs::is_directory(status)) examineWalk(root, examiner);
    return examiner.take();
}

}  // namespace Rilk
