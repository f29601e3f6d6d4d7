// The compiler's reader: the two source files read into the records, the line half then the
// train half, under one failure handler.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "../records/scenario.h"

namespace valmarena {

class osservatore_righe;

struct sorgenti {
    std::filesystem::path linea;   // line description file
    std::filesystem::path treno;   // train description file
    bool cancella = true;          // delete each source file once it has been read
    // The files' text when the caller has it already (converted from another encoding); read
    // from the paths otherwise.
    std::optional<std::string> testo_linea = std::nullopt;
    std::optional<std::string> testo_treno = std::nullopt;
    // Handed every row of both files as read, beside the records; none for a plain compile.
    osservatore_righe* osservatore = nullptr;
};

// Reads both source files into the records (line half, then train half), with the failure handler.
void memorizza_dati(scenario& s, const sorgenti& src);

}  // namespace valmarena
