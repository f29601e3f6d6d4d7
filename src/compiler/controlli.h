// The route checks after reading: abatement points around slowdowns and signals, and the
// reserved slots claimed for the competition codes.
#pragma once

#include <cstdint>
#include <string>

#include "../records/scenario.h"

namespace valmarena {

// A reserved slot already taken when the slots are claimed; its code is what the package shows.
enum class errore_fatale : std::int16_t { nessuno = 0, slot_1250 = 1250, slot_1251 = 1251 };

// "1250" or "1251"; empty for `nessuno`.
std::string codice_fatale(errore_fatale f);

// The pass that adds abatement points around slowdowns and signals.
void controlla_percorso(scenario& s);
// Claims the reserved slots and stores the competition codes; says which slot was already taken.
errore_fatale occupa_riservati(scenario& s);

// The smaller of two values, x on a tie.
inline std::int32_t minimo(std::int32_t x, std::int32_t y) { return x > y ? y : x; }

}  // namespace valmarena
