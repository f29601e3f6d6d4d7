// The picture of a compiled scenario: the line in plan view with its stations, signals,
// slowdowns and signboards, and the gradient, speed-limit and adhesion profiles along the route.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "records/scenario.h"

namespace valmarena::strumento {

// A curve row of the line description: from `inizio` for `lunghezza` metres, of class 1 to 6.
struct curva_letta {
    std::int64_t inizio = 0;
    std::int64_t lunghezza = 0;
    int classe = 0;
    bool sinistra = false;  // side letter s
};

// The curve rows of a line description's text, line by line, for the picture only: a first field
// holding "curva" (any case) with a class digit 1 to 6, then the start and the length.
std::vector<curva_letta> curve_della_linea(const std::string& testo);

// The compiled files of one scenario, as far as they were found and could be decoded.
struct scenario_letto {
    std::string percorso;  // UTF-8, for the title
    std::string treno;
    std::vector<cella> celle;
    std::optional<std::vector<voce>> tabella;
    std::optional<struct tracciato> tracciato;
    std::vector<curva_letta> curve;  // from the line description, when the picture is drawn from it
    bool curve_lette = false;
    std::vector<std::string> note;  // files that are missing or unusable, said in the picture
};

// An SVG document of fixed size (1600 x 1000). The same input gives the same bytes: numbers are
// written with fixed decimals, and nothing depends on the clock, the locale or the host.
// The plan view takes one track-plan point per 50 m.
std::string svg_scenario(const scenario_letto& s);

}  // namespace valmarena::strumento
