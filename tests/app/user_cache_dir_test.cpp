#include "app/user_cache_dir.h"

#include <cstdlib>
#include <optional>
#include <string>

#include <gtest/gtest.h>

namespace {

/// Sets (or with no value unsets) an environment variable and restores it afterwards.
class ScopedVariable {
public:
    ScopedVariable(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        if (value) {
            setenv(name, value, 1);
        } else {
            unsetenv(name);
        }
    }
    ~ScopedVariable() {
        if (old_) {
            setenv(name_, old_->c_str(), 1);
        } else {
            unsetenv(name_);
        }
    }

private:
    const char* name_;
    std::optional<std::string> old_;
};

TEST(UserCacheDir, AnAbsoluteXdgCacheHomeWinsElseHomeElseNone) {
    struct Case {
        const char* xdgCacheHome;
        const char* home;
        const char* expected;
    };
    const Case cases[] = {
        {"/xdg", "/home/u", "/xdg/rilk"},
        {nullptr, "/home/u", "/home/u/.cache/rilk"},
        {"", "/home/u", "/home/u/.cache/rilk"},
        {"relative/cache", "/home/u", "/home/u/.cache/rilk"},
        {"/xdg", nullptr, "/xdg/rilk"},
        {nullptr, nullptr, ""},
        {nullptr, "", ""},
    };
    for (const Case& c : cases) {
        const ScopedVariable xdg("XDG_CACHE_HOME", c.xdgCacheHome);
        const ScopedVariable home("HOME", c.home);
        EXPECT_EQ(Rilk::getUserCacheDir(), c.expected)
            << (c.xdgCacheHome ? c.xdgCacheHome : "(unset)") << " "
            << (c.home ? c.home : "(unset)");
    }
}

}  // namespace
