// Conversions between reals and the record widths (rounding to the nearest integer with halves
// to the even neighbour, range checks that fail as the host would), and the 50 m cell rule.
#pragma once

#include <cmath>
#include <cstdint>
#include <string>

#include "guasti.h"

namespace valmarena {

// Nearest integer, an exact half to the even neighbour; independent of the FPU rounding mode.
inline double arrotonda_pari(double x) {
    double f = std::floor(x);
    double d = x - f;
    if (d > 0.5 || (d == 0.5 && std::fmod(f, 2.0) != 0.0)) f += 1.0;
    return f;
}

// Real to Long (32-bit), failing on a value that does not fit.
inline std::int32_t clng(double x) {
    if (std::isnan(x)) throw guasto("conversion of a value that is not a number");
    double r = arrotonda_pari(x);
    if (r < -2147483648.0 || r > 2147483647.0) throw guasto("value does not fit in 32 bits");
    return static_cast<std::int32_t>(r);
}

// The route cell that holds a position in metres: cells are 50 m long and cell 1 starts at 0 m;
// a position on a half rounds to the even cell.
inline std::int32_t cella_di_metri(double metri) { return clng(metri / 50.0 + 1.0); }

// clng(metri / 50.0) for a whole number of metres (a quotient that fits a Long), worked in whole
// numbers: the quotient to the nearest, a remainder of exactly half (25) to the even neighbour.
// The real quotient is never near a half unless it is one, so both ways agree.
inline std::int32_t cinquantesimi(std::int64_t metri) {
    std::int64_t q = metri / 50;
    const std::int64_t r = metri % 50;  // of the sign of `metri`
    if (r > 25 || (r == 25 && q % 2 != 0)) ++q;
    if (r < -25 || (r == -25 && q % 2 != 0)) --q;
    return static_cast<std::int32_t>(q);
}

// cella_di_metri of a whole number of metres: the cell one on, so 50 m on before the rounding
// (a half goes to the even cell, not to the cell after the even quotient).
inline std::int32_t cella_di_metri(std::int32_t metri) { return cinquantesimi(std::int64_t{metri} + 50); }

// Where cell `k` starts, in metres: the inverse of `cella_di_metri`.
inline std::int64_t inizio_cella(std::int64_t k) { return (k - 1) * 50; }

// Whole number to Integer (16-bit), failing on overflow.
inline std::int16_t a_intero(std::int64_t v) {
    if (v < -32768 || v > 32767) throw guasto("value does not fit in 16 bits: " + std::to_string(v));
    return static_cast<std::int16_t>(v);
}

// Real to Integer (16-bit) with rounding, failing on overflow.
inline std::int16_t cint(double x) {
    if (std::isnan(x)) throw guasto("conversion of a value that is not a number");
    double r = arrotonda_pari(x);
    if (r < -32768.0 || r > 32767.0) throw guasto("value does not fit in 16 bits");
    return static_cast<std::int16_t>(r);
}

// Whole number to Byte (0..255), failing on overflow.
inline std::uint8_t a_byte(std::int64_t v) {
    if (v < 0 || v > 255) throw guasto("value does not fit in a byte: " + std::to_string(v));
    return static_cast<std::uint8_t>(v);
}

// The low 8 or 16 bits of a value, for the fields that wrap by design.
inline std::uint8_t bassi_8(std::int64_t v) { return static_cast<std::uint8_t>(static_cast<std::uint64_t>(v) & 0xFFu); }
inline std::int16_t bassi_16(std::int64_t v) {
    auto u = static_cast<std::uint16_t>(static_cast<std::uint64_t>(v) & 0xFFFFu);
    return static_cast<std::int16_t>(u);
}

}  // namespace valmarena
