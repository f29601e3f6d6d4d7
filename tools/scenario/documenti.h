// The train card and the slowdown order generated from a scenario's line and train files, laid
// out as the package's own forms (Windows-1252 text, CR LF line ends).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace valmarena::strumento {

// What the two forms show, as the line and train files give it.
struct dati_documenti {
    struct stazione {
        std::int32_t posizione = 0;
        std::string nome;       // Windows-1252
        std::int32_t orario = 0;  // seconds from midnight; 0 when the station has no time
    };
    struct limite {
        std::int32_t posizione = 0;
        std::int32_t velocita = 0;
    };
    struct rallentamento {
        std::int32_t x = 0, v = 0, l = 0, f_tt = 0;
    };
    struct riferimento {  // kilometric reference: position, value, flag
        std::int32_t p = 0, k = 0, f = 0;
    };
    std::string nome_treno;
    std::int32_t lunghezza = 0;
    std::int32_t ripetizione_inizio = 0, ripetizione_fine = 0;
    std::int32_t massa_frenata = 0;
    std::vector<riferimento> riferimenti;  // in use, by position
    std::vector<stazione> stazioni;
    std::vector<limite> limiti;
    std::vector<rallentamento> rallentamenti;
};

// Reads the rows the forms need from the two source texts, by the same keywords as the compiler.
dati_documenti leggi_dati_documenti(std::string_view linea, std::string_view treno, const std::string& nome_treno);

// The kilometre post of a route position in metres, by the kilometric reference in force there.
std::int32_t chilometrica(const dati_documenti& d, std::int32_t posizione);

// The forms' texts, each line ended by CR LF.
std::string scheda_generata(const dati_documenti& d);
std::string rallentamenti_generati(const dati_documenti& d);

}  // namespace valmarena::strumento
