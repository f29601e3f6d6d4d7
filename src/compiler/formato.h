// The one description of the rows of the line and train files: keywords, what the reader
// accepts, fields with their units, ranges and grid, and the code tables. The readers' dispatch,
// the authors' diagnostics and the format reference all come from it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace valmarena {

// Every row kind the readers know, in the order the readers test them.
enum class tipo_riga {
    // line file, [generale] section
    lunghezza,
    progressiva_tre,
    progressiva_due,
    progressiva_uno,
    sfondo_uno,
    sfondo_due,
    sfondo_tre,
    ripetizione,
    // line file, after the [generale] section
    pendenza,
    curva,
    montagna,
    indicatore,
    cartello,
    // train file
    frenata,
    vetture,
    velocita,
    aderenza,
    orologio,
    sabbia,
    segnale,
    rallentamento,
    abbattimento,
    stazione,
};

enum class file_righe { linea, treno };

// How a field is read: into a Long, an Integer, a Byte, or as text to the comma or line end.
enum class larghezza { long_, intero, byte_, testo };

// Which cell a position falls in: a point feature in CLng(p / 50 + 1), the start of a stretch
// (gradient, speed limit, adhesion, abatement point, mountain) in CLng(p / 50).
enum class cella_di { nessuna, punto, tratto };

struct campo_riga {
    const char* nome;         // short name, as the diagnostics call the field
    const char* significato;  // what it means
    const char* unita;        // "m", "km/h", ... or ""
    larghezza tipo;
    std::int64_t minimo;      // range an author is expected to keep
    std::int64_t massimo;
    int griglia;              // the value should be a multiple of this (0: any)
    cella_di cella;           // where a position lands, for the grid warning
    bool griglia_errore;      // off the grid is already a recorded error of the reader
};

// A word the keyword must contain, exactly or ignoring letter case.
struct parola_chiave {
    const char* testo;
    bool esatta;
};

struct descrizione_riga {
    tipo_riga tipo;
    file_righe file;
    bool generale;                       // only inside the line file's [generale] section
    const char* canonica;                // the spelling to write
    std::vector<std::string> grafie;     // every spelling read without a warning (Windows-1252 bytes)
    std::vector<parola_chiave> parole;   // the token is this row when it holds every word
    const char* accetta;                 // what the reader accepts, in words
    const char* significato;
    std::vector<campo_riga> campi;
    const char* esempio;
};

// Every row kind, in the order of `tipo_riga`.
const std::vector<descrizione_riga>& descrizione_righe();
const descrizione_riga& descrizione(tipo_riga t);

// True when the reader takes `token` as a row of kind `t`.
bool riconosce(tipo_riga t, std::string_view token);

// The kinds a token is read as, in the readers' order: in the line file's general section
// (generale = true), after it, or in the train file.
std::vector<const descrizione_riga*> righe_riconosciute(file_righe f, bool generale, std::string_view token);

// The spelling an author should write for a token read as kind `t`; empty when the token is
// already written so. For a curve, the side and class the reader takes from the token.
std::string grafia_attesa(tipo_riga t, std::string_view token);

// A code table of the reference: its title, and one row of code and meaning each.
struct tabella_codici {
    const char* titolo;
    std::vector<std::pair<std::string, std::string>> righe;
};
const std::vector<tabella_codici>& tabelle_codici();

}  // namespace valmarena
