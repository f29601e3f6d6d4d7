// The data of the route view: what the page draws and shows on hover, as one JSON document.
#pragma once

#include <cstdint>
#include <string>

#include "disegno.h"

namespace valmarena::strumento {

// The JSON document the page reads: the kilometre posts where their reckoning changes (from the
// one kilometre model), the profiles cell by cell, from the sources the running model's speed
// cell by cell (from the same model as `scenario timetable`), the track plan every 10 m, every
// feature with its values decoded as `dump` decodes them and, when drawn from the sources, the
// FILE:LINE of the row that placed it.
std::string dati_vista(const scenario_letto& s);

// The whole page: the embedded HTML with its style, its script and these data in it.
std::string pagina_vista(const scenario_letto& s);

}  // namespace valmarena::strumento
