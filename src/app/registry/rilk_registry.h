#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/registry/registry_entries.h"

namespace Rilk {

/// The per-user registry: the projects registered by name, so that a project file can
/// import them by that name, and the tool definitions every run registers. It lives in
/// `.rilk_registry.txt` in the per-user directory (`Rilk::getUserConfigDir`).
///
/// A file that exists but could not be loaded is never replaced: `save` refuses while
/// `loadFailure` is set, so a typo in the file cannot cost the user its entries.
class RilkRegistry {
public:
    explicit RilkRegistry(std::filesystem::path filePath) : filePath(std::move(filePath)) {}

    /// Loads the user's registry, creating an empty file when there is none. Failures are
    /// reported at level `Warning` and the run goes on: a file that cannot be read or parsed gives
    /// an empty registry (with `loadFailure` set); when not even the per-user directory can
    /// be had (HOME unset or empty, the directory not creatable) the result is null and
    /// `whyNone` holds the reason.
    static std::shared_ptr<RilkRegistry> load(std::string& whyNone);

    /// Runs `change` on the registry as the file holds it now and saves the result, all
    /// under an exclusive lock on the lock file beside the registry, so that runs that
    /// change the registry at once (`-r`, `--find-compilers`) keep every change. Entries
    /// read at the start of the run are replaced by the file's current ones first. Throws
    /// what the lock, `change` and `save` throw.
    void update(const std::function<void(RilkRegistry&)>& change);

    /// Records `projectFile` under `name` and saves the registry, through `update`. The name must be one the
    /// file can hold; an entry of the same name and path logs "Project already registered"
    /// and is saved all the same. Throws Rilk::RilkException for a name or path the
    /// registry cannot hold, leaving registry and file unchanged, and what `save` throws.
    void addProject(const std::string& name, const std::filesystem::path& projectFile);

    /// Replaces the file with the registry's entries, through a temporary file, and logs
    /// "Updated file '...'." at level `Info`; first it warns of each entry of the file that
    /// the new file drops because a later one of its name replaced it when it was read.
    /// Throws Rilk::RilkException when the file failed to load or an entry cannot be written
    /// so that it reads back the same, and std::runtime_error "Unable to write registry file:
    /// <path>" when writing fails; the old file is then left whole.
    void save();

    std::filesystem::path filePath;
    RegistryProjects projects;
    RegistryTools toolDefinitions;
    /// The blocks of hand-written tools that `save` writes back as they were written.
    WrittenToolBlocks writtenBlocks;
    /// The entries of the file as last read that a later one of their name replaces.
    std::vector<ReplacedEntry> replacedEntries;
    /// Why the existing file could not be loaded; empty after a good load.
    std::string loadFailure;

private:
    /// Takes the entries read from the file as the registry's.
    void adopt(RegistryEntries entries);
    /// Reads the file again into the entries; a failure is reported and kept as for `load`.
    void reload();
};

}  // namespace Rilk
