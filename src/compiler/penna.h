// Drawing the points of a track plan from its stretches, metre after metre, a piece at a time:
// the writer lays each piece out as it is drawn, so no whole array of points is ever needed.
#pragma once

#include <algorithm>
#include <cstddef>

#include "../records/scenario.h"

namespace valmarena {

class penna_tracciato {
public:
    explicit penna_tracciato(const piano_tracciato& p) : p_(p), y1_(p.origine ? 1.0 : 0.0) {}

    // The metre the next call starts from.
    std::size_t metro() const { return metro_; }

    // Draws the metres from `metro()` up to `a` (excluded), calling punto(m, tag, x, y) for each:
    // metres 0 and 1 are the plan's origin, then each stretch's points, then empty metres.
    template <typename Punto>
    void avanza(std::size_t a, Punto&& punto);

private:
    template <typename Punto>
    void disegna(std::size_t a, double kappa, Punto& punto);

    const piano_tracciato& p_;
    std::size_t metro_ = 0;
    std::size_t tratto_ = 0;
    // The two previous points: (x1, y1) at metro_ - 1, (x2, y2) at metro_ - 2.
    double x1_ = 0.0, x2_ = 0.0, y1_, y2_ = 0.0;
};

template <typename Punto>
void penna_tracciato::avanza(std::size_t a, Punto&& punto) {
    for (; metro_ < a && metro_ < 2; ++metro_) {
        if (p_.origine)
            punto(metro_, etichetta::intero, 0.0, static_cast<double>(metro_));
        else
            punto(metro_, etichetta::vuoto, 0.0, 0.0);
    }
    while (metro_ < a && tratto_ < p_.tratti.size()) {
        const tratto& t = p_.tratti[tratto_];
        const auto dopo = static_cast<std::size_t>(t.fine) + 1;
        disegna(std::min(a, dopo), t.kappa, punto);
        if (metro_ >= dopo) ++tratto_;
    }
    for (; metro_ < a; ++metro_) punto(metro_, etichetta::vuoto, 0.0, 0.0);
}

// Each step is the previous one turned by kappa, evaluated left to right; the two previous
// points stay in registers from one step to the next.
template <typename Punto>
void penna_tracciato::disegna(std::size_t a, double kappa, Punto& punto) {
    double x1 = x1_, x2 = x2_, y1 = y1_, y2 = y2_;
    for (std::size_t k = metro_; k < a; ++k) {
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
        punto(k, etichetta::reale, nx, ny);
        x2 = x1;
        x1 = nx;
        y2 = y1;
        y1 = ny;
    }
    if (a > metro_) metro_ = a;
    x1_ = x1, x2_ = x2, y1_ = y1, y2_ = y2;
}

// Every point of the plan in memory at once: for the tools and the tests, not for writing.
struct tracciato disegna_tracciato(const piano_tracciato& p);

}  // namespace valmarena
