// The picture of a compiled scenario: the line in plan view with its stations, signals,
// slowdowns and signboards, and the gradient, speed-limit and adhesion profiles along the route.
#pragma once

#include <array>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "compiler/orario.h"
#include "records/scenario.h"

namespace valmarena::strumento {

// A curve of the line as the reader placed it: from `inizio` for `lunghezza` metres.
struct curva_letta {
    std::int64_t inizio = 0;
    std::int64_t lunghezza = 0;
    bool sinistra = false;  // negative curvature, side letter s
    int classe = 0;         // the class digit 1..6 of its curvature, 0 for none of them
};

// The curves of a compiled track plan: its curved stretches, adjacent ones of the same curvature
// as one.
std::vector<curva_letta> curve_del_tracciato(const piano_tracciato& t);

// The compiled files of one scenario, as far as they were found and could be decoded.
struct scenario_letto {
    std::string percorso;  // UTF-8, for the title
    std::string treno;
    std::vector<cella> celle;
    std::optional<std::vector<voce>> tabella;
    std::optional<struct tracciato> tracciato;
    std::vector<curva_letta> curve;  // from the track plan's stretches, when drawn from the sources
    bool curve_lette = false;
    std::vector<std::string> note;  // files that are missing or unusable, said in the picture
    // When drawn from the sources: the row that placed each cell's feature, and the two files.
    std::vector<origine_cella> origini;
    std::array<std::string, 2> nomi_sorgenti;
    // When drawn from the sources: the running model's speed at the start of each cell, m/s (none
    // where it does not run), with the train it was worked out for; empty from compiled files,
    // which hold no timetable.
    std::vector<std::optional<double>> marcia;
    parametri_marcia parametri;
};

// A station of the route: from its table entry, or a stopping point whose entry is not there.
struct stazione_disegno {
    std::int64_t metri;
    std::string nome;  // UTF-8
    bool fermata;      // has a stopping point
    std::int64_t voce = -1;   // its table entry, -1 when it has none
    std::int64_t cella = -1;  // its stopping point's cell, -1 without a stop
};

// The stations in route order: every table entry that holds one, and every stopping point whose
// entry is missing from the table.
std::vector<stazione_disegno> stazioni_del_percorso(const scenario_letto& s);

// An SVG document of fixed size (1600 x 1000). The same input gives the same bytes: numbers are
// written with fixed decimals, and nothing depends on the clock, the locale or the host.
// The plan view takes one track-plan point per 50 m.
std::string svg_scenario(const scenario_letto& s);

}  // namespace valmarena::strumento
