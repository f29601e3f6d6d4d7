// The authoring tool: compile route and train descriptions with clear diagnostics, export the
// package's sources, inspect and draw compiled scenarios.

#include <iostream>
#include <string>
#include <vector>

#include "argomenti.h"
#include "comandi.h"

namespace {

const char* aiuto =
    "usage: scenario COMMAND [OPTIONS]\n"
    "Commands:\n"
    "  sources   write the package's embedded text files into a folder\n"
    "  compile   compile a line and a train description into the binary files\n"
    "Run 'scenario COMMAND --help' for the options of a command.\n";

}  // namespace

int main(int argc, char** argv) {
    using namespace valmarena::strumento;
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty() || args[0] == "--help" || args[0] == "-h") {
        (args.empty() ? std::cerr : std::cout) << aiuto;
        return args.empty() ? 3 : 0;
    }
    std::string comando = args[0];
    args.erase(args.begin());
    try {
        if (comando == "sources") return comando_sources(args);
        if (comando == "compile") return comando_compile(args);
        std::cerr << "scenario: unknown command '" << comando << "'\n" << aiuto;
        return 3;
    } catch (const argomenti_errati& e) {
        std::cerr << "scenario " << comando << ": " << e.what() << " (see 'scenario " << comando << " --help')\n";
        return 3;
    }
}
