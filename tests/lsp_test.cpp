// The language server driven in-process as an editor would: a session of JSON-RPC messages and
// the answers and diagnostics it gets back.

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <sstream>

#include "lsp_server.h"
#include "lsp_testo.h"
#include "lsp_trama.h"
#include "sources/codifica.h"
#include "strumento_supporto.h"

namespace valmarena {
namespace {

using nlohmann::json;
using strumento::server_lsp;

// The small scenario of `scenario new` in a scratch folder, and a server talking about it.
struct sessione {
    prova::cartella_temporanea cartella;
    std::vector<json> ricevuti;
    server_lsp server{[this](const std::string& corpo) { ricevuti.push_back(json::parse(corpo)); }};
    std::string uri_linea, uri_treno, linea, treno;
    int id = 0;

    sessione() {
        if (prova::esegui_strumento({"new", "Prova", "T1", "--out", cartella.cammino().string()}).stato != 0)
            throw std::runtime_error("scenario new failed");
        uri_linea = strumento::uri_da_cammino(cartella / "Prova_linea.txt");
        uri_treno = strumento::uri_da_cammino(cartella / "Prova_T1-.txt");
        linea = prova::leggi(cartella / "Prova_linea.txt");
        treno = prova::leggi(cartella / "Prova_T1-.txt");
    }
    json richiesta(const std::string& metodo, json params) {
        ricevuti.clear();
        server.ricevi(json{{"jsonrpc", "2.0"}, {"id", ++id}, {"method", metodo}, {"params", params}}.dump());
        for (const auto& m : ricevuti)
            if (m.contains("id") && m["id"] == id) return m;
        throw std::runtime_error("no answer to " + metodo);
    }
    // The diagnostics published for `uri` by the notification.
    json notifica(const std::string& metodo, json params, const std::string& uri) {
        ricevuti.clear();
        server.ricevi(json{{"jsonrpc", "2.0"}, {"method", metodo}, {"params", params}}.dump());
        json ultimo;
        for (const auto& m : ricevuti)
            if (m.value("method", "") == "textDocument/publishDiagnostics" && m["params"]["uri"] == uri)
                ultimo = m["params"]["diagnostics"];
        return ultimo;
    }
    json apri(const std::string& uri, const std::string& testo_1252) {
        return notifica("textDocument/didOpen",
                        {{"textDocument", {{"uri", uri}, {"languageId", "x"}, {"version", 1}, {"text", da_1252_a_utf8(testo_1252)}}}},
                        uri);
    }
    json cambia(const std::string& uri, const std::string& testo_1252, int versione) {
        return notifica("textDocument/didChange",
                        {{"textDocument", {{"uri", uri}, {"version", versione}}},
                         {"contentChanges", json::array({{{"text", da_1252_a_utf8(testo_1252)}}})}},
                        uri);
    }
    json a(const std::string& uri, int riga, int carattere) {
        return {{"textDocument", {{"uri", uri}}}, {"position", {{"line", riga}, {"character", carattere}}}};
    }
    void inizia(json opzioni = json::object()) { richiesta("initialize", {{"initializationOptions", opzioni}}); }
};

std::string sostituisci(std::string t, const std::string& da, const std::string& a) {
    const auto i = t.find(da);
    if (i == std::string::npos) throw std::runtime_error("not in the fixture: " + da);
    return t.replace(i, da.size(), a);
}

json con_codice(const json& diagnostiche, const std::string& codice) {
    for (const auto& d : diagnostiche)
        if (d["code"] == codice) return d;
    return nullptr;
}

json intervallo(int riga, int da, int a) { return strumento::intervallo(riga, da, a); }

TEST(ServerLsp, DiagnosticsOfBothFilesWithRangesIdsAndTheOtherRowThenNoneOnceFixed) {
    sessione s;
    const json init = s.richiesta("initialize", json::object());
    EXPECT_EQ(init["result"]["capabilities"]["positionEncoding"], "utf-16");
    EXPECT_EQ(init["result"]["capabilities"]["textDocumentSync"]["change"], 1);

    EXPECT_EQ(s.apri(s.uri_linea, s.linea), json::array());
    // Two signals in one cell (an error with the other row), a position off the grid (a warning).
    std::string guasto = sostituisci(s.treno, "segnale,    4400,", "segnale,    1050,");
    guasto = sostituisci(guasto, "rallentamento,    3500,", "rallentamento,    3510,");
    const json d = s.apri(s.uri_treno, guasto);
    ASSERT_EQ(d.size(), 2u) << d.dump(1);
    const json scontro = d[0]["severity"] == 1 ? d[0] : d[1];
    const json griglia = con_codice(d, "off-grid");
    EXPECT_EQ(griglia["severity"], 2);
    EXPECT_EQ(griglia["range"], intervallo(14, 18, 22));  // "3510"
    EXPECT_NE(griglia["message"].get<std::string>().find("3510 m, not a multiple of 50"), std::string::npos);
    EXPECT_EQ(scontro["range"]["start"]["line"], 17);
    EXPECT_EQ(scontro["code"].get<std::string>().rfind("error-", 0), 0u) << scontro.dump();
    ASSERT_TRUE(scontro.contains("relatedInformation")) << scontro.dump();
    EXPECT_EQ(scontro["relatedInformation"][0]["location"]["uri"], s.uri_treno);
    EXPECT_EQ(scontro["relatedInformation"][0]["location"]["range"]["start"]["line"], 16);

    // The same words as `check` on the same files.
    prova::scrivi(s.cartella / "Prova_T1-.txt", guasto);
    const auto c = prova::esegui_strumento({"check", "--line", (s.cartella / "Prova_linea.txt").string(), "--train",
                                            (s.cartella / "Prova_T1-.txt").string()});
    EXPECT_NE(c.out.find(griglia["message"].get<std::string>()), std::string::npos) << c.out;
    EXPECT_NE(c.out.find(scontro["message"].get<std::string>()), std::string::npos) << c.out;

    // A mistake in the line file's unsaved text shows on the line file.
    const json dl = s.cambia(s.uri_linea, sostituisci(s.linea, "pendenza,  2000,", "pendenza,  2030,"), 2);
    ASSERT_EQ(dl.size(), 1u) << dl.dump(1);
    EXPECT_EQ(dl[0]["code"], "off-grid");
    EXPECT_EQ(dl[0]["range"], intervallo(12, 11, 15));

    EXPECT_EQ(s.cambia(s.uri_linea, s.linea, 3), json::array());
    EXPECT_EQ(s.cambia(s.uri_treno, s.treno, 2), json::array());
}

TEST(ServerLsp, StrictOptionAndCharactersWindows1252LacksAndAMissingLineFile) {
    sessione s;
    s.inizia({{"strict", true}});
    const std::string testo = sostituisci(s.treno, "segnale,    1050,", "segnale,    1075,");
    const json d = s.apri(s.uri_treno, testo);
    ASSERT_EQ(d.size(), 1u);
    EXPECT_EQ(d[0]["severity"], 1);

    // A character with no place in Windows-1252 is refused at its place; the columns after it
    // stay those of the editor (one UTF-16 unit per Windows-1252 byte, two for this one).
    const std::string nome = sostituisci(s.treno, "Mezzavia", "Mezza") + "";
    json m = s.notifica("textDocument/didChange",
                        {{"textDocument", {{"uri", s.uri_treno}, {"version", 2}}},
                         {"contentChanges", json::array({{{"text", sostituisci(da_1252_a_utf8(nome), "Mezza\r", "Mezza\xF0\x9F\x9A\x86\xE2\x82\xAC\r")}}})}},
                        s.uri_treno);
    const json c = con_codice(m, "not-windows-1252");
    ASSERT_FALSE(c.is_null()) << m.dump(1);
    EXPECT_EQ(c["range"], intervallo(11, 77, 79));

    const std::string orfano = strumento::uri_da_cammino(s.cartella / "Altra_T1-.txt");
    const json o = s.apri(orfano, s.treno);
    ASSERT_EQ(o.size(), 1u);
    EXPECT_EQ(o[0]["code"], "no-line-file");
    EXPECT_NE(o[0]["message"].get<std::string>().find("'Altra_linea.txt'"), std::string::npos);
}

// Files not yet saved: the editor's text is checked all the same.
TEST(ServerLsp, FilesNotYetOnTheDiskAreCheckedFromTheEditorsText) {
    sessione s;
    s.inizia();
    const std::string uri_l = strumento::uri_da_cammino(s.cartella / "nuovo" / "Prova_linea.txt");
    const std::string uri_t = strumento::uri_da_cammino(s.cartella / "nuovo" / "Prova_T1-.txt");
    EXPECT_EQ(s.apri(uri_l, s.linea), json::array());
    const json d = s.apri(uri_t, sostituisci(s.treno, "segnale,    1050,", "segnale,    1075,"));
    ASSERT_EQ(d.size(), 1u) << d.dump(1);
    EXPECT_EQ(d[0]["code"], "off-grid");
}

TEST(ServerLsp, HoverCompletionSignatureAndOutline) {
    sessione s;
    s.inizia();
    s.apri(s.uri_linea, s.linea);
    s.apri(s.uri_treno, s.treno);

    const std::string parola = s.richiesta("textDocument/hover", s.a(s.uri_treno, 11, 3))["result"]["contents"]["value"];
    EXPECT_NE(parola.find("**stazione**: a station"), std::string::npos) << parola;
    // "stazione,    5000": its position, cell and kilometre post (reference two: 6000 m is km 30).
    const json campo = s.richiesta("textDocument/hover", s.a(s.uri_treno, 11, 14))["result"];
    EXPECT_EQ(campo["range"], intervallo(11, 13, 17));
    const std::string t = campo["contents"]["value"];
    EXPECT_NE(t.find("**position**, field 1 of 'stazione'"), std::string::npos) << t;
    EXPECT_NE(t.find("grid: a multiple of 50"), std::string::npos) << t;
    EXPECT_NE(t.find("5000 m, km 17+000"), std::string::npos) << t;
    const std::string segnale = s.richiesta("textDocument/hover", s.a(s.uri_treno, 16, 13))["result"]["contents"]["value"];
    EXPECT_NE(segnale.find("1050 m lands in cell 22, at 1050 m, km 13+050"), std::string::npos) << segnale;

    const json voci = s.richiesta("textDocument/completion", s.a(s.uri_linea, 12, 0))["result"];
    std::vector<std::string> etichette;
    for (const auto& v : voci) etichette.push_back(v["label"]);
    EXPECT_EQ(etichette, (std::vector<std::string>{"pendenza", "curva", "montagna", "indicatori_vmax", "cartello_indicatore"}));
    EXPECT_EQ(voci[0]["textEdit"]["newText"], "pendenza, ${1:position}, ${2:gradient}");
    const json generali = s.richiesta("textDocument/completion", s.a(s.uri_linea, 1, 0))["result"];
    EXPECT_EQ(generali[0]["label"], "lunghezza percorso");
    EXPECT_EQ(s.richiesta("textDocument/completion", s.a(s.uri_linea, 12, 12))["result"], json::array());

    // "segnale,    1050,   2, 3, 4,": the cursor in the fourth value is in field s2.
    const json firma = s.richiesta("textDocument/signatureHelp", s.a(s.uri_treno, 16, 27))["result"];
    EXPECT_EQ(firma["signatures"][0]["label"].get<std::string>().rfind("segnale, position, sx, s1, s2,", 0), 0u);
    EXPECT_EQ(firma["activeParameter"], 3);

    const json simboli = s.richiesta("textDocument/documentSymbol", {{"textDocument", {{"uri", s.uri_treno}}}})["result"];
    std::vector<std::string> nomi;
    for (const auto& sezione : simboli)
        for (const auto& f : sezione["children"]) nomi.push_back(f["name"].get<std::string>() + " | " + f["detail"].get<std::string>());
    EXPECT_EQ(nomi, (std::vector<std::string>{"Origine | km 12+000 (0 m)", "Mezzavia | km 17+000 (5000 m)",
                                              "Capolinea | km 39+500 (9500 m)", "slowdown at 3500 m | 30 km/h for 300 m",
                                              "signal at 1050 m | km 13+050", "signal at 4400 m | km 16+400",
                                              "signal at 8800 m | km 38+800"}));
    const json linea = s.richiesta("textDocument/documentSymbol", {{"textDocument", {{"uri", s.uri_linea}}}})["result"];
    EXPECT_EQ(linea[0]["name"], "[generale]");
    EXPECT_EQ(linea[3]["children"][0]["name"], "mountain 7000 to 7500 m");
}

// Each quick fix: the diagnostic as published, handed back, and the edit the fix makes.
TEST(ServerLsp, QuickFixes) {
    sessione s;
    s.inizia();
    s.apri(s.uri_linea, s.linea);
    struct caso {
        std::string da, a, codice, nuovo;
    } casi[] = {
        {"segnale,    1050,", "segnale,    1075,", "off-grid", "1050"},
        {"numero vetture,    8", "numero vetture,    8.5x", "not-an-integer", "8"},
        {"segnale,    4400,", "Segnale,    4400,", "keyword-spelling", "segnale"},
        {"rallentamento,", "rallentamentto,", "unknown-keyword", "rallentamento"},
    };
    for (const auto& c : casi) {
        SCOPED_TRACE(c.codice);
        const json d = con_codice(s.apri(s.uri_treno, sostituisci(s.treno, c.da, c.a)), c.codice);
        ASSERT_FALSE(d.is_null());
        const json azioni = s.richiesta("textDocument/codeAction",
                                        {{"textDocument", {{"uri", s.uri_treno}}},
                                         {"range", d["range"]},
                                         {"context", {{"diagnostics", json::array({d})}}}})["result"];
        ASSERT_EQ(azioni.size(), 1u) << d.dump();
        EXPECT_EQ(azioni[0]["kind"], "quickfix");
        const json modifica = azioni[0]["edit"]["changes"][s.uri_treno][0];
        EXPECT_EQ(modifica["newText"], c.nuovo);
        EXPECT_EQ(modifica["range"], d["range"]);
    }
}

TEST(ServerLsp, BadInputIsAnsweredAndNeverEndsTheServer) {
    sessione s;
    const auto trama = [](const std::string& corpo) {
        return "Content-Length: " + std::to_string(corpo.size()) + "\r\n\r\n" + corpo;
    };
    std::istringstream in(trama("{]}") + "Content-Length: nope\r\n\r\n" +
                          trama(R"({"jsonrpc":"2.0","id":7,"method":"textDocument/hover","params":{}})") +
                          trama(R"({"jsonrpc":"2.0","id":8,"method":"initialize"})") +
                          trama(R"({"jsonrpc":"2.0","id":9,"method":"no/such"})") + trama("[1,2]") +
                          "Content-Length: 100\r\n\r\n{\"jsonrpc\"");
    for (;;) {
        auto t = strumento::leggi_trama(in);
        if (t.esito == strumento::esito_trama::fine) break;
        if (t.esito == strumento::esito_trama::difetto)
            s.server.difetto_di_trama(t.difetto);
        else
            s.server.ricevi(t.corpo);
    }
    std::vector<int> codici;
    for (const auto& m : s.ricevuti) codici.push_back(m.contains("error") ? m["error"]["code"].get<int>() : 0);
    EXPECT_EQ(codici, (std::vector<int>{-32700, -32700, -32002, 0, -32601, -32600, -32700}));
    EXPECT_FALSE(s.server.finito());
    // A request with bad params after initialize: an error, and the server goes on.
    EXPECT_EQ(s.richiesta("textDocument/hover", json{{"position", 3}})["error"]["code"], -32602);
    s.inizia();
    s.apri(s.uri_treno, s.treno);
    const json documento{{"uri", s.uri_treno}};
    for (const json& posizione : {json{{"line", 1e300}, {"character", 0}}, json{{"line", 1}, {"character", "2"}},
                                  json{{"line", 9999999999LL}, {"character", 0}}, json{{"Line", 1}}})
        EXPECT_EQ(s.richiesta("textDocument/hover", {{"textDocument", documento}, {"position", posizione}})["error"]["code"],
                  -32602)
            << posizione.dump();
    // A quick-fix request whose diagnostics have no usable start: none of them is answered.
    const json rotti = json::array({json{{"code", "off-grid"}, {"range", {{"start", {{"Line", 1}}}}}},
                                    json{{"code", "off-grid"}, {"range", {{"start", {{"line", -1e300}, {"character", 0}}}}}},
                                    json{{"code", "off-grid"}, {"range", 5}}});
    const json azioni = s.richiesta("textDocument/codeAction",
                                    {{"textDocument", documento}, {"context", {{"diagnostics", rotti}}}});
    EXPECT_EQ(azioni["result"], json::array()) << azioni.dump();
    EXPECT_EQ(s.richiesta("shutdown", nullptr)["result"], nullptr);
    s.server.ricevi(R"({"jsonrpc":"2.0","method":"exit"})");
    EXPECT_TRUE(s.server.finito());
    EXPECT_EQ(s.server.stato(), 0);
}

}  // namespace
}  // namespace valmarena
