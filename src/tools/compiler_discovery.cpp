#include "tools/compiler_discovery.h"

#include <set>
#include <string>

#include "tools/compiler_candidate_merge.h"

namespace Rilk {

namespace fs = std::filesystem;

std::vector<CompilerInfo> findCompilersUnder(const ToolchainWants& wants, const fs::path& root) {
    return findCompilersUnder(wants, root, processCompilerScanMemo());
}

std::vector<CompilerInfo> findCompilersUnder(const ToolchainWants& wants, const fs::path& root,
                                             CompilerScanMemo& memo) {
    std::vector<CompilerInfo> result;
    // The directories are distinct by their normalised paths, so a record can only repeat
    // one of its own directory (a C and a C++ compiler of one triple and version).
    for (const fs::path& dir : memo.binDirectories(root)) {
        DirectoryCompilers found = memo.compilers(dir);
        if (!found.readable) continue;
        std::vector<CompilerInfo> records;
        mergeCompilerCandidates(wants, dir.parent_path(), std::move(found.cCompilers), records);
        mergeCompilerCandidates(wants, dir.parent_path(), std::move(found.cppCompilers), records);
        std::set<std::string> keys;
        for (CompilerInfo& record : records) {
            if (keys.insert(record.prefix + "|" + record.version).second) {
                result.push_back(std::move(record));
            }
        }
    }
    return result;
}

}  // namespace Rilk
