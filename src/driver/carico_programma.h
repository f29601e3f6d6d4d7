// The scenario that the package program runs: the one appended to its executable, when there
// is one, else the one built into it.
#pragma once

#include <filesystem>

#include "../sources/carico.h"

namespace valmarena {

// Reads the payload at the end of the program's own file. A file that cannot be read counts
// as one without payload: the program then runs its built-in scenario.
esito_carico carico_del_programma(const std::filesystem::path& eseguibile);

// The message for a damaged payload, shown before the run ends with status 3.
std::string messaggio_carico_guasto(const esito_carico& e);

}  // namespace valmarena
