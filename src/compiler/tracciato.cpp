// The track plan: one point per metre, each step the previous one turned by the curvature.

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
    for (; cursore <= fino_a;) {
        auto k = static_cast<std::size_t>(cursore);
        double dx = x[k - 1] - x[k - 2];
        double dy = y[k - 1] - y[k - 2];
        if (kappa == 0.0) {
            x[k] = x[k - 1] + dx;
            y[k] = y[k - 1] + dy;
        } else {
            x[k] = x[k - 1] + dx + kappa * dy;
            y[k] = y[k - 1] + dy - kappa * dx;
        }
        ex[k] = etichetta::reale;
        ey[k] = etichetta::reale;
        ++cursore;
        if (cursore > limite) return false;
    }
    return true;
}

}  // namespace valmarena
