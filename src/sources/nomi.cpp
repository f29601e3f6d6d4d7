// File naming.

#include "nomi.h"

#include "../platform/file_ospite.h"

namespace valmarena {

std::string nome_linea_txt(const std::string& percorso) { return percorso + "_linea.txt"; }

std::string nome_treno_txt(const std::string& percorso, const std::string& treno) {
    return percorso + "_" + treno + "-.txt";
}

std::string nome_documento(const std::string& percorso, const std::string& treno, const std::string& tipo) {
    return percorso + "_" + treno + "_" + tipo + ".txt";
}

std::string nome_tracciato_dat(const std::string& percorso) { return percorso + "_linea.dat"; }

std::string nome_tabella_sim(const std::string& percorso, const std::string& treno) {
    return percorso + "_" + treno + ".sim";
}

std::string nome_celle_dat(const std::string& percorso, const std::string& treno) {
    return percorso + "_" + treno + ".dat";
}

std::filesystem::path in_cartella(const std::filesystem::path& cartella, const std::string& nome) {
    return cartella / nome_in_percorso(nome);
}

}  // namespace valmarena
