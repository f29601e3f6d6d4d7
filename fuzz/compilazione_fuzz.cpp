// A whole compile in memory from two texts: the input is the line file, a NUL byte, then the
// train file. The first byte chooses the track plan (bit 0) as for the line reader. After the
// reading come the route checks, the reserved slots and the bytes of the table and the cells,
// which must decode back into the same records.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "comune.h"
#include "compiler/decodifica.h"
#include "compiler/scrittori.h"

using namespace valmarena;

namespace {

bool stesse_celle(const std::vector<cella>& a, const std::vector<cella>& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const cella& x = a[i];
        const cella& y = b[i];
        if (x.tipo != y.tipo || x.valore1 != y.valore1 || x.valore2 != y.valore2 || x.valore3 != y.valore3 ||
            x.valore4 != y.valore4 || x.tempo != y.tempo || x.preavviso != y.preavviso ||
            x.montagna != y.montagna || x.velocita != y.velocita || x.pendenza != y.pendenza ||
            x.aderenza != y.aderenza)
            return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* dati, std::size_t n) {
    if (n < 1) return 0;
    std::string resto(reinterpret_cast<const char*>(dati + 1), n - 1);
    std::size_t sep = resto.find('\0');
    std::string linea = resto.substr(0, sep);
    std::string treno = sep == std::string::npos ? std::string() : resto.substr(sep + 1);

    scenario s = fuzz::scenario_nuovo(dati[0] & 1);
    fuzz::leggi_in_memoria(s, linea, treno);
    fuzz::controlla_scenario(s);
    if (s.celle.size() < 2) return 0;

    controlla_percorso(s);
    std::string fatale = occupa_riservati(s);
    if (!fatale.empty()) return 0;

    std::string tabella = byte_tabella(s);
    std::string celle = byte_celle(s);
    fuzz::pretendi(celle.size() == s.celle.size() * byte_per_cella, "byte delle celle di lunghezza errata");
    auto voci = decodifica_tabella(tabella);
    fuzz::pretendi(voci.size() == s.tabella.size(), "tabella riletta di lunghezza errata");
    for (std::size_t i = 0; i < voci.size(); ++i)
        fuzz::pretendi(byte_voce(voci[i]) == byte_voce(s.tabella[i]), "voce riletta diversa");
    fuzz::pretendi(stesse_celle(decodifica_celle(celle), s.celle), "celle rilette diverse");
    return 0;
}
