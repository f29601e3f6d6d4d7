// The longest route's scenario, generated: the benchmark compiles it, and the tests hold its
// compiled bytes.
#pragma once

#include <sstream>
#include <string>

namespace valmarena::percorso_lungo {

// The generated scenario: a 1 000 000 m line cut into 250 blocks of 4000 m (80 cells of 50 m).
// In every block the cells 0..39 carry signals (cells 3, 8, .. 38), abatement points (cells 1,
// 6, .. 36), a speed-indicator board (cell 20) and now and then a signboard (cell 10); the cells
// 40..79 carry either a station (stopping cell 60) or a slowdown (warning cell 46, start cell 70,
// end at most cell 79). So every feature falls on a free cell, and the route check finds a free
// cell for each abatement point it adds around the slowdowns. Curves, gradients, speed limits,
// adhesion values and mountain stretches are spread over the whole line.

constexpr int lunghezza_percorso = 1000000;
constexpr int metri_blocco = 4000;
constexpr int blocchi = 250;
constexpr int n_stazioni = 56;   // with the 20 signboards the scenario table holds at most 58
constexpr int n_cartelli = 20;
constexpr int n_montagne = 80;  // the most a line may have

// Position of a feature that the reader places in cell p / 50 + 1 (signals, boards, signboards,
// slowdowns), for cell `rc` of block `b`.
inline int posizione_cella(int b, int rc) { return b * metri_blocco + 50 * (rc - 1); }

inline bool blocco_stazione(int b) {
    return (static_cast<long>(b) + 1) * n_stazioni / blocchi > static_cast<long>(b) * n_stazioni / blocchi;
}

struct conteggi {
    int curve = 0, pendenze = 0, montagne = 0, indicatori = 0, cartelli = 0;
    int aderenze = 0, velocita = 0, stazioni = 0, rallentamenti = 0, segnali = 0, abbattimenti = 0;
};

inline std::string genera_linea(conteggi& n) {
    std::ostringstream o;
    auto riga = [&o](const std::string& r) { o << r << "\r\n"; };
    riga("[generale]");
    riga("lunghezza percorso,    " + std::to_string(lunghezza_percorso));
    riga("progressiva chilometrica uno,    1000,    1000,    0");
    riga("progressiva chilometrica due,    500000,    500000,    1");
    riga("progressiva chilometrica tre,    0,    0,    0");
    riga("sfondo uno,    1");
    riga("sfondo due,    0");
    riga("sfondo tre,    0");
    riga("ripetizione segnali 9 codici,    34300,    990000");
    riga("[curve]");
    for (int b = 0; b < blocchi; ++b) {
        for (int j = 0; j < 8; ++j) {
            int a = b * metri_blocco + 500 * j + 50;
            int l = 50 + 50 * ((b * 7 + j * 3) % 7);  // at most 350 m: the curves never touch
            char lato = (b * 3 + j) % 2 ? 'd' : 's';
            int classe = 1 + (b + j) % 6;
            riga(std::string("curva") + lato + std::to_string(classe) + ",  " + std::to_string(a) + ",  " +
                 std::to_string(l));
            ++n.curve;
        }
    }
    riga("[pendenze]");
    for (int p = 0; p < lunghezza_percorso; p += 250) {
        int g = (p / 250 * 7) % 37 - 18;
        riga("pendenza,  " + std::to_string(p) + ",   " + std::to_string(g));
        ++n.pendenze;
    }
    riga("[montagne]");
    for (int k = 0; k < n_montagne; ++k) {
        int b = 3 * k;
        int a = b * metri_blocco + 200;
        riga("montagna,   " + std::to_string(a) + ",  " + std::to_string(a + 1000) + ",  " + (k % 2 ? "2" : "12"));
        ++n.montagne;
    }
    riga("[cartelli]");
    for (int b = 0; b < blocchi; ++b) {
        int v = 60 + 5 * (b % 19);
        std::string s = std::to_string(v) + ",  " + std::to_string(v + 5) + ",  " + std::to_string(v + 10);
        int strisce = b % 3;
        riga("indicatori_vmax,  " + std::to_string(posizione_cella(b, 20)) + ",  " + s + ",  " +
             std::to_string(strisce) + ",  " + (b % 4 ? s : std::string(" ,  ,  ")) + ",  " + std::to_string(strisce));
        ++n.indicatori;
    }
    riga("[indicazioni]");
    for (int k = 0; k < n_cartelli; ++k) {
        int b = 12 * k + 6;
        int p = posizione_cella(b, 10);
        riga("cartello_indicatore,  " + std::to_string(p) + ",   (  Cippo  )(Km " + std::to_string(p / 1000) + "+" +
             std::string(3 - std::to_string(p % 1000).size(), '0') + std::to_string(p % 1000) + ")");
        ++n.cartelli;
    }
    riga("[fine]");
    return o.str();
}

inline std::string genera_treno(conteggi& n) {
    std::ostringstream o;
    auto riga = [&o](const std::string& r) { o << r << "\r\n"; };
    riga("[generale]");
    riga("numero vetture,    15");
    riga("percentuale massa frenata,    105");
    riga("sabbia,    100");
    riga("orologio,    10              9             30 ");
    riga("[aderenze]");
    for (int i = 0; i * 5000 < lunghezza_percorso; ++i) {
        riga("aderenza,  " + std::to_string(i * 5000) + ",    " + std::to_string(65 + (i * 11) % 35));
        ++n.aderenze;
    }
    riga("[vel_limite]");
    for (int i = 0; i * 2000 < lunghezza_percorso; ++i) {
        riga("velocita,  " + std::to_string(i * 2000) + ",   " + std::to_string(60 + 5 * ((i * 7) % 19)));
        ++n.velocita;
    }
    riga("[stazioni]");
    static const int tipi[] = {2, 4, 12, 22, 24, 27, 28};
    for (int b = 0, k = 0; b < blocchi; ++b) {
        if (!blocco_stazione(b)) continue;
        // Zone of 400 m around p: its stopping cell is p / 50 + 3, cell 60 of the block.
        int p = b * metri_blocco + 2850;
        int tipo = tipi[k % 7];
        std::string orario = k % 5 == 0 ? std::to_string(10 + k / 10) + ", " + std::to_string((k * 7) % 60) + ", 0"
                                        : "0, 0, 0";
        riga("stazione,  " + std::to_string(p) + ", " + std::to_string(tipo) + ",  400,  1, 0, 0,  1,0,0,  1,1,0,    " +
             std::to_string(k % 3 ? 0 : 60) + ",  " + orario + ", Stazione " + std::to_string(k + 1));
        ++k;
        ++n.stazioni;
    }
    riga("[rallentamenti]");
    for (int b = 0; b < blocchi; ++b) {
        if (blocco_stazione(b)) continue;
        int x = posizione_cella(b, 70);
        int v = 10 + 10 * ((b * 3) % 15);
        int l = 100 + 50 * (b % 7);
        riga("rallentamento,  " + std::to_string(x) + ",  " + std::to_string(v) + ",  " + std::to_string(l) + ", " +
             std::to_string(b % 2) + ",  " + std::to_string((b / 2) % 2) + ",  " + std::to_string(b % 3 ? 0 : v));
        ++n.rallentamenti;
    }
    riga("[segnali]");
    for (int b = 0, i = 0; b < blocchi; ++b) {
        for (int rc = 3; rc < 40; rc += 5, ++i) {
            std::ostringstream r;
            r << "segnale,  " << posizione_cella(b, rc) << ",   2, " << 2 + i % 4 << ", " << i % 7 << ",  "
              << (i * 3) % 7 << ", " << i % 2 << ",    " << i % 3 << ",  " << i % 4 << "," << (i / 2) % 2 << ","
              << (i / 3) % 2 << ", " << (i % 97 == 0 ? 130 : 0);
            riga(r.str());
            ++n.segnali;
        }
    }
    riga("[codici]");
    for (int b = 0; b < blocchi; ++b) {
        // Cell 1 of the route holds the table's mark: no abatement point there.
        for (int rc = b == 0 ? 6 : 1; rc < 40; rc += 5) {
            riga("abbattimento,  " + std::to_string(b * metri_blocco + 50 * rc) + ",   " + (rc % 2 ? "270" : "280"));
            ++n.abbattimenti;
        }
    }
    riga("[fine]");
    return o.str();
}

}  // namespace valmarena::percorso_lungo
