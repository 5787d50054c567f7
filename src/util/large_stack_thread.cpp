#include "util/large_stack_thread.h"

#include <pthread.h>

#include <exception>
#include <system_error>

namespace Util {
namespace {

struct ThreadWork {
    const std::function<void()>* body;
    std::exception_ptr failure;
};

void* runBody(void* argument) {
    auto* work = static_cast<ThreadWork*>(argument);
    try {
        (*work->body)();
    } catch (...) {
        work->failure = std::current_exception();
    }
    return nullptr;
}

}  // namespace

void runWithLargeStack(std::size_t stackBytes, const std::function<void()>& body) {
    pthread_attr_t attributes;
    if (const int error = pthread_attr_init(&attributes); error != 0) {
        throw std::system_error(error, std::generic_category(), "Cannot start a thread");
    }
    ThreadWork work{&body, nullptr};
    pthread_t thread;
    int error = pthread_attr_setstacksize(&attributes, stackBytes);
    if (error == 0) error = pthread_create(&thread, &attributes, runBody, &work);
    pthread_attr_destroy(&attributes);
    if (error != 0) {
        throw std::system_error(error, std::generic_category(), "Cannot start a thread");
    }
    pthread_join(thread, nullptr);
    if (work.failure) std::rethrow_exception(work.failure);
}

}  // namespace Util
