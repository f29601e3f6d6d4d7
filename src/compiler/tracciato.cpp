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

namespace {

using passi = penna_tracciato::passi;

// n steps of a stretch, each the previous one turned by kappa, evaluated left to right. The loops
// carry the last point and the last step: the next step, (x1 - x2, y1 - y2), is the difference
// the loop has just taken, the same operation on the same operands.
passi diritto(passi p, double* x, double* y, std::size_t n) {
    double x1 = p.x1, y1 = p.y1, dx = p.dx, dy = p.dy;
    for (std::size_t i = 0; i < n; ++i) {
        const double nx = x1 + dx;
        const double ny = y1 + dy;
        x[i] = nx;
        y[i] = ny;
        dx = nx - x1;
        dy = ny - y1;
        x1 = nx;
        y1 = ny;
    }
    return {x1, y1, dx, dy};
}

passi curva(passi p, double kappa, double* x, double* y, std::size_t n) {
    double x1 = p.x1, y1 = p.y1, dx = p.dx, dy = p.dy;
    for (std::size_t i = 0; i < n; ++i) {
        const double nx = x1 + dx + kappa * dy;
        const double ny = y1 + dy - kappa * dx;
        x[i] = nx;
        y[i] = ny;
        dx = nx - x1;
        dy = ny - y1;
        x1 = nx;
        y1 = ny;
    }
    return {x1, y1, dx, dy};
}

}  // namespace

penna_tracciato::penna_tracciato(const piano_tracciato& p) : p_(p) {
    // Metres 1 and 0: (0, 1) and (0, 0) from the origin, all zero without it.
    const double y1 = p.origine ? 1.0 : 0.0;
    stato_ = {0.0, y1, 0.0 - 0.0, y1 - 0.0};
}

void penna_tracciato::avanza(std::size_t a, etichetta* e, double* x, double* y) {
    std::size_t i = 0;
    for (; metro_ < a && metro_ < 2; ++metro_, ++i) {
        e[i] = p_.origine ? etichetta::intero : etichetta::vuoto;
        x[i] = 0.0;
        y[i] = p_.origine ? static_cast<double>(metro_) : 0.0;
    }
    while (metro_ < a && tratto_ < p_.tratti.size()) {
        const tratto& t = p_.tratti[tratto_];
        const auto dopo = static_cast<std::size_t>(t.fine) + 1;
        if (dopo > metro_) {
            const std::size_t n = std::min(a, dopo) - metro_;
            stato_ = t.kappa == 0.0 ? diritto(stato_, x + i, y + i, n) : curva(stato_, t.kappa, x + i, y + i, n);
            std::fill(e + i, e + i + n, etichetta::reale);
            metro_ += n;
            i += n;
        }
        if (metro_ >= dopo) ++tratto_;
    }
    for (; metro_ < a; ++metro_, ++i) {
        e[i] = etichetta::vuoto;
        x[i] = 0.0;
        y[i] = 0.0;
    }
}

struct tracciato disegna_tracciato(const piano_tracciato& p) {
    struct tracciato t;
    t.punti = p.punti;
    t.etichette.assign(2 * p.punti, etichetta::vuoto);
    t.valori.assign(2 * p.punti, 0.0);
    etichetta* e = t.etichette.data();
    double* v = t.valori.data();
    penna_tracciato(p).avanza(p.punti, e, v, v + p.punti);
    std::copy(e, e + p.punti, e + p.punti);
    return t;
}

}  // namespace valmarena
