// The competition codes: sums of the character codes of the scenario's identity, the train
// name followed by the route name, lower-cased and padded with a fixed filler to 25 characters.

#include <string>

#include "../sources/codifica.h"
#include "codici_gara.h"

namespace valmarena {

namespace {

constexpr std::string_view riempitivo = "ppqqrrssttuuvvzzkkjjhhggww";
constexpr int caratteri_contati = 25;

std::string testo_codice(const scenario& s) {
    return in_minuscolo(s.tabella[voce_treno].nome + s.tabella[voce_percorso].nome) + std::string(riempitivo);
}

}  // namespace

std::int16_t codice_gara_og(const scenario& s) {
    const std::string t = testo_codice(s);
    int somma = 0;
    for (int k = 0; k < caratteri_contati; ++k) somma += static_cast<unsigned char>(t[static_cast<std::size_t>(k)]);
    return static_cast<std::int16_t>(somma);
}

std::int32_t codice_gara_st(const scenario& s) {
    const std::string t = testo_codice(s);
    std::int32_t somma = 0;
    for (int k = 1; k <= caratteri_contati; ++k) somma += k * static_cast<unsigned char>(t[static_cast<std::size_t>(k - 1)]);
    return somma;
}

}  // namespace valmarena
