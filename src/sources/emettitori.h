// The five emitters: each writes one embedded text file of the scenario into the folder,
// replacing any file of the same name. Lines go out in Windows-1252, each ended by CR LF.
#pragma once

#include <array>
#include <filesystem>
#include <string>
#include <string_view>

namespace valmarena {

// The line table of an emitter: slots 0..1000, the lines from slot 0, the sentinel after them.
constexpr int slot_tabella_righe = 1001;
constexpr std::string_view sentinella = "riferimento fine del file";
using tabella_righe = std::array<std::string, slot_tabella_righe>;

// Fills the line table from embedded content made of CR LF ended lines. Throws `std::invalid_argument`
// when the content has more than 1000 lines or holds the sentinel.
void riempi_tabella_righe(std::string_view contenuto, tabella_righe& righe);

// Writes the lines of the table up to the sentinel, each with CR LF, replacing the file.
void emetti_righe(const std::filesystem::path& file, const tabella_righe& righe);

struct identita {
    std::string nome_percorso;
    std::string nome_treno;
};

void dati_linea(const std::filesystem::path& cartella, const identita& id);
void dati_treno(const std::filesystem::path& cartella, const identita& id);
void dati_note(const std::filesystem::path& cartella, const identita& id);
void dati_rallentamenti(const std::filesystem::path& cartella, const identita& id);
void dati_scheda(const std::filesystem::path& cartella, const identita& id);

}  // namespace valmarena
