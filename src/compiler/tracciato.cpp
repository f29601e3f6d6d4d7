// The track plan: the reader's stretches, each step the previous one turned by the curvature,
// the pen that draws their points as on disk, and the whole plan drawn from them.

#include <algorithm>
#include <bit>
#include <cstring>
#include <stdexcept>
#include <string>
#include <string_view>

#include "../records/guasti.h"
#include "binari.h"
#include "tracciato.h"

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

// n steps of a stretch, each the previous one turned by kappa (straight when it is 0), evaluated
// left to right; punto(i, x, y) takes the i-th point. The loop carries the last point and the last
// step: the next step, (x1 - x2, y1 - y2), is the difference the loop has just taken, the same
// operation on the same operands. Everything stays in registers from one step to the next.
// A straight step is the previous one repeated, x1 + dx, without the curvature's terms (which
// would turn a zero of one sign into the other): one loop for both, chosen when compiled.
template <bool curvo, typename Punto>
passi passi_di(passi p, double kappa, std::size_t n, Punto punto) {
    double x1 = p.x1, y1 = p.y1, dx = p.dx, dy = p.dy;
    for (std::size_t i = 0; i < n; ++i) {
        double nx = x1 + dx;
        double ny = y1 + dy;
        if constexpr (curvo) {
            nx = nx + kappa * dy;
            ny = ny - kappa * dx;
        }
        punto(i, nx, ny);
        dx = nx - x1;
        dy = ny - y1;
        x1 = nx;
        y1 = ny;
    }
    return {x1, y1, dx, dy};
}

template <typename Punto>
passi disegna(passi p, double kappa, std::size_t n, Punto punto) {
    return kappa == 0.0 ? passi_di<false>(p, kappa, n, punto) : passi_di<true>(p, kappa, n, punto);
}

// n points laid out as real values, their x at `x` and their y at `y`.
passi disegna_byte(passi p, double kappa, std::size_t n, char* x, char* y) {
    return disegna(p, kappa, n, [x, y](std::size_t i, double nx, double ny) {
        metti_le(metti_le(x + i * massimo_per_punto, static_cast<std::uint16_t>(etichetta::reale)),
                 std::bit_cast<std::uint64_t>(nx));
        metti_le(metti_le(y + i * massimo_per_punto, static_cast<std::uint16_t>(etichetta::reale)),
                 std::bit_cast<std::uint64_t>(ny));
    });
}

}  // namespace

penna_tracciato::penna_tracciato(const piano_tracciato& p) : p_(p) {
    // Metres 1 and 0: (0, 1) and (0, 0) from the origin, all zero without it.
    const double y1 = p.origine ? 1.0 : 0.0;
    stato_ = {0.0, y1, 0.0 - 0.0, y1 - 0.0};
}

template <typename Origine, typename Tratto, typename Vuoto>
void penna_tracciato::percorri(std::size_t a, Origine origine, Tratto tratto, Vuoto vuoto) {
    for (; metro_ < a && metro_ < 2; ++metro_) origine(metro_);
    while (metro_ < a && tratto_ < p_.tratti.size()) {
        const struct tratto& t = p_.tratti[tratto_];
        const auto dopo = static_cast<std::size_t>(t.fine) + 1;
        if (dopo > metro_) {
            const std::size_t n = std::min(a, dopo) - metro_;
            tratto(n, t.kappa);
            metro_ += n;
        }
        if (metro_ >= dopo) ++tratto_;
    }
    for (; metro_ < a; ++metro_) vuoto(metro_);
}

penna_tracciato::estremi penna_tracciato::metti(std::size_t a, char* x, char* y) {
    percorri(
        a,
        [&](std::size_t m) {
            if (p_.origine) {
                x = metti_punto(x, etichetta::intero, 0.0);
                y = metti_punto(y, etichetta::intero, static_cast<double>(m));
            } else {
                x = metti_punto(x, etichetta::vuoto, 0.0);
                y = metti_punto(y, etichetta::vuoto, 0.0);
            }
        },
        [&](std::size_t n, double kappa) {
            stato_ = disegna_byte(stato_, kappa, n, x, y);
            x += n * massimo_per_punto;
            y += n * massimo_per_punto;
        },
        [&](std::size_t) {
            x = metti_punto(x, etichetta::vuoto, 0.0);
            y = metti_punto(y, etichetta::vuoto, 0.0);
        });
    return {x, y};
}

std::uint64_t penna_tracciato::byte_per_asse(const piano_tracciato& p) {
    // The same walk as the drawing, counting what each metre takes: the origin's whole numbers
    // (tag and 2 bytes) or empty tags, a real value (tag and 8 bytes), an empty tag.
    constexpr std::uint64_t tag = 2;
    std::uint64_t n = 0;
    penna_tracciato(p).percorri(
        p.punti, [&](std::size_t) { n += p.origine ? tag + 2 : tag; },
        [&](std::size_t metri, double) { n += metri * massimo_per_punto; }, [&](std::size_t) { n += tag; });
    return n;
}

struct tracciato disegna_tracciato(const piano_tracciato& p) {
    struct tracciato t;
    t.punti = p.punti;
    t.etichette.assign(2 * p.punti, etichetta::vuoto);
    t.valori.assign(2 * p.punti, 0.0);
    const std::size_t per_meta = std::min(p.punti, metri_per_pezzo) * massimo_per_punto;
    std::string byte(2 * per_meta, '\0');
    penna_tracciato penna(p);
    for (std::size_t da = 0; da < p.punti;) {
        const std::size_t a = std::min(da + metri_per_pezzo, p.punti);
        char* const x = byte.data();
        const auto fine = penna.metti(a, x, x + per_meta);
        // The piece's y values moved up to its x values: the bytes of a plan of the piece's metres.
        const auto n_x = static_cast<std::size_t>(fine.x - x), n_y = static_cast<std::size_t>(fine.y - (x + per_meta));
        std::memmove(x + n_x, x + per_meta, n_y);
        const struct tracciato pezzo = decodifica_tracciato(std::string_view(x, n_x + n_y));
        if (pezzo.punti != a - da) throw std::logic_error("a piece of the track plan read back with other metres");
        for (std::size_t asse = 0; asse < 2; ++asse) {
            const std::size_t dal = asse * pezzo.punti, al = asse * p.punti + da;
            std::copy_n(pezzo.etichette.begin() + static_cast<std::ptrdiff_t>(dal), a - da,
                        t.etichette.begin() + static_cast<std::ptrdiff_t>(al));
            std::copy_n(pezzo.valori.begin() + static_cast<std::ptrdiff_t>(dal), a - da,
                        t.valori.begin() + static_cast<std::ptrdiff_t>(al));
        }
        da = a;
    }
    return t;
}

}  // namespace valmarena
