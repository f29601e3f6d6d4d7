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

namespace {

const char* aiuto =
    "usage: scenario lsp [--strict]\n"
    "A language server for the line and train files on standard input and output (JSON-RPC\n"
    "with Content-Length headers), for editors. An open train file ROUTE_TRAIN-.txt is checked\n"
    "against ROUTE_linea.txt of its folder, using the editor's text of whichever is open, and\n"
    "the editor shows the same errors and warnings as 'scenario check', where they are. It also\n"
    "describes the row or field under the cursor, completes keywords, lists sections,\n"
    "stations, slowdowns, signals and mountain stretches, and offers the fixes that are certain.\n"
    "With --strict (or the initialization option {\"strict\": true}) every warning is an error.\n"
    "Exit status: 0 after shutdown and exit, 1 when the input ends or exit comes without shutdown.\n";

}  // namespace

int comando_lsp(const std::vector<std::string>& args) {
    argomenti a = analizza(args, {}, {"--help", "--strict", "--stdio"});
    if (a.ha("--help")) {
        std::cout << aiuto;
        return 0;
    }
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
