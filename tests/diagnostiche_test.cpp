// The mistakes a new author makes, each with the exact report of `scenario check`, and each
// compiled to the same bytes as by the reader before any diagnostic was added (the hashes; with
// VALMARENA_IMPRONTE=DIR the cases' files are written into DIR to work them out with another
// build). Then --strict, what compile prints, the limit per kind and --encoding utf-8.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "compiler/diagnosi.h"
#include "sources/nomi.h"
#include "strumento_supporto.h"

namespace valmarena {
namespace {

struct caso {
    const char* nome;
    std::string linea;  // rows of the line file after "[curve]" (line 4 on), or "" for none
    std::string treno;  // rows of the train file after "[generale]" (line 2 on)
    std::string atteso; // the report, with L and T standing for the two files' paths
    const char* impronte;  // FNV-1a 64 of the compiled files, as before the diagnostics
};

std::string r(std::initializer_list<std::string> righe) { return prova::righe(righe); }

const std::string tavola = "indicatori_vmax,  1000,  90,  95,  100,  0,  ,  ,  ,  0";
const std::string riferita = r({"[generale]", "lunghezza percorso,    20000",
                                  "progressiva chilometrica uno,    5000,    30000,    1", "[curve]", "[fine]"});
const std::string righe_vuote_oltre_il_limite =
    [] {
        std::string t = "[generale]\r\nlunghezza percorso,    20000\r\n[curve]\r\n";
        for (int i = 0; i < 1000; ++i) t += "\r\n";
        return t + "[fine]\r\n";
    }();
const std::string stazione_a = "stazione,  1000, 4, 400, 1,0,0, 1,0,0, 1,1,0, 0, 0,0,0, Alfa";

const caso casi[] = {
    {"indicatore singolare", r({"indicatore_vmax,  1000,  90,  95,  100,  0,  ,  ,  ,  0"}), "",
     "L:4:1: warning: 'indicatore_vmax' matches no keyword: the row is passed over; did you mean 'indicatori_vmax'?\n", "de38b2c6af5e1f63 dc6853f01a035d2f c2205d99c10995d6 "},
    {"frenata senza massa", "", r({"frenata, 105"}),
     "T:2:1: warning: 'frenata' matches no keyword: the row is passed over; did you mean 'percentuale massa "
     "frenata'? (the keyword must also hold 'massa')\n", "de38b2c6af5e1f63 dc6853f01a035d2f c2205d99c10995d6 "},
    {"segnalex", "", r({"segnalex, 2000, 2, 3,4,1, 0, 2, 2,1,1, 0"}), "T:2:1: warning: 'segnalex' is read as 'segnale'\n", "de38b2c6af5e1f63 dc6853f01a035d2f 6006d0b401d8fbd1 "},
    {"stazionex", "", r({"stazionex,  1000, 4, 400, 1,0,0, 1,0,0, 1,1,0, 0, 0,0,0, Alfa"}),
     "T:2:1: warning: 'stazionex' is read as 'stazione'\n", "de38b2c6af5e1f63 a2a2e86f50a63acd f5a6872dcdfd68c3 "},
    {"velocit", "", r({"velocit, 0, 100"}), "T:2:1: warning: 'velocit' is read as 'velocita'\n", "de38b2c6af5e1f63 dc6853f01a035d2f d721498d041dabde "},
    {"curvaz4", r({"curvaz4,  1000,  200"}), "",
     "L:4:1: warning: 'curvaz4' is read as a right curve of class 4 ('curvad4')\n", "ccc51a43f7bb1a5d dc6853f01a035d2f c2205d99c10995d6 "},
    {"curva2 senza lato", r({"curva2,  1000,  200"}), "",
     "L:4:1: warning: 'curva2' is read as a right curve of class 2 ('curvad2')\n", "bb36c7ae6286460e dc6853f01a035d2f c2205d99c10995d6 "},
    {"stazione senza nome", "",
     r({"stazione,  1000, 4, 400, 1,0,0, 1,0,0, 1,1,0, 0, 0,0,0",
        "stazione,  3000, 4, 400, 1,0,0, 1,0,0, 1,1,0, 0, 0,0,0, Beta"}),
     "T:2:1: warning: the 'stazione' row has 16 of its 17 fields on line 2: field 'name' is read from line 3 "
     "('stazione'), so the 'stazione' row of line 3 is not read as a row of its own\nT:3:1: note: the 'stazione' row whose fields are taken\n", "de38b2c6af5e1f63 170a63f8afc9d286 f5a6872dcdfd68c3 "},
    {"segnale con tab", "", r({"segnale\t4500,", "segnale, 6000, 2, 3,4,1, 0, 2, 2,1,1, 0",
                               "segnale, 7000, 2, 3,4,1, 0, 2, 2,1,1, 0"}),
     "T:2:1: warning: 'segnale<TAB>4500' is read as 'segnale'\n"
     "T:2:1: warning: the 'segnale' row has 1 of its 11 fields on line 2: field 'sx' and those after it are read "
     "from line 3 ('segnale'), so the 'segnale' row of line 3 is not read as a row of its own\nT:3:1: note: the 'segnale' row whose fields are taken\n"
     "fatal error 1250: a reserved slot (valore1 of cell 1 or intero1 of entry 85) was already taken: cell 1, at "
     "0 m, already holds a signal from T:2; compile would write no file\n", "- - - "},
    {"orologio con i due punti", "", r({"orologio, 8:15:00", "sabbia, 100"}),
     "T:2:1: warning: the 'orologio' row has 1 of its 3 fields on line 2: field 'minutes' and those after it are "
     "read from line 3 ('sabbia'), so the 'sabbia' row of line 3 is not read as a row of its own\nT:3:1: note: the 'sabbia' row whose fields are taken\n"
     "T:2:11: warning: field 'hours' of the 'orologio' row holds '8:15:00', which is not an integer: it reads as 8\n", "de38b2c6af5e1f63 9a03f6d13c3757f3 c2205d99c10995d6 "},
    {"valori in piu", r({"pendenza,  0,  5,  7"}), "",
     "L:4:20: warning: values after the last field 'gradient' of the 'pendenza' row are ignored: '7'\n", "de38b2c6af5e1f63 dc6853f01a035d2f 9477d6bab4a8b710 "},
    {"testo in un numero", "", r({"segnale, 2000, 2, x,4,1, 0, 2, 2,1,1, 0"}),
     "T:2:19: warning: field 's1' of the 'segnale' row holds 'x', which is not an integer: it reads as 0\n", "de38b2c6af5e1f63 dc6853f01a035d2f 5eaf7f04898657db "},
    {"segnale fuori griglia", "", r({"segnale, 1025, 2, 3,4,1, 0, 2, 2,1,1, 0"}),
     "T:2:10: warning: field 'position' of the 'segnale' row is 1025 m, not a multiple of 50: the feature lands at "
     "1050 m (km 1+050, cell 22)\n", "de38b2c6af5e1f63 dc6853f01a035d2f 562faabd8a92cef7 "},
    // With a kilometric reference the posts are not the metres: from 5000 m on, 30000 + the metres past it.
    {"cippo con riferimento", riferita, r({"segnale, 6025, 2, 3,4,1, 0, 2, 2,1,1, 0", "segnale, 40000, 2, 3,4,1, 0, 2, 2,1,1, 0"}),
     "T:2:10: warning: field 'position' of the 'segnale' row is 6025 m, not a multiple of 50: the feature lands at "
     "6050 m (km 31+050, cell 122)\n"
     "T:3:1: error 15 at 40000 m (km 65+000): position outside the route (field 'position' of the 'segnale' row; "
     "the last position allowed for it is 26900 m)\n", "de38b2c6af5e1f63 4fe92c1c8c2f2290 68d06d262cb9f717 "},
    // Texts a package cannot carry as its files, though compile takes them.
    {"troppe righe per il pacchetto", righe_vuote_oltre_il_limite, "",
     "L:1001:1: warning: the file has 1004 lines, more than the 1000 a package's file can hold: 'scenario package' "
     "cannot carry it (compile can)\n", "de38b2c6af5e1f63 dc6853f01a035d2f c2205d99c10995d6 "},
    {"riga di fine del pacchetto", "", r({"riferimento fine del file"}),
     "T:2:1: warning: the file holds the line \"riferimento fine del file\", which ends the line table: 'scenario "
     "package' cannot carry it (compile can)\n"
     "T:2:1: warning: 'riferimento fine del file' matches no keyword: the row is passed over\n", "de38b2c6af5e1f63 dc6853f01a035d2f c2205d99c10995d6 "},
    {"pendenza fuori griglia", r({"pendenza,  1025,  3"}), "",
     "L:4:12: warning: field 'position' of the 'pendenza' row is 1025 m, not a multiple of 50: it takes effect at "
     "1000 m (km 1+000, cell 20)\n", "de38b2c6af5e1f63 dc6853f01a035d2f 1d2bc790fdd40a70 "},
    {"rallentamento scambiato", "", r({"rallentamento, 80, 17000, 500, 0, 0, 0"}),
     "T:2:16: warning: field 'position' of the 'rallentamento' row is 80 m, not a multiple of 50: the feature lands "
     "at 100 m (km 0+100, cell 3)\n"
     "T:2:20: warning: field 'speed' of the 'rallentamento' row is 17000 km/h, outside 0 to 500 km/h\n", "de38b2c6af5e1f63 dc6853f01a035d2f 72bdab6536a1298f "},
    {"rallentamento corto", "", r({"rallentamento, 5000, 30, 20, 0, 0, 0"}),
     "T:2:1: warning: the slowdown is shorter than one cell: its start and end both fall in cell 101, so it has no "
     "end mark\n", "de38b2c6af5e1f63 dc6853f01a035d2f 378f988295e0c0b5 "},
    {"aderenza scambiata", "", r({"aderenza, 85, 12000"}),
     "T:2:11: warning: field 'position' of the 'aderenza' row is 85 m, not a multiple of 50: it takes effect at "
     "100 m (km 0+100, cell 2)\n"
     "T:2:15: warning: field 'adhesion' of the 'aderenza' row is 12000, outside 0 to 100\n", "de38b2c6af5e1f63 dc6853f01a035d2f 21c89ac6945536d6 "},
    {"montagna al contrario", r({"montagna,  6000,  5000,  2"}), "",
     "L:4:19: warning: the 'montagna' row ends at 5000 m, not after its start at 6000 m\n", "de38b2c6af5e1f63 dc6853f01a035d2f c2205d99c10995d6 "},
    {"virgola nel nome", "", r({"stazione,  1000, 4, 400, 1,0,0, 1,0,0, 1,1,0, 0, 0,0,0, San Marco, Nord"}),
     "T:2:68: warning: field 'name' of the 'stazione' row stops at a comma: 'Nord' is not part of it and is read "
     "as further rows\n", "de38b2c6af5e1f63 2ff65a511f0b83e4 f5a6872dcdfd68c3 "},
    {"nome in UTF-8", "", r({"stazione,  1000, 4, 400, 1,0,0, 1,0,0, 1,1,0, 0, 0,0,0, Citt\xc3\xa0"}),
     "T:2:61: warning: '\xc3\xa0' looks like UTF-8, but the file is read as Windows-1252, so it reads as "
     "'\xc3\x83\xc2\xa0': save the file as Windows-1252 or pass --encoding utf-8\n", "de38b2c6af5e1f63 e51507b1948405b6 f5a6872dcdfd68c3 "},
    // A CR alone ends a line for the reader, and so for the place of the warning.
    {"nome in UTF-8 dopo un CR solo", "",
     r({"stazione,  1000, 4, 400, 1,0,0, 1,0,0, 1,1,0, 0, 0,0,0, Alfa\rstazione,  3000, 4, 400, 1,0,0, 1,0,0, 1,1,0, 0, 0,0,0, Citt\xc3\xa0"}),
     "T:3:61: warning: '\xc3\xa0' looks like UTF-8, but the file is read as Windows-1252, so it reads as "
     "'\xc3\x83\xc2\xa0': save the file as Windows-1252 or pass --encoding utf-8\n", "de38b2c6af5e1f63 5f51987c67b1a15b 9e5be39a4481ba43 "},
    {"velocita che non sta in una cella", "",
     r({"velocita, 0, 100", "velocita, 50, 11500", "velocita, 1000, 100", "velocita, 2000, 90"}),
     "T:3:1: error 25: run-time failure while reading the source files (field 'speed' of the 'velocita' row holds "
     "11500, which does not fit in a cell: value does not fit in a byte: 2300)\n"
     "T:3:15: warning: field 'speed' of the 'velocita' row is 11500 km/h, outside 0 to 500 km/h\n", "de38b2c6af5e1f63 dc6853f01a035d2f 79378b8ad8bbc60a "},
    {"tavola due volte", r({tavola, tavola, "montagna,  3000,  3500,  2", "indicatori_vmax,  5000,  90,  95,  100,  0,  ,  ,  ,  0"}),
     "", "L:5:1: error 21 at 1000 m (km 1+000): speed-indicator board on a cell that is already taken (cell 21, at 1000 m, "
         "already holds a speed-indicator board from L:4)\nL:4: note: a speed-indicator board placed by this row "
         "stands in cell 21\n", "71513f6383eb4512 dc6853f01a035d2f 35e256b37b9408b "},
    {"stazioni troppo vicine", "", r({stazione_a, "stazione,  1400, 4, 400, 1,0,0, 1,0,0, 1,1,0, 0, 0,0,0, Beta"}),
     "T:3:1: error 22 at 1400 m (km 1+400): station zone starts less than 350 m after the previous station's zone ends (the "
     "zone starts at 1200 m; the zone of 'Alfa' (line 2) ends at 1200 m; the smallest position allowed is 1750 m)\n", "de38b2c6af5e1f63 f5a1c2f442647278 8897062820e4fa43 "},
    {"segnale a 0 m", "", r({"segnale, 0, 2, 3,4,1, 0, 2, 2,1,1, 0"}),
     "fatal error 1250: a reserved slot (valore1 of cell 1 or intero1 of entry 85) was already taken: cell 1, at "
     "0 m, already holds a signal from T:2; compile would write no file\n", "- - - "},
    {"riga del treno nel file della linea", r({"segnale, 2000, 2, 3,4,1, 0, 2, 2,1,1, 0"}), "",
     "L:4:1: warning: 'segnale' matches no keyword of the line file (it is a train-file row): the row is passed "
     "over\n", "de38b2c6af5e1f63 dc6853f01a035d2f c2205d99c10995d6 "},
    {"oltre il percorso", "", r({"segnale, 40000, 2, 3,4,1, 0, 2, 2,1,1, 0"}),
     "T:2:1: error 15 at 40000 m (km 40+000): position outside the route (field 'position' of the 'segnale' row; the last "
     "position allowed for it is 26900 m)\n", "de38b2c6af5e1f63 dc6853f01a035d2f c2205d99c10995d6 "},
    {"tipo di stazione oltre un byte", "", r({"stazione,  1000, 300, 400, 1,0,0, 1,0,0, 1,1,0, 0, 0,0,0, Alfa"}),
     "T:2:1: error 25: run-time failure while reading the source files (value does not fit in a byte (field 'kind' "
     "of the 'stazione' row))\n", "de38b2c6af5e1f63 c6a2be2a9487ead6 c2205d99c10995d6 "},
    {"testo tra virgolette su due righe", r({"cartello_indicatore,  1000,  \"(Km\r\n1)\"", "pendenzx,  0,  0"}), "",
     "L:4:30: warning: field 'text' of the 'cartello_indicatore' row opens a quote at line 4, column 30 that runs past "
     "its line end to its closing quote at line 5, column 3, so line 5 is part of it (no row among them)\n"
     "L:6:1: warning: 'pendenzx' matches no keyword: the row is passed over; did you mean 'pendenza'?\n", "de38b2c6af5e1f63 1a81bae61b15c6e9 6bd3d3c4e1fc2b20 "},
    // Rows that change the scenario without an error: each a warning at the row that causes it.
    {"virgolette aperte", "",
     r({"stazione,  1000, 4, 400, 1,0,0, 1,0,0, 1,1,0, 0, 0,0,0, \"Ca' Bianca", "segnale, 15400, 2, 3,4,1, 0, 2, 2,1,1, 0",
        "rallentamento, 12000, 30, 200, 0,0,0"}),
     "T:2:57: warning: field 'name' of the 'stazione' row opens a quote at line 2, column 57 that runs past its line end and is never closed: it runs to the end of the file, so lines 3 to 5 are part of it and their rows are not read (1 'segnale', 1 'rallentamento')\n", "de38b2c6af5e1f63 57ab39b595cce5f5 f5a6872dcdfd68c3 "},
    {"riga corta che mangia la seguente", "", r({"orologio, 7.10", "aderenza, 0, 95", "aderenza, 5000, 90"}), "T:2:1: warning: the 'orologio' row has 1 of its 3 fields on line 2: field 'minutes' and those after it are read from line 3 ('aderenza'), so the 'aderenza' row of line 3 is not read as a row of its own\nT:3:1: note: the 'aderenza' row whose fields are taken\nT:2:11: warning: field 'hours' of the 'orologio' row holds '7.10', which is not an integer: it reads as 7\n", "de38b2c6af5e1f63 d24dce412d4129c0 22fbb86ca5b0071a "},
    {"velocita all'indietro", "", r({"velocita, 0, 100", "velocita, 5000, 130", "velocita, 3000, 80"}), "T:4:11: warning: the 'velocita' row at 3000 m (km 3+000) comes after the one at 5000 m on line 3: positions must increase. The 130 km/h of line 3 holds only in cell 100 (5000 m), and this row's 80 km/h from 5050 m (cell 101) on, not from 3000 m\nT:3: note: the previous 'velocita' row\n", "de38b2c6af5e1f63 dc6853f01a035d2f ae093d3d903ebf8 "},
    {"aderenza a 0 dopo le altre", "", r({"aderenza, 0, 95", "aderenza, 5000, 90", "aderenza, 0, 80"}), "T:4:11: warning: the 'aderenza' row at 0 m (km 0+000) comes after the one at 5000 m on line 3: positions must increase. The adhesion 90 of line 3 is never applied, and this row's adhesion 80 holds from 5000 m (cell 100) on\nT:3: note: the previous 'aderenza' row\n", "de38b2c6af5e1f63 dc6853f01a035d2f a47032a5c87a4e6a "},
    {"punto decimale", r({"pendenza,  0,  2.6"}), "", "L:4:16: warning: field 'gradient' of the 'pendenza' row holds '2.6', which is not an integer: it reads as 3\n", "de38b2c6af5e1f63 dc6853f01a035d2f 40f9c09184297ee8 "},
    {"virgola decimale", "", r({"velocita, 6000,5, 100"}), "T:2:11: warning: '6000,5' looks like a number with a decimal comma: fields are separated by commas, so it reads as two fields, 6000 and 5, and the values after them move one field on ('100' is left over)\n", "de38b2c6af5e1f63 dc6853f01a035d2f 9e2e1029d7aac5f8 "},
    {"oltre la lunghezza", "", r({"segnale, 21500, 2, 3,4,1, 0, 2, 2,1,1, 0", "rallentamento, 19000, 30, 2000, 0,0,0"}),
     "T:2:10: warning: field 'position' of the 'segnale' row is 21500 m (km 21+500), beyond the route's end at 20000 m (the route length): the feature is placed in the cells that reach past the end\nT:3:16: warning: the 'rallentamento' row starts at 19000 m (km 19+000) and ends at 21000 m, beyond the route's end at 20000 m (the route length)\n", "de38b2c6af5e1f63 dc6853f01a035d2f fd7d351052fce1ba "},
    {"punti e virgola", "", r({"segnale; 2000; 2; 3;4;1; 0; 2; 2;1;1; 0", "sabbia, 100", "velocita, 0, 100", "numero vetture, 6",
        "abbattimento, 9000, 270"}), "T:2:1: warning: 'segnale; 2000; 2; 3;4;1; 0; 2; 2;1;1; 0' is written with semicolons: fields are separated by commas, so the line is one keyword, read as a 'segnale' row whose fields are taken from the lines after it\nT:2:1: warning: the 'segnale' row has 0 of its 11 fields on line 2: field 'position' and those after it are read from line 3 ('sabbia'), so the 'sabbia' row of line 3 is not read as a row of its own\nT:3:1: note: the 'sabbia' row whose fields are taken\nfatal error 1250: a reserved slot (valore1 of cell 1 or intero1 of entry 85) was already taken: cell 1, at 0 m, already holds a signal from T:2; compile would write no file\n", "- - - "},
    {"maiuscola in una riga generale",
     r({"[generale]", "lunghezza percorso,    20000", "Progressiva chilometrica due,    0,    0,    0", "[fine]"}), "",
     "L:3:1: warning: 'Progressiva chilometrica due' matches no keyword: the row is passed over; did you mean 'progressiva chilometrica due'? (letter case matters in this keyword)\n", "de38b2c6af5e1f63 dc6853f01a035d2f c2205d99c10995d6 "},
    // Reported once, at the file's start or at the row, and nothing that only restates it.
    {"senza [generale]", r({"[linea]", "lunghezza percorso,    20000", "pendenza, 0, 3", "[fine]"}),
     r({"segnale, 2000, 2, 3,4,1, 0, 2, 2,1,1, 0"}), "L:1:1: error 102: no [generale] section before the end of the line description file\n", "- - - "},
    {"lunghezza fuori limite", r({"[generale]", "lunghezza percorso,    1052000", "[curve]", "pendenza, 0, 3", "[fine]"}),
     r({"segnale, 2000, 2, 3,4,1, 0, 2, 2,1,1, 0"}), "L:2:1: error 1: route length above 1000000 m\n", "- - - "},
    {"stazine", "", r({"stazine,  1000, 4, 400, 1,0,0, 1,0,0, 1,1,0, 0, 0,0,0, Alfa"}), "T:2:1: warning: 'stazine' matches no keyword: the row is passed over; did you mean 'stazione'?\n", "de38b2c6af5e1f63 dc6853f01a035d2f c2205d99c10995d6 "},
    };

std::string sostituisci(std::string t, const std::string& linea, const std::string& treno) {
    std::string out;
    for (std::size_t i = 0; i < t.size(); ++i) {
        const bool inizio = i == 0 || t[i - 1] == '\n' || t[i - 1] == ' ';
        if (inizio && (t[i] == 'L' || t[i] == 'T') && i + 1 < t.size() && (t[i + 1] == ':' || t[i + 1] == ')'))
            out += t[i] == 'L' ? linea : treno;
        else
            out += t[i];
    }
    return out;
}

std::string fnv(const std::filesystem::path& p) {
    std::uint64_t h = 1469598103934665603ull;
    for (char c : prova::leggi(p)) {
        h ^= static_cast<unsigned char>(c);
        h *= 1099511628211ull;
    }
    std::ostringstream o;
    o << std::hex << h;
    return o.str();
}

TEST(Diagnostiche, GliErroriDiUnNuovoAutore) {
    for (const auto& c : casi) {
        SCOPED_TRACE(c.nome);
        prova::cartella_temporanea d;
        const auto l = d / "l.txt", t = d / "t.txt";
        // A line text of its own when it starts with a header, else rows after a minimal general section.
        prova::scrivi(l, !c.linea.empty() && c.linea.front() == '[' ? c.linea : prova::linea_minima(c.linea));
        prova::scrivi(t, prova::treno_minimo(c.treno));
        auto v = prova::esegui_strumento({"check", "--line", l.string(), "--train", t.string()});
        const std::string atteso = sostituisci(c.atteso, l.string(), t.string());
        // Only the diagnostics, without their source lines: the count line after them is checked
        // elsewhere, the source lines by the rendering's own tests.
        const std::string rapporto = prova::senza_estratti(v.out);
        EXPECT_EQ(rapporto.substr(0, rapporto.rfind('\n', rapporto.size() - 2) + 1), atteso);

        // The compiler's own run, which writes the files whatever errors it recorded.
        const auto out = d / "out";
        std::filesystem::create_directories(out);
        scenario s;
        s.nome_percorso = percorso_pacchetto;
        s.nome_treno = treno_pacchetto;
        memorizza_percorso(s, tracciato_si_no::con, {l, t, false}, out);
        std::string impronte;
        for (const char* f : {"Valmarena_linea.dat", "Valmarena_RX 914.sim", "Valmarena_RX 914.dat"})
            impronte += (std::filesystem::exists(out / f) ? fnv(out / f) : "-") + " ";
        if (const char* dir = std::getenv("VALMARENA_IMPRONTE")) {
            std::ofstream(std::filesystem::path(dir) / (std::string(c.nome) + ".l")) << prova::leggi(l);
            std::ofstream(std::filesystem::path(dir) / (std::string(c.nome) + ".t")) << prova::leggi(t);
        }
        EXPECT_EQ(impronte, c.impronte);
    }
}

struct file_di_prova {
    prova::cartella_temporanea d;
    std::filesystem::path l = d / "l.txt", t = d / "t.txt";
    file_di_prova(const std::string& linea, const std::string& treno) {
        prova::scrivi(l, linea);
        prova::scrivi(t, treno);
    }
    prova::esito_strumento esegui(const std::string& comando, std::vector<std::string> altri = {}) const {
        std::vector<std::string> a{comando, "--line", l.string(), "--train", t.string()};
        a.insert(a.end(), altri.begin(), altri.end());
        return prova::esegui_strumento(a);
    }
};

std::string ripeti(const std::string& riga, int volte) {
    std::string t;
    for (int i = 0; i < volte; ++i) t += riga;
    return t;
}

// Whenever check finds no error, compile of the same files into a writable folder succeeds: over
// every mistake above and sources at the edges of what the reader takes.
TEST(Diagnostiche, CheckSenzaErroriECompileRiesce) {
    std::vector<std::pair<std::string, std::string>> sorgenti;
    for (const auto& c : casi)
        sorgenti.emplace_back(!c.linea.empty() && c.linea.front() == '[' ? c.linea : prova::linea_minima(c.linea),
                              prova::treno_minimo(c.treno));
    const std::string lungo(70000, 'x');
    sorgenti.emplace_back(prova::linea_minima("cartello_indicatore,  3000,  (" + lungo + ")\r\n"), prova::treno_minimo(""));
    sorgenti.emplace_back(prova::linea_minima(""),
                          prova::treno_minimo("stazione,  1000, 4, 400, 1,0,0, 1,0,0, 1,1,0, 0, 0,0,0, " + lungo + "\r\n"));
    sorgenti.emplace_back(prova::linea_minima("pendenza,  1000,  5" + ripeti(",7", 20000) + "\r\n"), prova::treno_minimo(""));
    sorgenti.emplace_back(prova::linea_minima(ripeti("-\r\n", 1000) + "pendenza,  1000,  5\r\n"), prova::treno_minimo(""));
    sorgenti.emplace_back("[generale]\r\n" + ripeti("-\r\n", 100), prova::treno_minimo(""));
    sorgenti.emplace_back(prova::linea_minima("", 1000000), prova::treno_minimo(ripeti("segnale, 2000, 2, 3,4,1, 0, 2, 2,1,1, 0\r\n", 3)));
    sorgenti.emplace_back(prova::linea_minima("cartello_indicatore,  3000,  \"(Km\r\n" + ripeti("pendenza, 0, 1\r\n", 5)),
                          prova::treno_minimo(""));
    int puliti = 0;
    for (std::size_t i = 0; i < sorgenti.size(); ++i) {
        SCOPED_TRACE(i);
        file_di_prova f(sorgenti[i].first, sorgenti[i].second);
        const auto v = f.esegui("check", {"--json"});
        if (v.stato != 0) continue;
        ++puliti;
        const auto c = f.esegui("compile", {"--out", (f.d / "o").string(), "--route", "Valmarena", "--train-name", "RX 914"});
        EXPECT_EQ(c.stato, 0) << c.err;
    }
    EXPECT_GT(puliti, 10);

    // A text longer than a table entry holds: compile refuses it, so check reports it as an error.
    file_di_prova f(sorgenti[std::size(casi)].first, sorgenti[std::size(casi)].second);
    EXPECT_EQ(f.esegui("check").stato, 1);
    EXPECT_EQ(f.esegui("compile", {"--out", (f.d / "o").string(), "--route", "Valmarena", "--train-name", "RX 914"}).stato, 3);
}

TEST(Diagnostiche, SeveroEStampaDiCompile) {
    file_di_prova f(prova::linea_minima(""), prova::treno_minimo(r({"segnalex, 2000, 2, 3,4,1, 0, 2, 2,1,1, 0"})));
    const std::string riga = f.t.string() + ":2:1: ";
    EXPECT_EQ(f.esegui("check").stato, 0);
    auto severo = f.esegui("check", {"--strict"});
    EXPECT_EQ(severo.stato, 1);
    EXPECT_EQ(prova::senza_estratti(severo.out),
              riga + "error: 'segnalex' is read as 'segnale'\n0 errors, 1 warning (errors under --strict)\n");

    // compile prints the same on standard error and lists it under "diagnostics" with its id.
    auto c = f.esegui("compile", {"--out", (f.d / "o").string(), "--route", "Valmarena", "--train-name", "RX 914", "--json"});
    EXPECT_EQ(c.stato, 0);
    EXPECT_EQ(c.err, riga + "warning: 'segnalex' is read as 'segnale'\n    2 | segnalex, 2000, 2, 3,4,1, 0, 2, 2,1,1, 0\n"
                                "      | ^~~~~~~~\n");
    const prova::json v = prova::leggi_json(c.out);
    ASSERT_EQ(v["diagnostics"].size(), 1u);
    EXPECT_EQ(v["diagnostics"][0]["id"].s, "keyword-spelling");
    EXPECT_EQ(v["diagnostics"][0]["severity"].s, "warning");
    EXPECT_EQ(v["diagnostics"][0]["line"].intero(), 2);
    auto cs = f.esegui("compile", {"--out", (f.d / "o").string(), "--route", "Valmarena", "--train-name", "RX 914", "--strict", "--json"});
    EXPECT_EQ(cs.stato, 1);
    EXPECT_EQ(prova::leggi_json(cs.out)["diagnostics"][0]["severity"].s, "error");
}

TEST(Diagnostiche, OltreCentoDiUnTipoSoloContati) {
    std::string righe;
    for (int i = 0; i < 250; ++i) righe += "segnalle, " + std::to_string(1000 + 50 * i) + "\r\n";
    righe += "sabia, 100\r\n";
    file_di_prova f(prova::linea_minima(""), prova::treno_minimo(righe));
    auto v = f.esegui("check");
    EXPECT_EQ(v.stato, 0);
    std::size_t mostrati = 0;
    for (std::size_t p = 0; (p = v.out.find("matches no keyword", p)) != std::string::npos; ++p) ++mostrati;
    EXPECT_EQ(mostrati, 100u);
    EXPECT_EQ(v.out.find("'sabia'"), std::string::npos);  // the last of its kind, only counted
    EXPECT_NE(v.out.find(f.t.string() + ":5:1: warning: 'segnalle' matches no keyword"), std::string::npos);
    EXPECT_NE(v.out.find("... and 151 more 'unknown-keyword' warnings not shown\n"), std::string::npos);
    EXPECT_NE(v.out.find("0 errors, 251 warnings\n"), std::string::npos);

    // Errors too: 150 signals on one cell give 149 of code 16, of which 100 are listed.
    std::string segnali;
    for (int i = 0; i < 150; ++i) segnali += "segnale, 2000, 2, 3,4,1, 0, 2, 2,1,1, 0\r\n";
    prova::scrivi(f.t, prova::treno_minimo(segnali));
    auto e = f.esegui("check", {"--json"});
    EXPECT_EQ(e.stato, 1);
    const prova::json j = prova::leggi_json(e.out);
    EXPECT_EQ(j["diagnostics"].size(), 100u);
    EXPECT_EQ(j["errors_found"].intero(), 149);
    EXPECT_NE(f.esegui("check").out.find("... and 49 more 'error-16' errors not shown\n149 errors, 0 warnings\n"),
              std::string::npos);
}

TEST(Diagnostiche, CodificaUtf8) {
    const std::string nome = "stazione,  1000, 4, 400, 1,0,0, 1,0,0, 1,1,0, 0, 0,0,0, Citt\xc3\xa0";
    file_di_prova f(prova::linea_minima(""), "\xef\xbb\xbf" + prova::treno_minimo(r({nome})));
    auto v = f.esegui("check");
    EXPECT_NE(v.out.find(f.t.string() + ":1:1: warning: the file begins with a UTF-8 byte-order mark"), std::string::npos)
        << v.out;

    // Converted first, the name reaches the table as the one Windows-1252 byte and nothing is said.
    auto c = f.esegui("compile", {"--out", (f.d / "o").string(), "--route", "Valmarena", "--train-name", "RX 914", "--encoding", "utf-8"});
    EXPECT_EQ(c.stato, 0) << c.err;
    EXPECT_EQ(c.err, "");
    EXPECT_NE(prova::leggi(f.d / "o" / "Valmarena_RX 914.sim").find("Citt\xe0"), std::string::npos);

    // A character that Windows-1252 cannot hold is refused with its place.
    prova::scrivi(f.t, prova::treno_minimo(r({"stazione,  1000, 4, 400, 1,0,0, 1,0,0, 1,1,0, 0, 0,0,0, \xc4\x8c"})));
    auto rifiuto = f.esegui("check", {"--encoding", "utf-8"});
    EXPECT_EQ(rifiuto.stato, 3);
    EXPECT_EQ(rifiuto.err, "scenario: " + f.t.string() +
                               ":2:57: the text holds the character '\xc4\x8c' (U+010C), which Windows-1252 cannot encode\n");

    // So is a byte that is not UTF-8 (a file saved in Windows-1252 and read as UTF-8).
    prova::scrivi(f.t, prova::treno_minimo(r({"stazione,  1000, 4, 400, 1,0,0, 1,0,0, 1,1,0, 0, 0,0,0, Citt\xe0"})));
    auto byte = f.esegui("check", {"--encoding", "utf-8"});
    EXPECT_EQ(byte.stato, 3);
    EXPECT_EQ(byte.err, "scenario: " + f.t.string() + ":2:61: the text holds the byte 0xE0, which is not valid UTF-8\n");
}

// The first UTF-8 sequence is found wherever it stands: in or across the blocks of eight bytes
// the text is passed over in, after bytes that begin no sequence, or at the very end.
TEST(Diagnostiche, CodificaUtf8OvunqueNelTesto) {
    const std::string a = "\xc3\xa0";  // a valid two-byte sequence
    const struct {
        const char* nome;
        std::string testo;
        int riga, colonna;  // 0: nothing to say
    } casi[] = {
        {"solo ASCII", std::string(40, 'x') + "\r\n", 0, 0},
        {"byte alti che non cominciano nulla", "ab\x80\xbf\xc1" "cdefgh\xa0\r\n", 0, 0},
        {"inizio senza seguito", "abcdefg\xc3" "z\r\n", 0, 0},
        {"all'inizio", a + "\r\n", 1, 1},
        {"a cavallo degli otto byte", "abcdefg" + a + "\r\n", 1, 8},
        {"dopo otto byte", "abcdefgh" + a, 1, 9},
        {"dopo byte alti nello stesso blocco", "a\x80\xc1" + a + "xxxxxxxx", 1, 4},
        {"su una riga dopo", "abc\r\ndefghijklmnop\r\nq" + a, 3, 2},
        {"alla fine", std::string(15, 'x') + a, 1, 16},
        {"l'ultimo byte, troncato", std::string(15, 'x') + "\xc3", 0, 0},
    };
    for (const auto& c : casi) {
        scenario s;
        diagnostica_codifica(s, c.testo, "f.txt");
        if (c.riga == 0) {
            EXPECT_TRUE(s.avvertimenti.empty()) << c.nome;
            continue;
        }
        ASSERT_EQ(s.avvertimenti.size(), 1u) << c.nome;
        EXPECT_EQ(s.avvertimenti[0].riga, c.riga) << c.nome;
        EXPECT_EQ(s.avvertimenti[0].colonna, c.colonna) << c.nome;
    }
}

}  // namespace
}  // namespace valmarena
