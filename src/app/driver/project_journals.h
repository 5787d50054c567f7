#pragma once

#include <filesystem>
#include <map>
#include <memory>
#include <string_view>
#include <utility>
#include <vector>

#include "app/jobs/run_journal.h"
#include "app/load/project.h"
#include "util/ci_string.h"

namespace Rilk {

/// The journals of a build run (see `RunJournal`), one in each project whose lock it holds
/// as its own (not nested): its own project's, and that of each imported project whose
/// targets it builds into that project's folders. The outputs and commands of a target go
/// to the journal of the target's own project, so that a later run there, or in any project
/// importing it, finds them when this run is killed. The targets of a project without a
/// journal of this run (its lock not taken, or held by a run this one is nested in) go to
/// the own journal.
class ProjectJournals {
public:
    /// The own project's journal (null: none, in a nested run), in place of one set before.
    void setOwn(std::unique_ptr<RunJournal> journal) { own_ = std::move(journal); }
    /// The journal of the imported project in `root` (its path with links resolved), unless
    /// null.
    void addImported(const std::filesystem::path& root, std::unique_ptr<RunJournal> journal);

    /// Settles which journal each namespace of the tree of `main` (the main project, null
    /// without one) goes to.
    void route(const Project* main);
    /// The journal of the targets of namespace `ns`, as `route` settled it; null when
    /// there is none.
    RunJournal* of(std::string_view ns) const;

    /// Removes every journal of the run (`RunJournal::finish`).
    void finish() noexcept;

private:
    std::unique_ptr<RunJournal> own_;
    std::vector<std::pair<std::filesystem::path, std::unique_ptr<RunJournal>>> imported_;
    /// The namespaces whose targets go to an imported project's journal.
    std::map<Util::CiString, RunJournal*, Util::CiLess> routes_;
};

}  // namespace Rilk
