// The scenario compiler's entry points: from the two source files to the three binary files.
// It knows no window and no process: it reads and writes the paths it is given and hands a
// fatal error back to its caller.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "../records/scenario.h"
#include "controlli.h"
#include "lettura.h"

namespace valmarena {

// Exit statuses of a run, shared by the package and the authoring tool.
enum stato_uscita : int {
    uscita_ok = 0,
    uscita_errore_registrato = 1,
    uscita_errore_fatale = 2,
    uscita_errore_file = 3,
};

struct esito_compilazione {
    errore_fatale fatale = errore_fatale::nessuno;  // set when a reserved slot was taken; nothing is written then
    std::string causa_fatale;  // what took the slot and the row that put it there, when known
    bool senza_celle = false;  // the reader never allocated the cells: nothing is written
    std::vector<std::filesystem::path> file_scritti;
};

// Everything but the writing: reset, read, check, claim the slots. Without the track plan none is
// built. What it leaves in the records is what `memorizza_percorso` writes.
esito_compilazione compila_in_memoria(scenario& s, tracciato_si_no j, const sorgenti& src);

// 2 after a fatal error, 1 when an error was recorded or no cell was built, else 0.
stato_uscita stato_compilazione(const scenario& s, const esito_compilazione& e);

// Writes the three files of what `compila_in_memoria` left in the records into `cartella`, one
// after the other (the track plan, the table, the cells), each put in place before the next is
// begun, adding each to `esito.file_scritti`; nothing after a fatal error or without cells.
// Failures throw `errore_file`: the files after the failing one are not touched.
void scrivi_compilati(const scenario& s, esito_compilazione& esito, const std::filesystem::path& cartella);

// Whether the files of a compile are written, decided once the sources are read and checked.
using da_scrivere = std::function<bool(const scenario&, const esito_compilazione&)>;

// The compiler's whole run into `cartella`: `compila_in_memoria`, then `scrivi_compilati` only
// when `scrivere` agrees. Nothing is created in the folder before that.
esito_compilazione compila_e_scrivi(scenario& s, tracciato_si_no j, const sorgenti& src,
                                    const std::filesystem::path& cartella, const da_scrivere& scrivere);

// The compiler's whole run: reset, read, check, claim the slots, write the files into `cartella`.
// Without the track plan none is built or written. File-system failures throw `errore_file`.
esito_compilazione memorizza_percorso(scenario& s, tracciato_si_no j, const sorgenti& src,
                                      const std::filesystem::path& cartella);

}  // namespace valmarena
