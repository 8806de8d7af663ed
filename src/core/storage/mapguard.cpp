#include "storage/mapguard.h"

#include <sys/mman.h>
#include <unistd.h>
#include <atomic>
#include <csignal>
#include <cstdint>
#include <mutex>

namespace velmarsk::mapguard {
namespace {

// Enough for every pass alive at once; the handler reads them without a lock.
constexpr int kHandles = 32;
struct Guarded {
    std::atomic<bool> used{false};
    std::atomic<std::uintptr_t> begin{0};
    std::atomic<std::uintptr_t> end{0};  // 0 while the entry is being made or removed
    std::atomic<bool> failed{false};
};
Guarded g_guarded[kHandles];
std::uintptr_t g_pageSize = 4096;
struct sigaction g_previous {};

void onBusError(int sig, siginfo_t* info, void* context) {
    const auto address = reinterpret_cast<std::uintptr_t>(info->si_addr);
    for (Guarded& g : g_guarded) {
        if (address < g.begin.load() || address >= g.end.load()) continue;
        void* page = reinterpret_cast<void*>(address & ~(g_pageSize - 1));
        if (::mmap(page, g_pageSize, PROT_READ, MAP_FIXED | MAP_PRIVATE | MAP_ANONYMOUS, -1, 0) == MAP_FAILED)
            break;
        g.failed = true;
        return;  // the read is repeated and finds zeros
    }
    // Not a guarded mapping: what would have happened without the guard.
    if (g_previous.sa_flags & SA_SIGINFO) {
        g_previous.sa_sigaction(sig, info, context);
        return;
    }
    if (g_previous.sa_handler != SIG_DFL && g_previous.sa_handler != SIG_IGN) {
        g_previous.sa_handler(sig);
        return;
    }
    // The read faults again and ends the program.
    ::signal(sig, SIG_DFL);
}

void install() {
    static std::once_flag once;
    std::call_once(once, [] {
        g_pageSize = std::uintptr_t(::sysconf(_SC_PAGESIZE));
        struct sigaction action {};
        action.sa_sigaction = onBusError;
        action.sa_flags = SA_SIGINFO;
        sigemptyset(&action.sa_mask);
        ::sigaction(SIGBUS, &action, &g_previous);
    });
}

}  // namespace

int add(const void* begin, std::size_t length) {
    install();
    for (int h = 0; h < kHandles; ++h) {
        Guarded& g = g_guarded[h];
        bool expected = false;
        if (!g.used.compare_exchange_strong(expected, true)) continue;
        g.failed = false;
        g.begin = reinterpret_cast<std::uintptr_t>(begin);
        g.end = reinterpret_cast<std::uintptr_t>(begin) + length;
        return h;
    }
    return -1;
}

void remove(int handle) {
    if (handle < 0 || handle >= kHandles) return;
    Guarded& g = g_guarded[handle];
    g.end = 0;
    g.begin = 0;
    g.used = false;
}

bool failed(int handle) {
    return handle >= 0 && handle < kHandles && g_guarded[handle].failed.load();
}

}  // namespace velmarsk::mapguard
