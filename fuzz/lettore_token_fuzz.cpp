// The token reader on arbitrary bytes: the first byte says how many of the following bytes are
// the requests (text, keyword token, Long, Integer, Byte), the rest is the file. The requests are
// repeated in turn until the file is read; each must consume something, so the reading ends.

#include <cstddef>
#include <cstdint>
#include <string>

#include "comune.h"
#include "compiler/lettore_token.h"

using namespace valmarena;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* dati, std::size_t n) {
    if (n < 2) return 0;
    std::size_t n_richieste = 1 + dati[0] % 16;
    if (n_richieste + 1 > n) n_richieste = n - 1;
    const std::uint8_t* richieste = dati + 1;
    std::string testo(reinterpret_cast<const char*>(dati + 1 + n_richieste), n - 1 - n_richieste);

    lettore_token in(testo, "prova.txt");
    std::size_t chiamate = 0;
    int riga_precedente = 1;
    try {
        while (!in.fine()) {
            fuzz::pretendi(chiamate <= testo.size(), "una richiesta non ha consumato nulla");
            switch (richieste[chiamate % n_richieste] % 5) {
            case 0: {
                std::string t = in.testo();
                fuzz::pretendi(t.size() <= testo.size(), "campo piu' lungo del file");
                break;
            }
            case 1:
                in.token();
                break;
            case 2:
                in.numero_long();
                break;
            case 3:
                in.numero_intero();
                break;
            default:
                in.numero_byte();
                break;
            }
            ++chiamate;
            luogo l = in.ultimo();
            fuzz::pretendi(l.riga >= riga_precedente && l.colonna >= 1, "luogo del campo all'indietro");
            riga_precedente = l.riga;
        }
    } catch (const guasto&) {
        // A number that does not fit, or a request past the end: the reader's failure path.
    }
    for (const auto& a : in.avvertimenti()) fuzz::pretendi(a.dove.riga >= 1, "avvertimento senza riga");

    contiene(testo, "pendenza");
    comincia_con(testo, "-");
    return 0;
}
