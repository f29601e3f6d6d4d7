// A whole compile in memory from two texts: the input is the line file, a NUL byte, then the
// train file. The first byte chooses the track plan (bit 0) as for the line reader. After the
// reading come the route checks, the reserved slots and the bytes of the table and the cells,
// which must decode back into the same records.

#include "bersagli.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* dati, std::size_t n) {
    return valmarena::fuzz::prova_compilazione(dati, n);
}
