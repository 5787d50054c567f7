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
#include "util/user_config_dir.h"
#include "types/rilk_errors.h"
#include "util/file_writer.h"
#include "util/logger.h"

namespace Rilk {

namespace {

constexpr const char* kRegistryFileName = ".rilk_registry.txt";

std::filesystem::path registryPath() { return Rilk::getUserConfigDir() / kRegistryFileName; }

/// Creates an empty file when none exists; whether that worked is the caller's to check.
void touch(const std::filesystem::path& file) {
    if (!std::filesystem::exists(file)) std::ofstream(file, std::ios::app);
}

/// The error of a registry file that exists but cannot be read, naming it and why.
Rilk::RilkException unreadable(const std::filesystem::path& file, int error) {
    std::error_code ec;
    const std::string reason = std::filesystem::is_directory(file, ec)
                                   ? "it is a directory"
                                   : std::strerror(error != 0 ? error : EIO);
    return Rilk::RilkException(
        fmt::format("Registry file '{}' cannot be read: {}.", file.string(), reason));
}

std::string readWholeFile(const std::filesystem::path& file) {
    errno = 0;
    std::ifstream in(file, std::ios::binary);
    if (!in) throw unreadable(file, errno);
    try {
        std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        if (!in.bad()) return text;
    } catch (const std::ios_base::failure&) {
        // Reading failed (the name is a directory, say); reported below.
    }
    throw unreadable(file, errno);
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
        RegistryEntries entries =
            readRegistryText(readWholeFile(registry->filePath), registry->filePath);
        registry->projects = std::move(entries.projects);
        registry->toolDefinitions = std::move(entries.toolDefinitions);
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

    auto found = projects.find(name);
    if (found != projects.end() && found->second == projectFile) {
        Rilk::log(Rilk::LogLevel::Warning, "Project already registered\n");
    } else {
        projects[name] = projectFile;
    }
    save();
}

void RilkRegistry::save() {
    if (!loadFailure.empty()) {
        throw Rilk::RilkException(fmt::format(
            "The registry file '{}' was left untouched: it could not be loaded ({}), and "
            "writing it now would drop its entries. Correct or remove it, then try again.",
            filePath.string(), loadFailure));
    }
    const std::string text = registryFileText({projects, toolDefinitions}, filePath);
    try {
        Util::writeFileReplacing(filePath, text);
    } catch (const std::runtime_error& error) {
        Rilk::log(Rilk::LogLevel::Warning, "{}\n", error.what());
        throw std::runtime_error("Unable to write registry file: " + filePath.string());
    }
    Rilk::log(Rilk::LogLevel::Info, "Updated file '{}'.\n", filePath.string());
}

}  // namespace Rilk
