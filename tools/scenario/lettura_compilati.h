// The scenario a picture is drawn from (the compiled files found in a folder, or the line and
// train sources compiled in memory) and the writing of the picture: `plot` and `view` use both.
#pragma once

#include <filesystem>
#include <string>

#include "argomenti.h"
#include "disegno.h"

namespace valmarena::strumento {

// Reads the scenario named by the arguments (a folder DIR, or --line and --train, with
// --route and --train-name) into `s`. Returns 0, or the exit status after saying on standard
// error, under `comando`'s name, why nothing can be drawn: 1 no route cells were built from the
// sources, 3 a missing folder or an unreadable cell file. Bad arguments throw `argomenti_errati`.
int leggi_da_disegnare(const argomenti& a, const std::string& comando, scenario_letto& s);

// Writes a picture into `uscita`, creating its folder, and says so unless `zitto`; 0, or 3 after
// saying why it cannot.
int scrivi_disegno(const std::filesystem::path& uscita, const std::string& testo, const std::string& comando,
                   bool zitto);

}  // namespace valmarena::strumento
