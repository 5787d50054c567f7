#pragma once

// A project whose registry names the system's toolchain in /usr/bin (whose directories have
// long been settled, so that its scans are kept), with one command target copying a file.

#include <filesystem>

#include "e2e/rilk_run.h"

class SystemToolchainProject : public RilkRun {
protected:
    void SetUp() override {
        if (!std::filesystem::exists("/usr/bin/gcc")) GTEST_SKIP() << "no system compiler";
        home.write(".config/rilk/.rilk_registry.txt",
                   "tools { sys { tool_type = \"gnu-gcc\" toolchain_path = \"/usr/bin\" } }\n");
        write({{"in.txt", "x\n"},
               {"rilk.txt",
                "unit u\nall: copy { NO_TOOL = 1 }\n"
                "copy: { cmdline = \"cp in.txt out.txt\" ^out = P\"(out.txt)\" }\n"}});
    }
};
