// The little-endian layout of numbers and of the track plan's tagged values, shared by the
// writers and by the drawing of the track plan.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>
#include <type_traits>

#include "../records/scenario.h"

namespace valmarena {

// Puts v little-endian at `out` and returns the byte after it.
template <typename T>
char* metti_le(char* out, T v) {
    using U = std::make_unsigned_t<T>;
    auto u = static_cast<U>(v);
    if constexpr (std::endian::native == std::endian::little) {
        std::memcpy(out, &u, sizeof u);
    } else {
        for (std::size_t i = 0; i < sizeof(T); ++i) out[i] = static_cast<char>((u >> (8 * i)) & 0xFFu);
    }
    return out + sizeof(T);
}

// The most bytes one track-plan element takes: its tag and a real value.
constexpr std::size_t massimo_per_punto = 2 + 8;

// Puts one tagged value of the track plan at `out` and returns the byte after it.
inline char* metti_punto(char* out, etichetta e, double v) {
    out = metti_le(out, static_cast<std::uint16_t>(e));
    if (e == etichetta::reale)
        out = metti_le(out, std::bit_cast<std::uint64_t>(v));
    else if (e == etichetta::intero)
        out = metti_le(out, static_cast<std::int16_t>(v));
    return out;
}

}  // namespace valmarena
