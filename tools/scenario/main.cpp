// The authoring tool: compile route and train descriptions with clear diagnostics, export the
// package's sources, inspect and draw compiled scenarios.

#include <string>
#include <vector>

#include "comandi.h"
#include "platform/file_ospite.h"

int main(int argc, char** argv) {
    valmarena::ignora_limite_file();
    valmarena::rimuovi_temporanei_ai_segnali();
    return valmarena::strumento::esegui(std::vector<std::string>(argv + 1, argv + argc));
}
