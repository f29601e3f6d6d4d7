// The package's --version and --help.

#include "opzioni.h"

#include <cstdio>
#include <cstring>

#include "../sources/nomi.h"

namespace valmarena {

bool risponde_a_opzioni(int argc, char** argv) {
    if (argc < 2 || !argv[1]) return false;
    if (std::strcmp(argv[1], "--version") == 0) {
        std::printf("valmarena %s\n", VALMARENA_VERSIONE);
    } else if (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) {
        std::printf("usage: valmarena\n"
                    "Writes the scenario it carries (its own: train %s on line %s) into the folder that\n"
                    "holds the program: three documents for the driver and the three compiled files.\n"
                    "It takes no input. Exit status: 0 done, 1 errors recorded by the compiler, 2 fatal\n"
                    "error (no compiled file written), 3 a file that could not be written.\n"
                    "       valmarena --version   prints the version and writes nothing\n",
                    treno_pacchetto, percorso_pacchetto);
    } else {
        return false;
    }
    std::fflush(stdout);
    return true;
}

}  // namespace valmarena
