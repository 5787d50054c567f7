#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "app/cache/record_contents.h"
#include "types/rilk_context_types.h"

namespace Rilk {

/// One target's work from its builder's plan to its record, made in one planning step: the
/// planned work items and context assignments in the form the record keeps (`work`, the
/// builder's plan taken over whole), the jobs of the work items that must be built again
/// with the work items and files of each, and a claim token with the record's key when the
/// record is to be stored. A plan without work items is one job on the target context itself.
struct JobPlan {
    std::uint64_t claimToken = 0;
    /// With a claim: the key of the claimed record.
    std::string recordKey;
    /// The work items (whose outputs become the target's outputs), each once and in plan
    /// order, with the intermediate flags and last builds the comparison left, and the
    /// context assignments the plan depends on. The record stored is a copy of it with what
    /// the jobs left.
    RecordContents work;
    std::vector<ContextPtr> jobContexts;
    /// The positions in `work`'s work items of those each job builds, by job, in plan order.
    /// Empty when the jobs build no work items of the plan's (a plan without work items).
    std::vector<std::vector<std::size_t>> jobItems;
    /// The files each job writes (the outputs of its work items), by job; a job that fails
    /// must not leave them changed. Empty when they are not known.
    std::vector<std::vector<std::filesystem::path>> jobOutputFiles;
};

}  // namespace Rilk
