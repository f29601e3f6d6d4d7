// The help texts and the manual page, written from the command table.

#include "aiuto.h"

#include <algorithm>
#include <sstream>

namespace valmarena::strumento {

namespace {

std::string opzione_con_valore(const opzione& o) { return std::string(o.nome) + (o.valore ? std::string(" ") + o.valore : ""); }

// The summary as a sentence: capital first letter, full stop.
std::string frase(const char* t) {
    std::string s = t;
    if (!s.empty() && s[0] >= 'a' && s[0] <= 'z') s[0] = static_cast<char>(s[0] - 'a' + 'A');
    return s + ".";
}

// roff text: backslashes and hyphens escaped, a line that would read as a request guarded.
std::string in_roff(const std::string& t) {
    std::string r;
    bool inizio = true;
    for (char c : t) {
        if (inizio && (c == '.' || c == '\'')) r += "\\&";
        if (c == '\\') r += "\\e";
        else if (c == '-') r += "\\-";
        else r += c;
        inizio = c == '\n';
    }
    return r;
}

// Prose for roff: lines that start with blanks are set as they stand, the others filled.
std::string prosa_roff(const std::string& prosa) {
    std::istringstream in(prosa);
    std::ostringstream o;
    std::string riga;
    bool fissa = false;
    while (std::getline(in, riga)) {
        const bool rientrata = riga.rfind("  ", 0) == 0;
        if (rientrata != fissa) o << (rientrata ? ".nf\n" : ".fi\n");
        fissa = rientrata;
        if (riga.rfind("Exit status", 0) == 0) o << ".PP\n";
        o << in_roff(riga) << "\n";
    }
    if (fissa) o << ".fi\n";
    return o.str();
}

}  // namespace

std::string aiuto_comando(const comando& c) {
    std::ostringstream o;
    for (std::size_t i = 0; i < c.usi.size(); ++i) o << (i == 0 ? "usage: " : "       ") << "scenario " << c.usi[i] << "\n";
    o << frase(c.riassunto) << "\n\nOptions:\n";
    const auto opzioni = opzioni_di(c);
    std::size_t larghezza = 0;
    for (const auto& x : opzioni) larghezza = std::max(larghezza, opzione_con_valore(x).size());
    for (const auto& x : opzioni) {
        const std::string testa = opzione_con_valore(x);
        o << "  " << testa << std::string(larghezza - testa.size() + 2, ' ') << x.significato << "\n";
    }
    o << "\n" << c.descrizione;
    return o.str();
}

std::string aiuto_generale() {
    std::ostringstream o;
    o << "usage: scenario COMMAND [OPTIONS]\n"
         "       scenario --version\n"
         "Commands:\n";
    for (const auto& c : comandi()) {
        if (c.nascosto) continue;
        const std::string nome = c.nome;
        o << "  " << nome << std::string(nome.size() < 10 ? 10 - nome.size() : 1, ' ') << c.riassunto << "\n";
    }
    o << "Run 'scenario COMMAND --help' or 'scenario help COMMAND' for the options of a command.\n"
         "Exit status: 0 no error, 1 recorded errors, 2 fatal error, 3 bad arguments or a file that\n"
         "cannot be read, written or decoded.\n";
    return o.str();
}

std::string pagina_man() {
    std::ostringstream o;
    o << ".TH SCENARIO 1 \"\" \"valmarena " << VALMARENA_VERSIONE << "\" \"User Commands\"\n"
      << ".SH NAME\nscenario \\- write, check, compile, draw and package scenarios of the Valmarena package\n"
      << ".SH SYNOPSIS\n.B scenario\n.I COMMAND\n[\\fIOPTIONS\\fR]\n.br\n.B scenario \\-\\-version\n"
      << ".SH DESCRIPTION\n"
      << "A scenario is two text files, the line description and the train description. "
         "\\fBscenario\\fR starts them (\\fBnew\\fR), checks them (\\fBcheck\\fR), compiles them into the "
         "simulator's three binary files (\\fBcompile\\fR), decodes and draws what it compiled (\\fBdump\\fR, "
         "\\fBplot\\fR), writes the driver's documents (\\fBdocuments\\fR) and makes a program that writes the "
         "whole scenario where it is run (\\fBpackage\\fR). \\fBscenario explain\\fR prints the reference of "
         "the two files.\n"
      << ".SH COMMANDS\n";
    for (const auto& c : comandi()) {
        if (c.nascosto) continue;
        o << ".SS \"" << c.nome << "\"\n.nf\n";
        for (const auto* u : c.usi) o << ".B scenario " << in_roff(u) << "\n";
        o << ".fi\n" << in_roff(frase(c.riassunto)) << "\n";
        for (const auto& x : opzioni_di(c)) {
            if (x.valore) o << ".TP\n.BI \"" << in_roff(x.nome) << " \" \"" << in_roff(x.valore) << "\"\n";
            else o << ".TP\n.B " << in_roff(x.nome) << "\n";
            o << in_roff(x.significato) << "\n";
        }
        o << ".PP\n" << prosa_roff(c.descrizione);
    }
    o << ".SH \"EXIT STATUS\"\n"
         ".TP\n.B 0\nno error\n"
         ".TP\n.B 1\nerrors recorded in the sources (or warnings under \\-\\-strict)\n"
         ".TP\n.B 2\na fatal error (1250 or 1251)\n"
         ".TP\n.B 3\nbad arguments, or a file that cannot be read, written or decoded\n"
         ".SH ENVIRONMENT\n.TP\n.B PAGER\nthe pager of \\fBscenario explain\\fR on a terminal\n"
         ".SH \"SEE ALSO\"\nThe tutorial, the command reference (with every error code) and the reference "
         "of the two files: docs/authoring.md, docs/cli.md and docs/formats.md in the package's "
         "documentation (share/doc/valmarena beside the programs' bin folder).\n";
    return o.str();
}

}  // namespace valmarena::strumento
