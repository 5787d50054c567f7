// Which output a C3 job asks for, and what it is called.

#include <array>

#include "tools/c3/c3_output_kinds.h"
#include "tools/output_name.h"
#include "types/rilk_errors.h"

namespace Rilk {

namespace {

const std::array<const char*, 4> kSelectors = {"EXE", "STATIC", "DLL", "SO"};

}  // namespace

const C3OutputNames& c3OutputNames(C3Builder::OutputKind kind) {
    static const std::array<C3OutputNames, 4> names = {{
        {" compile", "exe", "exe_name", "EXE", "EXE_NAME"},
        {" static-lib", "lib", "lib_name", "LIB", "LIB_NAME"},
        {" dynamic-lib", "dll", "dll_name", "DLL", "DLL_NAME"},
        {" dynamic-lib", "so", "so_name", "SO", "SO_NAME"},
    }};
    return names.at(static_cast<std::size_t>(kind));
}

const char* c3Subcommand(const Context& job, C3Builder::OutputKind kind) {
    return job.hasVariable("C3_TEST_FILES") ? " compile-test" : c3OutputNames(kind).subcommand;
}

C3Builder::OutputKind C3Builder::outputKind(const Context& job) {
    if (job.hasVariable("STATIC")) return StaticLibrary;
    if (job.hasVariable("DLL")) return Dll;
    if (job.hasVariable("SO")) return SharedObject;
    return Program;
}

void C3Builder::checkOutputSelectors(const Context& job) {
    int present = 0;
    for (const char* selector : kSelectors) present += job.hasVariable(selector) ? 1 : 0;
    if (present > 1) {
        throw RilkException(
            "C3C received conflicting output selectors. Only one of EXE, STATIC, DLL, SO can be "
            "present.");
    }
    if (job.hasVariable("C3_TEST_FILES") && outputKind(job) != Program) {
        throw RilkException("C3C compile-test cannot be combined with STATIC, DLL, or SO.");
    }
}

std::string C3Builder::outputName(const Context& job, const std::string& defaultName) {
    return outputNameFor(job, defaultName, "");
}

}  // namespace Rilk
