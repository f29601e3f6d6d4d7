// `scenario new ROUTE TRAIN --out DIR`: a small line and train description to start from, with
// every kind of row once, that compiles without an error or a warning.

#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "argomenti.h"
#include "cartella_uscita.h"
#include "comandi.h"
#include "comune.h"
#include "platform/file_ospite.h"
#include "records/guasti.h"
#include "sources/nomi.h"

namespace valmarena::strumento {

namespace {

// The line: 10 000 m; the kilometric count starts at km 12 and restarts at km 30 at 6000 m.
const std::vector<std::string> righe_linea = {
    "[generale]",
    "lunghezza percorso,    10000",
    "progressiva chilometrica uno,    0,    12000,    0",
    "progressiva chilometrica due,    6000,    30000,    0",
    "progressiva chilometrica tre,    0,    0,    0",
    "sfondo uno,    1",
    "sfondo due,    0",
    "sfondo tre,    0",
    "ripetizione segnali 9 codici,    1000,    9000",
    "[curve]",
    "curvas3,  1500,  400",
    "[pendenze]",
    "pendenza,  2000,   8",
    "[montagne]",
    "montagna,   7000,  7500,  12",
    "[cartelli]",
    "indicatori_vmax,  800,  90,  95,  100,  0,  90,  95,  100,  0",
    "[indicazioni]",
    "cartello_indicatore,  3000,   (  Cippo  )(Km 15+000)",
    "[fine]",
};

// The train: three stations, with times at the first and the last.
const std::vector<std::string> righe_treno = {
    "[generale]",
    "numero vetture,    8",
    "percentuale massa frenata,    110",
    "sabbia,    100",
    "orologio,    8,    0,    0",
    "[aderenze]",
    "aderenza,       0,    95",
    "[vel_limite]",
    "velocita,       0,   100",
    "[stazioni]",
    "stazione,       0,  8,  500,  1, 0, 0,  5,1,0,  2,1,1,    1,   8, 0, 0, Origine",
    "stazione,    5000,  4,  400,  1, 0, 0,  1,0,0,  1,1,0,    0,   0, 0, 0, Mezzavia",
    "stazione,    9500,  2,  600,  1, 1, 0,  5,1,0,  2,1,1,    1,   8,10, 0, Capolinea",
    "[rallentamenti]",
    "rallentamento,    3500,    30,  300, 0,  0,  0",
    "[segnali]",
    "segnale,    1050,   2, 3, 4,  1, 0,    2,  2,1,1, 0",
    "segnale,    4400,   2, 4, 0,  0, 0,    2,  1,0,0, 0",
    "segnale,    8800,   2, 3, 4,  1, 0,    2,  2,1,1, 0",
    "[codici]",
    "abbattimento,    6500,   270",
    "[fine]",
};

// Rows in the sources' form: each line ended by CR LF.
std::string testo_sorgente(const std::vector<std::string>& righe) {
    std::string t;
    for (const auto& r : righe) t += r + "\r\n";
    return t;
}

}  // namespace

int comando_new(const std::vector<std::string>& args) {
    argomenti a = analizza(args, "new");
    if (a.posizionali.size() < 2) throw argomenti_errati("missing " + std::string(a.posizionali.empty() ? "ROUTE" : "TRAIN"));
    if (a.posizionali.size() > 2) throw argomenti_errati("unexpected argument " + a.posizionali[2]);
    const std::filesystem::path out = a.richiesto("--out");
    const std::string percorso = nome_in_1252(a.posizionali[0], "ROUTE");
    const std::string treno = nome_in_1252(a.posizionali[1], "TRAIN");
    const std::filesystem::path linea = in_cartella(out, nome_linea_txt(percorso));
    const std::filesystem::path file_treno = in_cartella(out, nome_treno_txt(percorso, treno));
    std::error_code ec;
    if (!a.ha("--force")) {
        for (const auto& p : {linea, file_treno}) {
            if (std::filesystem::exists(std::filesystem::symlink_status(p, ec))) {
                std::cerr << "scenario new: " << cammino_in_testo(p) << " is already there (--force replaces it)\n";
                return 3;
            }
        }
    }
    std::filesystem::create_directories(out, ec);
    if (ec) {
        std::cerr << "scenario new: cannot create " << cammino_in_testo(out) << ": " << ec.message() << "\n";
        return 3;
    }
    const auto blocco = prendi_uscita(out, {linea, file_treno});
    if (!blocco) return 3;
    try {
        scrivi_file(linea, testo_sorgente(righe_linea));
        scrivi_file(file_treno, testo_sorgente(righe_treno));
    } catch (const errore_file& e) {
        std::cerr << "scenario new: cannot write " << e.file << ": " << e.causa << "\n";
        return 3;
    }
    if (!a.ha("--quiet")) std::cout << "wrote " << cammino_in_testo(linea) << " and " << cammino_in_testo(file_treno) << "\n";
    return 0;
}

}  // namespace valmarena::strumento
