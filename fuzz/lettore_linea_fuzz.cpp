// The line reader on arbitrary text into a fresh scenario. The first byte chooses whether the
// track plan is built (bit 0) and whether the reading goes on after a failing row as the
// author's check does (bit 1). A run-time failure (`guasto`) is the reader's expected way out.

#include <cstddef>
#include <cstdint>
#include <string>

#include "comune.h"

using namespace valmarena;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* dati, std::size_t n) {
    if (n < 1) return 0;
    scenario s = fuzz::scenario_nuovo(dati[0] & 1);
    s.continua_dopo_errori = (dati[0] & 2) != 0;
    std::string testo(reinterpret_cast<const char*>(dati + 1), n - 1);
    try {
        leggi_linea(s, testo, "linea.txt");
    } catch (const guasto&) {
    }
    fuzz::controlla_scenario(s);
    return 0;
}
