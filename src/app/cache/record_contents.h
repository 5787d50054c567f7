#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

#include "tools/work_item.h"
#include "types/assignment.h"

namespace Rilk {

/// The 64-bit FNV-1a hash of the inputs' names and value texts, concatenated in order
/// without separators; intermediates and outputs do not enter it. A path value enters with
/// its full path, so a path planned relative to its unit file and the same path read back
/// from the cache file hash alike.
std::uint64_t hashWorkItemInputs(const std::vector<WorkItemEntry>& inputs);

/// Whether two input lists are the same work: equal length and each input assignment
/// `cacheEqual`. Equal hashes alone never make two work items the same.
bool sameInputs(const std::vector<WorkItemEntry>& a, const std::vector<WorkItemEntry>& b);

/// How two input lists compare: not the same work; the same work (`sameInputs`); or the
/// same work whose hashes surely agree, as every name is spelled exactly alike and every
/// value is of a kind whose equal values hash the same bytes (texts, paths, integers and
/// lists of them). Plain `Same` says nothing of the hashes: they must be compared.
enum class InputMatch { Different, Same, SameBytes };
InputMatch matchInputs(const std::vector<WorkItemEntry>& a, const std::vector<WorkItemEntry>& b);

/// What a record keeps of one work item's last build beside its plan: the files it read and
/// the stamps of its files.
struct LastBuild {
    FilesRead filesRead;
    FileStamps stamps;
};

/// What a build cache record stores: a target's work items, each at most once, and the
/// context assignments its plan depended on.
///
/// The work items keep the order in which they were added (the plan's order), so the
/// outputs gathered from them and the file written from them are the same from run to run.
/// They are indexed by their input hash; a lookup compares the inputs exactly. A few work
/// items are found by a scan of their hashes, many through a map. A lone work item (a
/// command target has one) is held without its hash: it is found when its inputs are the
/// same and their hashes agree, and the hashes are only worked out when the inputs'
/// bytes alone cannot tell (names compare ignoring case, but hash as they are spelled).
class RecordContents {
public:
    RecordContents() = default;
    RecordContents(const RecordContents& other);
    RecordContents& operator=(const RecordContents& other);
    RecordContents(RecordContents&&) noexcept = default;
    RecordContents& operator=(RecordContents&&) noexcept = default;
    ~RecordContents() = default;

    /// Adds the work item unless one with the same inputs is already held; returns
    /// whether it was added.
    bool add(WorkItem item);
    /// `add` of each work item in turn; a lone one into an empty record is taken over as
    /// it is held, without a list of its own.
    void addAll(std::vector<WorkItem> items);

    /// The held work item whose inputs are the same as `inputs`, or null.
    const WorkItem* find(const std::vector<WorkItemEntry>& inputs) const;
    /// `find` of the inputs of `other`'s work item `index`, with the hash `other` keeps.
    const WorkItem* findSame(const RecordContents& other, std::size_t index) const;

    const std::vector<WorkItem>& workItems() const { return items_; }
    /// A held work item, for setting its inputs' intermediate flags.
    WorkItem& workItem(std::size_t index) { return items_.at(index); }
    /// Hands the work items over, in order, and leaves no work item held.
    std::vector<WorkItem> releaseWorkItems();

    /// The variables of the target context the plan was made from.
    std::vector<Assignment> context;

private:
    const WorkItem* findHashed(std::uint64_t hash, const std::vector<WorkItemEntry>& inputs) const;
    /// `findHashed` on a record of one work item, whose hash is not held; `knownHash` is the
    /// hash of `inputs` when the caller holds it, else null.
    const WorkItem* findOnly(const std::vector<WorkItemEntry>& inputs,
                             const std::uint64_t* knownHash) const;

    /// Up to this many work items, a scan of `hashes_` finds one faster than a map does.
    static constexpr std::size_t kScanLimit = 16;

    std::vector<WorkItem> items_;
    /// The input hash of each work item, in the same order; empty while there is only one.
    std::vector<std::uint64_t> hashes_;
    using HashIndex = std::unordered_multimap<std::uint64_t, std::size_t>;
    /// The positions of the work items by hash; made once there are more than `kScanLimit`
    /// (a record of a few work items, the most common, carries no map).
    std::unique_ptr<HashIndex> byHash_;
};

}  // namespace Rilk
