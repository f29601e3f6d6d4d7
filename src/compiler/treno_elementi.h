// The placing routines of the train half: signals and slowdowns on the route cells.
#pragma once

#include <cstdint>

#include "../records/scenario.h"

namespace valmarena {

// A signal row of the train file, its eleven numbers in the file's order: the position, the
// left kind and its three aspects, the ratio, the right kind and its three aspects, the time.
struct riga_segnale {
    std::int32_t posizione;
    std::int32_t sx, s1, s2, s3;
    std::int32_t rapp;
    std::int32_t dx, d1, d2, d3;
    std::int32_t tempo;
};

// A signal with its packed aspect values and four approach marks before it. Reports 16 and the
// cell when its cell is taken; the row's `tempo` may be raised to 101.
esito_memo memo_segnale(scenario& s, riga_segnale& r);

// A slowdown from `x`, speed `v`, length `l`: start, end, warning point and numbered cells.
// Reports the code 17..20 (or 110 for an end beyond the cells) and the cell at fault.
esito_memo memo_rallentamento(scenario& s, std::int32_t x, std::int32_t v, std::int32_t l,
                                std::int32_t f_tt, std::int32_t f_ta, std::int32_t d_v);

}  // namespace valmarena
