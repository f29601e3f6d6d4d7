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

int comando_plot(const std::vector<std::string>& args) {
    argomenti a = analizza(args, "plot");
    const std::filesystem::path uscita = a.richiesto("--out");
    scenario_letto s;
    if (int stato = leggi_da_disegnare(a, "plot", s); stato != 0) return stato;
    return scrivi_disegno(uscita, svg_scenario(s), "plot", a.ha("--quiet"));
}

}  // namespace valmarena::strumento
