// `scenario plot DIR --out FILE.svg`: draws the compiled scenario found in a folder, or the
// sources compiled in memory, into one SVG file.

#include <iostream>

#include "argomenti.h"
#include "comandi.h"
#include "comune.h"
#include "disegno.h"
#include "lettura_compilati.h"
#include "platform/file_ospite.h"

namespace valmarena::strumento {

namespace {

const char* aiuto =
    "usage: scenario plot DIR --out FILE.svg [--route NAME] [--train-name NAME]\n"
    "       scenario plot --line FILE --train FILE --out FILE.svg [--route NAME] [--train-name NAME]\n"
    "Draws the compiled scenario in DIR (ROUTE_linea.dat, ROUTE_TRAIN.sim, ROUTE_TRAIN.dat) as an\n"
    "SVG picture: the line in plan view with stations, signals, slowdowns and signboards, and\n"
    "the gradient, speed-limit and adhesion profiles along the route with the stations marked.\n"
    "ROUTE and TRAIN default to Valmarena and \"RX 914\"; when DIR holds a single other scenario\n"
    "and no name is given, that one is drawn. Only the cell file is required: without the track\n"
    "plan or the table the picture says what is missing. The same files give the same bytes.\n"
    "With --line and --train the sources are compiled in memory and drawn, curves included; recorded\n"
    "errors are said in the picture ('scenario check' lists them). The folder of FILE.svg is created.\n"
    "Exit status: 0 written, 1 no route cells could be built from the sources, 3 bad arguments, a missing or undecodable cell file, or an output\n"
    "that cannot be written.\n";

}  // namespace

int comando_plot(const std::vector<std::string>& args) {
    argomenti a = analizza(args, {"--out", "--route", "--train-name", "--line", "--train"}, {"--help"});
    if (a.ha("--help")) {
        std::cout << aiuto;
        return 0;
    }
    const std::filesystem::path uscita = a.richiesto("--out");
    scenario_letto s;
    if (int stato = leggi_da_disegnare(a, "plot", s); stato != 0) return stato;
    return scrivi_disegno(uscita, svg_scenario(s), "plot");
}

}  // namespace valmarena::strumento
