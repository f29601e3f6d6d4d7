// The package program: it takes no input; the window's load handler does the whole run.

#include "../platform/file_ospite.h"
#include "form1.h"
#include "opzioni.h"

int main(int argc, char** argv) {
    if (valmarena::risponde_a_opzioni(argc, argv)) return 0;
    valmarena::ignora_limite_file();
    valmarena::rimuovi_temporanei_ai_segnali();
    valmarena::Form_Load(argv[0]);
}
