// Message dispatch of the language server.

#include "lsp_server.h"

#include "lsp_funzioni.h"

namespace valmarena::strumento {

using nlohmann::json;

server_lsp::server_lsp(std::function<void(const std::string&)> invia) : invia_(std::move(invia)) {}

namespace {

std::string scritto(const json& j) { return j.dump(-1, ' ', false, json::error_handler_t::replace); }

const std::string& uri_di(const json& params) { return params.at("textDocument").at("uri").get_ref<const std::string&>(); }

}  // namespace

void server_lsp::rispondi(const json& id, json risultato) {
    invia_(scritto({{"jsonrpc", "2.0"}, {"id", id}, {"result", std::move(risultato)}}));
}

void server_lsp::errore(const json& id, int codice, const std::string& messaggio) {
    invia_(scritto({{"jsonrpc", "2.0"}, {"id", id}, {"error", {{"code", codice}, {"message", messaggio}}}}));
}

void server_lsp::pubblica(const pubblicazioni& p) {
    for (const auto& params : p)
        invia_(scritto({{"jsonrpc", "2.0"}, {"method", "textDocument/publishDiagnostics"}, {"params", params}}));
}

void server_lsp::difetto_di_trama(const std::string& difetto) {
    errore(nullptr, rpc_parse_error, "unreadable message: " + difetto);
}

void server_lsp::ricevi(std::string_view corpo) {
    const json m = json::parse(corpo, nullptr, false);
    if (m.is_discarded()) return errore(nullptr, rpc_parse_error, "the message is not valid JSON");
    const json id = m.is_object() && m.contains("id") ? m["id"] : json();
    const bool id_valido = id.is_null() || id.is_string() || id.is_number_integer();
    if (!m.is_object() || !m.contains("method") || !m["method"].is_string() || !id_valido) {
        // A response to a request of ours would have no method: the server sends none, so none is awaited.
        if (m.is_object() && !m.contains("method") && (m.contains("result") || m.contains("error"))) return;
        return errore(id_valido ? id : json(), rpc_invalid_request, "not a JSON-RPC request or notification");
    }
    const std::string& metodo = m["method"].get_ref<const std::string&>();
    const json params = m.value("params", json::object());
    try {
        if (m.contains("id"))
            richiesta(id, metodo, params);
        else
            notifica(metodo, params);
    } catch (const json::exception& e) {
        if (m.contains("id")) errore(id, rpc_invalid_params, std::string("bad params for ") + metodo + ": " + e.what());
    } catch (const std::exception& e) {
        if (m.contains("id")) errore(id, rpc_internal_error, std::string(metodo) + " failed: " + e.what());
    }
}

json server_lsp::inizializza(const json& params) {
    inizializzato_ = true;
    if (params.is_object() && params.contains("initializationOptions")) {
        const json& o = params["initializationOptions"];
        if (o.is_object() && o.contains("strict") && o["strict"].is_boolean()) scenari_.severo = o["strict"].get<bool>();
    }
    return {{"capabilities",
             {{"positionEncoding", "utf-16"},
              {"textDocumentSync", {{"openClose", true}, {"change", 1}, {"save", {{"includeText", false}}}}},
              {"hoverProvider", true},
              {"completionProvider", {{"resolveProvider", false}}},
              {"signatureHelpProvider", {{"triggerCharacters", {","}}, {"retriggerCharacters", {" "}}}},
              {"documentSymbolProvider", true},
              {"codeActionProvider", {{"codeActionKinds", {"quickfix"}}}}}},
            {"serverInfo", {{"name", "scenario"}, {"version", VALMARENA_VERSIONE}}}};
}

void server_lsp::richiesta(const json& id, const std::string& metodo, const json& params) {
    if (metodo == "initialize") {
        if (inizializzato_) return errore(id, rpc_invalid_request, "initialize was already received");
        return rispondi(id, inizializza(params));
    }
    if (!inizializzato_) return errore(id, rpc_server_not_initialized, "initialize must come first");
    if (spento_) return errore(id, rpc_invalid_request, "the server is shut down");
    if (metodo == "shutdown") {
        spento_ = true;
        return rispondi(id, nullptr);
    }
    using risposta = json (*)(const documento&, const json&);
    static const std::pair<const char*, risposta> su_documento[] = {
        {"textDocument/hover", hover},
        {"textDocument/completion", completamento},
        {"textDocument/signatureHelp", aiuto_firma},
        {"textDocument/documentSymbol", [](const documento& d, const json&) { return simboli(d); }},
        {"textDocument/codeAction", azioni},
    };
    for (const auto& [nome, f] : su_documento) {
        if (metodo != nome) continue;
        const documento* d = scenari_.trova(uri_di(params));
        if (!d || d->genere == genere_file::altro) return rispondi(id, nullptr);
        return rispondi(id, f(*d, params));
    }
    errore(id, rpc_method_not_found, "unknown method " + metodo);
}

void server_lsp::notifica(const std::string& metodo, const json& params) {
    if (metodo == "exit") {
        finito_ = true;
        return;
    }
    if (!inizializzato_ || spento_) return;
    if (metodo == "textDocument/didOpen") {
        const json& t = params.at("textDocument");
        return pubblica(scenari_.apri(t.at("uri").get<std::string>(), t.value("version", 0),
                                      t.at("text").get_ref<const std::string&>()));
    }
    if (metodo == "textDocument/didChange") {
        const json& cambi = params.at("contentChanges");
        if (!cambi.is_array() || cambi.empty()) return;
        const json& t = params.at("textDocument");
        return pubblica(scenari_.apri(t.at("uri").get<std::string>(), t.value("version", 0),
                                      cambi.back().at("text").get_ref<const std::string&>()));
    }
    if (metodo == "textDocument/didSave") return pubblica(scenari_.salvato(uri_di(params)));
    if (metodo == "textDocument/didClose") return pubblica(scenari_.chiudi(uri_di(params)));
    // initialized, $/cancelRequest, $/setTrace, configuration changes: nothing to do
}

}  // namespace valmarena::strumento
