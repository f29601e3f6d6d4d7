// The track plan's file, drawn and written a piece at a time through one buffer.
//
// The file holds the x values of every metre, then the y values. Each piece of the plan is drawn
// by the pen straight into the buffer, its x values in one half and its y values in the other,
// and each half goes to its place in the file. A write starts and ends on a boundary of 64 KiB of
// the file where it can: the host keeps a file's pages in larger units, and a write that cuts them
// costs it noticeably more (6.9 MB written a piece at a time: 1.4 ms cut at 4 KiB boundaries,
// 1.15 ms at 64 KiB ones). The bytes past the last boundary (less than a block) move to the front
// of their half and go out with the next piece. The file's whole length is announced first.

#include "stesura.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>

#include "tracciato.h"
#include "valori_le.h"

namespace valmarena {

namespace {

constexpr std::uint64_t blocco_file = 65536;

// One half of the file (the x values, or the y values) as the pieces fill it.
struct meta_file {
    char* buffer;                 // its part of the one buffer
    std::uint64_t nel_file;       // where its next bytes go in the file
    std::size_t riportati = 0;    // bytes at the front of `buffer` carried from the last piece
};

// Writes the half's bytes from the front of its buffer up to `fine`: up to the file's last block
// boundary they reach, or all of them with the last piece. The rest moves to the front.
void scrivi_meta(file_uscita& f, meta_file& h, const char* fine, bool ultimo) {
    const auto pieni = static_cast<std::size_t>(fine - h.buffer);
    const std::uint64_t a = h.nel_file + pieni;
    const std::uint64_t fino = ultimo ? a : std::max(h.nel_file, a / blocco_file * blocco_file);
    const auto scritti = static_cast<std::size_t>(fino - h.nel_file);
    f.posiziona(h.nel_file);
    f.scrivi(h.buffer, scritti);
    h.riportati = pieni - scritti;
    std::memmove(h.buffer, h.buffer + scritti, h.riportati);
    h.nel_file = fino;
}

}  // namespace

void stendi_tracciato(file_uscita& f, const piano_tracciato& p) {
    const std::uint64_t per_asse = penna_tracciato::byte_per_asse(p);
    f.prenota(2 * per_asse);
    // Room for a piece's values and for what the piece before carried on (less than a block).
    const std::size_t capacita = std::min(p.punti, metri_per_pezzo) * massimo_per_punto + blocco_file;
    std::unique_ptr<char[]> buffer(new char[2 * capacita]);
    meta_file x{buffer.get(), 0}, y{buffer.get() + capacita, per_asse};
    penna_tracciato penna(p);
    for (std::size_t metro = 0; metro < p.punti;) {
        metro = std::min(metro + metri_per_pezzo, p.punti);
        const auto fine = penna.metti(metro, x.buffer + x.riportati, y.buffer + y.riportati);
        scrivi_meta(f, x, fine.x, metro == p.punti);
        scrivi_meta(f, y, fine.y, metro == p.punti);
    }
}

}  // namespace valmarena
