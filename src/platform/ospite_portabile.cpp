// The host layer for systems without the Windows desktop: the window becomes one line on
// standard error, a message box becomes a line on standard error.

#include <cstdio>
#include <cstdlib>
#include <system_error>

#include "ospite.h"

namespace valmarena {

std::filesystem::path cartella_programma(const char* argv0) {
    std::error_code ec;
    auto proprio = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (!ec && !proprio.empty()) return proprio.parent_path();
    if (argv0 && *argv0) {
        auto p = std::filesystem::absolute(argv0, ec);
        if (!ec) return p.parent_path();
    }
    return std::filesystem::current_path();
}

void mostra_finestra() {
    std::fputs("Attendere\n", stderr);
    std::fflush(stderr);
}

void mostra_messaggio(const std::string& testo_utf8) {
    std::fprintf(stderr, "%s\n", testo_utf8.c_str());
    std::fflush(stderr);
}

void termina_processo(int stato) {
    std::fflush(nullptr);
    std::_Exit(stato);
}

}  // namespace valmarena
