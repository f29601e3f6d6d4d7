// The pathological source files of the robustness tests, as functions, so that the tests of the
// compiled bytes compile the very same files.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "supporto.h"

namespace valmarena::prova {

inline std::string ripeti(const std::string& riga, int volte) {
    std::string t;
    t.reserve(riga.size() * static_cast<std::size_t>(volte));
    for (int i = 0; i < volte; ++i) t += riga;
    return t;
}

// A gradient row of 200000 fields between two short rows.
inline std::string linea_duecentomila_campi() {
    return "[generale]\r\nlunghezza percorso,    20000\r\n[curve]\r\npendenza,  1000,  5" + ripeti(",7", 200000) +
           "\r\npendenza,  2000,  9\r\n[fine]\r\n";
}

struct caso_sorgente {
    const char* nome;
    std::string linea;
    std::string treno;
};

// Rows of hyphens: in the general section, among the features, and up to the end of the file.
inline std::vector<caso_sorgente> casi_trattini() {
    const std::string milione = ripeti("-\r\n", 1000000);
    const std::string centomila = ripeti("-\r\n", 100000);
    return {
        {"nella sezione generale",
         "[generale]\r\n" + milione + "lunghezza percorso,    20000\r\n[curve]\r\npendenza,  1000,  5\r\n[fine]\r\n",
         treno_minimo("")},
        {"tra gli elementi", linea_minima(centomila + "pendenza,  1000,  5\r\n"), treno_minimo("")},
        {"fino alla fine del file", "[generale]\r\n" + centomila, treno_minimo("")},
    };
}

// Curves longer than the track plan, negative, or reaching its last metre.
inline std::vector<caso_sorgente> casi_curve_enormi() {
    return {
        {"oltre il tracciato", linea_minima("curvas1,  1000,  2000000000\r\n"), treno_minimo("")},
        {"lunghezza negativa", linea_minima("curvas1,  1000,  -2000000000\r\n"), treno_minimo("")},
        {"sul percorso piu' lungo", linea_minima("curvas1,  1000,  999500\r\n", 1000000), treno_minimo("")},
        {"fino all'ultimo metro disegnabile", linea_minima("curvad6,  0,  999999\r\n", 1000000), treno_minimo("")},
    };
}

// The longest route, every cell of it busy: a gradient every 50 m, a curve every kilometre,
// 80 mountain stretches, boards and signboards; in the train file speed and adhesion every
// 100 m, signals, abatement points and 600 nested slowdowns whose ends all lie beyond the last
// start, so that the route checks walk most of the route once for each of them.
inline caso_sorgente percorso_massimo_pieno() {
    std::string l = "[generale]\r\nlunghezza percorso,    1000000\r\n"
                    "ripetizione segnali 9 codici,    500,    999000\r\n[elementi]\r\n";
    for (int p = 50; p <= 1000000; p += 50) l += "pendenza, " + std::to_string(p) + ", " + std::to_string(p / 50 % 7) + "\r\n";
    for (int p = 0; p < 999000; p += 1000)
        l += std::string(p / 1000 % 2 ? "curvas" : "curvad") + std::to_string(p / 1000 % 6 + 1) + ", " + std::to_string(p) + ", 400\r\n";
    for (int i = 0; i < 80; ++i)
        l += "montagna, " + std::to_string(i * 12000) + ", " + std::to_string(i * 12000 + 10000) + ", 12\r\n";
    for (int p = 960025; p < 990000; p += 1000) l += "indicatori_vmax, " + std::to_string(p) + ", 6, 8, 10, 2, 0, 0, 0, 0\r\n";
    for (int i = 0; i < 40; ++i) l += "cartello_indicatore, " + std::to_string(990000 + i * 200) + ", (Km " + std::to_string(i) + ")\r\n";
    l += "[fine]\r\n";

    std::string t = "[generale]\r\nnumero vetture, 15\r\n";
    for (int p = 0; p <= 999000; p += 100) {
        t += "velocita, " + std::to_string(p) + ", " + std::to_string(60 + p / 100 % 80) + "\r\n";
        t += "aderenza, " + std::to_string(p) + ", " + std::to_string(80 + p / 100 % 19) + "\r\n";
    }
    for (int i = 0; i < 600; ++i)
        t += "rallentamento, " + std::to_string(2000 + 250 * i) + ", 30, 500000, 1, 0, 0\r\n";
    for (int p = 953000; p < 959000; p += 300) t += "segnale, " + std::to_string(p) + ", 1, 2, 3, 4, 5, 0, 1, 2, 3, 0\r\n";
    for (int p = 999100; p < 1003000; p += 100) t += "abbattimento, " + std::to_string(p) + ", 90\r\n";
    t += "[fine]\r\n";
    return {"percorso massimo pieno", l, t};
}

// Track plans read whole, stopped by an error after some curves, or with the curves after
// other rows.
inline std::vector<caso_sorgente> casi_piano() {
    const std::string curve = "curvad3,  1000,  30000\r\ncurvas2,  40000,  500\r\ncurvas2,  40500,  500\r\n";
    return {
        {"letta tutta", linea_minima(curve + "pendenza,  2000,  5\r\n", 90000), treno_minimo("")},
        {"fermata da una curva oltre la fine", linea_minima(curve + "curvad1,  95000,  2000\r\n", 90000), treno_minimo("")},
        {"fermata da una curva senza classe", linea_minima(curve + "curvad,  60000,  100\r\n", 90000), treno_minimo("")},
        {"curve dopo le pendenze", linea_minima("pendenza,  2000,  5\r\n" + curve, 90000), treno_minimo("")},
    };
}

// A signboard text longer than the 65535 bytes a table entry's name can hold.
inline std::string linea_cartello_lunghissimo() {
    return linea_minima("cartello_indicatore,  1000,  " + std::string(70000, 'A') + "\r\n");
}

}  // namespace valmarena::prova
