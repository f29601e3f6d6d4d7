// The report of a compile or a check: the compiler's one diagnostics list as text lines (each with
// its source line and notes) or as JSON objects with stable identifiers, and the diagnostics past
// the limit of their kind counted.
#pragma once

#include <string>
#include <vector>

#include "compiler/elenco_diagnostiche.h"
#include "argomenti.h"
#include "compiler/compilatore.h"
#include "estratto.h"
#include "json.h"
#include "records/scenario.h"

namespace valmarena::strumento {

// One line of the report.
struct voce_rapporto {
    segnalazione s;
    bool severo = false;  // a warning taken as an error under --strict
    bool errore() const { return s.livello == gravita::errore || severo; }
};

// Every diagnostic in the list's order. Under --strict (`severo`) the warnings are worded as errors.
std::vector<voce_rapporto> rapporto_ordinato(const scenario& s, const std::string& nome_linea,
                                             const std::string& nome_treno, bool severo);

// One diagnostic as compilers print it: its report line, the source line with a caret under the
// field, then a "FILE:LINE:COLUMN: note:" line with its own source line for each related row. No
// source line for a diagnostic of a whole file or a place beyond the text. When `colore`: the
// place in bold, error red, warning magenta, note cyan, the caret green.
std::string voce_in_testo(const voce_rapporto& r, const testi_letti& testi, bool colore);

// Whether the text report is coloured: --color always or never, or auto (the default) when the
// report goes to a terminal (standard error when `su_errore`, else standard output) and NO_COLOR
// is not set to a non-empty value. Any other value is a bad argument.
bool a_colori(const argomenti& a, bool su_errore);

// "... and N more 'K' warnings (or errors) not shown", one line each, for the kinds past their limit.
std::string avvertimenti_non_mostrati(const scenario& s);

// The stable identifier of a report line: "error-CODE" or the warning's kind.
std::string identificatore(const voce_rapporto& r);

// The "diagnostics" list: each line as an object with id, severity, code and position (errors),
// file, line, column, message (without the place) and related (the other rows, with their places).
void diagnostiche_in_json(json_scrittore& j, const std::vector<voce_rapporto>& rapporto);

// The exit status of a compile once --strict has had its say: a warning makes a run without
// errors fail. Whether its files can be written is the writers' to say.
int stato_severo(int stato, const scenario& s, bool severo);

// The exit status of a check: also 1 for an error of the diagnosis (a limit compile would refuse).
int stato_verifica(int stato, const scenario& s, bool severo);

}  // namespace valmarena::strumento

namespace valmarena::strumento {

// The report as a SARIF 2.1.0 log: one rule per stable identifier, with its description, and one
// result per diagnostic (the fatal error, when there is one, last), with its place and the other
// rows it concerns as related locations.
std::string rapporto_in_sarif(const std::vector<voce_rapporto>& rapporto, const std::string& fatale,
                              const std::vector<riga_correlata>& dove_fatale);

}  // namespace valmarena::strumento

namespace valmarena::strumento {

// Whether --format asks for SARIF (text otherwise); any other value is a bad argument.
bool formato_sarif(const argomenti& a);

// The SARIF log of a compile or a check, the fatal error placed at the row that took the slot.
std::string sarif_della_compilazione(const scenario& s, const esito_compilazione& e,
                                     const std::vector<voce_rapporto>& rapporto);

}  // namespace valmarena::strumento
