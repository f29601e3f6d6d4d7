// `scenario explain [KEYWORD]`: the format reference of the line and train files, written from
// the row description the readers use; docs/formats.md is the same text.

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <sstream>

#if !defined(_WIN32)
#include <csignal>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include "argomenti.h"
#include "compiler/suggerimenti.h"
#include "comandi.h"
#include "compiler/formato.h"
#include "sources/codifica.h"

namespace valmarena::strumento {

namespace {

const char* introduzione =
    "# Source file formats\n"
    "\n"
    "A scenario is written as two text files: the line description (the route: its length, kilometric\n"
    "references, curves, gradients, mountain stretches, speed-indicator boards and signboards) and the\n"
    "train description (the train's data, speed limits, adhesion, stations, slowdowns, signals and code\n"
    "abatement points). `scenario compile --line LINE --train TRAIN --out DIR` turns them into the\n"
    "simulator's files; `scenario check` reports every mistake first. This reference is printed by\n"
    "`scenario explain`, and `scenario explain KEYWORD` prints the part about one row.\n"
    "\n"
    "## Encoding and line ends\n"
    "\n"
    "Both files are Windows-1252 text, one byte per character. A file saved as UTF-8 is still read as\n"
    "Windows-1252, so \"Citt\xc3\xa0\" would become \"Citt\xc3\x83\xc2\xa0\": `check` and `compile` warn about text that looks like\n"
    "UTF-8 (or a byte-order mark), and with `--encoding utf-8` they convert the files first, refusing a\n"
    "character that Windows-1252 cannot hold. Lines end with CR LF or LF.\n"
    "\n"
    "## Sections\n"
    "\n"
    "Everything before the first token holding `[generale]` is skipped. In the line file the general\n"
    "rows follow it, up to the next header (a token in square brackets, such as `[curve]`); after that\n"
    "every row is recognised by its keyword alone, wherever it stands. In the train file every row after\n"
    "`[generale]` is recognised by its keyword. Other headers are read as tokens that match no row and\n"
    "only help the reader of the file. The last line of each file is never acted on: end both files\n"
    "with a line such as `[fine]`. Rows are acted on in file order: gradients, speed limits and\n"
    "adhesion in increasing position, stations before signals.\n"
    "\n"
    "## How a row is read\n"
    "\n"
    "A row is one line: a keyword, then its fields, separated by commas. Blanks around a field do not\n"
    "count; in a numeric field a blank also ends the field, so `orologio, 10 9 30` gives three fields.\n"
    "The reader does not look at line ends when it takes a row's fields:\n"
    "\n"
    "- a keyword is recognised when it holds the words given below anywhere in it, in any letter case\n"
    "  unless said otherwise: `segnalex` is read as `segnale`, `Curvaz4` as a right curve of class 4;\n"
    "  a token that holds a hyphen (a line of dashes, for instance) is passed over with its row;\n"
    "- a row with too few fields takes the missing ones from the next line, keyword included;\n"
    "- fields after the last one of a row are read as further keywords: values are passed over, a word\n"
    "  that holds a keyword is read as that row;\n"
    "- an empty field reads as 0; text in a numeric field reads as the number it begins with (0 when it\n"
    "  begins with none), so `8:15:00` reads as 8; a decimal number is rounded to the nearest integer;\n"
    "- a text field (a signboard's text, a station's name) runs to the next comma or the line end, so it\n"
    "  cannot hold a comma; between double quotes it runs to the closing quote.\n"
    "\n"
    "`scenario check` warns about each of these, with the file, line, column and field.\n"
    "\n"
    "## The 50 m grid\n"
    "\n"
    "The simulator sees the line as cells of 50 m. A point feature (signal, board, signboard, slowdown\n"
    "start) at position p lands in cell CLng(p / 50 + 1), so 0 m is cell 1; a stretch (gradient, speed\n"
    "limit, adhesion, mountain, abatement point) takes effect from cell CLng(p / 50). CLng rounds to the\n"
    "nearest integer, an exact half to the even one. Positions are therefore written as multiples of 50:\n"
    "a station elsewhere is an error, any other feature is moved onto the grid, with a warning that\n"
    "says where it lands. Curves alone are placed to the metre.\n"
    "\n"
    "## Station times against the line\n"
    "\n"
    "`scenario check` holds each station's time (hours, minutes, seconds; 0, 0, 0 for none) against the\n"
    "one before it that has a time. A cell of 50 m runs from CLng(p / 50 + 1)'s start, so a stretch\n"
    "from station position p1 to p2 is the cells from CLng(p1 / 50 + 1) to the one before\n"
    "CLng(p2 / 50 + 1); in each the limit is the speed limit of the cell or, over a slowdown's cells from\n"
    "its start up to its end, the slowdown's speed when lower. A cell without a limit counts nothing.\n"
    "\n"
    "- The least time at the limits is the sum of 50 m over each cell's limit: no train runs the\n"
    "  stretch faster. A time shorter than that is the warning `timetable-too-fast`, at the later\n"
    "  station's row, with both stations, the time given, the least time and the run of one limit that\n"
    "  costs most; a time earlier than the one before it is the warning `timetable-backwards`.\n"
    "- The running model is a train that accelerates at 0.5 m/s² and brakes at 0.7 m/s² (`--acceleration`,\n"
    "  `--braking`), never runs above a cell's limit from the cell's start (so it brakes before a lower\n"
    "  limit and speeds up only once a higher one has begun), and stops, without standing, at every\n"
    "  station whose kind has a stopping point (kinds below 25); a station with a time and no stop is\n"
    "  passed as fast as the limits allow. A time shorter than the model's is the note\n"
    "  `timetable-tight`, with the margin: a note is never an error, not even under `--strict`.\n";

const char* chilometri_testo =
    "## Kilometre posts\n"
    "\n"
    "Positions in both files are metres from the route's start. The kilometre post, the figure a\n"
    "driver reads on the line, comes from the three rows `progressiva chilometrica uno`, `due` and\n"
    "`tre`, each a reference P, K, F:\n"
    "\n"
    "- before the first reference the post is the position itself;\n"
    "- from P onward, with F = 0 the post is the position plus K; with F = 1 it is K at P and counts on\n"
    "  from there, K + (position - P);\n"
    "- a later reference replaces the one before it; a reference of 0, 0, 0 is not in use.\n"
    "\n"
    "The compile orders the three by position (two sharing the largest position clear all three, and\n"
    "with every P at 0 the first of uno, due, tre with a positive K holds) and carries K + 100 for\n"
    "F = 1 to the simulator, whose own reading of them lies outside this tool. The post above is how\n"
    "this tool shows them: the train card from `scenario documents`, the plot, `scenario rows` and\n"
    "the diagnostics write it, as `36.000` on the card and `km 36+000` elsewhere. With\n"
    "`progressiva chilometrica uno, 0, 12000, 0` and `progressiva chilometrica due, 6000, 30000, 0` the\n"
    "post at 6000 m is km 36+000.\n";

const char* linea_di_esempio =
    "[generale]\n"
    "lunghezza percorso,    30000\n"
    "progressiva chilometrica uno,    0,    0,    0\n"
    "progressiva chilometrica due,    0,    0,    0\n"
    "progressiva chilometrica tre,    0,    0,    0\n"
    "sfondo uno,    1\n"
    "sfondo due,    0\n"
    "sfondo tre,    0\n"
    "ripetizione segnali 9 codici,    0,    0\n"
    "[curve]\n"
    "curvas3,  2000,  400\n"
    "curvad4,  9000,  300\n"
    "[pendenze]\n"
    "pendenza,  0,   0\n"
    "pendenza,  5000,   12\n"
    "pendenza,  12000,   -8\n"
    "[montagne]\n"
    "montagna,   15000,  16000,  12\n"
    "[cartelli]\n"
    "indicatori_vmax,  1000,  90,  95,  100,  0,  ,  ,  ,  0\n"
    "[indicazioni]\n"
    "cartello_indicatore,  10000,   (  Cippo  )(Km 10+000)\n"
    "[fine]\n";

const char* treno_di_esempio =
    "[generale]\n"
    "numero vetture,    6\n"
    "percentuale massa frenata,    105\n"
    "sabbia,    100\n"
    "orologio,    8,    15,    0\n"
    "[aderenze]\n"
    "aderenza,       0,    95\n"
    "[vel_limite]\n"
    "velocita,   0,    60\n"
    "velocita,   2000,    100\n"
    "[stazioni]\n"
    "stazione,       0,  8,  500,  1, 0, 0,  5,1,0,  2,1,1,    1,   8,15, 0, Partenza\n"
    "stazione,   14000,  4,  400,  1, 0, 0,  1,0,0,  1,1,0,    0,   8,27, 0, Arrivo\n"
    "[rallentamenti]\n"
    "rallentamento,    7000,    60,  500, 0,  1,  0\n"
    "[segnali]\n"
    "segnale,    1050,   2, 3, 4,  1, 0,    2,  2,1,1, 0\n"
    "segnale,   13000,   2, 4, 0,  0, 0,    2,  1,0,0, 0\n"
    "[codici]\n"
    "abbattimento,   5000,   270\n"
    "[fine]\n";

std::string esempio() {
    return std::string("## A small scenario\n\n") +
           "A 30 km line and a train that runs it, which `scenario check` passes with no warning. The line\n"
           "file:\n\n```\n" + linea_di_esempio + "```\n\nThe train file:\n\n```\n" + treno_di_esempio + "```\n\n";
}

std::string testo_campo(const campo_riga& c) {
    switch (c.tipo) {
    case larghezza::long_: return "Long";
    case larghezza::intero: return "Integer";
    case larghezza::byte_: return "Byte";
    case larghezza::testo: return "text";
    }
    return {};
}

std::string intervallo(const campo_riga& c) {
    if (c.tipo == larghezza::testo) return "";
    if (c.minimo <= INT32_MIN && c.massimo >= INT32_MAX) return "any";
    return std::to_string(c.minimo) + " to " + std::to_string(c.massimo);
}

std::string griglia(const campo_riga& c) {
    if (c.griglia == 0) return "";
    std::string t = "multiple of " + std::to_string(c.griglia);
    if (c.griglia_errore) t += " (error otherwise)";
    if (c.cella == cella_di::punto) t += "; lands in cell CLng(p / 50 + 1)";
    if (c.cella == cella_di::tratto) t += "; takes effect from cell CLng(p / 50)";
    return t;
}

std::string parole(const descrizione_riga& d) {
    if (d.accetta) return d.accetta;
    std::string t = "a keyword holding ";
    bool esatta = false;
    for (std::size_t i = 0; i < d.parole.size(); ++i) {
        if (i > 0) t += " and ";
        t += "\"" + da_1252_a_utf8(d.parole[i].testo) + "\"";
        esatta = esatta || d.parole[i].esatta;
    }
    return t + (esatta ? ", in exactly this letter case" : ", in any letter case");
}

std::string riga_in_testo(const descrizione_riga& d) {
    std::ostringstream o;
    o << "### `" << da_1252_a_utf8(d.canonica) << "`\n\n";
    std::string significato = d.significato;
    significato[0] = static_cast<char>(significato[0] - 'a' + 'A');
    o << significato << ".\n\n";
    o << "Read when: " << parole(d) << ".";
    if (d.grafie.size() > 1) {
        o << " Spellings that draw no warning:";
        for (std::size_t i = 0; i < d.grafie.size(); ++i) o << (i ? ", `" : " `") << da_1252_a_utf8(d.grafie[i]) << "`";
        o << ".";
    }
    o << "\n\n| # | Field | Read as | Unit | Range | Grid | Meaning |\n|---|---|---|---|---|---|---|\n";
    int n = 0;
    for (const auto& c : d.campi)
        o << "| " << ++n << " | " << c.nome << " | " << testo_campo(c) << " | " << c.unita << " | " << intervallo(c)
          << " | " << griglia(c) << " | " << c.significato << " |\n";
    o << "\nAn empty numeric field reads as 0.";
    if (d.esempio) o << " Example:\n\n```\n" << da_1252_a_utf8(d.esempio) << "\n```\n";
    o << "\n";
    return o.str();
}

std::string tabelle() {
    std::ostringstream o;
    o << "## Code tables\n\n";
    for (const auto& t : tabelle_codici()) {
        o << "### " << t.titolo << "\n\n| Value | Meaning |\n|---|---|\n";
        for (const auto& [codice, significato] : t.righe) o << "| " << codice << " | " << significato << " |\n";
        o << "\n";
    }
    return o.str();
}

std::string righe_del_file(file_righe f) {
    std::ostringstream o;
    if (f == file_righe::linea)
        o << "## Line file rows\n\nThe first eight rows stand in the `[generale]` section; the others come after it.\n\n";
    else
        o << "## Train file rows\n\n";
    for (const auto& d : descrizione_righe())
        if (d.file == f) o << riga_in_testo(d);
    return o.str();
}

// The text on standard output; on a terminal through $PAGER (less when it is not set), as long as
// the pager can be started.
void mostra(const std::string& testo) {
#if !defined(_WIN32)
    if (isatty(STDOUT_FILENO)) {
        const char* pager = std::getenv("PAGER");
        const std::string comando = pager && *pager ? pager : "less";
        if (comando != "cat") {
            // less shows the text at once, keeps its colours and leaves a short text on the screen.
            setenv("LESS", "FRX", 0);
            std::cout.flush();
            // A pager left before the end closes the pipe: the rest is dropped, the tool goes on.
            auto* prima = std::signal(SIGPIPE, SIG_IGN);
            int stato = -1;
            if (FILE* p = popen(comando.c_str(), "w")) {
                std::fwrite(testo.data(), 1, testo.size(), p);
                stato = pclose(p);
            }
            std::signal(SIGPIPE, prima);
            // A pager that could not be started (127 from the shell): the text goes out as it is.
            if (stato != -1 && !(WIFEXITED(stato) && WEXITSTATUS(stato) == 127)) return;
        }
    }
#endif
    std::cout << testo;
}

}  // namespace

std::string riferimento_formati() {
    return std::string(introduzione) + "\n" + chilometri_testo + "\n" + esempio() + righe_del_file(file_righe::linea) +
           righe_del_file(file_righe::treno) + tabelle();
}

std::string sorgente_di_esempio(bool linea) {
    std::string t;
    for (const char* c = linea ? linea_di_esempio : treno_di_esempio; *c; ++c) t += *c == '\n' ? std::string("\r\n") : std::string(1, *c);
    return t;
}

int comando_explain(const std::vector<std::string>& args) {
    argomenti a = analizza(args, "explain");
    if (a.posizionali.empty()) {
        mostra(riferimento_formati());
        return 0;
    }
    if (a.posizionali.size() > 1) throw argomenti_errati("unexpected argument " + a.posizionali[1]);
    const std::string chiave = da_utf8_a_1252(a.posizionali.front());
    std::string testo;
    for (auto [f, generale] : {std::pair{file_righe::linea, true}, std::pair{file_righe::linea, false},
                               std::pair{file_righe::treno, false}})
        for (const auto* d : righe_riconosciute(f, generale, chiave))
            testo += std::string(f == file_righe::linea ? "Line file" : "Train file") + " row:\n\n" + riga_in_testo(*d);
    if (testo.empty()) {
        std::vector<std::string> grafie;
        for (const auto& d : descrizione_righe()) grafie.insert(grafie.end(), d.grafie.begin(), d.grafie.end());
        const std::string forse = piu_vicina(chiave, grafie);
        std::cerr << "scenario explain: no row is read from '" << a.posizionali.front() << "'"
                  << (forse.empty() ? std::string() : "; did you mean '" + da_1252_a_utf8(forse) + "'?")
                  << "; 'scenario explain' lists every row\n";
        return 3;
    }
    mostra(testo);
    return 0;
}

}  // namespace valmarena::strumento
