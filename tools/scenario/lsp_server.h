// The language server: JSON-RPC requests and notifications in, responses and notifications out.
// One message is handled at a time, to the end, on the caller's thread.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

#include "lsp_scenario.h"

namespace valmarena::strumento {

class server_lsp {
public:
    // `invia` is given each outgoing message body.
    explicit server_lsp(std::function<void(const std::string&)> invia);

    // Handles one message body; bad input is answered, never thrown.
    void ricevi(std::string_view corpo);
    // Answers a framing fault (the body could not be taken) with a parse error.
    void difetto_di_trama(const std::string& difetto);

    // Every warning an error, as `check --strict`; the initialization option may say otherwise.
    void imposta_severo(bool severo) { scenari_.severo = severo; }

    // True once `exit` has been received, with the status the process should end with.
    bool finito() const { return finito_; }
    int stato() const { return spento_ ? 0 : 1; }

private:
    void richiesta(const nlohmann::json& id, const std::string& metodo, const nlohmann::json& params);
    void notifica(const std::string& metodo, const nlohmann::json& params);
    nlohmann::json inizializza(const nlohmann::json& params);
    void rispondi(const nlohmann::json& id, nlohmann::json risultato);
    void errore(const nlohmann::json& id, int codice, const std::string& messaggio);
    void pubblica(const pubblicazioni& p);
    const documento& documento_di(const nlohmann::json& params) const;

    std::function<void(const std::string&)> invia_;
    scenari scenari_;
    bool inizializzato_ = false;
    bool spento_ = false;
    bool finito_ = false;
};

// JSON-RPC error codes.
enum codice_rpc : int {
    rpc_parse_error = -32700,
    rpc_invalid_request = -32600,
    rpc_method_not_found = -32601,
    rpc_invalid_params = -32602,
    rpc_internal_error = -32603,
    rpc_server_not_initialized = -32002,
    rpc_request_failed = -32803,
};

}  // namespace valmarena::strumento
