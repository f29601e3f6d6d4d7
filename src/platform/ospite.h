// The host layer: the program's folder, the window that says "Attendere" while the run works,
// a message to the user, whether an output is a terminal, and ending the process. One
// implementation for Windows, one portable.
#pragma once

#include <filesystem>
#include <string>

namespace valmarena {

// The folder that holds the running program. Throws std::runtime_error, saying why, when the
// host cannot tell: the run must then stop rather than write its files somewhere else.
std::filesystem::path cartella_programma(const char* argv0);

// The running program's own executable file; empty when the host cannot tell.
std::filesystem::path programma_in_esecuzione(const char* argv0);

// Shows the window Form1 with its label "Attendere" and paints it once, before the work.
void mostra_finestra();

// Shows a message to the user: a message box with an OK button, or a line on standard error.
void mostra_messaggio(const std::string& testo_utf8);

// True when standard error (`errore`) or standard output is a terminal that shows colours: on
// Windows a console, its colour sequences turned on.
bool terminale_a_colori(bool errore);

// Ends the process at once with the given status; open files are closed by the host.
[[noreturn]] void termina_processo(int stato);

}  // namespace valmarena
