// The track plan: one point per metre, each step the previous one turned by the curvature.

#include <algorithm>

#include "../records/guasti.h"
#include "linea.h"

namespace valmarena {

bool estendi_tracciato(struct tracciato& t, std::int64_t& cursore, std::int64_t fino_a, double kappa,
                       std::int64_t limite) {
    if (fino_a < cursore) return true;
    if (cursore < 2 || static_cast<std::uint64_t>(fino_a) >= t.punti)
        throw indice_fuori_limiti("metre " + std::to_string(fino_a) + " outside the track plan");
    const std::size_t n = t.punti;
    double* x = t.valori.data();
    double* y = x + n;
    etichetta* ex = t.etichette.data();
    etichetta* ey = ex + n;
    // The last metre drawn: fino_a, or the limit when it comes first (at least the cursor's own
    // metre, as a call that starts past the limit still draws one point before it stops).
    const std::int64_t ultimo = std::max(cursore, std::min(fino_a, limite));
    // The two previous points are carried from one step to the next rather than read back from
    // the arrays, which keeps each step's arithmetic off the memory round trip.
    const auto k0 = static_cast<std::size_t>(cursore);
    double x1 = x[k0 - 1], x2 = x[k0 - 2], y1 = y[k0 - 1], y2 = y[k0 - 2];
    for (auto k = k0; k <= static_cast<std::size_t>(ultimo); ++k) {
        double dx = x1 - x2;
        double dy = y1 - y2;
        double nx, ny;
        if (kappa == 0.0) {
            nx = x1 + dx;
            ny = y1 + dy;
        } else {
            nx = x1 + dx + kappa * dy;
            ny = y1 + dy - kappa * dx;
        }
        x[k] = nx;
        y[k] = ny;
        ex[k] = etichetta::reale;
        ey[k] = etichetta::reale;
        x2 = x1;
        x1 = nx;
        y2 = y1;
        y1 = ny;
    }
    cursore = ultimo + 1;
    return cursore <= limite;
}

}  // namespace valmarena
