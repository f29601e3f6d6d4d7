// Large arrays in 2 MiB pages on Linux, on the ordinary heap elsewhere.

#include "memoria_grande.h"

#include <cstdint>

// Under AddressSanitizer the arrays stay on its heap, where it checks every access to them.
#if defined(__SANITIZE_ADDRESS__)
#define VALMARENA_PAGINE_GRANDI 0
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VALMARENA_PAGINE_GRANDI 0
#endif
#endif
#if !defined(VALMARENA_PAGINE_GRANDI) && defined(__linux__)
#define VALMARENA_PAGINE_GRANDI 1
#endif
#if !defined(VALMARENA_PAGINE_GRANDI)
#define VALMARENA_PAGINE_GRANDI 0
#endif

#if VALMARENA_PAGINE_GRANDI
#include <sys/mman.h>
#endif

namespace valmarena {

#if VALMARENA_PAGINE_GRANDI
namespace {

constexpr std::size_t pagina_grande = std::size_t{2} << 20;
constexpr std::size_t soglia = std::size_t{256} << 10;

std::size_t arrotonda_a_pagina_grande(std::size_t byte) { return (byte + pagina_grande - 1) & ~(pagina_grande - 1); }

}  // namespace

void* prendi_memoria_grande(std::size_t byte) {
    if (byte < soglia) return ::operator new(byte);
    if (byte > static_cast<std::size_t>(-1) - 2 * pagina_grande) throw std::bad_alloc();
    const std::size_t lunghezza = arrotonda_a_pagina_grande(byte);
    // Mapped with a spare 2 MiB, then trimmed so that it starts on a 2 MiB boundary.
    void* m = ::mmap(nullptr, lunghezza + pagina_grande, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (m == MAP_FAILED) throw std::bad_alloc();
    const auto base = reinterpret_cast<std::uintptr_t>(m);
    const std::uintptr_t inizio = (base + pagina_grande - 1) & ~(pagina_grande - 1);
    if (inizio > base) ::munmap(m, inizio - base);
    const std::uintptr_t coda = base + lunghezza + pagina_grande - (inizio + lunghezza);
    if (coda > 0) ::munmap(reinterpret_cast<void*>(inizio + lunghezza), coda);
    void* p = reinterpret_cast<void*>(inizio);
    // Only advice: where the kernel has no large page free it maps small ones as usual.
    ::madvise(p, lunghezza, MADV_HUGEPAGE);
    return p;
}

void rendi_memoria_grande(void* p, std::size_t byte) noexcept {
    if (!p) return;
    if (byte < soglia) {
        ::operator delete(p);
        return;
    }
    ::munmap(p, arrotonda_a_pagina_grande(byte));
}
#else
void* prendi_memoria_grande(std::size_t byte) { return ::operator new(byte); }
void rendi_memoria_grande(void* p, std::size_t) noexcept { ::operator delete(p); }
#endif

}  // namespace valmarena
