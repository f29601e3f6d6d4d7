// The train reader on arbitrary text, after a fixed small line: a 20 km route with gradients,
// a mountain stretch, a speed board and a signboard, read once per process. The first byte
// chooses the author's check mode (bit 1), as for the line reader.

#include <cstddef>
#include <cstdint>
#include <string>

#include "comune.h"

using namespace valmarena;

namespace {

const char* linea_fissa =
    "[generale]\r\n"
    "lunghezza percorso,    20000\r\n"
    "progressiva chilometrica uno,    1000,    -1000,    0\r\n"
    "ripetizione segnali 9 codici,    500,    19000\r\n"
    "[pendenze]\r\n"
    "pendenza,    1000,    5\r\n"
    "pendenza,    8000,    -3\r\n"
    "[montagne]\r\n"
    "montagna,    3000,    6000,    12\r\n"
    "[indicatori]\r\n"
    "indicatori_vmax,    9000,    6,    8,    10,    2,    0,    0,    0,    0\r\n"
    "cartello_indicatore,    12000,    Valmarena Alta\r\n"
    "[fine]\r\n";

const scenario& base() {
    static const scenario s = [] {
        scenario b = fuzz::scenario_nuovo(0);
        bool avanti = leggi_linea(b, linea_fissa, "linea.txt");
        fuzz::pretendi(avanti && b.codice_errore == 0, "la linea fissa non si legge");
        return b;
    }();
    return s;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* dati, std::size_t n) {
    if (n < 1) return 0;
    scenario s = base();
    s.continua_dopo_errori = (dati[0] & 2) != 0;
    std::string testo(reinterpret_cast<const char*>(dati + 1), n - 1);
    try {
        leggi_treno(s, testo, "treno.txt");
    } catch (const guasto&) {
    }
    fuzz::controlla_scenario(s);
    return 0;
}
