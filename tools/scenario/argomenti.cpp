// Command-line parsing.

#include "argomenti.h"

#include "tabella_comandi.h"

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
        const auto uguale = x.find('=');
        if (x.rfind("--", 0) != 0 || x == "--") {
            a.posizionali.push_back(x);
        } else if (con_valore.count(x)) {
            if (i + 1 >= args.size()) throw argomenti_errati(x + " needs a value");
            a.valori[x] = args[++i];
        } else if (uguale != std::string::npos && con_valore.count(x.substr(0, uguale))) {
            a.valori[x.substr(0, uguale)] = x.substr(uguale + 1);
        } else if (interruttori.count(x)) {
            a.interruttori.insert(x);
        } else {
            throw argomenti_errati("unknown option " + x);
        }
    }
    return a;
}

argomenti analizza(const std::vector<std::string>& args, std::string_view nome) {
    const comando* c = trova_comando(nome);
    if (c == nullptr) throw std::logic_error("no command " + std::string(nome) + " in the table");
    std::set<std::string> con_valore, interruttori;
    for (const auto& o : opzioni_di(*c)) (o.valore ? con_valore : interruttori).insert(o.nome);
    return analizza(args, con_valore, interruttori);
}

}  // namespace valmarena::strumento
