// Reading the package program's own file for the scenario appended to it.

#include "carico_programma.h"

#include "../platform/file_ospite.h"

namespace valmarena {

esito_carico carico_del_programma(const std::filesystem::path& eseguibile) {
    if (eseguibile.empty()) return {};
    std::string byte;
    std::string causa;
    if (!leggi_file(eseguibile, byte, causa)) return {};
    return decodifica_carico(byte);
}

std::string messaggio_carico_guasto(const esito_carico& e) {
    return "This package cannot run: " + e.difetto + ". No file was written.";
}

}  // namespace valmarena
