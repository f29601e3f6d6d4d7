// The competition codes computed from the train and route names, stored in the reserved
// slots of the table and of the first cell.
#pragma once

#include <cstdint>

#include "../records/scenario.h"

namespace valmarena {

// Competition codes from the train and route names held in entries 86 and 85.
std::int16_t codice_gara_og(const scenario& s);
std::int32_t codice_gara_st(const scenario& s);

}  // namespace valmarena
