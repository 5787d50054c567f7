#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "types/build_tool_definition.h"

namespace Rilk {

/// The tool definitions of every GCC toolchain found below the roots (searched in order;
/// the default run passes "/usr/bin", "/usr/local/bin", "/opt/rh" and "/opt"), for the
/// registry's tools block: one definition of type "gnu-gcc" per toolchain, named
/// "default_gnu_" + arch + "_" + version (both made safe by `sanitizeToolchainName`), with
/// the assignments toolchain_name, tool_type, toolchain_version ("0" when unknown),
/// prefix, arch, os, abi and toolchain_path (the bin directory), in this order, each "="
/// with a string value. A toolchain reached twice (same normalised bin directory, prefix
/// and version) gives one definition, the first. Two definitions may share a name; stored
/// in order, the later replaces the earlier. No compiler at all gives an empty list.
std::vector<BuildToolDefinition> findDefaultToolchains(
    const std::vector<std::filesystem::path>& roots);

/// The text with every byte other than an ASCII letter, digit, '-' or '_' replaced by '_'
/// (same length); "unknown" for the empty text.
std::string sanitizeToolchainName(const std::string& text);

}  // namespace Rilk
