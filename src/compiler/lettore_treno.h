// The train half of the reader: the train file's rows placed on the route cells and in the
// scenario table.
#pragma once

#include <string>

#include "../records/scenario.h"

namespace valmarena {

// The train half, from the opening of the train file's text to its normal end or a stop.
void leggi_treno(scenario& s, const std::string& testo, const std::string& nome_file);

}  // namespace valmarena
