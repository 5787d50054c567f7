#include "util/large_stack_thread.h"

#include <pthread.h>

#include <cstddef>
#include <stdexcept>

#include <gtest/gtest.h>

namespace {

std::size_t currentStackSize() {
    pthread_attr_t attributes;
    pthread_getattr_np(pthread_self(), &attributes);
    std::size_t size = 0;
    pthread_attr_getstacksize(&attributes, &size);
    pthread_attr_destroy(&attributes);
    return size;
}

TEST(LargeStackThread, RunsTheBodyOnAStackOfTheGivenSizeAndPassesItsExceptionOn) {
    constexpr std::size_t kBytes = std::size_t{256} << 20;
    std::size_t seen = 0;
    Util::runWithLargeStack(kBytes, [&] { seen = currentStackSize(); });
    EXPECT_GE(seen, kBytes);

    EXPECT_THROW(Util::runWithLargeStack(kBytes, [] { throw std::out_of_range("deep"); }),
                 std::out_of_range);
}

}  // namespace
