// Holding the output folder of a command.

#include "cartella_uscita.h"

#include <iostream>
#include <string>

#include "platform/file_ospite.h"

namespace valmarena::strumento {

std::optional<cartella_esclusiva> prendi_uscita(const std::filesystem::path& cartella,
                                                const std::vector<std::filesystem::path>& file) {
    const std::filesystem::path dove = cartella.empty() ? std::filesystem::path(".") : cartella;
    cartella_esclusiva blocco;
    std::string causa;
    switch (blocco.prendi(dove, attesa_cartella, causa)) {
    case cartella_esclusiva::esito::presa:
        rimuovi_temporanei_rimasti(file);
        return blocco;
    case cartella_esclusiva::esito::occupata:
        std::cerr << "scenario: " << messaggio_cartella_occupata(dove) << "\n";
        return std::nullopt;
    case cartella_esclusiva::esito::impossibile:
        break;
    }
    std::cerr << "scenario: cannot lock the folder " << cammino_in_testo(dove) << ": " << causa << "\n";
    return std::nullopt;
}

}  // namespace valmarena::strumento
