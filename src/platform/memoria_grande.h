// Storage for the large arrays of the records (the track plan of a long route). On Linux an
// array of 256 KiB or more is mapped straight from the kernel in 2 MiB pages: filling it then
// costs a page fault per 2 MiB instead of one per 4 KiB, which on a virtual machine was most of
// the time of a whole compile. Smaller arrays, every array elsewhere and every array under
// AddressSanitizer use the ordinary heap.
#pragma once

#include <cstddef>
#include <new>

namespace valmarena {

// `byte` bytes aligned for any type; throws std::bad_alloc. Give back with the same size.
void* prendi_memoria_grande(std::size_t byte);
void rendi_memoria_grande(void* p, std::size_t byte) noexcept;

template <typename T>
struct memoria_grande {
    using value_type = T;

    memoria_grande() noexcept = default;
    template <typename U>
    memoria_grande(const memoria_grande<U>&) noexcept {}

    T* allocate(std::size_t n) {
        if (n > static_cast<std::size_t>(-1) / sizeof(T)) throw std::bad_array_new_length();
        return static_cast<T*>(prendi_memoria_grande(n * sizeof(T)));
    }
    void deallocate(T* p, std::size_t n) noexcept { rendi_memoria_grande(p, n * sizeof(T)); }

    template <typename U>
    bool operator==(const memoria_grande<U>&) const noexcept {
        return true;
    }
};

}  // namespace valmarena
