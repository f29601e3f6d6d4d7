// A small scenario of the tests' own for packaging and generated documents: a 12 km line whose
// kilometre reckoning changes twice, and a train with three timed stations, three speed limits,
// a slowdown and a signal. It checks with no error and no warning.
#pragma once

#include <filesystem>
#include <string>

#include "supporto.h"

namespace valmarena::prova {

inline const std::string linea_brenta = righe({
    "[generale]",
    "lunghezza percorso,    12000",
    "progressiva chilometrica uno,    6000,    -6000,    0",
    "progressiva chilometrica due,    9000,    52000,    1",
    "progressiva chilometrica tre,    0,    0,    0",
    "sfondo uno,    1",
    "sfondo due,    0",
    "sfondo tre,    0",
    "ripetizione segnali 9 codici,    2000,    11000",
    "[curve]",
    "curvad3,  3000,  400",
    "[pendenze]",
    "pendenza,  0,  5",
    "pendenza,  6000,  -3",
    "[fine]",
});

inline const std::string treno_brenta = righe({
    "[generale]",
    "numero vetture,    6",
    "percentuale massa frenata,    110",
    "sabbia,    100",
    "orologio,    8,  0,  0",
    "[aderenze]",
    "aderenza,       0,    95",
    "[vel_limite]",
    "velocita,   0,    60",
    "velocita,    2500,    100",
    "velocita,    7000,    80",
    "[stazioni]",
    "stazione,       0,  8,  400,  1, 0, 0,  5,1,0,  2,1,1,    1,  8, 0,0, Lago Nero",
    "stazione,    5000,  4,  400,  1, 0, 0,  1,0,0,  1,1,0,    1,   8, 5,30, Pieve",
    "stazione,   11000,  4,  400,  1, 0, 0,  1,0,0,  1,1,0,    1,   8, 12,0, Brenta",
    "[rallentamenti]",
    "rallentamento,    3500,    30,  300, 1,  0,  0",
    "[segnali]",
    "segnale,    1050,   2, 3, 4,  1, 0,    2,  2,1,1, 0",
    "[fine]",
});

// The two sources in a folder, named by the naming rule for route "Brenta" and train "R 21".
struct sorgenti_brenta {
    cartella_temporanea dir;
    std::filesystem::path linea = dir / "Brenta_linea.txt";
    std::filesystem::path treno = dir / "Brenta_R 21-.txt";
    sorgenti_brenta() {
        scrivi(linea, linea_brenta);
        scrivi(treno, treno_brenta);
    }
};

}  // namespace valmarena::prova
