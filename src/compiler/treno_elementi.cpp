// Signals and slowdowns.

#include "../records/arrotonda.h"
#include "treno_elementi.h"

namespace valmarena {

esito_memo memo_segnale(scenario& s, riga_segnale& r) {
    std::int64_t c = cella_di_metri(r.posizione);
    cella& cl = cella_a(s, c);
    if (!libera(cl)) return {16, c};
    cl.tipo = cella_segnale;
    cl.valore4 = bassi_16(std::int64_t{r.rapp} * 10 + std::int64_t{r.sx} * 3 + r.dx);
    cl.valore1 = bassi_16(std::int64_t{r.s1} * 10 + r.d1);
    cl.valore2 = bassi_16(std::int64_t{r.s2} * 10 + r.d2);
    cl.valore3 = bassi_16(std::int64_t{r.s3} * 10 + r.d3);
    if (r.tempo >= 1 && r.tempo <= 100) r.tempo = 101;
    cl.tempo = r.sx == 2 ? bassi_8(r.tempo) : 0;
    // Approach marks 100, 200, 300 and 400 m before the signal; those before the route's start are dropped.
    for (int k = 1; k <= 4; ++k) {
        std::int64_t m = c - 2 * k;
        if (esiste_cella(s, m))
            cella_a(s, m).preavviso = bassi_8(10 * (3 * std::int64_t{r.sx} + r.dx) + k);
    }
    return {};
}

esito_memo memo_rallentamento(scenario& s, std::int32_t x, std::int32_t v, std::int32_t l,
                                std::int32_t f_tt, std::int32_t f_ta, std::int32_t d_v) {
    const std::int64_t w = cella_di_metri(x - 1200.0);
    const std::int64_t is = cella_di_metri(x);
    const std::int64_t e = cella_di_metri(static_cast<double>(x) + l);
    const std::int64_t q = clng((x - 1200.0) / 50.0);
    const bool avviso = x > 1500;
    if (!avviso) f_ta = 0;
    if (avviso && !libera(cella_a(s, w))) return {17, w};
    if (!libera(cella_a(s, is))) return {18, is};
    if (!esiste_cella(s, e)) return {110, e};
    if (!libera(cella_a(s, e))) return {19, e};

    const std::int16_t v16 = a_intero(v);
    const std::int16_t tt16 = a_intero(f_tt);
    const std::int16_t dv16 = a_intero(d_v);
    cella& fine = cella_a(s, e);
    fine.tipo = cella_fine_rallentamento;
    if (d_v != 0) fine.valore2 = dv16;
    cella& inizio = cella_a(s, is);
    inizio.tipo = cella_inizio_rallentamento;
    if (d_v != 0) inizio.valore2 = dv16;
    if (avviso) {
        cella& a = cella_a(s, w);
        a.tipo = cella_avviso_rallentamento;
        if (d_v != 0) a.valore2 = dv16;
        a.valore1 = v16;
    }
    inizio.valore1 = v16;
    fine.valore1 = v16;
    inizio.valore3 = tt16;
    fine.valore3 = tt16;
    s.rallentamenti.push_back({is, e, {}, 0, v});

    if (f_ta != 0) {
        for (int k = 0; k < 4; ++k)
            if (!libera(cella_a(s, q - k))) return {20, q - k};
        for (int k = 0; k < 4; ++k) {
            cella& n = cella_a(s, q - k);
            n.tipo = cella_numerata;
            n.valore1 = static_cast<std::int16_t>(k + 1);
            if (d_v != 0) n.valore2 = static_cast<std::int16_t>(k + 1);
        }
    }
    return {};
}

}  // namespace valmarena
