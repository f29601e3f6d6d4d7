// The cell of a whole number of metres worked in whole numbers must round as the real division
// does: halves to the even neighbour on both sides of zero, and nothing else moved.

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include "records/arrotonda.h"

namespace valmarena {
namespace {

TEST(Arrotonda, CinquantesimiComeLaDivisioneReale) {
    auto confronta = [](std::int32_t m) {
        EXPECT_EQ(cinquantesimi(m), clng(m / 50.0)) << m;
        EXPECT_EQ(cella_di_metri(m), cella_di_metri(static_cast<double>(m))) << m;
    };
    // Every remainder, halves among them, for positions either side of zero.
    for (std::int32_t m = -20000; m <= 20000; ++m) confronta(m);
    // Far from zero, where the real quotient has the fewest bits to spare.
    const std::int32_t massimo = std::numeric_limits<std::int32_t>::max();
    const std::int32_t minimo = std::numeric_limits<std::int32_t>::min();
    for (std::int32_t d = 0; d < 200; ++d) {
        confronta(massimo - d);
        confronta(minimo + d);
    }
    // The halves alone: 25 rounds down to 0, 75 up to 2, -25 to 0, -75 to -2; the cell of 25 m
    // is cell 2 (1.5 to the even), not the cell after quotient 0.
    EXPECT_EQ(cinquantesimi(25), 0);
    EXPECT_EQ(cinquantesimi(75), 2);
    EXPECT_EQ(cinquantesimi(-25), 0);
    EXPECT_EQ(cinquantesimi(-75), -2);
    EXPECT_EQ(cella_di_metri(25), 2);
    EXPECT_EQ(cella_di_metri(75), 2);
}

}  // namespace
}  // namespace valmarena
