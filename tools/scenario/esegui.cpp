// The tool's dispatch: finds the command in the table, answers --help from it, and turns bad
// arguments into a message and status 3.

#include <iostream>

#include "aiuto.h"
#include "argomenti.h"
#include "comandi.h"
#include "tabella_comandi.h"

namespace valmarena::strumento {

int comando_help(const std::vector<std::string>& args) {
    const argomenti a = analizza(args, "help");
    if (a.posizionali.empty()) {
        std::cout << aiuto_generale();
        return 0;
    }
    if (a.posizionali.size() > 1) throw argomenti_errati("unexpected argument " + a.posizionali[1]);
    const comando* c = trova_comando(a.posizionali.front());
    if (c == nullptr || c->nascosto) throw argomenti_errati("no command '" + a.posizionali.front() + "'");
    std::cout << aiuto_comando(*c);
    return 0;
}

int comando_riferimento(const std::vector<std::string>& args) {
    const argomenti a = analizza(args, "_reference");
    if (a.posizionali.size() != 1) throw argomenti_errati("give one of man, bash, zsh, fish, cli");
    const std::string& cosa = a.posizionali.front();
    if (cosa == "man") std::cout << pagina_man();
    else if (cosa == "cli") std::cout << riferimento_cli();
    else if (auto t = completamento(cosa)) std::cout << *t;
    else throw argomenti_errati("no reference '" + cosa + "': give one of man, bash, zsh, fish, cli");
    return 0;
}

int esegui(const std::vector<std::string>& tutti) {
    if (tutti.empty() || tutti[0] == "--help" || tutti[0] == "-h") {
        (tutti.empty() ? std::cerr : std::cout) << aiuto_generale();
        return tutti.empty() ? 3 : 0;
    }
    if (tutti[0] == "--version") {
        std::cout << "scenario " << VALMARENA_VERSIONE << "\n";
        return 0;
    }
    const std::string nome = tutti[0];
    const std::vector<std::string> args(tutti.begin() + 1, tutti.end());
    const comando* c = trova_comando(nome);
    if (c == nullptr) {
        std::cerr << "scenario: unknown command '" << nome << "'\n" << aiuto_generale();
        return 3;
    }
    try {
        if (analizza(args, nome).ha("--help")) {
            std::cout << aiuto_comando(*c);
            return 0;
        }
        return c->esegui(args);
    } catch (const argomenti_errati& e) {
        std::cerr << "scenario " << nome << ": " << e.what() << " (see 'scenario " << nome << " --help')\n";
        return 3;
    }
}

}  // namespace valmarena::strumento
