#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "tools/gnu/gnu_tool.h"

namespace Rilk {

/// The GNU C compiler driver ("gcc"). A target is built in one of two modes:
///
/// - link mode: one command compiles and links every source, OBJS and LIB into the program
///   named by the output name; no object file is written, so none is planned;
/// - compile-only mode (some word of C_FLAGS is exactly "-c"): every source is one work
///   item and its object goes to the output directory; a job compiles its sources with one
///   command, except those whose objects are placed in subdirectories (sources sharing a
///   file name), which get a command of their own with "-o".
///
/// Every compile also writes a make dependency file naming every header it read, those
/// found in system folders ("-isystem", the compiler's own) included, so that the build
/// cache rebuilds what a changed header makes stale: in compile-only mode "-MD" puts one
/// beside each object (its name with ".d"); in link mode, where one "-MD" file would be
/// overwritten by each source, the compiler appends every source's rules to the file
/// SUNPRO_DEPENDENCIES names (the program's name with ".d"), emptied first. Sources ending
/// in ".s" are not preprocessed and write none.
///
/// GCC compiles the C sources (C_FILES) only; `GNU_GPP` adds the C++ sources.
class GNU_GCC : public GNUTool {
public:
    GNU_GCC(const BuilderTables& tables, const CompilerInfo& toolchain,
            std::filesystem::path executable);

    /// "objs": the objects of the job's sources (empty in link mode); in link mode also
    /// "elf"/"elf_name" and "binary"/"binary_name" naming the program.
    Context collectOutputs(const Context& job, int jobResult) override;
    /// A subject when it has C_FILES or OBJS (not as output variables).
    std::span<const Util::CiString> subjectNames() const override;

protected:
    /// The variables holding the sources this tool compiles.
    virtual std::vector<std::string> sourceVariables() const;

    PlannedWork planWork(const TargetContext& target) const override;
    /// No cap (-1) in compile-only mode, else 1.
    std::int64_t maxParallelJobs(const TargetContext& target,
                                 const PlannedWork& planned) const override;
    std::vector<std::string> createCommandLines(const std::string& targetName,
                                                const Context& job) const override;
    std::vector<RilkValuePtr> compiledSources(const Context& target) const override;
    bool writesNamedOutput(const Context& target) const override;

private:
    /// Whether one of the source variables holds a source.
    bool hasSources(const Context& target) const;
    std::string linkCommand(const std::string& head, const std::string& targetName,
                            const Context& job) const;
    std::vector<std::string> compileCommands(const std::string& head, const Context& job) const;
};

/// The GNU C++ compiler driver ("g++"): as `GNU_GCC`, compiling C_FILES and CPP_FILES.
class GNU_GPP : public GNU_GCC {
public:
    using GNU_GCC::GNU_GCC;

    /// A subject when it has CPP_FILES, C_FILES or OBJS (not as output variables).
    std::span<const Util::CiString> subjectNames() const override;

protected:
    std::vector<std::string> sourceVariables() const override;
};

}  // namespace Rilk
