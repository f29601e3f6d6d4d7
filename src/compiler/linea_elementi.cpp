// Kilometric references, mountain stretches and speed-indicator boards.

#include <array>

#include "../records/arrotonda.h"
#include "linea_elementi.h"

namespace valmarena {

void progressive_ordina(scenario& s) {
    // R1 (uno), R2 (due), R3 (tre), in the order the file gives them.
    const std::array<voce, 3> r = {s.tabella[voce_progressiva_uno], s.tabella[voce_progressiva_due],
                                   s.tabella[voce_progressiva_tre]};
    auto riferimento = [](const voce& v) {
        voce n;
        n.inizio = v.inizio;
        n.fine = v.fine;
        n.progressiva = v.progressiva;
        return n;
    };
    voce& e81 = s.tabella[voce_progressiva_tre];
    voce& e82 = s.tabella[voce_progressiva_due];
    voce& e83 = s.tabella[voce_progressiva_uno];
    const voce vuota{};

    if (std::int64_t{r[0].inizio} + r[1].inizio + r[2].inizio == 0) {
        if (r[0].fine > 0) {
            e81 = riferimento(r[0]);
            e83 = riferimento(r[2]);
        } else if (r[1].fine > 0) {
            e81 = riferimento(r[1]);
            e82 = riferimento(r[2]);
        } else if (r[2].fine > 0) {
            // already in place
        } else {
            e81 = e82 = e83 = vuota;
        }
    } else {
        std::size_t primo = 0;
        for (std::size_t i = 1; i < 3; ++i)
            if (r[i].inizio > r[primo].inizio) primo = i;
        int uguali = 0;
        for (const auto& v : r) uguali += v.inizio == r[primo].inizio ? 1 : 0;
        if (uguali > 1) {
            e81 = e82 = e83 = vuota;
        } else {
            std::size_t a = primo == 0 ? 1 : 0;
            std::size_t b = primo == 2 ? 1 : 2;
            if (r[b].inizio > r[a].inizio) std::swap(a, b);
            e81 = riferimento(r[primo]);
            e82 = riferimento(r[a]);
            e83 = riferimento(r[b]);
        }
    }
    for (voce* v : {&e81, &e82, &e83})
        if (v->progressiva == 1) v->fine = clng(static_cast<double>(v->fine) + 100.0);
}

esito_memo memo_montagna(scenario& s, std::int32_t inizio, std::int32_t fine, std::int32_t& tipo) {
    bool marcatori = false;
    if (tipo > 10) {
        tipo -= 10;
        marcatori = true;
    }
    if (s.n_montagne >= max_montagne) {
        return {108, -1};
    }
    ++s.n_montagne;
    auto n = static_cast<std::size_t>(s.n_montagne);
    s.montagna_inizio[n] = inizio;
    s.montagna_fine[n] = fine;
    if (n > 1 && std::int64_t{inizio} - s.montagna_fine[n - 1] <= 150) tipo = 3;

    std::int32_t primo = clng(inizio / 50.0);
    std::int32_t ultimo = clng(fine / 50.0 - 1.0);
    std::int64_t i = 0;
    for (std::int64_t c = primo; c <= ultimo; ++c) {
        ++i;
        cella& cl = cella_a(s, c);
        cl.montagna = bassi_8(tipo);
        if (marcatori && i % 4 == 0 && cl.tipo == cella_vuota && (c - 4) * 50 < fine) cl.tipo = cella_marcatore_montagna;
    }
    return {};
}

esito_memo memo_indicatori_v_max(scenario& s, std::int32_t posizione, std::int32_t vas, std::int32_t vbs,
                           std::int32_t vcs, std::int32_t strisces, std::int32_t vad, std::int32_t vbd,
                           std::int32_t vcd, std::int32_t strisced) {
    const std::int64_t k = cella_di_metri(posizione);
    cella& c = cella_a(s, k);
    if (!libera(c)) {
        return {21, k};
    }
    std::int16_t v1 = cint(vas * 20.0 + vad / 5.0);
    std::int16_t v2 = cint(vbs * 20.0 + vbd / 5.0);
    std::int16_t v3 = cint(vcs * 20.0 + vcd / 5.0);
    std::int16_t v4 = a_intero(std::int64_t{strisces} * 10 + strisced);
    c.tipo = cella_indicatore;
    c.valore1 = v1;
    c.valore2 = v2;
    c.valore3 = v3;
    c.valore4 = v4;
    return {};
}

double curvatura_classe(std::string_view token) {
    static constexpr double curvature[] = {0.0001, 0.0002, 0.0004, 0.001, 0.002, 0.003};
    // One walk over the token for its smallest class digit.
    int classe = 7;
    for (const char c : token)
        if (c >= '1' && c < '0' + classe) classe = c - '0';
    return classe <= 6 ? curvature[classe - 1] : 0.0;
}

}  // namespace valmarena
