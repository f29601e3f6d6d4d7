// Drawing the points of a track plan from its stretches, metre after metre, a piece at a time:
// the writer lays each piece out as it is drawn, so no whole array of points is ever needed.
#pragma once

#include <cstddef>

#include "../records/scenario.h"

namespace valmarena {

class penna_tracciato {
public:
    explicit penna_tracciato(const piano_tracciato& p);

    // The metre the next piece starts from.
    std::size_t metro() const { return metro_; }

    // Draws the metres from `metro()` up to `a` (excluded) into e[i], x[i], y[i] for i from 0:
    // metres 0 and 1 are the plan's origin, then each stretch's points, then empty metres (tag
    // empty, values 0).
    void avanza(std::size_t a, etichetta* e, double* x, double* y);

    // The previous point (x1, y1) and the step that reached it, (x1 - x2, y1 - y2) from the
    // point (x2, y2) before it.
    struct passi {
        double x1, y1, dx, dy;
    };

private:
    const piano_tracciato& p_;
    std::size_t metro_ = 0;
    std::size_t tratto_ = 0;
    passi stato_;
};

// Every point of the plan in memory at once: for the tools and the tests, not for writing.
struct tracciato disegna_tracciato(const piano_tracciato& p);

}  // namespace valmarena
