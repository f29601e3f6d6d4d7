// The scenario compiler's entry points: from the two source files to the three binary files.
// It knows no window and no process: it reads and writes the paths it is given and hands a
// fatal error back to its caller.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "../records/scenario.h"

namespace valmarena {

struct sorgenti {
    std::filesystem::path linea;   // line description file
    std::filesystem::path treno;   // train description file
    bool cancella = true;          // delete each source file once it has been read
    // The files' text when the caller has it already (converted from another encoding); read
    // from the paths otherwise.
    std::optional<std::string> testo_linea = std::nullopt;
    std::optional<std::string> testo_treno = std::nullopt;
};

// Exit statuses of a run, shared by the package and the authoring tool.
enum stato_uscita : int {
    uscita_ok = 0,
    uscita_errore_registrato = 1,
    uscita_errore_fatale = 2,
    uscita_errore_file = 3,
};

// A reserved slot already taken when the slots are claimed; its code is what the package shows.
enum class errore_fatale : std::int16_t { nessuno = 0, slot_1250 = 1250, slot_1251 = 1251 };

// "1250" or "1251"; empty for `nessuno`.
std::string codice_fatale(errore_fatale f);

struct esito_compilazione {
    errore_fatale fatale = errore_fatale::nessuno;  // set when a reserved slot was taken; nothing is written then
    std::string causa_fatale;  // what took the slot and the row that put it there, when known
    bool senza_celle = false;  // the reader never allocated the cells: nothing is written
    std::vector<std::filesystem::path> file_scritti;
};

// Reads both source files into the records (line half, then train half), with the failure handler.
void memorizza_dati(scenario& s, const sorgenti& src);

// The line half; returns false when the reading must end without the train half.
bool leggi_linea(scenario& s, const std::string& testo, const std::string& nome_file);
// The train half, from the opening of the train file's text to its normal end or a stop.
void leggi_treno(scenario& s, const std::string& testo, const std::string& nome_file);

// The pass that adds abatement points around slowdowns and signals.
void controlla_percorso(scenario& s);
// Claims the reserved slots and stores the competition codes; says which slot was already taken.
errore_fatale occupa_riservati(scenario& s);

// Competition codes from the train and route names held in entries 86 and 85.
std::int16_t codice_gara_og(const scenario& s);
std::int32_t codice_gara_st(const scenario& s);

// Everything but the writing: reset, read, check, claim the slots. Without the track plan none is
// built. What it leaves in the records is what `memorizza_percorso` writes.
esito_compilazione compila_in_memoria(scenario& s, tracciato_si_no j, const sorgenti& src);

// 2 after a fatal error, 1 when an error was recorded or no cell was built, else 0.
stato_uscita stato_compilazione(const scenario& s, const esito_compilazione& e);

// Writes the three files of what `compila_in_memoria` left in the records into `cartella`, adding
// each to `esito.file_scritti`; nothing after a fatal error or without cells. Failures throw `errore_file`.
void scrivi_compilati(const scenario& s, esito_compilazione& esito, const std::filesystem::path& cartella);

// The compiler's whole run: reset, read, check, claim the slots, write the files into `cartella`.
// Without the track plan none is built or written. File-system failures throw `errore_file`.
esito_compilazione memorizza_percorso(scenario& s, tracciato_si_no j, const sorgenti& src,
                                      const std::filesystem::path& cartella);

// The smaller of two values, x on a tie.
inline std::int32_t minimo(std::int32_t x, std::int32_t y) { return x > y ? y : x; }

}  // namespace valmarena
