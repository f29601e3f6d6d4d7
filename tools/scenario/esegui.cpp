// The tool's dispatch: picks the command, and turns bad arguments into a message and status 3.

#include <iostream>

#include "argomenti.h"
#include "comandi.h"

namespace valmarena::strumento {

namespace {

const char* aiuto =
    "usage: scenario COMMAND [OPTIONS]\n"
    "       scenario --version\n"
    "Commands:\n"
    "  new       write a small line and train description to start a scenario from\n"
    "  sources   write the package's embedded text files into a folder\n"
    "  compile   compile a line and a train description into the binary files\n"
    "  check     compile in memory and report every error and warning; writes nothing\n"
    "            (the same as 'compile --dry-run')\n"
    "  dump      decode a compiled file (track plan, table or cells) into a listing or JSON\n"
    "  plot      draw a compiled scenario as an SVG picture: the line and its profiles\n"
    "  package   make a copy of the package program that carries another scenario\n"
    "  documents generate the train card and the slowdown order from a line and a train file\n"
    "  explain   print the reference of the line and train files, or of one row's KEYWORD\n"
    "  lsp       a language server for editors, on standard input and output\n"
    "Run 'scenario COMMAND --help' for the options of a command.\n"
    "Exit status: 0 no error, 1 recorded errors, 2 fatal error, 3 bad arguments or a file that\n"
    "cannot be read, written or decoded.\n";

}  // namespace

int esegui(const std::vector<std::string>& tutti) {
    if (tutti.empty() || tutti[0] == "--help" || tutti[0] == "-h") {
        (tutti.empty() ? std::cerr : std::cout) << aiuto;
        return tutti.empty() ? 3 : 0;
    }
    if (tutti[0] == "--version") {
        std::cout << "scenario " << VALMARENA_VERSIONE << "\n";
        return 0;
    }
    const std::string comando = tutti[0];
    const std::vector<std::string> args(tutti.begin() + 1, tutti.end());
    try {
        if (comando == "new") return comando_new(args);
        if (comando == "sources") return comando_sources(args);
        if (comando == "compile") return comando_compile(args);
        if (comando == "check") return comando_check(args);
        if (comando == "dump") return comando_dump(args);
        if (comando == "plot") return comando_plot(args);
        if (comando == "package") return comando_package(args);
        if (comando == "documents") return comando_documents(args);
        if (comando == "explain") return comando_explain(args);
        if (comando == "lsp") return comando_lsp(args);
        std::cerr << "scenario: unknown command '" << comando << "'\n" << aiuto;
        return 3;
    } catch (const argomenti_errati& e) {
        std::cerr << "scenario " << comando << ": " << e.what() << " (see 'scenario " << comando << " --help')\n";
        return 3;
    }
}

}  // namespace valmarena::strumento
