#pragma once

#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "tools/dependency_files.h"
#include "types/assignment.h"
#include "util/file_stamp.h"

namespace Rilk {

/// The files a build read besides its inputs, as full path texts.
using FilesRead = std::shared_ptr<const std::vector<std::string>>;

/// One file's stamp as a work item's last build left it; nothing when it is not known (the
/// file was missing, or changed while the build's command ran), which no file matches.
using RecordedStamp = std::optional<Util::FileStamp>;

/// The stamps of every file a work item's last build named, and since when the files it read
/// are known unchanged.
struct StampedFiles {
    /// The time the build's command started (nanoseconds on the real-time clock, the clock
    /// of file times). Every input and every file read that has a stamp here had its status
    /// last changed (`st_ctime`) before then and kept it until its stamp was taken; one whose
    /// status changed at or after this time may hold another content whatever its stamp
    /// says (`cp -p`, `touch -r` give a file back its time). 0 trusts no such file.
    std::int64_t knownSince = 0;
    /// One stamp per file, in a fixed order: for each input, the files of its value and then
    /// those of its intermediate; then the files of its outputs; then the files it read
    /// (`WorkItem::filesRead`).
    std::vector<RecordedStamp> files;
};

/// A work item's `StampedFiles`, shared between the plans and records that hand it on.
using FileStamps = std::shared_ptr<const StampedFiles>;

/// One input of a work item: the input variable as planned (for example one source file)
/// and the intermediate product that the builder derives from it (for example its object
/// file).
struct WorkItemEntry {
    /// The input variable with the value this item consumes.
    Assignment input;
    /// Set by the build cache when the input and its intermediate are unchanged since the
    /// recorded build: the same values, and files with the stamps that build left. A job
    /// then receives the intermediate in place of the input. False as planned.
    bool intermediateFlag = false;

    /// An entry without intermediate.
    explicit WorkItemEntry(Assignment in) : input(std::move(in)) {}
    /// An entry without intermediate whose input is made in place from its fields.
    WorkItemEntry(const std::string& name, const RilkValuePtr& value, AssignType type,
                  AssignModifier modifier)
        : input(name, value, type, modifier) {}
    /// An entry whose intermediate is `derived`; one without a value is no intermediate.
    WorkItemEntry(Assignment in, Assignment derived)
        : input(std::move(in)),
          derived_(derived.value ? std::make_shared<const Assignment>(std::move(derived))
                                 : nullptr) {}

    /// True when the builder derived an intermediate value from the input.
    bool hasIntermediate() const { return derived_ != nullptr; }
    /// The intermediate product of the input; without name and value when the builder
    /// derives none.
    const Assignment& intermediate() const { return derived_ ? *derived_ : noIntermediate(); }

private:
    static const Assignment& noIntermediate();

    /// Held apart and shared between copies: most inputs have none, and the build cache
    /// keeps thousands of entries.
    std::shared_ptr<const Assignment> derived_;
};

inline const Assignment& WorkItemEntry::noIntermediate() {
    static const Assignment none(std::string(), nullptr, AssignType::Set, AssignModifier::None);
    return none;
}

/// One planned unit of a target's work: what it consumes and which output variables it
/// produces. The build cache keeps work items between runs and compares them by their
/// inputs; jobs are made from the work items that must be built again.
struct WorkItem {
    /// The inputs, in plan order.
    std::vector<WorkItemEntry> inputs;
    /// The output variables the item produces, as output assignments ('^').
    std::vector<Assignment> outputs;

    /// Where a build of the item writes make dependency files (the compiler's list of the
    /// headers it read). Planned by the builder; null when it tracks no such files. Never
    /// stored.
    std::shared_ptr<const DependencyFiles> dependencyFiles;
    /// The files (full path texts) the item's last build read besides its inputs, as its
    /// dependency files named them; null when not known. Kept by the build cache: an item
    /// with dependency files is up to date only when these are known and unchanged. Shared,
    /// as a plan hands an up-to-date item's list on to its next record.
    FilesRead filesRead;
    /// The stamps of the files of the item's last build (see `FileStamps`); null when not
    /// known, and the item is then built again. Kept by the build cache like `filesRead`.
    FileStamps stamps;
};

}  // namespace Rilk
