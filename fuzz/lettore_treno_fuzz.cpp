// The train reader on arbitrary text, after a fixed small line: a 20 km route with gradients,
// a mountain stretch, a speed board and a signboard, read once per process. The first byte
// chooses the author's check mode (bit 1), as for the line reader.

#include "bersagli.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* dati, std::size_t n) {
    return valmarena::fuzz::prova_lettore_treno(dati, n);
}
