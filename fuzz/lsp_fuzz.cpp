// The language server on arbitrary bytes: the input is cut into messages by the framing and
// each is handed to one server, which must answer bad input and never throw or crash. Every
// answer must be valid JSON.

#include <sstream>
#include <string>

#include <nlohmann/json.hpp>

#include "lsp_server.h"
#include "lsp_trama.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* dati, std::size_t n) {
    using namespace valmarena::strumento;
    std::istringstream in(std::string(reinterpret_cast<const char*>(dati), n));
    server_lsp server([](const std::string& corpo) {
        if (nlohmann::json::parse(corpo, nullptr, false).is_discarded()) __builtin_trap();
    });
    for (int k = 0; k < 64 && !server.finito(); ++k) {
        trama t = leggi_trama(in);
        if (t.esito == esito_trama::fine) break;
        if (t.esito == esito_trama::difetto)
            server.difetto_di_trama(t.difetto);
        else
            server.ricevi(t.corpo);
    }
    return 0;
}
