// Initialisation of the scenario records and checked access to cells, entries and track plan.

#include "scenario.h"

#include <string>

#include "arrotonda.h"
#include "guasti.h"

namespace valmarena {

void inizializza_tabella(scenario& s) {
    for (auto& v : s.tabella) v = voce{};
    s.codice_errore = 0;
    s.diagnostiche.clear();
    s.avvertimenti.clear();
    s.righe_stazioni.clear();
    s.avvertimenti_per_tipo.clear();
    s.errori_per_codice.clear();
}

void alloca_percorso(scenario& s, std::int32_t lunghezza) {
    s.fine_tracciato = lunghezza + 7000;
    s.ultima_cella = clng(static_cast<double>(s.fine_tracciato) / 50.0);
    if (s.ultima_cella < 0) throw guasto("negative route length");
    s.celle.assign(static_cast<std::size_t>(s.ultima_cella) + 1, cella{});
    s.origini.clear();
    s.rallentamenti.clear();
    s.tracciato = {};
    if (s.genera_tracciato == tracciato_si_no::con) {
        s.tracciato.punti = static_cast<std::size_t>(s.fine_tracciato) + 1;
    }
}

void cella_fuori_limiti(const scenario& s, std::int64_t indice) {
    throw indice_fuori_limiti("cell " + std::to_string(indice) + " outside the route cells (0.." +
                              std::to_string(static_cast<std::int64_t>(s.celle.size()) - 1) + ")");
}

voce& voce_a(scenario& s, std::int64_t indice) {
    if (indice < 0 || indice >= voci_tabella)
        throw indice_fuori_limiti("entry " + std::to_string(indice) + " outside the scenario table");
    return s.tabella[static_cast<std::size_t>(indice)];
}

static std::size_t posto(const struct tracciato& t, std::int64_t metro, int asse) {
    if (metro < 0 || static_cast<std::uint64_t>(metro) >= t.punti || asse < 0 || asse > 1)
        throw indice_fuori_limiti("metre " + std::to_string(metro) + " outside the track plan");
    return static_cast<std::size_t>(asse) * t.punti + static_cast<std::size_t>(metro);
}

void apri_tracciato(piano_tracciato& t) {
    if (t.punti < 2) throw indice_fuori_limiti("metre 0 outside the track plan");
    t.origine = true;
}

void imposta_punto(struct tracciato& t, std::int64_t metro, int asse, etichetta e, double v) {
    auto i = posto(t, metro, asse);
    t.etichette[i] = e;
    t.valori[i] = v;
}

double valore_punto(const struct tracciato& t, std::int64_t metro, int asse) {
    return t.valori[posto(t, metro, asse)];
}

etichetta etichetta_punto(const struct tracciato& t, std::int64_t metro, int asse) {
    return t.etichette[posto(t, metro, asse)];
}

void registra_errore(scenario& s, const diagnostica& d) {
    s.codice_errore = d.codice;
    if (d.ha_posizione) s.posizione_errore = d.posizione;
    if (++s.errori_per_codice[d.codice] <= avvertimenti_per_tipo_max) s.diagnostiche.push_back(d);
}

std::int64_t errori_trovati(const scenario& s) {
    auto n = static_cast<std::int64_t>(s.diagnostiche.size());
    for (const auto& [codice, quanti] : s.errori_per_codice)
        if (quanti > avvertimenti_per_tipo_max) n += quanti - avvertimenti_per_tipo_max;
    return n;
}

void registra_avvertimento(scenario& s, diagnostica d) {
    if (++s.avvertimenti_per_tipo[d.tipo] <= avvertimenti_per_tipo_max) s.avvertimenti.push_back(std::move(d));
}

std::int64_t avvertimenti_trovati(const scenario& s) {
    auto n = static_cast<std::int64_t>(s.avvertimenti.size());
    for (const auto& [tipo, quanti] : s.avvertimenti_per_tipo)
        if (quanti > avvertimenti_per_tipo_max) n += quanti - avvertimenti_per_tipo_max;
    return n;
}

}  // namespace valmarena
