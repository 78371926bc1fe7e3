#include "core/faultthreads.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <ctime>
#include <dlfcn.h>
#include <new>
#include <pthread.h>
#include <semaphore.h>
#include <sys/mman.h>
#include <unistd.h>

namespace {

// The report of a stack overflow is written on this stack; the sanitizers'
// frames are large.
constexpr size_t kSignalStackSize = 256 * 1024;

// A thread's alternate signal stack, given back when the thread ends. A
// stack that something else (a sanitizer) had set before is put back then.
class ThreadSignalStack {
public:
    ThreadSignalStack()
    {
        void* stack = mmap(nullptr, kSignalStackSize, PROT_READ | PROT_WRITE,
            MAP_PRIVATE | MAP_ANONYMOUS | MAP_STACK, -1, 0);
        if (stack == MAP_FAILED)
            return;
        stack_t ss{};
        ss.ss_sp = stack;
        ss.ss_size = kSignalStackSize;
        if (sigaltstack(&ss, &m_previous) != 0) {
            munmap(stack, kSignalStackSize);
            return;
        }
        m_stack = stack;
    }
    ~ThreadSignalStack()
    {
        if (!m_stack)
            return;
        stack_t previous = m_previous;
        if (previous.ss_flags & SS_DISABLE) {
            previous = stack_t{};
            previous.ss_flags = SS_DISABLE;
        } else {
            previous.ss_flags = 0;
        }
        sigaltstack(&previous, nullptr);
        munmap(m_stack, kSignalStackSize);
    }
    ThreadSignalStack(const ThreadSignalStack&) = delete;
    ThreadSignalStack& operator=(const ThreadSignalStack&) = delete;

private:
    void* m_stack = nullptr;
    stack_t m_previous{};
};

struct ThreadStart {
    void* (*routine)(void*);
    void* argument;
};

void* StartWithSignalStack(void* start)
{
    const ThreadStart s = *static_cast<ThreadStart*>(start);
    delete static_cast<ThreadStart*>(start);
    // Given back on return and when the thread exits or is cancelled (both
    // unwind this frame).
    ThreadSignalStack stack;
    return s.routine(s.argument);
}

using CreateThread = int (*)(pthread_t*, const pthread_attr_t*, void* (*)(void*), void*);

}  // namespace

// A sanitizer linked into the program itself offers its own pthread_create
// under this name, and only a thread made through it has its stack scanned
// and its memory tracked; the C library's is behind it.
extern "C" int __interceptor_pthread_create(pthread_t*, const pthread_attr_t*, void* (*)(void*), void*)
    __attribute__((weak));

namespace {

CreateThread SystemCreateThread()
{
    static const auto create = __interceptor_pthread_create
        ? &__interceptor_pthread_create
        : reinterpret_cast<CreateThread>(dlsym(RTLD_NEXT, "pthread_create"));
    return create;
}

sem_t g_wake;
std::atomic<pid_t> g_watchdogProcess{0};
std::atomic<bool (*)()> g_check{nullptr};

void* Watch(void*)
{
    for (;;) {
        while (sem_wait(&g_wake) != 0) { }
        for (;;) {
            bool (*check)() = g_check.load();
            if (!check || !check())
                break;
            timespec tick{0, 50 * 1000 * 1000};
            nanosleep(&tick, nullptr);
        }
    }
    return nullptr;
}

}  // namespace

// Every thread the program starts (its own, Qt's, the C++ library's) comes
// through here, so every one of them has a stack to report a fault on,
// whichever way it was made.
extern "C" int pthread_create(
    pthread_t* thread, const pthread_attr_t* attributes, void* (*routine)(void*), void* argument) noexcept
{
    const CreateThread create = SystemCreateThread();
    if (!create)
        return EAGAIN;
    auto* start = new (std::nothrow) ThreadStart{routine, argument};
    if (!start)
        return create(thread, attributes, routine, argument);
    const int result = create(thread, attributes, &StartWithSignalStack, start);
    if (result != 0)
        delete start;
    return result;
}

void SetUpThreadSignalStack()
{
    // Lives as long as the thread: the first thread's lasts the whole run.
    static thread_local ThreadSignalStack stack;
    (void)stack;
}

void StartFaultWatchdog(bool (*check)())
{
    g_check = check;
    // Threads do not live on in a forked child: the child starts its own.
    if (g_watchdogProcess.load() == getpid())
        return;
    if (sem_init(&g_wake, 0, 0) != 0)
        return;
    pthread_attr_t attributes;
    pthread_attr_init(&attributes);
    pthread_attr_setdetachstate(&attributes, PTHREAD_CREATE_DETACHED);
    pthread_t thread;
    if (pthread_create(&thread, &attributes, &Watch, nullptr) == 0)
        g_watchdogProcess = getpid();
    pthread_attr_destroy(&attributes);
}

void WakeFaultWatchdog()
{
    if (g_watchdogProcess.load() == getpid())
        sem_post(&g_wake);
}

u64 MonotonicMilliseconds()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return u64(now.tv_sec) * 1000 + u64(now.tv_nsec) / 1000000;
}
