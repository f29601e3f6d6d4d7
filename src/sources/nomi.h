// The names of every file a run writes, built from the route name and the train name
// exactly as they are, blanks included (Windows-1252 bytes).
#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace valmarena {

// The scenario that the package writes: route and train.
inline constexpr const char* percorso_pacchetto = "Valmarena";
inline constexpr const char* treno_pacchetto = "RX 914";

std::string nome_linea_txt(const std::string& percorso);                            // R_linea.txt
std::string nome_treno_txt(const std::string& percorso, const std::string& treno);  // R_T-.txt
std::string nome_documento(const std::string& percorso, const std::string& treno, const std::string& tipo);  // R_T_tipo.txt
std::string nome_tracciato_dat(const std::string& percorso);                        // R_linea.dat
std::string nome_tabella_sim(const std::string& percorso, const std::string& treno);  // R_T.sim
std::string nome_celle_dat(const std::string& percorso, const std::string& treno);    // R_T.dat

// What keeps a route or train name (Windows-1252 bytes) out of a file name, in English and naming
// the character at fault; nothing when the name is usable. Refused: an empty name, "..", a path
// separator, a character Windows forbids in file names, a control character and the five bytes
// Windows-1252 leaves undefined.
std::optional<std::string> difetto_nome(const std::string& nome);

// A file of the folder under a Windows-1252 name.
std::filesystem::path in_cartella(const std::filesystem::path& cartella, const std::string& nome);

}  // namespace valmarena
