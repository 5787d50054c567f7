#pragma once

#include "tools/c3/c3_builder.h"

namespace Rilk {

/// The texts that belong to one output kind of the C3 builder.
struct C3OutputNames {
    /// The compiler subcommand, with its leading blank.
    const char* subcommand;
    /// The job output pair: the file's path variable and its file-name variable.
    const char* pathVariable;
    const char* nameVariable;
    /// The same pair as the plan declares it.
    const char* plannedPathVariable;
    const char* plannedNameVariable;
};

/// The texts of `kind`.
const C3OutputNames& c3OutputNames(C3Builder::OutputKind kind);

/// The subcommand of a job: " compile-test" when it defines C3_TEST_FILES, otherwise the
/// kind's own.
const char* c3Subcommand(const Context& job, C3Builder::OutputKind kind);

}  // namespace Rilk
