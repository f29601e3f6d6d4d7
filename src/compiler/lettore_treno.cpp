// The train half of the reader: the train's general data, speed limits and adhesion along the
// route, stations with their zones and stopping points, slowdowns, signals and abatement points.

#include <algorithm>
#include <cstdint>
#include <string>
#include <utility>

#include "../records/arrotonda.h"
#include "../records/guasti.h"
#include "../sources/codifica.h"
#include "lettore_treno.h"
#include "lettura_comune.h"
#include "treno_elementi.h"

namespace valmarena {

namespace {

std::uint8_t velocita_in_cella(std::int32_t kmh) { return a_byte(clng(kmh / 5.0)); }
std::uint8_t aderenza_in_cella(std::int32_t valore) { return bassi_8(valore); }

// A stretch value (speed limit or adhesion) carried cell by cell from a pointer.
struct riempimento {
    std::uint8_t cella::*campo;
    std::uint8_t (*in_cella)(std::int32_t);
    bool ferma_all_ultima;  // the speed fill of a row stops at the last cell
    const char* campo_nome;
    std::int64_t puntatore = 0;
    std::int32_t corrente = 0;
    luogo origine{};  // the row that brought `corrente`
};

struct lettura_treno : lettura {
    std::int32_t stazione = 1;  // S: the table entry of the next station
    int riga_stazione_precedente = 0;
    riempimento velocita{&cella::velocita, velocita_in_cella, true, "field 'speed' of the 'velocita' row"};
    riempimento aderenza{&cella::aderenza, aderenza_in_cella, false, "field 'adhesion' of the 'aderenza' row"};

    using lettura::lettura;

    esito riga();
    void riempi(riempimento& f, std::int64_t fino_a, bool ferma_all_ultima);
    esito valore_tratto(riempimento& f);
    esito segnale();
    esito rallentamento();
    void annota_rallentamento(rallentamento_posto& r_posto);
    void avverti_fine_coperta(std::int64_t c);
    esito abbattimento();
    esito stazione_();
    esito troppo_vicina(const voce& e, std::int32_t p);
    void segna_rallentamento(std::int32_t x, std::int32_t l, std::int32_t f_ta);
    void fine_normale();
};

esito lettura_treno::riga() {
    using T = tipo_riga;
    esito e = esito::avanti;
    if (riconosciuta(T::frenata)) s.tabella[voce_misure].inizio = in.numero_long();
    if (riconosciuta(T::vetture)) s.tabella[voce_misure].progressiva = in.numero_long();
    if (riconosciuta(T::velocita) && (e = valore_tratto(velocita)) != esito::avanti) return e;
    if (riconosciuta(T::aderenza) && (e = valore_tratto(aderenza)) != esito::avanti) return e;
    if (riconosciuta(T::orologio)) {
        voce& treno = s.tabella[voce_treno];
        treno.intero3 = in.numero_intero();
        treno.intero4 = in.numero_intero();
        treno.intero5 = in.numero_intero();
    }
    if (riconosciuta(T::sabbia)) s.tabella[voce_treno].intero1 = in.numero_intero();
    if (riconosciuta(T::segnale) && (e = segnale()) != esito::avanti) return e;
    if (riconosciuta(T::rallentamento) && (e = rallentamento()) != esito::avanti) return e;
    if (riconosciuta(T::abbattimento) && (e = abbattimento()) != esito::avanti) return e;
    if (riconosciuta(T::stazione) && (e = stazione_()) != esito::avanti) return e;
    return e;
}

// Sets the cells from the pointer on to the current value, at least one, until the pointer reaches `fino_a`.
// A value that does not fit in a cell is reported at the row that brought it: an author's check
// records it once and carries 0 on, a compile hands it on.
void lettura_treno::riempi(riempimento& f, std::int64_t fino_a, bool ferma_all_ultima) {
    try {
        if (ferma_all_ultima && f.puntatore >= s.ultima_cella) return;
        // The same value goes into every cell: worked out once, at the first cell it goes into.
        const std::uint8_t valore = f.in_cella(f.corrente);
        // At least one cell; the speed fill of a row not past the last cell.
        std::int64_t fine = std::max(fino_a, f.puntatore + 1);
        if (ferma_all_ultima) fine = std::min<std::int64_t>(fine, s.ultima_cella);
        const std::int64_t esistenti = std::min(fine, static_cast<std::int64_t>(s.celle.size()));
        // The cells and the field are taken once: a byte stored through the field may alias
        // them, so the loop would read them again at every cell.
        cella* const celle = s.celle.data();
        std::uint8_t cella::*const campo = f.campo;
        std::int64_t k = f.puntatore;
        for (; k < esistenti; ++k) celle[k].*campo = valore;
        f.puntatore = k;
        // A fill that runs past the cells fails at the first one missing, the pointer left there.
        if (k < fine) cella_fuori_limiti(s, k);
    } catch (const indice_fuori_limiti&) {
        throw;
    } catch (const guasto& g) {
        const std::string cosa = std::string(f.campo_nome) + " holds " + std::to_string(f.corrente) +
                                 ", which does not fit in a cell: " + g.what();
        if (!s.continua_dopo_errori) throw guasto_in_riga(cosa, in.nome_file(), f.origine);
        diagnostica d = diagnostica_in(in.nome_file(), f.origine, cosa);
        d.codice = 25;
        registra_errore(s, d);
        f.corrente = 0;
        riempi(f, fino_a, ferma_all_ultima);
    }
}

// A speed-limit or adhesion row: the previous value holds up to its position, its own from there.
esito lettura_treno::valore_tratto(riempimento& f) {
    std::int32_t a = in.numero_long();
    std::int32_t v = in.numero_long();
    if (!dentro(a, 100)) return esito::fine_file;
    std::int32_t t = cinquantesimi(a);
    if (t > 0) riempi(f, t, f.ferma_all_ultima);
    f.corrente = v;
    f.origine = r.dove;
    return esito::avanti;
}

esito lettura_treno::segnale() {
    std::int32_t v[11];
    leggi_long(in, v);
    if (!dentro(v[0], 100)) return esito::fine_file;
    riga_segnale r{v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], v[8], v[9], v[10]};
    const esito_memo m = memo_segnale(s, r);
    if (m.codice != 0) return scontro(m, r.posizione);
    segna(cella_di_metri(r.posizione));
    return esito::avanti;
}

esito lettura_treno::rallentamento() {
    std::int32_t v[6];
    leggi_long(in, v);
    if (!dentro(v[0], 100)) return esito::fine_file;
    const std::int32_t f_ta = v[4];
    const std::size_t prima = s.rallentamenti.size();
    const esito_memo m = memo_rallentamento(s, v[0], v[1], v[2], v[3], v[4], v[5]);
    if (s.rallentamenti.size() > prima) annota_rallentamento(s.rallentamenti.back());
    if (m.codice == 20) segna_rallentamento(v[0], v[2], 0);
    if (m.codice != 0) return scontro(m, v[0]);
    segna_rallentamento(v[0], v[2], f_ta);
    return esito::avanti;
}

// Keeps the row of a placed slowdown; one whose start and end fall in the same cell has its end
// mark written over by its start, which an author should hear about.
void lettura_treno::annota_rallentamento(rallentamento_posto& r_posto) {
    r_posto.file = in.nome_file();
    r_posto.riga = r.dove.riga;
    if (r_posto.inizio == r_posto.fine) {
        diagnostica d = diagnostica_in(in.nome_file(), r.dove,
                                       "the slowdown is shorter than one cell: its start and end both fall in cell " +
                                           std::to_string(r_posto.inizio) + ", so it has no end mark");
        d.tipo = "short-slowdown";
        registra_avvertimento(s, std::move(d));
    }
}

// Notes a stopping point written over a slowdown's end mark, naming that slowdown's row.
void lettura_treno::avverti_fine_coperta(std::int64_t c) {
    if (cella_a(s, c).tipo != cella_fine_rallentamento) return;
    std::string di_chi = "a slowdown";
    std::vector<riga_correlata> correlate;
    for (const auto& r_posto : s.rallentamenti)
        if (r_posto.fine == c && r_posto.riga > 0) {
            di_chi = "the slowdown of " + r_posto.file + ":" + std::to_string(r_posto.riga);
            correlate = {{r_posto.file, r_posto.riga, 0, "the slowdown whose end mark is covered"}};
        }
    diagnostica d = diagnostica_in(in.nome_file(), r.dove,
                                   "the station's stopping point in cell " + std::to_string(c) +
                                       " is written over the end mark of " + di_chi);
    d.tipo = "slowdown-end-covered";
    d.correlate = std::move(correlate);
    registra_avvertimento(s, std::move(d));
}

esito lettura_treno::abbattimento() {
    std::int32_t a = in.numero_long();
    std::int32_t c = in.numero_long();
    if (!dentro(a, 100)) return esito::fine_file;
    const std::int64_t k = cinquantesimi(a);
    cella& cl = cella_a(s, k);
    if (!libera(cl)) return scontro({7, k}, a);
    segna(k);
    if (c >= 1) {
        cl.tipo = cella_abbattimento;
        cl.valore1 = bassi_16(c);
    } else {
        cl.tipo = cella_abbattimento_senza_valore;
    }
    return esito::avanti;
}

// The cells a placed slowdown took (the same cells memo_rallentamento works out), for the
// messages about later collisions.
void lettura_treno::segna_rallentamento(std::int32_t x, std::int32_t l, std::int32_t f_ta) {
    const bool avviso = x > 1500;
    if (avviso) segna(cella_di_metri(x - 1200.0));
    segna(cella_di_metri(x));
    segna(cella_di_metri(static_cast<double>(x) + l));
    if (avviso && f_ta != 0)
        for (int k = 0; k < 4; ++k) segna(clng((x - 1200.0) / 50.0) - k);
}

// Code 22 with the previous station and the smallest position this one could take.
esito lettura_treno::troppo_vicina(const voce& e, std::int32_t p) {
    const voce& prima = voce_a(s, stazione - 1);
    std::int64_t minima = std::int64_t{prima.fine} + 350 + (std::int64_t{p} - e.inizio);
    minima = (minima + 49) / 50 * 50;
    return ferma(22, p,
                 "the zone starts at " + std::to_string(e.inizio) + " m; the zone of '" + da_1252_a_utf8(prima.nome) +
                     "' (line " + std::to_string(riga_stazione_precedente) + ") ends at " +
                     std::to_string(prima.fine) + " m; the smallest position allowed is " + std::to_string(minima) +
                     " m");
}

std::int32_t in_long(std::int64_t v) {
    if (v < INT32_MIN || v > INT32_MAX) throw guasto("value does not fit in 32 bits: " + std::to_string(v));
    return static_cast<std::int32_t>(v);
}

esito lettura_treno::stazione_() {
    // The entry must be free before anything of the station is stored: a full table would
    // otherwise lose a signboard's text under the station.
    if (stazione > s.prossimo_cartello) return ferma(10, std::nullopt);
    voce& e = voce_a(s, stazione);
    const std::int32_t p = e.progressiva = in.numero_long();
    if (!dentro(p, 800)) return esito::fine_file;
    if (p % 50 != 0) return ferma(8, p);
    e.tipo = in.numero_byte();
    const std::int32_t zona = in.numero_long();
    if (zona % 100 != 0) return ferma(9, p);
    e.dato1 = in.numero_byte();
    e.byte4 = in.numero_byte();
    e.byte3 = in.numero_byte();
    e.intero1 = in.numero_intero();
    e.intero2 = in.numero_intero();
    e.byte1 = in.numero_byte();
    e.intero3 = in.numero_intero();
    e.intero4 = in.numero_intero();
    e.intero5 = in.numero_intero();
    e.byte2 = in.numero_byte();
    std::int64_t ore = in.numero_long();
    std::int64_t minuti = in.numero_long();
    std::int64_t secondi = in.numero_long();
    e.nome = in.testo();
    e.orario = in_long((ore * 60 + minuti) * 60 + secondi);

    if (e.tipo == 5 || e.tipo == 6) {
        e.inizio = in_long(std::int64_t{p} - zona);
        e.fine = in_long(std::int64_t{p} + 150);
        e.byte3 = 0;
    } else if (e.tipo == 7 || e.tipo == 8) {
        e.inizio = in_long(std::int64_t{p} - zona);
        e.fine = in_long(std::int64_t{p} + zona);
        e.byte3 = 0;
    } else {
        e.inizio = clng(p - zona / 2.0);
        e.fine = clng(p + zona / 2.0 + (e.byte3 != 0 ? 50.0 : 0.0));
    }
    if (zona < 600) e.byte4 = 0;
    if (stazione == 1) e.byte3 = e.byte4 = 0;

    if (e.tipo < 25 && e.tipo != 5 && e.tipo != 6) {
        for (int k = 1; k <= 4; ++k) {
            double t = e.fine / 50.0 - k - 1;
            // Marks that would fall beyond the last cell are dropped.
            if (t > 1 && esiste_cella(s, clng(t))) cella_a(s, clng(t)).preavviso = static_cast<std::uint8_t>(80 + k);
        }
    }
    if (e.tipo < 25) {
        double t = e.fine / 50.0 - 1;
        if (t <= 1) return ferma(24, std::nullopt);
        if (!esiste_cella(s, clng(t))) return ferma(111, p);
        avverti_fine_coperta(clng(t));
        cella& fermata = cella_a(s, clng(t));
        fermata.tipo = cella_fermata;
        segna(clng(t));
        fermata.valore1 = bassi_16(stazione);
    }
    if (stazione > 1 && std::int64_t{e.inizio} - 350 < voce_a(s, stazione - 1).fine) return troppo_vicina(e, p);
    riga_stazione_precedente = r.dove.riga;
    s.righe_stazioni.push_back({r.dove.riga, r.dove.colonna});
    ++stazione;
    if (stazione >= s.prossimo_cartello) return ferma(10, std::nullopt);
    return esito::avanti;
}

// End of the file (or a row beyond the route): speed and adhesion carried to the route's end,
// then the kilometric references checked.
void lettura_treno::fine_normale() {
    const std::int64_t fine = std::int64_t{s.ultima_cella} - 2;
    riempi(velocita, fine, false);
    riempi(aderenza, fine, false);
    for (int i : {voce_progressiva_tre, voce_progressiva_due, voce_progressiva_uno}) {
        const voce& v = s.tabella[static_cast<std::size_t>(i)];
        if (v.inizio % 50 != 0 || v.fine % 50 != 0) {
            diagnostica d;
            d.codice = 2;
            registra_errore(s, d);
            break;
        }
    }
}

}  // namespace

void leggi_treno(scenario& s, std::string testo, const std::string& nome_file, osservatore_righe* osservatore) {
    lettura_treno l(s, std::move(testo), nome_file, file_righe::treno);
    l.osservatore = osservatore;
    try {
        while (!l.in.fine()) {
            const std::string_view t = l.token();
            l.passa(t, riga_saltata::prima_di_generale);
            if (contiene(t, "[generale]")) break;
        }
        if (l.scorri_righe([&l](std::string_view) { return l.riga(); }) == esito::fine_file) l.fine_normale();
    } catch (const guasto_in_riga&) {
        throw;
    } catch (const guasto& g) {
        throw guasto_in_riga(g.what(), l.in.nome_file(), l.in.ultimo());
    }
}

}  // namespace valmarena
