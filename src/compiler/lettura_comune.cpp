// Error recording and range tests for the readers.

#include "lettura_comune.h"

#include "../platform/codifica.h"

namespace valmarena {

lettura::lettura(scenario& sc, const std::string& testo, const std::string& nome) : s(sc), in(testo, nome) {
    r.in = &in;
}

std::string lettura::token() {
    std::string t = in.token();
    r.dove = in.ultimo();
    s.riga = t;
    return t;
}

bool lettura::dentro(std::int64_t p, int margine) {
    if (dentro_percorso(s, p, margine)) return true;
    errore_riga(s, r, 15, static_cast<std::int32_t>(p));
    return false;
}

esito lettura::ferma(std::int32_t codice, std::optional<std::int32_t> posizione, std::string dettaglio) {
    errore_riga(s, r, codice, posizione, std::move(dettaglio));
    return esito::ferma;
}

esito lettura::scorri_righe(const std::function<esito(const std::string&)>& riga) {
    for (;;) {
        if (in.fine()) return esito::fine_file;
        std::string t = token();
        if (in.fine()) return esito::fine_file;
        for (int i = 0; i < 2 && contiene(t, "-"); ++i) {
            t = token();
            if (in.fine()) return esito::fine_file;
        }
        esito e = esito::avanti;
        if (!s.continua_dopo_errori) {
            e = riga(t);
        } else {
            try {
                e = riga(t);
            } catch (const guasto& g) {
                errore_riga(s, r, 25, std::nullopt, g.what());
            }
            if (e == esito::ferma) e = esito::avanti;
        }
        if (e != esito::avanti) return e;
    }
}

diagnostica diagnostica_in(std::string file, luogo dove, std::string dettaglio) {
    diagnostica d;
    d.file = std::move(file);
    d.riga = dove.riga;
    d.colonna = dove.colonna;
    d.dettaglio = std::move(dettaglio);
    return d;
}

void errore_riga(scenario& s, const riga_corrente& r, std::int32_t codice,
                 std::optional<std::int32_t> posizione, std::string dettaglio) {
    diagnostica d = diagnostica_in(r.in ? r.in->nome_file() : std::string(), r.dove, std::move(dettaglio));
    d.codice = codice;
    d.ha_posizione = posizione.has_value();
    d.posizione = posizione.value_or(0);
    registra_errore(s, d);
}

void avverti_token_ignoto(scenario& s, const riga_corrente& r, const std::string& token) {
    if (!r.in || !r.in->primo_della_riga() || token.empty()) return;
    if (token.front() == '[' && token.back() == ']') return;
    if (token.find_first_not_of("0123456789+-. ") == std::string::npos) return;
    s.avvertimenti.push_back(
        diagnostica_in(r.in->nome_file(), r.dove, "'" + da_1252_a_utf8(token) + "' matches no keyword: the row is passed over"));
}

void raccogli_avvertimenti(scenario& s, const lettore_token& in) {
    for (const auto& a : in.avvertimenti()) s.avvertimenti.push_back(diagnostica_in(in.nome_file(), a.dove, a.testo));
}

bool dentro_percorso(const scenario& s, std::int64_t p, int margine) {
    if (p < 0) return false;
    return (static_cast<double>(p) + margine) / 50.0 <= static_cast<double>(s.ultima_cella);
}

}  // namespace valmarena
