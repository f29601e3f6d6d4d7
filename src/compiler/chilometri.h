// The kilometre post of a route position, from the line's three kilometric references.
//
// A reference (P, K, F) starts a reckoning at the route position P: from P onward the post is
// the position plus K when F is 0, and K plus the metres past P when F is 1. Before the first
// reference the post is the position itself. The references are taken as the compile keeps
// them (table entries 81 to 83, ordered by position and cleared when two share the largest),
// with the 100 m that the compile adds to K for F = 1 taken off again, so that the posts are
// the line file's own: with the package's line the train card's 287.550, 0.000 and 415.100.
// A later reference replaces the one before it; at a position two references share, the one
// the compile puts in the higher entry holds.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>

#include "records/scenario.h"

namespace valmarena {

struct riferimento_km {
    std::int32_t p = 0;  // route position, metres
    std::int32_t k = 0;  // kilometric value, metres, as the line file writes it
    std::int32_t f = 0;  // 0: post = position + K; 1: post = K + (position - P)
};

class chilometri {
public:
    chilometri() = default;  // no reference: the post is the position
    // The references of a scenario table (entries 81 to 83 read as the compile leaves them);
    // a table too short to hold them gives no reference.
    explicit chilometri(std::span<const voce> tabella);

    // The post at a position, metres.
    std::int64_t progressiva(std::int64_t metri) const { return calcola(metri, true); }
    // The post of the reckoning that ends at a position: where a reference starts there, the
    // post by the reckoning before it (the train card's "287.550/").
    std::int64_t progressiva_prima(std::int64_t metri) const { return calcola(metri, false); }

    // The references in use (not all zero), by position, the one holding on a tie last.
    std::span<const riferimento_km> riferimenti() const { return {in_uso_.data(), n_}; }

private:
    std::int64_t calcola(std::int64_t metri, bool anche_qui) const;
    std::array<riferimento_km, 3> in_uso_{};
    std::size_t n_ = 0;
};

// A post as a board writes it: "km 36+000", "km -1+250".
std::string km_cippo(std::int64_t progressiva);

// A post in kilometres with three decimals, as the train card prints it: "36.000", "-1.250".
std::string km_decimale(std::int64_t progressiva);

}  // namespace valmarena
