// The placing routines of the train half: signals and slowdowns on the route cells.
#pragma once

#include <cstdint>

#include "../records/scenario.h"

namespace valmarena {

// A signal at `posizione` with its packed aspect values and four approach marks before it.
// Reports 16 and the cell when its cell is taken; `tempo` may be raised to 101.
esito_memo memo_segnale(scenario& s, std::int32_t posizione, std::int32_t sx, std::int32_t s1,
                          std::int32_t s2, std::int32_t s3, std::int32_t rapp, std::int32_t dx,
                          std::int32_t d1, std::int32_t d2, std::int32_t d3, std::int32_t& tempo);

// A slowdown from `x`, speed `v`, length `l`: start, end, warning point and numbered cells.
// Reports the code 17..20 (or 110 for an end beyond the cells) and the cell at fault.
esito_memo memo_rallentamento(scenario& s, std::int32_t x, std::int32_t v, std::int32_t l,
                                std::int32_t f_tt, std::int32_t f_ta, std::int32_t d_v);

}  // namespace valmarena
