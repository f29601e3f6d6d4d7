// Error recording and range tests for the readers.

#include "lettura_comune.h"

#include <algorithm>

#include "diagnosi.h"

namespace valmarena {

lettura::lettura(scenario& sc, std::string testo, const std::string& nome, file_righe f)
    : s(sc), in(std::move(testo), nome), file(f) {
    r.in = &in;
    s.nomi_sorgenti[f == file_righe::linea ? 0 : 1] = nome;
    if (s.diagnosi_per_autori) {
        diagnostica_codifica(s, in.tutto(), nome);
        diagnostica_pacchetto(s, in.tutto(), nome);
    }
}

void lettura::diagnosi_riga(const riga_letta& letta) {
    if (!s.diagnosi_per_autori) return;
    const std::optional<lettura_chiave>& k = letto->chiave[letta.generale ? 1 : 0];
    diagnostica_riga(s, in, letta, k ? *k : chiave_letta(letta), tratti);
}

const lettura_chiave& lettura::chiave_letta(const riga_letta& letta) {
    return letto->chiave[letta.generale ? 1 : 0].emplace(leggi_chiave(letta.file, letta.generale, letta.token));
}

// One bit a row kind: the kinds fit in the mask.
static_assert(static_cast<unsigned>(tipo_riga::stazione) < 32);

void lettura::riconosci(std::string_view token) {
    // Rows of one kind mostly follow each other: the same token as the row before needs no look-up.
    if (token != token_dei_tipi) tipi_di(token);
}

void lettura::tipi_di(std::string_view token) {
    token_dei_tipi = token;
    if (auto it = token_letti.find(token); it != token_letti.end()) {
        letto = &it->second;
        return;
    }
    token_letto t;
    for (const auto& d : descrizione_righe())
        if (riconosce(d.tipo, token)) t.tipi |= std::uint32_t{1} << static_cast<unsigned>(d.tipo);
    letto = token_letti.size() < max_token_letti ? &token_letti.emplace(std::string(token), std::move(t)).first->second
                                                  : &(non_tenuto = std::move(t));
}

void lettura::segna(std::int64_t k) {
    segna_origine(s, k, {r.dove.riga, file == file_righe::linea ? fonte::linea : fonte::treno});
}

esito lettura::scontro(const esito_memo& m, std::int32_t posizione) {
    diagnostica d = diagnostica_in(in.nome_file(), r.dove, occupante(s, m.cella));
    d.codice = m.codice;
    d.ha_posizione = true;
    d.posizione = posizione;
    if (auto altra = riga_occupante(s, m.cella)) d.correlate.push_back(std::move(*altra));
    registra_errore(s, d);
    return esito::ferma;
}

std::string_view lettura::token() {
    const std::string_view t = in.token();
    r.dove = in.ultimo();
    r.primo_della_riga = in.primo_della_riga();
    chiave = t;
    return t;
}

esito lettura::esegui(std::string_view t, const std::function<esito(std::string_view)>& riga) {
    const riga_letta letta{file, generale, t, r.dove, r.primo_della_riga};
    riconosci(t);
    esito e = esito::avanti;
    try {
        e = riga(t);
    } catch (const guasto_in_riga& g) {
        diagnosi_riga(letta);
        if (osservatore) osserva(t, riga_saltata::no, fine_riga::guasto, g.what());
        if (!s.continua_dopo_errori) throw;
        registra_errore(s, [&] {
            diagnostica d = diagnostica_in(g.file, g.dove, g.what());
            d.codice = 25;
            return d;
        }());
        return esito::avanti;
    } catch (const guasto& g) {
        std::string cosa = g.what();
        const std::string campo = campo_in_lettura(in, letta);
        if (!campo.empty()) cosa += " (" + campo + ")";
        diagnosi_riga(letta);
        if (osservatore) osserva(t, riga_saltata::no, fine_riga::guasto, cosa);
        if (!s.continua_dopo_errori) throw guasto_in_riga(cosa, in.nome_file(), in.ultimo());
        errore_riga(s, r, 25, std::nullopt, cosa);
        return esito::avanti;
    }
    diagnosi_riga(letta);
    if (osservatore) osserva(t, riga_saltata::no, e == esito::avanti ? fine_riga::avanti : fine_riga::arresto, {});
    return e;
}

namespace {

// The last line a field was taken from: a quoted field may run over line ends.
int ultima_riga_di(const campo_letto& c) {
    int riga = c.dove.riga;
    for (std::size_t i = 0; i < c.grezzo.size(); ++i)
        if (c.grezzo[i] == '\n' || (c.grezzo[i] == '\r' && (i + 1 >= c.grezzo.size() || c.grezzo[i + 1] != '\n'))) ++riga;
    return riga;
}

}  // namespace

void lettura::osserva(std::string_view t, riga_saltata perche, fine_riga fine, std::string_view guasto) {
    riga_osservata o{file, generale, t, r.dove, perche, {}, {}, fine, guasto, r.dove.riga};
    if (perche == riga_saltata::no) {
        o.campi = in.campi();
        for (const descrizione_riga* d : righe_riconosciute(file, generale, t))
            if (d->tipo != tipo_riga::curva || s.genera_tracciato == tracciato_si_no::con) o.tipi.push_back(d);
        for (const campo_letto& c : o.campi) o.ultima_riga = std::max(o.ultima_riga, ultima_riga_di(c));
    }
    osservatore->riga(o);
}

bool lettura::dentro(std::int64_t p, int margine) {
    if (dentro_percorso(s, p, margine)) return true;
    fuori(p, margine);
    return false;
}

void lettura::fuori(std::int64_t p, int margine) {
    std::string dettaglio;
    if (const auto righe = righe_riconosciute(file, generale, chiave); !righe.empty() && !righe.front()->campi.empty())
        dettaglio = "field '" + std::string(righe.front()->campi.front().nome) + "' of the '" +
                    righe.front()->canonica + "' row; the last position allowed for it is " +
                    std::to_string(std::max<std::int64_t>(0, std::int64_t{s.ultima_cella} * 50 - margine)) + " m";
    errore_riga(s, r, 15, static_cast<std::int32_t>(p), dettaglio);
}

esito lettura::ferma(std::int32_t codice, std::optional<std::int32_t> posizione, std::string dettaglio) {
    errore_riga(s, r, codice, posizione, std::move(dettaglio));
    return esito::ferma;
}

esito lettura::scorri_righe(const std::function<esito(std::string_view)>& riga) {
    for (;;) {
        if (in.fine()) return esito::fine_file;
        std::string_view t = token();
        if (in.fine()) {
            passa(t, riga_saltata::ultima_del_file);
            return esito::fine_file;
        }
        for (int i = 0; i < 2 && ha_trattino(t); ++i) {
            passa(t, riga_saltata::trattino);
            t = token();
            if (in.fine()) {
                passa(t, riga_saltata::ultima_del_file);
                return esito::fine_file;
            }
        }
        esito e = esegui(t, riga);
        if (e == esito::ferma && s.continua_dopo_errori) e = esito::avanti;
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

bool dentro_percorso(const scenario& s, std::int64_t p, int margine) {
    if (p < 0) return false;
    return (static_cast<double>(p) + margine) / 50.0 <= static_cast<double>(s.ultima_cella);
}

}  // namespace valmarena
