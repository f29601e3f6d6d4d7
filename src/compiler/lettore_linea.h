// The line half of the reader: the line file's rows placed on the route cells and the
// track plan.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "../records/scenario.h"

namespace valmarena {
class osservatore_righe;
}

namespace valmarena {

// The line half; returns false when the reading must end without the train half. `esteso`, when
// given, is called with the track plan's cursor each time the plan has grown (first when it is
// opened): the metres before the cursor will not change. `osservatore`, when given, is handed
// every row as read.
bool leggi_linea(scenario& s, const std::string& testo, const std::string& nome_file,
                 const std::function<void(std::int64_t)>& esteso = {}, osservatore_righe* osservatore = nullptr);

}  // namespace valmarena
