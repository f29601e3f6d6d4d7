// Writes the longest route's line and train description into a folder, for the tests that draw
// or compile it:  percorso_lungo FOLDER  ->  FOLDER/linea_lunga.txt, FOLDER/treno_lungo.txt

#include <filesystem>
#include <fstream>
#include <iostream>

#include "percorso_lungo.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: percorso_lungo FOLDER\n";
        return 3;
    }
    const std::filesystem::path cartella = argv[1];
    std::error_code ec;
    std::filesystem::create_directories(cartella, ec);
    valmarena::percorso_lungo::conteggi n;
    std::ofstream linea(cartella / "linea_lunga.txt", std::ios::binary);
    linea << valmarena::percorso_lungo::genera_linea(n);
    std::ofstream treno(cartella / "treno_lungo.txt", std::ios::binary);
    treno << valmarena::percorso_lungo::genera_treno(n);
    linea.close();
    treno.close();
    if (!linea || !treno) {
        std::cerr << "percorso_lungo: cannot write into " << cartella.string() << "\n";
        return 3;
    }
    return 0;
}
