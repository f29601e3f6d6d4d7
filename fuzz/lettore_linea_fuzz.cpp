// The line reader on arbitrary text into a fresh scenario. The first byte chooses whether the
// track plan is built (bit 0) and whether the reading goes on after a failing row as the
// author's check does (bit 1). A run-time failure (`guasto`) is the reader's expected way out.

#include "bersagli.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* dati, std::size_t n) {
    return valmarena::fuzz::prova_lettore_linea(dati, n);
}
