// The line half of the reader: the line file's rows placed on the route cells and the
// track plan.
#pragma once

#include <string>

#include "../records/scenario.h"

namespace valmarena {
class osservatore_righe;
}

namespace valmarena {

// The line half; returns false when the reading must end without the train half. `osservatore`,
// when given, is handed every row as read.
bool leggi_linea(scenario& s, std::string testo, const std::string& nome_file,
                 osservatore_righe* osservatore = nullptr);

}  // namespace valmarena
