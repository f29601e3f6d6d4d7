// The report of a compile or a check: every recorded error and every warning, sorted by place,
// as text lines or as JSON objects with stable identifiers, and the warnings only counted.
#pragma once

#include <string>
#include <vector>

#include "json.h"
#include "records/scenario.h"

namespace valmarena::strumento {

// One line of the report, with what it is sorted by.
struct voce_rapporto {
    int rango_file = 2;  // 0 line file, 1 train file, 2 none (route checks)
    int riga = 0;
    int colonna = 0;
    bool errore = true;
    std::string testo;  // the whole report line, UTF-8
    const diagnostica* d = nullptr;
    bool severo = false;  // a warning taken as an error under --strict
    bool nota = false;    // a note: never an error, not even under --strict
};

// Every error and warning, sorted by file (line file, train file, then the route checks in the
// order they were found) and by line and column within a file. Under --strict (`severo`) the
// warnings are worded as errors.
std::vector<voce_rapporto> rapporto_ordinato(const scenario& s, const std::string& nome_linea,
                                             const std::string& nome_treno, bool severo);

// "... and N more 'K' warnings (or errors) not shown", one line each, for the kinds past their limit.
std::string avvertimenti_non_mostrati(const scenario& s);

// The stable identifier of a report line: "error-CODE" or the warning's kind.
std::string identificatore(const voce_rapporto& r);

// One report line as a JSON object: id, severity, code, position, file, line, column, message.
void voce_in_json(json_scrittore& j, const voce_rapporto& r);

// The exit status once --strict has had its say: a warning makes a run without errors fail.
int stato_severo(int stato, const scenario& s, bool severo);

}  // namespace valmarena::strumento
