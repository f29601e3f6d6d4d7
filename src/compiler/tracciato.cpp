// The track plan: the reader's stretches, each step the previous one turned by the curvature,
// and the whole plan drawn from them.

#include <algorithm>

#include "../records/guasti.h"
#include "linea.h"
#include "penna.h"

namespace valmarena {

bool estendi_tracciato(piano_tracciato& t, std::int64_t& cursore, std::int64_t fino_a, double kappa,
                       std::int64_t limite) {
    if (fino_a < cursore) return true;
    if (cursore < 2 || static_cast<std::uint64_t>(fino_a) >= t.punti)
        throw indice_fuori_limiti("metre " + std::to_string(fino_a) + " outside the track plan");
    // The last metre drawn: fino_a, or the limit when it comes first (at least the cursor's own
    // metre, as a call that starts past the limit still draws one point before it stops).
    const std::int64_t ultimo = std::max(cursore, std::min(fino_a, limite));
    // The stretches follow one another from metre 2; one that goes on with the same curvature
    // lengthens the last.
    if (!t.tratti.empty() && t.tratti.back().kappa == kappa)
        t.tratti.back().fine = ultimo;
    else
        t.tratti.push_back({ultimo, kappa});
    cursore = ultimo + 1;
    return cursore <= limite;
}

struct tracciato disegna_tracciato(const piano_tracciato& p) {
    struct tracciato t;
    t.punti = p.punti;
    t.etichette.assign(2 * p.punti, etichetta::vuoto);
    t.valori.assign(2 * p.punti, 0.0);
    etichetta* e = t.etichette.data();
    double* v = t.valori.data();
    const std::size_t n = p.punti;
    penna_tracciato(p).avanza(n, [e, v, n](std::size_t m, etichetta et, double x, double y) {
        e[m] = et;
        e[n + m] = et;
        v[m] = x;
        v[n + m] = y;
    });
    return t;
}

}  // namespace valmarena
