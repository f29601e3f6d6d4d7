// What `package` and `documents` share: the scenario's names from the options or the train
// file's name, the strict check that refuses sources with any error or warning, and the texts.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "argomenti.h"
#include "documenti.h"
#include "sources/emettitori.h"

namespace valmarena::strumento {

// --route and --train-name; where one is missing, the name read from a train file named
// ROUTE_TRAIN-.txt; else the package's own names. Windows-1252; a name that cannot be part of a
// file name throws `argomenti_errati`.
identita nomi_scenario(const argomenti& a, const std::filesystem::path& treno);

// Compiles the sources in memory as `check` does and prints every error and warning on standard
// error, with their source lines, coloured when `colore`. Returns 0 when there is none (or only
// warnings, when they are allowed), else the exit status to give (1 errors or warnings, 2 fatal
// error, 3 a file that cannot be read). With `documenti`, the same reading fills it with what the
// generated forms show.
int verifica_rigorosa(const std::filesystem::path& linea, const std::filesystem::path& treno, const identita& id,
                      bool avvertimenti_ammessi = false, dati_documenti* documenti = nullptr,
                      bool colore = false);

// True when both generated forms fit an emitter's line table; else says why on standard error.
bool documenti_adatti(const std::string& scheda, const std::string& rallentamenti);

// The whole file, or nothing after saying on standard error why it cannot be read.
std::optional<std::string> leggi_sorgente(const std::filesystem::path& p);

}  // namespace valmarena::strumento
