// Command-line parsing.

#include "argomenti.h"

namespace valmarena::strumento {

std::string argomenti::valore(const std::string& nome, const std::string& predefinito) const {
    auto i = valori.find(nome);
    return i == valori.end() ? predefinito : i->second;
}

std::string argomenti::richiesto(const std::string& nome) const {
    auto i = valori.find(nome);
    if (i == valori.end()) throw argomenti_errati("missing " + nome);
    return i->second;
}

argomenti analizza(const std::vector<std::string>& args, const std::set<std::string>& con_valore,
                   const std::set<std::string>& interruttori) {
    argomenti a;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& x = args[i];
        if (x.rfind("--", 0) != 0 || x == "--") {
            a.posizionali.push_back(x);
        } else if (con_valore.count(x)) {
            if (i + 1 >= args.size()) throw argomenti_errati(x + " needs a value");
            a.valori[x] = args[++i];
        } else if (interruttori.count(x)) {
            a.interruttori.insert(x);
        } else {
            throw argomenti_errati("unknown option " + x);
        }
    }
    return a;
}

}  // namespace valmarena::strumento
