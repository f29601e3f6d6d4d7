// The route view's data, gathered from the decoded records through the same descriptions as
// `dump` and `plot`.

#include "vista_dati.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "descrizione.h"
#include "compiler/chilometri.h"
#include "json.h"

namespace valmarena::strumento {

namespace {

constexpr std::int64_t passo_pianta = 10;  // metres between the plan points the page gets

// The FILE:LINE of the row that placed cell `c`'s feature; empty when not known.
std::string origine(const scenario_letto& s, std::int64_t c) {
    if (c < 0 || static_cast<std::size_t>(c) >= s.origini.size()) return {};
    const origine_cella& o = s.origini[static_cast<std::size_t>(c)];
    if (o.file == fonte::controlli) return "added by the route checks";
    if (o.file != fonte::linea && o.file != fonte::treno) return {};
    return s.nomi_sorgenti[o.file == fonte::linea ? 0 : 1] + ":" + std::to_string(o.riga);
}

void campi_in_json(json_scrittore& j, const std::vector<campo_letto>& campi) {
    j.oggetto();
    for (const auto& c : campi) campo_in_json(j, c);
    j.fine();
}

// Where the count of posts changes against the route metres: pairs of (metres, post) at the
// start of every cell whose post is not the metres after the previous pair.
void chilometri_in_json(json_scrittore& j, const scenario_letto& s, std::int64_t lunghezza) {
    j.lista();
    const chilometri km = s.tabella ? chilometri(*s.tabella) : chilometri();
    std::int64_t scarto = 0;
    bool primo = true;
    for (std::int64_t m = 0; m <= lunghezza + 50; m += 50) {
        const std::int64_t k = km.progressiva(m);
        if (primo || k - m != scarto) j.intero(m).intero(k);
        scarto = k - m;
        primo = false;
    }
    j.fine();
}

void profili_in_json(json_scrittore& j, const scenario_letto& s) {
    j.chiave("pendenza").lista();
    for (const auto& c : s.celle) j.intero(static_cast<int>(c.pendenza) - 100);
    j.fine().chiave("velocita").lista();
    for (const auto& c : s.celle) j.intero(static_cast<int>(c.velocita) * 5);
    j.fine().chiave("aderenza").lista();
    for (const auto& c : s.celle) j.intero(c.aderenza);
    j.fine();
}

// The running model's speed at the start of each cell, in tenths of km/h, null where it does not
// run; null as a whole when the page is drawn from compiled files.
void marcia_in_json(json_scrittore& j, const scenario_letto& s) {
    if (s.marcia.empty()) {
        j.nullo();
        return;
    }
    j.oggetto().chiave("accelerazione").reale(s.parametri.accelerazione, 3);
    j.chiave("frenatura").reale(s.parametri.frenatura, 3).chiave("kmh10").lista();
    for (const auto& v : s.marcia) v ? j.intero(std::llround(*v * 36.0)) : j.nullo();
    j.fine().fine();
}

// The plan every `passo_pianta` metres, in decimetres; null where the plan holds no point.
void pianta_in_json(json_scrittore& j, const scenario_letto& s) {
    if (!s.tracciato || s.tracciato->punti == 0) {
        j.nullo();
        return;
    }
    const struct tracciato& t = *s.tracciato;
    j.oggetto().chiave("passo").intero(passo_pianta);
    for (std::size_t asse = 0; asse < 2; ++asse) {
        j.chiave(asse == 0 ? "x" : "y").lista();
        for (std::size_t m = 0; m < t.punti; m += passo_pianta) {
            const std::size_t i = asse * t.punti + m;
            const bool pieno = t.etichette[m] != etichetta::vuoto && t.etichette[t.punti + m] != etichetta::vuoto;
            const double v = t.valori[i] * 10.0;
            if (pieno && std::isfinite(v)) j.intero(std::llround(v));
            else j.nullo();
        }
        j.fine();
    }
    j.fine();
}

// Every cell that carries a feature: [cell, tipo, values, FILE:LINE or null].
void elementi_in_json(json_scrittore& j, const scenario_letto& s) {
    const std::vector<voce>* voci = s.tabella ? &*s.tabella : nullptr;
    j.lista();
    for (std::size_t i = 0; i < s.celle.size(); ++i) {
        if (s.celle[i].tipo == cella_vuota) continue;
        const elemento_cella e = descrivi_cella(s.celle, i, voci);
        j.lista().intero(static_cast<std::int64_t>(i)).intero(e.tipo);
        campi_in_json(j, e.campi);
        const std::string o = origine(s, static_cast<std::int64_t>(i));
        o.empty() ? j.nullo() : j.testo(o);
        j.fine();
    }
    j.fine();
}

void stazioni_in_json(json_scrittore& j, const scenario_letto& s) {
    j.lista();
    for (const auto& st : stazioni_del_percorso(s)) {
        j.oggetto().chiave("m").intero(st.metri).chiave("nome").testo(st.nome).chiave("fermata").logico(st.fermata);
        j.chiave("voce").intero(st.voce).chiave("cella").intero(st.cella);
        j.chiave("campi");
        if (st.voce >= 0 && s.tabella) campi_in_json(j, campi_voce((*s.tabella)[static_cast<std::size_t>(st.voce)]));
        else j.nullo();
        const std::string o = origine(s, st.cella);
        j.chiave("o");
        o.empty() ? j.nullo() : j.testo(o);
        j.fine();
    }
    j.fine();
}

void cella_o_nullo(json_scrittore& j, const std::optional<std::size_t>& c) {
    c ? j.intero(static_cast<std::int64_t>(*c)) : j.nullo();
}

void rallentamenti_in_json(json_scrittore& j, const scenario_letto& s) {
    j.lista();
    for (const auto& r : trova_rallentamenti(s.celle)) {
        j.oggetto().chiave("v").intero(r.velocita).chiave("da").intero(static_cast<std::int64_t>(r.inizio));
        j.chiave("a");
        cella_o_nullo(j, r.fine);
        j.chiave("avviso");
        cella_o_nullo(j, r.avviso);
        j.chiave("numerate").lista();
        for (auto n : r.numerate) j.intero(static_cast<std::int64_t>(n));
        j.fine();
        const std::string o = origine(s, static_cast<std::int64_t>(r.inizio));
        j.chiave("o");
        o.empty() ? j.nullo() : j.testo(o);
        j.fine();
    }
    j.fine();
}

// The line's stretches: mountains (cell runs of one kind), the signal repetition, the
// kilometric references and the curves.
void tratti_in_json(json_scrittore& j, const scenario_letto& s) {
    j.chiave("montagne").lista();
    for (std::size_t c = 0; c < s.celle.size();) {
        std::size_t h = c;
        while (h + 1 < s.celle.size() && s.celle[h + 1].montagna == s.celle[c].montagna) ++h;
        if (s.celle[c].montagna != 0)
            j.lista().intero(static_cast<std::int64_t>(c)).intero(static_cast<std::int64_t>(h)).intero(s.celle[c].montagna).fine();
        c = h + 1;
    }
    j.fine().chiave("ripetizione");
    if (s.tabella && (*s.tabella)[voce_treno].fine > (*s.tabella)[voce_treno].inizio) {
        const voce& t = (*s.tabella)[voce_treno];
        j.lista().intero(t.inizio).intero(t.fine).intero(t.progressiva).fine();
    } else {
        j.nullo();
    }
    j.chiave("riferimenti").lista();
    if (s.tabella)
        for (int i : {voce_progressiva_uno, voce_progressiva_due, voce_progressiva_tre}) {
            const voce& v = (*s.tabella)[static_cast<std::size_t>(i)];
            if (v.inizio == 0 && v.fine == 0) continue;
            j.lista().intero(v.inizio).intero(v.fine).intero(v.progressiva).testo(nome_voce_riservata(static_cast<std::size_t>(i))).fine();
        }
    j.fine().chiave("curve").lista();
    for (const auto& k : s.curve) j.lista().intero(k.inizio).intero(k.lunghezza).logico(k.sinistra).intero(k.classe).fine();
    j.fine().chiave("curve_lette").logico(s.curve_lette);
}

}  // namespace

std::string dati_vista(const scenario_letto& s) {
    std::int64_t lunghezza = static_cast<std::int64_t>(s.celle.size()) * 50;
    if (s.tabella && (*s.tabella)[voce_misure].fine > 0 && (*s.tabella)[voce_misure].fine <= lunghezza)
        lunghezza = (*s.tabella)[voce_misure].fine;
    json_scrittore j;
    j.oggetto().chiave("percorso").testo(s.percorso).chiave("treno").testo(s.treno);
    j.chiave("lunghezza").intero(lunghezza).chiave("celle").intero(static_cast<std::int64_t>(s.celle.size()));
    j.chiave("sorgenti").logico(!s.origini.empty());
    j.chiave("note").lista();
    for (const auto& n : s.note) j.testo(n);
    j.fine().chiave("km");
    chilometri_in_json(j, s, lunghezza);
    profili_in_json(j, s);
    j.chiave("marcia");
    marcia_in_json(j, s);
    j.chiave("pianta");
    pianta_in_json(j, s);
    j.chiave("elementi");
    elementi_in_json(j, s);
    j.chiave("stazioni");
    stazioni_in_json(j, s);
    j.chiave("rallentamenti");
    rallentamenti_in_json(j, s);
    tratti_in_json(j, s);
    j.fine();
    return j.risultato();
}

}  // namespace valmarena::strumento
