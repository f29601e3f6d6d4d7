// What the readers understood, row by row, for whoever wants to see it beside the records: each
// token tested for a keyword, the kinds it was read as (or why it was passed over), and every
// field read for it with its place. The readers hand each row to an `osservatore_righe` when
// one is given, and do nothing more when none is.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "formato.h"
#include "lettore_token.h"

namespace valmarena {

// Why a token was not acted on as a row.
enum class riga_saltata {
    no,                  // acted on (its kinds may still be none: see `tipi`)
    prima_di_generale,   // before the first token holding "[generale]"
    trattino,            // it holds a hyphen: replaced by the next token
    ultima_del_file,     // the file ends right after it: the last token is never acted on
};

// How the reading of an acted-on row ended.
enum class fine_riga {
    avanti,       // the reading goes on
    arresto,      // the row ended the reading (an error, or a position beyond the route)
    guasto,       // reading a field failed (a number too large, the end of the file, ...)
};

struct riga_osservata {
    file_righe file;
    bool generale = false;          // inside the line file's [generale] section
    std::string_view chiave;        // the keyword token as the reader took it
    luogo dove;                     // where that token starts
    riga_saltata saltata = riga_saltata::no;
    // The kinds it was read as, in the readers' order; a field read belongs to the first kind
    // whose fields are not all taken yet. Empty: it matched no keyword.
    std::vector<const descrizione_riga*> tipi;
    std::span<const campo_letto> campi;  // every field read for it, the keyword not included
    fine_riga fine = fine_riga::avanti;
    std::string_view guasto;        // what failed, for fine_riga::guasto
    int ultima_riga = 0;            // the last line its fields were taken from (its own when none)
};

// The value a field's text gives in the width it is read into, as the reader takes it: a
// number rounded to the nearest integer (halves to even), nothing when it does not fit.
std::optional<std::int64_t> valore_preso(const campo_letto& c, larghezza l);
// The text a text field gives: without its quotes when it is quoted.
std::string_view testo_preso(const campo_letto& c);

// The description of each field read for a row, in order (nullptr past the described ones),
// with the kind it belongs to.
std::vector<std::pair<const campo_riga*, const descrizione_riga*>> campi_descritti(const riga_osservata& r);

class osservatore_righe {
public:
    virtual ~osservatore_righe() = default;
    // Called once for every token tested for a keyword, in file order. Everything it points to
    // lives only for the call.
    virtual void riga(const riga_osservata& r) = 0;
};

}  // namespace valmarena
