// The train card and the slowdown order generated from a scenario's line and train files, laid
// out as the package's own forms (Windows-1252 text, CR LF line ends).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "compiler/chilometri.h"
#include "compiler/righe.h"

namespace valmarena::strumento {

// What the two forms show, as the compiler's reader takes it from the line and train files.
struct dati_documenti {
    struct stazione {
        std::int32_t posizione = 0;
        std::string nome;       // Windows-1252
        std::int32_t orario = 0;  // seconds from midnight; 0 when the station has no time
    };
    struct limite {
        std::int32_t posizione = 0;
        std::int32_t velocita = 0;
    };
    struct rallentamento {
        std::int32_t x = 0, v = 0, l = 0, f_tt = 0;
    };
    std::string nome_treno;
    std::int32_t lunghezza = 0;
    std::int32_t ripetizione_inizio = 0, ripetizione_fine = 0;
    std::int32_t massa_frenata = 0;
    chilometri km;  // the kilometre posts, from the references the compile keeps
    std::vector<stazione> stazioni;
    std::vector<limite> limiti;  // in file order
    std::vector<rallentamento> rallentamenti;
};

// Takes the rows the forms need as the reader hands them over, with the values the reader took
// from their fields: the forms hold the author's exact numbers, where the records keep cells.
class raccolta_documenti : public osservatore_righe {
public:
    explicit raccolta_documenti(dati_documenti& d) : d_(d) {}
    void riga(const riga_osservata& r) override;

private:
    dati_documenti& d_;
};

// The forms' texts, each line ended by CR LF.
std::string scheda_generata(const dati_documenti& d);
std::string rallentamenti_generati(const dati_documenti& d);

}  // namespace valmarena::strumento
