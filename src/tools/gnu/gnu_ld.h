#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "tools/gnu/gnu_tool.h"

namespace Rilk {

/// The GNU linker ("ld"): links OBJS with LIB, LIBPATH, LINK_FLAGS and LD_SCRIPT into a
/// shared object (SO or SHARED present: "-shared"), a kernel module (KO present) or a
/// program, named by the output name; an empty OUTPUT_NAME gives the target's name with
/// ".so", ".ko" or ".elf".
class GNU_LD : public GNUTool {
public:
    using GNUTool::GNUTool;

    /// "so"/"so_name" for a shared object, then "binary"/"binary_name".
    Context collectOutputs(const Context& job, int jobResult) override;
    /// A subject when it has OBJS (not as output variables).
    std::span<const Util::CiString> subjectNames() const override;

protected:
    PlannedWork planWork(const TargetContext& target) const override;
    std::vector<std::string> createCommandLines(const std::string& targetName,
                                                const Context& job) const override;
    std::string emptyNameExtension(const Context& target) const override;
};

}  // namespace Rilk
