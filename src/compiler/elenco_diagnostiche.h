// The one diagnostics list of a compile: every recorded error and every note to authors, each
// with its stable identifier, severity, place, message and the other rows it concerns, sorted by
// place. The tool's text, JSON and SARIF reports and the editor support all print this list.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "../records/scenario.h"

namespace valmarena {

enum class gravita { nota, avvertimento, errore };

// "note", "warning" or "error".
const char* nome_gravita(gravita g);

// A stable identifier with its usual severity and what it means.
struct regola {
    std::string id;
    gravita livello;
    std::string descrizione;
};

// Every identifier a diagnostic can carry: "error-CODE" for each recorded code, the fatal
// errors, then the notes to authors.
const std::vector<regola>& regole();

// The severity of a note to authors of kind `tipo` (most are warnings).
gravita gravita_di(std::string_view tipo);

struct segnalazione {
    std::string id;
    gravita livello = gravita::avvertimento;
    std::int32_t codice = 0;  // a recorded error's code, else 0
    bool ha_posizione = false;
    std::int32_t posizione = 0;
    std::string file;  // empty for the route checks' errors
    int riga = 0;
    int colonna = 0;
    std::string messaggio;  // what is wrong, without place, severity or code
    std::vector<riga_correlata> correlate;
    std::string cippo;  // the position's kilometre post ("km 36+000"), when there is a position
};

// The list, sorted by file (line file, train file, then the route checks in the order they were
// found) and by line and column. Errors that only restate an earlier one are left out: after a
// line file without [generale] or with a route length out of range, the failures to reach route
// cells that were never built; a missing [generale] is reported at the file's first line.
std::vector<segnalazione> elenco_diagnostiche(const scenario& s, const std::string& nome_linea,
                                              const std::string& nome_treno);

// How many bytes the field that starts at `colonna` (from 1) of a source line takes, cut as the
// token reader cuts a field: to the next comma or the line end, the blanks that end it left out, or
// a quoted field to its closing quote (or the line end). 0 for a column beyond the line.
int larghezza_campo(std::string_view riga, int colonna);

// True when an error of the line file already says why no route cells were built.
bool senza_celle_spiegato(const scenario& s);

// How many diagnostics of each severity were found, the ones only counted included.
struct conteggio_diagnostiche {
    std::int64_t errori = 0;
    std::int64_t avvertimenti = 0;
    std::int64_t note = 0;
};
conteggio_diagnostiche conta_diagnostiche(const scenario& s);

// The diagnostics of a line text and a train text, read as `scenario check` reads files of
// those names (reading on after a failing row, nothing written).
std::vector<segnalazione> diagnostiche_dei_testi(const std::string& linea, const std::string& treno,
                                                 const std::string& nome_linea, const std::string& nome_treno);

}  // namespace valmarena
