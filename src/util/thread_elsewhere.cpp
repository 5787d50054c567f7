#include "util/thread_elsewhere.h"

#include <pthread.h>
#include <sched.h>

#include <atomic>
#include <memory>
#include <utility>

namespace Util {

std::thread startElsewhere(std::function<void()> body) {
    cpu_set_t allowed;
    CPU_ZERO(&allowed);
    const bool known = sched_getaffinity(0, sizeof allowed, &allowed) == 0;
    const int here = sched_getcpu();
    cpu_set_t away = allowed;
    if (here >= 0 && here < CPU_SETSIZE) CPU_CLR(here, &away);
    const bool move = known && here >= 0 && CPU_COUNT(&away) > 0;

    // The thread takes every allowed processor back only after it was moved, so that the
    // move cannot outlast it.
    auto placed = std::make_shared<std::atomic<bool>>(!move);
    std::thread thread([body = std::move(body), placed, allowed, move]() mutable {
        while (!placed->load(std::memory_order_acquire)) std::this_thread::yield();
        if (move) sched_setaffinity(0, sizeof allowed, &allowed);
        body();
    });
    if (move) {
        pthread_setaffinity_np(thread.native_handle(), sizeof away, &away);
        placed->store(true, std::memory_order_release);
    }
    return thread;
}

}  // namespace Util
