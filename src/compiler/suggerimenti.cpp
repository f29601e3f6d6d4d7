// Nearest words for "did you mean".

#include "suggerimenti.h"

#include <algorithm>

#include "../sources/codifica.h"
#include "lettore_token.h"

namespace valmarena {

namespace {

// Words longer than this are no misspelt keyword: they are not compared.
constexpr std::size_t parola_massima = 64;

std::size_t soglia(std::size_t lunghezza) { return lunghezza >= 6 ? 2 : 1; }

std::string_view senza_blanchi(std::string_view t) {
    while (!t.empty() && (t.front() == ' ' || t.front() == '\t')) t.remove_prefix(1);
    while (!t.empty() && (t.back() == ' ' || t.back() == '\t')) t.remove_suffix(1);
    return t;
}

// True when the token holds every word of the row, letter case ignored.
bool tutte_le_parole(const descrizione_riga& d, std::string_view token) {
    for (const auto& p : d.parole)
        if (!contiene(token, p.testo)) return false;
    return true;
}

bool qualche_esatta(const descrizione_riga& d) {
    return std::any_of(d.parole.begin(), d.parole.end(), [](const parola_chiave& p) { return p.esatta; });
}

// The words of the row that the token lacks, as "'massa'" or "'massa' and 'frenata'".
std::string parole_mancanti(const descrizione_riga& d, std::string_view token) {
    std::string m;
    for (const auto& p : d.parole) {
        if (contiene(token, p.testo)) continue;
        m += (m.empty() ? "'" : " and '") + std::string(p.testo) + "'";
    }
    return m;
}

}  // namespace

std::size_t distanza(std::string_view a, std::string_view b) {
    const std::size_t n = a.size(), m = b.size();
    // Three rows of the table: two back for a swap of neighbours.
    std::vector<std::size_t> due(m + 1), una(m + 1), ora(m + 1);
    for (std::size_t j = 0; j <= m; ++j) una[j] = j;
    for (std::size_t i = 1; i <= n; ++i) {
        ora[0] = i;
        for (std::size_t j = 1; j <= m; ++j) {
            const bool uguali = minuscola(a[i - 1]) == minuscola(b[j - 1]);
            ora[j] = std::min({una[j] + 1, ora[j - 1] + 1, una[j - 1] + (uguali ? 0 : 1)});
            if (i > 1 && j > 1 && minuscola(a[i - 1]) == minuscola(b[j - 2]) &&
                minuscola(a[i - 2]) == minuscola(b[j - 1]))
                ora[j] = std::min(ora[j], due[j - 2] + 1);
        }
        due.swap(una);
        una.swap(ora);
    }
    return una[m];
}

std::string piu_vicina(std::string_view parola, const std::vector<std::string>& candidati) {
    parola = senza_blanchi(parola);
    if (parola.empty() || parola.size() > parola_massima) return {};
    std::string migliore;
    std::size_t minima = soglia(parola.size()) + 1;
    for (const auto& c : candidati) {
        const std::size_t d = distanza(parola, c);
        if (d < minima) {
            minima = d;
            migliore = c;
        }
    }
    return migliore;
}

std::string forse_intendevi(file_righe f, bool generale, std::string_view token) {
    const bool sezione_generale = generale && f == file_righe::linea;
    std::vector<std::string> grafie;
    for (const auto& d : descrizione_righe()) {
        if (d.file != f || d.generale != sezione_generale) continue;
        // The general keywords compare in their own letter case: a token that holds their words
        // in another case is what was meant.
        if (qualche_esatta(d) && tutte_le_parole(d, token))
            return "did you mean '" + std::string(d.canonica) + "'? (letter case matters in this keyword)";
        grafie.insert(grafie.end(), d.grafie.begin(), d.grafie.end());
    }
    const std::string vicina = piu_vicina(token, grafie);
    if (!vicina.empty()) return "did you mean '" + da_1252_a_utf8(vicina) + "'?";
    // A keyword of several words with one of them: the others are missing.
    for (const auto& d : descrizione_righe()) {
        if (d.file != f || d.generale != sezione_generale || d.parole.size() < 2) continue;
        if (std::none_of(d.parole.begin(), d.parole.end(),
                         [&](const parola_chiave& p) { return contiene(token, p.testo); }))
            continue;
        return "did you mean '" + std::string(d.canonica) + "'? (the keyword must also hold " +
               parole_mancanti(d, token) + ")";
    }
    return {};
}

}  // namespace valmarena
