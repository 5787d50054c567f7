#include "app/registry/rilk_registry.h"

#include <cerrno>
#include <cstring>
#include <exception>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include <fmt/format.h>

#include "app/registry/registry_reader.h"
#include "app/registry/registry_writer.h"
#include "parser/name_rules.h"
#include "types/rilk_errors.h"
#include "util/bounded_file_read.h"
#include "util/file_lock.h"
#include "util/file_writer.h"
#include "util/logger.h"
#include "util/user_config_dir.h"

namespace Rilk {

namespace {

constexpr const char* kRegistryFileName = ".rilk_registry.txt";
/// Beside the registry: held while a run reads, changes and writes the registry.
constexpr const char* kLockFileName = ".rilk_registry.txt.lock";

std::filesystem::path registryPath() { return Rilk::getUserConfigDir() / kRegistryFileName; }

/// Creates an empty file when none exists; whether that worked is the caller's to check.
void touch(const std::filesystem::path& file) {
    if (!std::filesystem::exists(file)) std::ofstream(file, std::ios::app);
}

/// The error of a registry file that exists but cannot be read, naming it and why.
Rilk::RilkException unreadable(const std::filesystem::path& file, const std::string& reason) {
    return Rilk::RilkException(
        fmt::format("Registry file '{}' cannot be read: {}.", file.string(), reason));
}

/// The registry's text. A missing file reads as missing; anything else that is no regular
/// file within the limit, or cannot be read, is named with its reason.
std::string readRegistryFile(const std::filesystem::path& file) {
    try {
        return Util::readWholeFile(file);
    } catch (const Util::FileReadError& error) {
        if (error.failure() == Util::FileReadFailure::Missing) {
            throw Rilk::NotFoundException("Registry file", file.string());
        }
        if (error.failure() == Util::FileReadFailure::CannotOpen ||
            error.failure() == Util::FileReadFailure::Directory) {
            throw unreadable(file, error.reason());
        }
        throw Rilk::RilkException(error.what());
    }
}

/// The registry's lock; a link in its place is an error of the run.
Util::FileLock lockRegistry(const std::filesystem::path& file) {
    try {
        return Util::FileLock::acquire(file);
    } catch (const Util::LockFileRefused& error) {
        throw Rilk::RilkException(error.what());
    }
}

}  // namespace

std::shared_ptr<RilkRegistry> RilkRegistry::load(std::string& whyNone) {
    std::shared_ptr<RilkRegistry> registry;
    try {
        registry = std::make_shared<RilkRegistry>(registryPath());
        if (!std::filesystem::exists(registry->filePath)) {
            touch(registry->filePath);
            return registry;
        }
        registry->adopt(
            readRegistryText(readRegistryFile(registry->filePath), registry->filePath));
    } catch (const Rilk::RilkException& error) {
        Rilk::log(Rilk::LogLevel::Warning, "{}\n", error.message());
        (registry ? registry->loadFailure : whyNone) = error.message();
    } catch (const std::exception& error) {
        Rilk::log(Rilk::LogLevel::Warning, "Unable to load registry file: {}\n", error.what());
        (registry ? registry->loadFailure : whyNone) = error.what();
    }
    return registry;
}

void RilkRegistry::addProject(const std::string& name, const std::filesystem::path& projectFile) {
    if (name.empty()) {
        throw Rilk::RilkException(fmt::format(
            "The project '{}' has no name, so it cannot be registered. Give it one with a "
            "'name' line in its project file.",
            projectFile.string()));
    }
    if (!Rilk::isNameText(name)) {
        throw Rilk::RilkException(fmt::format(
            "The project name '{}' cannot be registered: a registered name must start with a "
            "letter or '_' and hold only letters, digits, '_' and '-'.",
            name));
    }
    const std::filesystem::path file = registryPath();
    touch(file);
    if (!std::filesystem::exists(file)) throw Rilk::NotFoundException("file", file.string());

    update([&](RilkRegistry& registry) {
        auto found = registry.projects.find(name);
        if (found != registry.projects.end() && found->second == projectFile) {
            Rilk::log(Rilk::LogLevel::Warning, "Project already registered\n");
        } else {
            registry.projects[name] = projectFile;
        }
    });
}

void RilkRegistry::update(const std::function<void(RilkRegistry&)>& change) {
    const Util::FileLock lock = lockRegistry(filePath.parent_path() / kLockFileName);
    // A file that failed to load at the start stays refused by `save`.
    if (loadFailure.empty()) reload();
    change(*this);
    save();
}

void RilkRegistry::adopt(RegistryEntries entries) {
    projects = std::move(entries.projects);
    toolDefinitions = std::move(entries.toolDefinitions);
    writtenBlocks = std::move(entries.writtenBlocks);
    replacedEntries = std::move(entries.replacedEntries);
}

void RilkRegistry::reload() {
    try {
        adopt(std::filesystem::exists(filePath)
                  ? readRegistryText(readRegistryFile(filePath), filePath)
                  : RegistryEntries{});
    } catch (const Rilk::RilkException& error) {
        Rilk::log(Rilk::LogLevel::Warning, "{}\n", error.message());
        loadFailure = error.message();
    } catch (const std::exception& error) {
        Rilk::log(Rilk::LogLevel::Warning, "Unable to load registry file: {}\n", error.what());
        loadFailure = error.what();
    }
}

void RilkRegistry::save() {
    if (!loadFailure.empty()) {
        throw Rilk::RilkException(fmt::format(
            "The registry file '{}' was left untouched: it could not be loaded ({}), and "
            "writing it now would drop its entries. Correct or remove it, then try again.",
            filePath.string(), loadFailure));
    }
    const std::string text = registryFileText({projects, toolDefinitions, writtenBlocks}, filePath);
    // Only the last entry of a name is read, so the written file cannot hold the others.
    for (const ReplacedEntry& entry : replacedEntries) {
        Rilk::log(Rilk::LogLevel::Warning,
                  "The registry file '{}' names {} '{}' more than once; only the last entry is "
                  "in use, and rewriting the file drops the one on line {}.\n",
                  filePath.string(), entry.kind, entry.name, entry.line);
    }
    try {
        Util::writeFileReplacing(filePath, text);
    } catch (const std::runtime_error& error) {
        Rilk::log(Rilk::LogLevel::Warning, "{}\n", error.what());
        throw std::runtime_error("Unable to write registry file: " + filePath.string());
    }
    replacedEntries.clear();
    Rilk::log(Rilk::LogLevel::Info, "Updated file '{}'.\n", filePath.string());
}

}  // namespace Rilk
