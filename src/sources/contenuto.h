// The scenario content built into the program: the bytes of each text file it writes.
#pragma once

#include <string_view>

namespace valmarena::contenuto {

std::string_view linea();         // line description
std::string_view treno();         // train description
std::string_view note();          // notes
std::string_view rallentamenti(); // slowdown order
std::string_view scheda_treno();  // train card

}  // namespace valmarena::contenuto
