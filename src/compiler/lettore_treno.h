// The train half of the reader: the train file's rows placed on the route cells and in the
// scenario table.
#pragma once

#include <string>

#include "../records/scenario.h"

namespace valmarena {
class osservatore_righe;
}

namespace valmarena {

// The train half, from the opening of the train file's text to its normal end or a stop.
// `osservatore`, when given, is handed every row as read.
void leggi_treno(scenario& s, std::string testo, const std::string& nome_file,
                 osservatore_righe* osservatore = nullptr);

}  // namespace valmarena
