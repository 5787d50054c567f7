#pragma once

#include <cstddef>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

#include "tools/c_builder.h"

namespace Rilk {

/// The builder of the "c3c" tool: one command line per target for one discovered C3
/// compiler, building a program, a static or dynamic library, or running the compiler's
/// test mode.
///
/// The command line keeps every option before the subcommand and the source files after
/// it: the compiler, C3C_FLAGS, `-o` and the output name, the library directories
/// (LIB_PATH, LIBPATH), the libraries (LIB), LINK_FLAGS, the subcommand, then C3_FILES,
/// C3C_FILES and C3_TEST_FILES. It runs in the target's output directory with the
/// compiler's own directory added to `PATH`.
///
/// The output file is named by one rule for planning, the command line and the outputs
/// (`outputName`), so the file the compiler writes is the file the plan records. The
/// builder's own fields never change after construction, so one builder serves every
/// target of its tool.
class C3Builder : public CBuilder {
public:
    /// What the selectors EXE, STATIC, DLL and SO ask for.
    enum OutputKind : int { Program = 0, StaticLibrary = 1, Dll = 2, SharedObject = 3 };

    C3Builder(std::string version, std::filesystem::path compilerPath,
              std::filesystem::path binDirectory);

    /// The kind the job's selectors ask for: STATIC, DLL, SO tested in that order, the
    /// first present one winning; Program when none of them is present. A selector counts
    /// when the variable is defined, with or without a value.
    static OutputKind outputKind(const Context& job);
    /// Throws `RilkException` when two or more selectors are present, or when
    /// C3_TEST_FILES comes with STATIC, DLL or SO.
    static void checkOutputSelectors(const Context& job);
    /// The name of the file a target's compiler run writes, relative to the output
    /// directory: the text of OUTPUT_NAME, or `defaultName` when OUTPUT_NAME is absent,
    /// declared without value or empty. Never empty for a non-empty default.
    static std::string outputName(const Context& job, const std::string& defaultName);

    std::string name() const override;
    Context collectOutputs(const Context& job, int jobResult) override;
    /// Buildable when the first of C3_FILES, C3C_FILES, C3_TEST_FILES that the target
    /// defines as an ordinary variable exists; every variable is classified either way.
    MatchResult selectMatchSubject(const Context& target) const override;
    /// C3_FILES, C3C_FILES and C3_TEST_FILES: the variables that make a target a match
    /// subject.
    static std::span<const Util::CiString> subjectNames();

    const std::string& version() const { return version_; }
    const std::filesystem::path& compilerPath() const { return compilerPath_; }
    const std::filesystem::path& binDirectory() const { return binDirectory_; }

protected:
    PlannedWork planWork(const TargetContext& target) const override;
    /// Creates the directory of an output name with a directory part.
    void onBeginBuild(Context& firstJob) override;
    std::vector<std::string> createCommandLines(const std::string& targetName,
                                                const Context& job) const override;
    /// "c3c-" and the compiler's version.
    std::string toolId(const Context& target) const override;
    std::string objectExtension() const override;
    /// The compiler's own directory.
    std::filesystem::path programDirectory() const override;
    /// The compiler's path and version.
    std::string programIdentity() const override;

private:
    std::string version_;
    std::filesystem::path compilerPath_;
    std::filesystem::path binDirectory_;
};

}  // namespace Rilk
