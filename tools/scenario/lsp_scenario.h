// The language server's documents and scenarios: the texts the editor holds, the pairing of a
// train file with its line file by the naming rule, and the check of each pair, with the
// report turned into the editor's diagnostics.
#pragma once

#include <array>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "compiler/chilometri.h"
#include "compiler/formato.h"
#include "lsp_testo.h"
#include "records/scenario.h"

namespace valmarena::strumento {

// A report line of `check` as the editor needs it. Lines and columns 1-based, 0 when unknown.
struct voce_editor {
    std::string id;  // the same identifier as `check --json`: "error-CODE" or the warning's kind
    bool errore = true;
    int rango_file = 2;  // 0 line file, 1 train file, 2 none (route checks)
    int riga = 0;
    int colonna = 0;
    std::string messaggio;  // the words of the report line after its place
    struct altra_riga {
        std::filesystem::path file;
        int riga = 0;
        std::string messaggio;
    };
    std::optional<altra_riga> altra;  // the other row of a collision, the row a short row read from
};

// Every report line of a check on the records `s`, in the report's order.
std::vector<voce_editor> voci_di_check(const scenario& s, const std::filesystem::path& linea,
                                       const std::filesystem::path& treno, bool severo);

enum class genere_file { linea, treno, altro };
genere_file genere_di(const std::filesystem::path& p);

struct documento {
    std::string uri;
    std::filesystem::path cammino;
    genere_file genere = genere_file::altro;
    int versione = 0;
    testo_1252 testo;
    std::vector<std::string_view> righe;  // lines of testo.byte
    std::vector<bool> generali;           // line inside the line file's [generale] section
    nlohmann::json diagnostiche = nlohmann::json::array();  // as last published
    // The kilometre posts of the last check this file took part in.
    chilometri km;
};

// What is sent to the editor: one publishDiagnostics notification's params each.
using pubblicazioni = std::vector<nlohmann::json>;

class scenari {
public:
    bool severo = false;

    // Opens or replaces a document; the checks it takes part in are run again.
    pubblicazioni apri(const std::string& uri, int versione, std::string_view utf8);
    pubblicazioni salvato(const std::string& uri);
    pubblicazioni chiudi(const std::string& uri);
    const documento* trova(const std::string& uri) const;

private:
    pubblicazioni controlla(const documento& d);
    pubblicazioni controlla_treno(const documento& treno);
    pubblicazioni controlla_linea(const documento& linea);
    void verifica(const std::filesystem::path& linea, const std::filesystem::path& treno,
                  const std::string& testo_linea, const std::string& testo_treno, documento* doc_linea,
                  documento* doc_treno, pubblicazioni& fuori);
    documento* aperto(const std::filesystem::path& p);
    nlohmann::json pubblica(documento& d, nlohmann::json diagnostiche);

    std::map<std::string, documento> documenti_;  // by URI
};

// An LSP range on one line, in UTF-16 units.
nlohmann::json intervallo(int riga, int da, int a);

}  // namespace valmarena::strumento
