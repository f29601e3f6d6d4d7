// The timetable against the line: least times at the limits, the running model, and what the
// authors are told about the stations' times.

#include "orario.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "../records/arrotonda.h"
#include "../sources/codifica.h"

namespace valmarena {

namespace {

constexpr double lunghezza_cella = 50.0;

// The limit in force in each cell, km/h (0 where none is given), and the slowdown that sets it.
struct limiti_celle {
    std::vector<std::int32_t> kmh;
    std::vector<const rallentamento_posto*> rallentamento;
};

limiti_celle limiti_del_percorso(const scenario& s) {
    limiti_celle l;
    l.kmh.reserve(s.celle.size());
    for (const cella& c : s.celle) l.kmh.push_back(std::int32_t{c.velocita} * 5);
    l.rallentamento.assign(s.celle.size(), nullptr);
    const auto n = static_cast<std::int64_t>(s.celle.size());
    // A slowdown holds its speed from its start cell up to its end cell.
    for (const auto& r : s.rallentamenti) {
        if (r.velocita <= 0) continue;
        for (std::int64_t k = std::max<std::int64_t>(r.inizio, 0); k < std::min(r.fine, n); ++k) {
            auto i = static_cast<std::size_t>(k);
            if (l.kmh[i] == 0 || r.velocita < l.kmh[i]) {
                l.kmh[i] = r.velocita;
                l.rallentamento[i] = &r;
            }
        }
    }
    return l;
}

// Seconds over one cell entered at `vl` and left at `vr` (m/s) under the limit `v`: speeding up,
// running at the limit, braking, as far as the cell's length allows.
double tempo_cella(double vl, double vr, double v, const parametri_marcia& p) {
    const double a = p.accelerazione, b = p.frenatura, d = lunghezza_cella;
    const double sale = (v * v - vl * vl) / (2 * a), scende = (v * v - vr * vr) / (2 * b);
    if (sale + scende <= d) return (v - vl) / a + (v - vr) / b + (d - sale - scende) / v;
    const double cima = std::sqrt((2 * a * b * d + b * vl * vl + a * vr * vr) / (a + b));
    return (cima - vl) / a + (cima - vr) / b;
}

// The costliest run of one limit among the cells [c1, c2).
tratto_lento piu_lento(const limiti_celle& l, std::int64_t c1, std::int64_t c2) {
    tratto_lento migliore, corrente;
    for (std::int64_t k = c1; k < c2; ++k) {
        const auto i = static_cast<std::size_t>(k);
        if (l.kmh[i] == 0) continue;
        const double t = lunghezza_cella / (l.kmh[i] / 3.6);
        if (k == c1 || l.kmh[i] != corrente.kmh || l.rallentamento[i] != corrente.rallentamento ||
            corrente.a_metri != inizio_cella(k)) {
            corrente = {inizio_cella(k), inizio_cella(k), l.kmh[i], 0.0, l.rallentamento[i]};
        }
        corrente.a_metri = inizio_cella(k + 1);
        corrente.secondi += t;
        if (corrente.secondi > migliore.secondi) migliore = corrente;
    }
    return migliore;
}

// The times from station `a` to each station up to `b`, over the cells between them.
void tempi_del_tratto(std::vector<stazione_orario>& st, std::size_t a, std::size_t b, const limiti_celle& l,
                      const parametri_marcia& p) {
    const std::int64_t c1 = cella_di_metri(st[a].progressiva), c2 = cella_di_metri(st[b].progressiva);
    const auto n_celle = static_cast<std::int64_t>(l.kmh.size());
    if (c1 < 0 || c2 <= c1 || c2 > n_celle) return;
    const auto n = static_cast<std::size_t>(c2 - c1);
    auto lim = [&](std::size_t i) { return l.kmh[static_cast<std::size_t>(c1) + i] / 3.6; };
    bool senza_limite = false;
    // Speeds at the cell boundaries: no more than either cell allows, 0 at a stop.
    std::vector<double> v(n + 1);
    for (std::size_t i = 0; i <= n; ++i) {
        v[i] = std::min(i > 0 ? lim(i - 1) : HUGE_VAL, i < n ? lim(i) : HUGE_VAL);
        if (i < n && lim(i) <= 0) senza_limite = true;
    }
    auto confine = [&](std::size_t j) { return static_cast<std::size_t>(cella_di_metri(st[j].progressiva) - c1); };
    for (std::size_t j = a; j <= b; ++j)
        if (st[j].ferma && confine(j) <= n) v[confine(j)] = 0;
    const bool modello = !senza_limite && p.accelerazione > 0 && p.frenatura > 0;
    for (std::size_t i = 0; i < n; ++i) v[i + 1] = std::min(v[i + 1], std::sqrt(v[i] * v[i] + 2 * p.accelerazione * lunghezza_cella));
    for (std::size_t i = n; i-- > 0;) v[i] = std::min(v[i], std::sqrt(v[i + 1] * v[i + 1] + 2 * p.frenatura * lunghezza_cella));

    double minimo = 0, marcia = 0;
    std::size_t prossima = a + 1;
    for (std::size_t i = 0; i <= n && prossima <= b; ++i) {
        while (prossima <= b && confine(prossima) == i) {
            st[prossima].da = a;
            st[prossima].minimo = minimo;
            if (modello) st[prossima].modello = marcia;
            st[prossima].piu_lento = piu_lento(l, c1, c1 + static_cast<std::int64_t>(i));
            ++prossima;
        }
        if (i == n) break;
        if (lim(i) > 0) minimo += lunghezza_cella / lim(i);
        if (modello) marcia += tempo_cella(v[i], v[i + 1], lim(i), p);
    }
}

std::string secondi(double t) {
    char b[32];
    std::snprintf(b, sizeof b, "%.1f s", t);
    return b;
}

std::string per_cento(double x) {
    char b[32];
    std::snprintf(b, sizeof b, "%+.1f %%", x);
    return b;
}

struct testo_orario {
    const scenario& s;
    std::string nome(const stazione_orario& x) const {
        return "'" + da_1252_a_utf8(s.tabella[static_cast<std::size_t>(x.voce)].nome) + "'";
    }
    std::string dove(const stazione_orario& x) const { return s.nomi_sorgenti[1] + ":" + std::to_string(x.riga.riga); }
    diagnostica in_riga(const stazione_orario& x, const char* tipo, std::string m) const {
        diagnostica d;
        d.file = s.nomi_sorgenti[1];
        d.riga = x.riga.riga;
        d.colonna = x.riga.colonna;
        d.tipo = tipo;
        d.dettaglio = std::move(m);
        return d;
    }
};

std::string tratto_in_testo(const tratto_lento& t) {
    std::string m = std::to_string(t.da_metri) + " to " + std::to_string(t.a_metri) + " m at " +
                    std::to_string(t.kmh) + " km/h";
    if (t.rallentamento && t.rallentamento->riga > 0)
        m += " (the slowdown of " + t.rallentamento->file + ":" + std::to_string(t.rallentamento->riga) + ")";
    return m + ", " + secondi(t.secondi);
}

}  // namespace

std::string ora_in_testo(std::int32_t t) {
    const std::int64_t v = t < 0 ? -std::int64_t{t} : t;
    char b[40];
    std::snprintf(b, sizeof b, "%s%02lld:%02lld:%02lld", t < 0 ? "-" : "", static_cast<long long>(v / 3600),
                  static_cast<long long>(v / 60 % 60), static_cast<long long>(v % 60));
    return b;
}

std::vector<stazione_orario> orario_del_percorso(const scenario& s, const parametri_marcia& p) {
    std::vector<stazione_orario> st;
    for (std::size_t i = 0; i < s.righe_stazioni.size() && i + 1 < prima_voce_cartelli; ++i) {
        const voce& v = s.tabella[i + 1];
        stazione_orario x;
        x.voce = static_cast<int>(i + 1);
        x.riga = s.righe_stazioni[i];
        x.progressiva = v.progressiva;
        x.ferma = v.tipo < 25;
        if (v.orario != 0) x.orario = v.orario;
        st.push_back(x);
    }
    if (s.celle.empty()) return st;
    const limiti_celle l = limiti_del_percorso(s);
    std::optional<std::size_t> da;
    for (std::size_t j = 0; j < st.size(); ++j) {
        if (!st[j].orario) continue;
        if (da) tempi_del_tratto(st, *da, j, l, p);
        da = j;
    }
    // After the last station with a time, the times run on to the last station.
    if (da && *da + 1 < st.size()) tempi_del_tratto(st, *da, st.size() - 1, l, p);
    return st;
}

void diagnostica_orario(scenario& s, const parametri_marcia& p) {
    const std::vector<stazione_orario> st = orario_del_percorso(s, p);
    const testo_orario t{s};
    for (const auto& x : st) {
        if (!x.orario || !x.da) continue;
        const stazione_orario& prima = st[*x.da];
        const std::int32_t dato = *x.orario - *prima.orario;
        const std::string tra = t.nome(prima) + " (" + t.dove(prima) + ", " + ora_in_testo(*prima.orario) + ")";
        if (dato < 0) {
            registra_avvertimento(s, t.in_riga(x, "timetable-backwards",
                                               t.nome(x) + " is timed " + ora_in_testo(*x.orario) +
                                                   ", earlier than the station with a time before it, " + tra));
            continue;
        }
        const std::string metri = std::to_string(std::int64_t{x.progressiva} - prima.progressiva) + " m";
        if (x.minimo && dato < *x.minimo - 1e-6) {
            registra_avvertimento(
                s, t.in_riga(x, "timetable-too-fast",
                             t.nome(x) + " is timed " + ora_in_testo(*x.orario) + ", " + std::to_string(dato) +
                                 " s after " + tra + ", but the " + metri + " between them take at least " +
                                 secondi(*x.minimo) + " at the speed limits; the stretch that costs most is " +
                                 tratto_in_testo(x.piu_lento)));
            continue;
        }
        if (x.modello && dato < *x.modello - 1e-6) {
            char acc[64];
            std::snprintf(acc, sizeof acc, "%.2g m/s\xC2\xB2 and braking at %.2g m/s\xC2\xB2", p.accelerazione,
                          p.frenatura);
            registra_avvertimento(s, t.in_riga(x, "timetable-tight",
                                       t.nome(x) + " is timed " + std::to_string(dato) + " s after " + tra +
                                           "; the running model (accelerating at " + acc +
                                           ", stopping at every station with a stop) needs " + secondi(*x.modello) +
                                           ": margin " + per_cento((dato - *x.modello) / *x.modello * 100.0)));
        }
    }
}

}  // namespace valmarena
