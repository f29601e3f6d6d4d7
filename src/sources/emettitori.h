// The five emitters: each writes one embedded text file of the scenario into the folder,
// replacing any file of the same name. Lines go out in Windows-1252, each ended by CR LF.
#pragma once

#include <array>
#include <filesystem>
#include <string>
#include <string_view>

namespace valmarena {

// The line table of an emitter: slots 0..1000, the lines from slot 0, the sentinel after them.
// The slots look into the content they were filled from, which must outlive the table.
constexpr int slot_tabella_righe = 1001;
constexpr std::string_view sentinella = "riferimento fine del file";
using tabella_righe = std::array<std::string_view, slot_tabella_righe>;

// Fills the line table from embedded content made of CR LF ended lines. Throws `std::invalid_argument`
// when the content has more than 1000 lines or holds the sentinel.
void riempi_tabella_righe(std::string_view contenuto, tabella_righe& righe);

// Writes the lines of the table up to the sentinel, each with CR LF, replacing the file.
void emetti_righe(const std::filesystem::path& file, const tabella_righe& righe);

struct identita {
    std::string nome_percorso;
    std::string nome_treno;
};

// The five texts of a scenario and its names: the package's own, or those it carries appended.
struct testi_scenario {
    identita id;
    std::string linea;
    std::string treno;
    std::string note;
    std::string rallentamenti;
    std::string scheda;
    bool con_note = true;  // without notes of the author's no notes file is written
};

// The scenario built into the program.
testi_scenario testi_incorporati();

// The five emitters over `testi`, in the run's order: line, train, notes, slowdown order, train card,
// each file put in place before the next is begun. A file that cannot be written throws
// `errore_file`: the files before it are in place, the files after it are not touched.
void emetti_testi(const std::filesystem::path& cartella, const testi_scenario& testi);

// One text written as an emitter writes it, through the line table.
void emetti_testo(const std::filesystem::path& file, std::string_view contenuto);

void dati_linea(const std::filesystem::path& cartella, const identita& id);
void dati_treno(const std::filesystem::path& cartella, const identita& id);
void dati_note(const std::filesystem::path& cartella, const identita& id);
void dati_rallentamenti(const std::filesystem::path& cartella, const identita& id);
void dati_scheda(const std::filesystem::path& cartella, const identita& id);

}  // namespace valmarena
