// The track plan: extended stretch by stretch as the curves are read, then its points drawn
// metre after metre a piece at a time, as the writer lays them out, with no whole array of points.
#pragma once

#include <cstddef>
#include <cstdint>

#include "../records/scenario.h"
#include "valori_le.h"

namespace valmarena {

// Extends the track plan from metre `cursore` up to metre `fino_a` with curvature `kappa`
// (0 draws straight) and moves the cursor past it. Returns false once the cursor has passed `limite`.
bool estendi_tracciato(piano_tracciato& t, std::int64_t& cursore, std::int64_t fino_a, double kappa,
                       std::int64_t limite);

// The metres the writer draws and writes at a time: 160 KiB of real values for each axis, a
// size at which fewer fresh pages to fault in and fewer writes to make weigh about the same.
constexpr std::size_t metri_per_pezzo = 16384;

class penna_tracciato {
public:
    explicit penna_tracciato(const piano_tracciato& p);

    // Draws the metres from where the pen stands up to `a` (excluded) as on disk, their x values
    // at `x` and their y values at `y`, each with room for `massimo_per_punto` bytes a metre:
    // metres 0 and 1 are the plan's origin, then each stretch's points, then empty metres (tag
    // empty). Returns the bytes after them.
    struct estremi {
        char* x;
        char* y;
    };
    estremi metti(std::size_t a, char* x, char* y);

    // The bytes that one axis of the whole plan takes on disk: the file holds all x values,
    // then all y values, the two halves of the same length.
    static std::uint64_t byte_per_asse(const piano_tracciato& p);

    // The previous point (x1, y1) and the step that reached it, (x1 - x2, y1 - y2) from the
    // point (x2, y2) before it.
    struct passi {
        double x1, y1, dx, dy;
    };

private:
    // Walks the metres from `metro_` up to `a`: origine(m) for metres 0 and 1, tratto(n, kappa)
    // for n metres of one stretch (which draws them from `stato_` and leaves its end there),
    // vuoto(m) for the metres after the last stretch.
    template <typename Origine, typename Tratto, typename Vuoto>
    void percorri(std::size_t a, Origine origine, Tratto tratto, Vuoto vuoto);

    const piano_tracciato& p_;
    std::size_t metro_ = 0;
    std::size_t tratto_ = 0;
    passi stato_;
};

// Every point of the plan in memory at once, drawn by the pen a piece at a time as the writer
// draws it and read back from its bytes: for the tools and the tests, not for writing.
struct tracciato disegna_tracciato(const piano_tracciato& p);

}  // namespace valmarena
