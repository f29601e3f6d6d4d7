// The kilometre post of a route position and its two written forms.

#include "chilometri.h"

#include <cstdio>

namespace valmarena {

chilometri::chilometri(std::span<const voce> tabella) {
    if (tabella.size() <= static_cast<std::size_t>(voce_progressiva_uno)) return;
    // Entry 83 holds the smallest position, 81 the largest: in that order a later one holds.
    for (int i : {voce_progressiva_uno, voce_progressiva_due, voce_progressiva_tre}) {
        const voce& v = tabella[static_cast<std::size_t>(i)];
        if (v.inizio == 0 && v.fine == 0 && v.progressiva == 0) continue;
        const std::int64_t k = v.progressiva == 1 ? std::int64_t{v.fine} - 100 : v.fine;
        in_uso_[n_++] = {v.inizio, static_cast<std::int32_t>(k), v.progressiva};
    }
}

std::int64_t chilometri::calcola(std::int64_t metri, bool anche_qui) const {
    // The reference in force: the one with the largest position up to here, a later one on a tie.
    const riferimento_km* in_vigore = nullptr;
    for (const riferimento_km& r : riferimenti()) {
        if (r.p > metri || (r.p == metri && !anche_qui)) continue;
        if (in_vigore == nullptr || r.p >= in_vigore->p) in_vigore = &r;
    }
    if (in_vigore == nullptr) return metri;
    const riferimento_km& r = *in_vigore;
    return r.f == 1 ? std::int64_t{r.k} + (metri - r.p) : metri + r.k;
}

std::string km_cippo(std::int64_t progressiva) {
    const std::int64_t m = progressiva < 0 ? -progressiva : progressiva;
    char resto[8];
    std::snprintf(resto, sizeof resto, "%03d", static_cast<int>(m % 1000));
    return std::string(progressiva < 0 ? "km -" : "km ") + std::to_string(m / 1000) + "+" + resto;
}

std::string km_decimale(std::int64_t progressiva) {
    const std::int64_t m = progressiva < 0 ? -progressiva : progressiva;
    char resto[8];
    std::snprintf(resto, sizeof resto, "%03d", static_cast<int>(m % 1000));
    return std::string(progressiva < 0 ? "-" : "") + std::to_string(m / 1000) + "." + resto;
}

}  // namespace valmarena
