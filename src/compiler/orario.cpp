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

// A limit, km/h (0 where none is given), and the slowdown that sets it.
struct limite {
    std::int32_t kmh = 0;
    const rallentamento_posto* rallentamento = nullptr;
    bool operator==(const limite&) const = default;
};

// One limit over the cells [c1, c2).
struct limite_costante {
    std::int64_t c1 = 0, c2 = 0;
    limite l;
};

// The route as runs of one limit, each as long as it goes. A slowdown holds its speed from its
// start cell up to its end cell wherever it is below the limit already there, so where slowdowns
// overlap the lowest holds (the first of equals).
std::vector<limite_costante> limiti_del_percorso(const scenario& s) {
    const auto n = static_cast<std::int64_t>(s.celle.size());
    auto dentro = [&](std::int64_t k) { return std::clamp<std::int64_t>(k, 0, n); };
    // Where the limit may change: where the line's changes, and where a slowdown starts or ends.
    std::vector<std::int64_t> tagli{0, n};
    for (auto c = s.celle.begin(); c != s.celle.end();) {
        const std::uint8_t v = c->velocita;
        c = std::find_if(c, s.celle.end(), [v](const cella& x) { return x.velocita != v; });
        tagli.push_back(c - s.celle.begin());
    }
    for (const auto& r : s.rallentamenti) {
        tagli.push_back(dentro(r.inizio));
        tagli.push_back(dentro(r.fine));
    }
    std::sort(tagli.begin(), tagli.end());
    tagli.erase(std::unique(tagli.begin(), tagli.end()), tagli.end());
    std::vector<limite_costante> pezzi;
    for (std::size_t i = 0; i + 1 < tagli.size(); ++i) {
        const std::int32_t linea = std::int32_t{s.celle[static_cast<std::size_t>(tagli[i])].velocita} * 5;
        pezzi.push_back({tagli[i], tagli[i + 1], {linea, nullptr}});
    }
    for (const auto& r : s.rallentamenti) {
        if (r.velocita <= 0) continue;
        auto x = std::lower_bound(pezzi.begin(), pezzi.end(), dentro(r.inizio),
                                  [](const limite_costante& p, std::int64_t c) { return p.c1 < c; });
        for (; x != pezzi.end() && x->c1 < dentro(r.fine); ++x)
            if (x->l.kmh == 0 || r.velocita < x->l.kmh) x->l = {r.velocita, &r};
    }
    std::vector<limite_costante> l;
    for (const auto& x : pezzi) {
        if (!l.empty() && l.back().l == x.l)
            l.back().c2 = x.c2;
        else
            l.push_back(x);
    }
    return l;
}

// Seconds over `d` metres entered at `vl` and left at `vr` (m/s) under the limit `v`: speeding
// up, running at the limit, braking, as far as the length allows.
double tempo_di_corsa(double vl, double vr, double v, double d, const parametri_marcia& p) {
    const double a = p.accelerazione, b = p.frenatura;
    const double sale = (v * v - vl * vl) / (2 * a), scende = (v * v - vr * vr) / (2 * b);
    if (sale + scende <= d) return (v - vl) / a + (v - vr) / b + (d - sale - scende) / v;
    const double cima = std::sqrt((2 * a * b * d + b * vl * vl + a * vr * vr) / (a + b));
    return (cima - vl) / a + (cima - vr) / b;
}

// Whether run `x` takes longer than run `y` at their limits, reckoned in whole metres and km/h so
// that two runs of the same time compare equal.
bool piu_lungo(const tratto_lento& x, const tratto_lento& y) {
    if (y.kmh == 0) return x.kmh != 0;
    return (x.a_metri - x.da_metri) * y.kmh > (y.a_metri - y.da_metri) * x.kmh;
}

// The costliest run of one limit met so far along a stretch, taken piece by piece: the first of
// those that take the same time.
struct piu_costoso {
    tratto_lento migliore, corrente;
    void aggiungi(std::int64_t c1, std::int64_t c2, const limite& l, double secondi_cella) {
        if (l.kmh == 0) return;
        if (l.kmh != corrente.kmh || l.rallentamento != corrente.rallentamento || corrente.a_metri != inizio_cella(c1))
            corrente = {inizio_cella(c1), inizio_cella(c1), l.kmh, 0.0, l.rallentamento};
        corrente.a_metri = inizio_cella(c2);
        for (std::int64_t k = c1; k < c2; ++k) corrente.secondi += secondi_cella;
        if (piu_lungo(corrente, migliore)) migliore = corrente;
    }
};

// One stretch of the running model, from a station with a time to the next one (or to the last
// station): the cells where its pieces meet, the first and the last the two stations' cells and
// between them each change of limit and each station's cell; the limit of each piece; and the
// speed at each cut (m/s). At a cut the train runs no faster than either piece allows, 0 at a
// stop, and no faster than it gets speeding up from the cut before or can brake from for the cut
// after. Over each piece it speeds up, runs at the limit and brakes.
struct tratto_modello {
    std::vector<std::int64_t> tagli;
    std::vector<limite> limiti;
    std::vector<double> v;
    bool modello = false;  // false over a cell without a limit, or a train that cannot speed up or brake

    double limite_ms(std::size_t i) const { return limiti[i].kmh / 3.6; }
    double metri(std::size_t i) const { return static_cast<double>(tagli[i + 1] - tagli[i]) * lunghezza_cella; }
    // The speed `x` metres into piece `i`.
    double velocita(std::size_t i, double x, const parametri_marcia& p) const {
        return std::min({limite_ms(i), std::sqrt(v[i] * v[i] + 2 * p.accelerazione * x),
                         std::sqrt(v[i + 1] * v[i + 1] + 2 * p.frenatura * (metri(i) - x))});
    }
};

// The speeds at the cuts: the limits on either side, 0 at the stops, then one pass forward for
// speeding up and one back for braking.
void velocita_ai_tagli(tratto_modello& t, const std::vector<stazione_orario>& st, std::size_t a, std::size_t b,
                       const parametri_marcia& p) {
    const std::size_t n = t.limiti.size();
    t.v.resize(n + 1);
    for (std::size_t i = 0; i <= n; ++i)
        t.v[i] = std::min(i > 0 ? t.limite_ms(i - 1) : HUGE_VAL, i < n ? t.limite_ms(i) : HUGE_VAL);
    for (std::size_t j = a; j <= b; ++j)
        if (st[j].ferma && t.tagli.front() <= st[j].cella && st[j].cella <= t.tagli.back())
            t.v[static_cast<std::size_t>(std::lower_bound(t.tagli.begin(), t.tagli.end(), st[j].cella) - t.tagli.begin())] = 0;
    for (std::size_t i = 0; i < n; ++i)
        t.v[i + 1] = std::min(t.v[i + 1], std::sqrt(t.v[i] * t.v[i] + 2 * p.accelerazione * t.metri(i)));
    for (std::size_t i = n; i-- > 0;)
        t.v[i] = std::min(t.v[i], std::sqrt(t.v[i + 1] * t.v[i + 1] + 2 * p.frenatura * t.metri(i)));
}

// The stretch from station `a` to station `b`; none when `b` is not beyond `a` on the cells.
std::optional<tratto_modello> tratto_del_modello(const std::vector<stazione_orario>& st, std::size_t a, std::size_t b,
                                                 const std::vector<limite_costante>& l, const parametri_marcia& p) {
    const std::int64_t c1 = st[a].cella, c2 = st[b].cella;
    if (l.empty() || c1 < 0 || c2 <= c1 || c2 > l.back().c2) return std::nullopt;
    tratto_modello t;
    auto run = std::upper_bound(l.begin(), l.end(), c1, [](std::int64_t c, const limite_costante& x) { return c < x.c2; });
    t.tagli = {c1, c2};
    for (auto r = run; r->c2 < c2; ++r) t.tagli.push_back(r->c2);
    for (std::size_t j = a + 1; j < b; ++j)
        if (c1 < st[j].cella && st[j].cella < c2) t.tagli.push_back(st[j].cella);
    std::sort(t.tagli.begin(), t.tagli.end());
    t.tagli.erase(std::unique(t.tagli.begin(), t.tagli.end()), t.tagli.end());
    t.limiti.resize(t.tagli.size() - 1);
    for (std::size_t i = 0; i < t.limiti.size(); ++i) {
        while (run->c2 <= t.tagli[i]) ++run;
        t.limiti[i] = run->l;
    }
    const bool senza_limite = std::any_of(t.limiti.begin(), t.limiti.end(), [](const limite& x) { return x.kmh <= 0; });
    t.modello = !senza_limite && p.accelerazione > 0 && p.frenatura > 0;
    velocita_ai_tagli(t, st, a, b, p);
    return t;
}

// The times from station `a` to each station up to `b`. A station behind the one before it, or
// off the stretch, ends the times of the stretch there.
void tempi_del_tratto(std::vector<stazione_orario>& st, std::size_t a, std::size_t b, const tratto_modello& t,
                      const parametri_marcia& p) {
    double minimo = 0, marcia = 0;
    piu_costoso costo;
    std::size_t prossima = a + 1;
    const std::size_t n = t.limiti.size();
    for (std::size_t i = 0; i <= n && prossima <= b; ++i) {
        while (prossima <= b && st[prossima].cella == t.tagli[i]) {
            st[prossima].da = a;
            st[prossima].minimo = minimo;
            if (t.modello) st[prossima].modello = marcia;
            st[prossima].piu_lento = costo.migliore;
            ++prossima;
        }
        if (i == n) break;
        // The least time adds up each cell's time at its limit, one cell after the other: the
        // product would round otherwise, and a time on a half of the last digit printed (the
        // package's Cerrosco, 178.425 s) would print otherwise.
        const double secondi_cella = t.limiti[i].kmh > 0 ? lunghezza_cella / t.limite_ms(i) : 0.0;
        if (t.limiti[i].kmh > 0)
            for (std::int64_t k = t.tagli[i]; k < t.tagli[i + 1]; ++k) minimo += secondi_cella;
        if (t.modello) marcia += tempo_di_corsa(t.v[i], t.v[i + 1], t.limite_ms(i), t.metri(i), p);
        costo.aggiungi(t.tagli[i], t.tagli[i + 1], t.limiti[i], secondi_cella);
    }
}

// Every station stored, in table order, without times yet.
std::vector<stazione_orario> stazioni_del_percorso(const scenario& s) {
    std::vector<stazione_orario> st;
    for (std::size_t i = 0; i < s.righe_stazioni.size() && i + 1 < prima_voce_cartelli; ++i) {
        const voce& v = s.tabella[i + 1];
        stazione_orario x;
        x.voce = static_cast<int>(i + 1);
        x.riga = s.righe_stazioni[i];
        x.progressiva = v.progressiva;
        x.cella = cella_di_metri(v.progressiva);
        x.ferma = v.tipo < 25;
        if (v.orario != 0) x.orario = v.orario;
        st.push_back(x);
    }
    return st;
}

// The stretches the times are counted over: from each station with a time to the next one, and
// from the last one to the last station.
std::vector<std::pair<std::size_t, std::size_t>> tratti_con_orario(const std::vector<stazione_orario>& st) {
    std::vector<std::pair<std::size_t, std::size_t>> t;
    std::optional<std::size_t> da;
    for (std::size_t j = 0; j < st.size(); ++j) {
        if (!st[j].orario) continue;
        if (da) t.emplace_back(*da, j);
        da = j;
    }
    if (da && *da + 1 < st.size()) t.emplace_back(*da, st.size() - 1);
    return t;
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
    // A note at station x's row, with the row of the station timed before it.
    diagnostica in_riga(const stazione_orario& x, const stazione_orario& prima, const char* tipo, std::string m) const {
        diagnostica d;
        d.file = s.nomi_sorgenti[1];
        d.riga = x.riga.riga;
        d.colonna = x.riga.colonna;
        d.tipo = tipo;
        d.dettaglio = std::move(m);
        d.correlate.push_back({d.file, prima.riga.riga, prima.riga.colonna, "the station timed before it, " + nome(prima)});
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
    std::vector<stazione_orario> st = stazioni_del_percorso(s);
    const auto tratti = tratti_con_orario(st);
    if (tratti.empty()) return st;
    const std::vector<limite_costante> l = limiti_del_percorso(s);
    for (const auto& [a, b] : tratti)
        if (const auto t = tratto_del_modello(st, a, b, l, p)) tempi_del_tratto(st, a, b, *t, p);
    return st;
}

std::vector<std::optional<double>> velocita_del_modello(const scenario& s, const parametri_marcia& p) {
    std::vector<std::optional<double>> v(s.celle.size());
    const std::vector<stazione_orario> st = stazioni_del_percorso(s);
    const auto tratti = tratti_con_orario(st);
    if (tratti.empty()) return v;
    const std::vector<limite_costante> l = limiti_del_percorso(s);
    for (const auto& [a, b] : tratti) {
        const auto t = tratto_del_modello(st, a, b, l, p);
        if (!t || !t->modello) continue;
        for (std::size_t i = 0; i < t->limiti.size(); ++i)
            for (std::int64_t k = t->tagli[i]; k <= t->tagli[i + 1] && k < static_cast<std::int64_t>(v.size()); ++k)
                v[static_cast<std::size_t>(k)] = t->velocita(i, static_cast<double>(k - t->tagli[i]) * lunghezza_cella, p);
    }
    return v;
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
            registra_avvertimento(s, t.in_riga(x, prima, "timetable-backwards",
                                               t.nome(x) + " is timed " + ora_in_testo(*x.orario) +
                                                   ", earlier than the station with a time before it, " + tra));
            continue;
        }
        const std::string metri = std::to_string(std::int64_t{x.progressiva} - prima.progressiva) + " m";
        if (x.minimo && dato < *x.minimo - 1e-6) {
            diagnostica d = t.in_riga(x, prima, "timetable-too-fast",
                                      t.nome(x) + " is timed " + ora_in_testo(*x.orario) + ", " + std::to_string(dato) +
                                          " s after " + tra + ", but the " + metri + " between them take at least " +
                                          secondi(*x.minimo) + " at the speed limits; the stretch that costs most is " +
                                          tratto_in_testo(x.piu_lento));
            if (const rallentamento_posto* r = x.piu_lento.rallentamento; r && r->riga > 0)
                d.correlate.push_back({r->file, r->riga, 0, "the slowdown whose speed costs most"});
            registra_avvertimento(s, std::move(d));
            continue;
        }
        if (x.modello && dato < *x.modello - 1e-6) {
            char acc[64];
            std::snprintf(acc, sizeof acc, "%.2g m/s\xC2\xB2 and braking at %.2g m/s\xC2\xB2", p.accelerazione,
                          p.frenatura);
            registra_avvertimento(s, t.in_riga(x, prima, "timetable-tight",
                                       t.nome(x) + " is timed " + std::to_string(dato) + " s after " + tra +
                                           "; the running model (accelerating at " + acc +
                                           ", stopping at every station with a stop) needs " + secondi(*x.modello) +
                                           ": margin " + per_cento((dato - *x.modello) / *x.modello * 100.0)));
        }
    }
}

}  // namespace valmarena
