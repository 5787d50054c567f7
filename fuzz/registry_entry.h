#pragma once

#include <exception>
#include <filesystem>
#include <string>

#include "app/registry/registry_reader.h"
#include "app/registry/registry_writer.h"
#include "every_entry.h"
#include "types/rilk_errors.h"

namespace RilkFuzz {

/// Where the fuzzed registry text pretends to live; nothing is read or written there.
inline const std::filesystem::path kRegistryFile = "/fuzz/.rilk_registry.txt";

/// Reads `text` as a registry file the way a run loads it and, when it loads, writes the
/// loaded entries the way a save does and reads that text back. Every failure the loader
/// and the writer report by design (syntax errors, an entry the file cannot hold) is
/// caught here. Returns false when a registry that loaded was written as a text that does
/// not read back to the same text: a save would then change or lose what the user had.
inline bool registryReadsBackWhole(const std::string& text) {
    {
        Rilk::ParseChain empty("", kRegistryFile);
        forgetPredictions(empty);
    }
    Rilk::RegistryEntries entries;
    try {
        entries = Rilk::readRegistryText(text, kRegistryFile);
    } catch (const std::exception&) {
        return true;
    } catch (const Rilk::RilkException&) {
        return true;
    } catch (const Rilk::ParseError&) {
        return true;
    }
    std::string written;
    try {
        written = Rilk::registryFileText(entries, kRegistryFile);
    } catch (const Rilk::RilkException&) {
        return true;  // refused as a whole; the file would be left as it is
    }
    try {
        return Rilk::registryFileText(Rilk::readRegistryText(written, kRegistryFile),
                                      kRegistryFile) == written;
    } catch (const std::exception&) {
    } catch (const Rilk::RilkException&) {
    } catch (const Rilk::ParseError&) {
    }
    return false;
}

}  // namespace RilkFuzz
