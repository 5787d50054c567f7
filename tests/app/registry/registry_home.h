#pragma once

// The set-up of every in-process registry test: HOME in a fresh directory and a quiet
// logger, both restored afterwards.

#include <cstdlib>
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "support/temp_dir.h"
#include "util/logger.h"

class RegistryHomeTest : public testing::Test {
protected:
    void SetUp() override {
        const char* home = std::getenv("HOME");
        hadHome_ = home != nullptr;
        if (hadHome_) savedHome_ = home;
        setenv("HOME", home_.path().c_str(), 1);
        savedVerbosity_ = Rilk::verbosity;
        Rilk::verbosity = 8;
    }
    void TearDown() override {
        if (hadHome_) {
            setenv("HOME", savedHome_.c_str(), 1);
        } else {
            unsetenv("HOME");
        }
        Rilk::verbosity = savedVerbosity_;
    }

    std::filesystem::path registryFile() const {
        return home_.path() / ".config/rilk/.rilk_registry.txt";
    }

    RilkTest::TempDir home_;

private:
    bool hadHome_ = false;
    std::string savedHome_;
    int savedVerbosity_ = 5;
};
