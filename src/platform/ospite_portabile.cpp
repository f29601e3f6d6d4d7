// The host layer for systems without the Windows desktop: the program's folder from /proc or from
// argv[0] as the shell found it; the window and a message box become lines on standard error.

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <system_error>

#include "ospite.h"

namespace valmarena {

namespace {

namespace fs = std::filesystem;

// True when `p` is a regular file this process may run, as the shell requires of a command.
bool eseguibile(const fs::path& p) {
    std::error_code ec;
    return fs::is_regular_file(p, ec) && ::access(p.c_str(), X_OK) == 0;
}

// The program that a bare command name started, looked up in PATH the way the shell does: the
// folders in order, an empty entry meaning the current folder; without PATH, the system's own.
fs::path cerca_nel_path(const std::string& nome) {
    const char* variabile = std::getenv("PATH");
    std::string elenco = variabile ? variabile : "/bin:/usr/bin";
    std::size_t inizio = 0;
    for (;;) {
        const std::size_t fine = elenco.find(':', inizio);
        const std::string cartella = elenco.substr(inizio, fine == std::string::npos ? std::string::npos : fine - inizio);
        const fs::path candidato = (cartella.empty() ? fs::path(".") : fs::path(cartella)) / nome;
        if (eseguibile(candidato)) return candidato;
        if (fine == std::string::npos) return {};
        inizio = fine + 1;
    }
}

// The program named by argv[0]: a path when it holds a slash, otherwise a command found in PATH.
fs::path programma_da_argv0(const char* argv0) {
    if (!argv0 || !*argv0) return {};
    const std::string nome = argv0;
    if (nome.find('/') == std::string::npos) return cerca_nel_path(nome);
    return eseguibile(nome) ? fs::path(nome) : fs::path();
}

}  // namespace

std::filesystem::path programma_in_esecuzione(const char* argv0) {
    std::error_code ec;
    auto proprio = fs::read_symlink("/proc/self/exe", ec);
    if (!ec && proprio.is_absolute()) return proprio;
    // Without /proc, argv[0] names the program as the one who started it named it.
    const fs::path programma = programma_da_argv0(argv0);
    if (!programma.empty()) {
        auto vero = fs::canonical(programma, ec);
        if (!ec) return vero;
    }
    return {};
}

std::filesystem::path cartella_programma(const char* argv0) {
    const fs::path programma = programma_in_esecuzione(argv0);
    if (!programma.empty()) return programma.parent_path();
    throw std::runtime_error(std::string("Cannot find the folder that holds the program: /proc/self/exe cannot be read and '") +
                             (argv0 ? argv0 : "") + "' names no program file, neither as a path nor in PATH");
}

void mostra_finestra() {
    std::fputs("Attendere\n", stderr);
    std::fflush(stderr);
}

void mostra_messaggio(const std::string& testo_utf8) {
    std::fprintf(stderr, "%s\n", testo_utf8.c_str());
    std::fflush(stderr);
}

bool terminale_a_colori(bool errore) { return ::isatty(errore ? STDERR_FILENO : STDOUT_FILENO) == 1; }

void termina_processo(int stato) {
    std::fflush(nullptr);
    std::_Exit(stato);
}

}  // namespace valmarena
