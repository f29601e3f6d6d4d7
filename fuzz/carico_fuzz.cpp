// The reader of the scenario appended to a package program, on arbitrary files and on payload
// bodies wrapped in a sound trailer (the first byte chooses).

#include "bersagli.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* dati, std::size_t n) {
    return valmarena::fuzz::prova_carico(dati, n);
}
