#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "tools/c_builder.h"
#include "tools/compiler_info.h"
#include "tools/tool_tables.h"

namespace Rilk {

/// The common base of the builders that drive one installed GNU toolchain: the C and C++
/// compiler drivers, the archiver, the linker and the object copier.
///
/// A tool knows its toolchain (the compiler record it belongs to) and its own program. Its
/// recipes run in the target's output directory with the toolchain's bin directory in
/// front of `PATH`. Every tool names the file it writes with one rule (`outputNameOf`), used
/// alike by planning, the command line and the output variables.
class GNUTool : public CBuilder {
public:
    GNUTool(const BuilderTables& tables, const CompilerInfo& toolchain,
            std::filesystem::path executable);

    /// The file name of the tool's program (x86_64-linux-gnu-gcc, gcc.exe).
    std::string name() const override;

    /// The variables that make a target a match subject of this tool, in order.
    virtual std::span<const Util::CiString> subjectNames() const = 0;
    /// Whether the target is a match subject of this tool (see `CBuilder::hasSubject`).
    bool hasMatchSubject(const Context& target) const {
        return hasSubject(target, subjectNames());
    }
    /// The match result of a target that is (`isSubject`) or is not a subject of this tool.
    /// Default: `classifiedSubject`.
    virtual MatchResult matchResult(const Context& target, bool isSubject) const;
    /// `matchResult` of `hasMatchSubject`.
    MatchResult selectMatchSubject(const Context& target) const override;

protected:
    /// arch-os-abi of the toolchain ("--" when all three are empty), so targets built by
    /// toolchains for different machines get different output directories.
    std::string toolId(const Context& target) const override;
    std::string objectExtension() const override;
    /// The toolchain's bin directory.
    std::filesystem::path programDirectory() const override;
    /// The tool's program path and the toolchain's version.
    std::string programIdentity() const override;
    /// Names the output file of the target (`outputNameOf`) and creates the directory part
    /// of that name below the output directory; then `onOutputsPrepared`.
    void onBeginBuild(Context& firstJob) override;

    /// The extension given to the target's name when OUTPUT_NAME is an empty text (see
    /// `outputNameFor`). Default: none, the target's name as it is.
    virtual std::string emptyNameExtension(const Context& target) const;
    /// Whether the target writes an output file named by `outputNameOf`. Default: yes.
    virtual bool writesNamedOutput(const Context& target) const;
    /// Hook at the end of `onBeginBuild`. Default: nothing.
    virtual void onOutputsPrepared(Context& firstJob);

    /// The name of the file the tool writes for a target (see `outputNameFor`).
    std::string outputNameOf(const Context& target, const std::string& targetName) const;
    /// The output name of the target being built: the field set by `beginBuild`, or, before
    /// that, the name the rule gives for the job and target name.
    std::string jobOutputName(const Context& job, const std::string& name) const;
    /// The text of the executable in double quotes, escaped for the shell.
    std::string quotedExecutable() const;

private:
    CompilerInfo toolchain_;
    std::filesystem::path executable_;
};

}  // namespace Rilk
