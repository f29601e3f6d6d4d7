// The placing routines of the line half: kilometric references, mountain stretches,
// speed-indicator boards, and the track plan drawn from the curves.
#pragma once

#include <cstdint>
#include <string_view>

#include "../records/scenario.h"

namespace valmarena {

// Orders the three kilometric references (entries 81..83) by position and adjusts flagged values.
void progressive_ordina(scenario& s);

// One mountain stretch from `inizio` to `fine` of kind `tipo` (over 10: kind - 10 with markers).
// May change the caller's `tipo`; reports 108 when the list of 80 stretches is full.
esito_memo memo_montagna(scenario& s, std::int32_t inizio, std::int32_t fine, std::int32_t& tipo);

// One speed-indicator board; reports 21 and the cell when its cell is taken.
esito_memo memo_indicatori_v_max(scenario& s, std::int32_t posizione, std::int32_t vas, std::int32_t vbs,
                           std::int32_t vcs, std::int32_t strisces, std::int32_t vad, std::int32_t vbd,
                           std::int32_t vcd, std::int32_t strisced);

// Curvature of a curve keyword: the smallest class digit 1..6 in it; 0 when there is none.
double curvatura_classe(std::string_view token);

}  // namespace valmarena
