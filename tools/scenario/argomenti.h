// Command-line options of the authoring tool: "--name value" (or "--name=value") pairs and
// "--flag" switches, as the command table declares them, with a clear complaint about anything
// unknown or missing.
#pragma once

#include <map>
#include <set>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace valmarena::strumento {

// Bad arguments: the tool says what is wrong and exits with status 3.
struct argomenti_errati : std::runtime_error {
    using std::runtime_error::runtime_error;
};

struct argomenti {
    std::map<std::string, std::string> valori;
    std::set<std::string> interruttori;
    std::vector<std::string> posizionali;

    bool ha(const std::string& nome) const { return interruttori.count(nome) > 0 || valori.count(nome) > 0; }
    std::string valore(const std::string& nome, const std::string& predefinito = {}) const;
    std::string richiesto(const std::string& nome) const;
};

// Parses `args` with the options that the command table gives `comando` (--help included).
argomenti analizza(const std::vector<std::string>& args, std::string_view comando);

// Parses `args` knowing which options take a value and which are switches: for a command not yet
// in the table.
argomenti analizza(const std::vector<std::string>& args, const std::set<std::string>& con_valore,
                   const std::set<std::string>& interruttori);

}  // namespace valmarena::strumento
