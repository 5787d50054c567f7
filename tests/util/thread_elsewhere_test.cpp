#include "util/thread_elsewhere.h"

#include <gtest/gtest.h>
#include <sched.h>

namespace {

cpu_set_t allowedHere() {
    cpu_set_t set;
    CPU_ZERO(&set);
    sched_getaffinity(0, sizeof set, &set);
    return set;
}

/// The processors the body of a thread started from here may use.
cpu_set_t allowedInside() {
    cpu_set_t inside;
    CPU_ZERO(&inside);
    std::thread thread = Util::startElsewhere([&] { inside = allowedHere(); });
    thread.join();
    return inside;
}

}  // namespace

TEST(ThreadElsewhere, TheBodyMayUseEveryProcessorItsStarterMay) {
    const cpu_set_t before = allowedHere();
    cpu_set_t inside = allowedInside();
    EXPECT_TRUE(CPU_EQUAL(&before, &inside));

    // With one processor there is nowhere else to start: the body runs there.
    std::thread pinned([&] {
        cpu_set_t one;
        CPU_ZERO(&one);
        CPU_SET(sched_getcpu(), &one);
        ASSERT_EQ(sched_setaffinity(0, sizeof one, &one), 0);
        inside = allowedInside();
        EXPECT_TRUE(CPU_EQUAL(&one, &inside));
    });
    pinned.join();
}
