// Processor counts and thread placement: Linux's affinity calls, the standard library elsewhere.

#include "processori.h"

#if defined(__x86_64__) || defined(_M_X64) || defined(__i386__) || defined(_M_IX86)
#include <immintrin.h>
#endif
#if defined(__linux__)
#include <pthread.h>
#include <sched.h>
#include <unistd.h>
#endif

namespace valmarena {

unsigned processori_disponibili() {
#if defined(__linux__)
    // The process's own set (its first thread's), not the calling thread's, which `accanto` narrows.
    cpu_set_t consentiti;
    if (sched_getaffinity(getpid(), sizeof consentiti, &consentiti) == 0) {
        const int n = CPU_COUNT(&consentiti);
        return n > 0 ? static_cast<unsigned>(n) : 1u;
    }
#endif
    const unsigned n = std::thread::hardware_concurrency();
    return n > 0 ? n : 1u;
}

bool piu_processori() { return processori_disponibili() >= 2; }

void accanto(std::thread& t) {
#if defined(__linux__)
    cpu_set_t consentiti;
    const int qui = sched_getcpu();
    if (qui < 0 || sched_getaffinity(getpid(), sizeof consentiti, &consentiti) != 0) return;
    if (!CPU_ISSET(qui, &consentiti) || CPU_COUNT(&consentiti) < 2) return;
    CPU_CLR(qui, &consentiti);
    // A refusal only leaves the thread where the host put it.
    pthread_setaffinity_np(t.native_handle(), sizeof consentiti, &consentiti);
#else
    (void)t;
#endif
}

void gira_un_attimo() {
#if defined(__x86_64__) || defined(_M_X64) || defined(__i386__) || defined(_M_IX86)
    _mm_pause();
#elif defined(__aarch64__)
    __asm__ __volatile__("yield");
#else
    std::this_thread::yield();
#endif
}

}  // namespace valmarena
