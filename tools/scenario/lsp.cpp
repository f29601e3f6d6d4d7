// `scenario lsp`: the language server on standard input and output.

#include <iostream>

#include "argomenti.h"
#include "comandi.h"
#include "lsp_server.h"
#include "lsp_trama.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

namespace valmarena::strumento {

int comando_lsp(const std::vector<std::string>& args) {
    argomenti a = analizza(args, "lsp");
    if (!a.posizionali.empty()) throw argomenti_errati("unexpected argument " + a.posizionali.front());
#ifdef _WIN32
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    server_lsp server([](const std::string& corpo) { scrivi_trama(std::cout, corpo); });
    if (a.ha("--strict")) server.imposta_severo(true);
    for (;;) {
        trama t = leggi_trama(std::cin);
        if (t.esito == esito_trama::fine) return 1;
        if (t.esito == esito_trama::difetto)
            server.difetto_di_trama(t.difetto);
        else
            server.ricevi(t.corpo);
        if (server.finito()) return server.stato();
    }
}

}  // namespace valmarena::strumento
