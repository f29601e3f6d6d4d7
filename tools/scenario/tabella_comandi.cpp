// The table of the tool's commands. A new command is one entry here and one function
// `int comando_X(const std::vector<std::string>& args)` declared in comandi.h.

#include "tabella_comandi.h"

#include <cctype>

#include "comandi.h"

namespace valmarena::strumento {

namespace {

// Options that several commands share, worded once.
const opzione linea{"--line", "FILE", "the line description file"};
const opzione treno{"--train", "FILE", "the train description file"};
const opzione percorso{"--route", "NAME", "the route's name (default: from the line file's name)"};
const opzione nome_treno{"--train-name", "NAME", "the train's name (default: from the train file's name)"};
const opzione senza_tracciato{"--no-track-plan", nullptr, "do not build the track plan"};
const opzione in_json{"--json", nullptr, "print the report as one JSON object"};
const opzione severo{"--strict", nullptr, "count every warning as an error"};
const opzione codifica{"--encoding", "utf-8|windows-1252", "the source files' encoding: utf-8 converts them to Windows-1252 first"};
const opzione silenzioso{"--quiet", nullptr, "do not say what was written"};
const opzione accelerazione{"--acceleration", "M/S2", "the running model's acceleration (default 0.5)"};
const opzione frenatura{"--braking", "M/S2", "the running model's braking (default 0.7)"};
const opzione formato{"--format", "text|sarif", "the report as text (the default) or as a SARIF 2.1.0 log on standard output"};

const opzione colore{"--color", "auto|always|never",
                     "colour the report: auto (the default) on a terminal unless NO_COLOR is set, always, never"};

const std::vector<comando> tabella = {
    {"new", "write a small line and train description to start a scenario from",
     {"new ROUTE TRAIN --out DIR [--force]"},
     {{"--out", "DIR", "the folder to write into, made when missing"},
      {"--force", nullptr, "replace files that are already there"},
      silenzioso},
     "Writes DIR/ROUTE_linea.txt and DIR/ROUTE_TRAIN-.txt: a line of 10 km with every kind of line\n"
     "row once (kilometric references with a restart, backgrounds, signal repetition, a curve, a\n"
     "gradient, a mountain stretch, a speed-indicator board, a signboard) and a train with three\n"
     "stations, signals, a slowdown and a code abatement point. They compile with no error and no\n"
     "warning; change them from there. Existing files are not replaced unless --force is given.\n"
     "Exit status: 0 written, 3 bad arguments, a file already there or a file that cannot be written.\n",
     comando_new, parole_libere::altro},
    {"sources", "write the package's embedded text files into a folder",
     {"sources --out DIR"},
     {{"--out", "DIR", "the folder to write into, made when missing"}, silenzioso},
     "Writes the package's embedded text files (line and train descriptions, notes,\n"
     "slowdown order, train card) into DIR, byte for byte as the package does.\n"
     "Exit status: 0 written, 3 bad arguments or a file that cannot be written.\n",
     comando_sources},
    {"compile", "compile a line and a train description into the binary files",
     {"compile --line FILE --train FILE --out DIR [OPTIONS]"},
     {linea, treno, {"--out", "DIR", "the folder of the three compiled files, made when missing"}, percorso, nome_treno,
      senza_tracciato, {"--json", nullptr, "print the files written and every diagnostic as one JSON object"},
      {"--dry-run", nullptr, "write nothing and report as check does"},
      {"--write-on-error", nullptr, "write the files even when an error is recorded, as the package does"}, severo,
      codifica, formato, colore, silenzioso},
     "Compiles a line description and a train description into DIR as ROUTE_linea.dat (track plan),\n"
     "ROUTE_TRAIN.sim (scenario table) and ROUTE_TRAIN.dat (route cells). The input files are never\n"
     "changed or deleted. ROUTE and TRAIN default to the names of the source files (ROUTE_linea.txt,\n"
     "ROUTE_TRAIN-.txt). When an error is recorded nothing is written and the files of an earlier\n"
     "compile stay as they were; --write-on-error writes them all the same, as the package does.\n"
     "Exit status: 0 no error, 1 recorded errors, 2 fatal error (no file written),\n"
     "3 bad arguments or a file that cannot be read or written.\n"
     "Every error and warning goes to standard error as FILE:LINE:COLUMN (with --json also under\n"
     "\"diagnostics\", each with a stable \"id\"), its source line and a caret under the field below it, as\n"
     "for check; past 100 warnings of one kind the rest are counted.\n"
     "--strict makes every warning an error (exit status 1); --encoding utf-8 as for check;\n"
     "--format sarif prints a SARIF 2.1.0 log on standard output instead of the summary.\n"
     "With --dry-run nothing is written and --out is not needed: the same as 'scenario check'.\n",
     comando_compile},
    {"check", "compile in memory and report every error and warning; writes nothing",
     {"check --line FILE --train FILE [OPTIONS]", "compile --dry-run ... (the same)"},
     {linea, treno, percorso, nome_treno, senza_tracciato, in_json, severo, codifica, formato, colore, accelerazione,
      frenatura},
     "Compiles the line and train descriptions in memory and writes nothing. Unlike compile, the\n"
     "reading goes on after a row that fails, so one run lists every fault of the files:\n"
     "  FILE:LINE:COLUMN: error CODE at POS m (km K+MMM): what is wrong\n"
     "  FILE:LINE:COLUMN: warning: a row passed over, a value field holding text, ...\n"
     "sorted by file and line; errors found by the route checks after the reading come last.\n"
     "Under each line stands the source line as read (in UTF-8, tabs widened to 8 columns, a long\n"
     "line cut around the column with ...) and a caret at the column with ~ under the rest of the\n"
     "field; then a FILE:LINE:COLUMN: note: line, with its own source line, for each other row the\n"
     "diagnostic concerns (the row a collision met, the line whose fields a short row took). A\n"
     "fault of a whole file, or at its end, has no source line.\n"
     "--color=auto colours the report when it goes to a terminal and NO_COLOR is not set to a\n"
     "non-empty value: the place in bold, errors red, warnings magenta, notes cyan, the caret\n"
     "green; --color=always colours it even so, --color=never never.\n"
     "Past 100 warnings of one kind the rest are only counted. With --strict every warning is an\n"
     "error (exit status 1). With --encoding utf-8 the files are taken as UTF-8 and converted to\n"
     "Windows-1252 first; a character that Windows-1252 cannot hold is refused (exit status 3).\n"
     "The stations' times are held against the line: a time shorter than the stretch takes at the\n"
     "speed limits is a warning, one shorter than the running model needs (accelerating at 0.5 m/s2\n"
     "and braking at 0.7 m/s2 unless --acceleration and --braking say otherwise) is a note:\n"
     "  FILE:LINE:COLUMN: note: ... (never an error, not even under --strict)\n"
     "'scenario explain' describes every row of the two files.\n"
     "With --format sarif the report is a SARIF 2.1.0 log on standard output.\n"
     "With --json the same report is one JSON object on standard output, its \"diagnostics\" list\n"
     "as compile --json prints it: id, severity, file, line, column, message and related rows (an\n"
     "error with a route position also its code, position and kilometre post).\n"
     "Exit status: 0 no error (warnings allowed), 1 recorded errors, 2 fatal error (1250/1251:\n"
     "a reserved slot already taken), 3 bad arguments or a file that cannot be read.\n",
     comando_check},
    {"timetable", "hold the stations' times against the line: least time at the limits and a running model",
     {"timetable --line FILE --train FILE [OPTIONS]"},
     {linea, treno, percorso, nome_treno, in_json, accelerazione, frenatura, codifica},
     "Lists every station: its position and kilometre post, whether it has a stop, the time given,\n"
     "and from the last station with a time before it the least time at the speed limits and the\n"
     "running model's time (see 'scenario explain'), with the margins of the time given over both.\n"
     "Exit status: 0 listed, 1 the sources have errors (the list is still printed when cells were\n"
     "built; see 'scenario check'), 3 bad arguments or a file that cannot be read.\n",
     comando_timetable, parole_libere::file},
    {"dump", "decode a compiled file (track plan, table or cells) into a listing or JSON",
     {"dump FILE [OPTIONS]"},
     {{"--json", nullptr, "print JSON instead of the listing"},
      {"--kind", "track|table|cells", "the kind of file, when its name does not tell"},
      {"--table", "FILE", "the table file to take a cell file's names from"},
      {"--step", "METRES", "the spacing of the track plan's sample (default 10000)"}},
     "Decodes a compiled file into a readable listing (or JSON with --json):\n"
     "  ROUTE_linea.dat   track plan: length, extent, value tags and a sample of points\n"
     "  ROUTE_TRAIN.sim   scenario table: every entry that holds something, with every field,\n"
     "                    and the reserved entries 81..86 by name\n"
     "  ROUTE_TRAIN.dat   route cells: every cell that carries a feature, its position and its\n"
     "                    decoded values, the slowdowns, the reserved marks of cell 1 and counts\n"
     "The kind is taken from the name, or else from the size and content; --kind forces it.\n"
     "A cell file takes its station names and signboard texts from the table file beside it\n"
     "(same name ending in .sim), or from --table FILE.\n"
     "Exit status: 0 decoded, 3 bad arguments, a file that cannot be read, or bytes that do not\n"
     "fit the file's layout.\n",
     comando_dump, parole_libere::file},
    {"plot", "draw a compiled scenario as an SVG picture: the line and its profiles",
     {"plot DIR --out FILE.svg [--route NAME] [--train-name NAME]",
      "plot --line FILE --train FILE --out FILE.svg [--route NAME] [--train-name NAME]"},
     {{"--out", "FILE.svg", "the picture to write; its folder is made when missing"},
      {"--line", "FILE", "draw from this line description, compiled in memory"},
      {"--train", "FILE", "draw from this train description, compiled in memory"},
      {"--route", "NAME", "the route's name (default: Valmarena, or the only scenario in DIR)"},
      {"--train-name", "NAME", "the train's name (default: RX 914, or the only scenario in DIR)"},
      silenzioso},
     "Draws the compiled scenario in DIR (ROUTE_linea.dat, ROUTE_TRAIN.sim, ROUTE_TRAIN.dat) as an\n"
     "SVG picture: the line in plan view with stations, signals, slowdowns and signboards, and\n"
     "the gradient, speed-limit and adhesion profiles along the route with the stations marked.\n"
     "ROUTE and TRAIN default to Valmarena and \"RX 914\"; when DIR holds a single other scenario\n"
     "and no name is given, that one is drawn. Only the cell file is required: without the track\n"
     "plan or the table the picture says what is missing. The same files give the same bytes.\n"
     "With --line and --train the sources are compiled in memory and drawn, curves included; recorded\n"
     "errors are said in the picture ('scenario check' lists them).\n"
     "Exit status: 0 written, 1 no route cells could be built from the sources, 3 bad arguments,\n"
     "a missing or undecodable cell file, or an output that cannot be written.\n",
     comando_plot, parole_libere::cartella},
    {"view", "write the whole route as one interactive HTML page: zoom, search, hover",
     {"view DIR --out FILE.html [--route NAME] [--train-name NAME]",
      "view --line FILE --train FILE --out FILE.html [OPTIONS]"},
     {{"--out", "FILE.html", "the page to write; its folder is made when missing"},
      {"--line", "FILE", "show this line description, compiled in memory"},
      {"--train", "FILE", "show this train description, compiled in memory"},
      {"--route", "NAME", "the route's name (default: Valmarena, or the only scenario in DIR)"},
      {"--train-name", "NAME", "the train's name (default: RX 914, or the only scenario in DIR)"},
      accelerazione, frenatura, silenzioso},
     "Writes the compiled scenario in DIR, or the sources compiled in memory, as one HTML page that\n"
     "opens from the disk in a browser and fetches nothing: the plan view, the feature lanes\n"
     "(stations, signals, slowdowns, boards, abatement points, signboards, mountains, signal\n"
     "repetition, curves, kilometric references) and the gradient, speed-limit and adhesion\n"
     "profiles on one axis along the route, in kilometre posts or route metres. From the sources\n"
     "the speed-limit profile also carries the running model's speed, from the same model as\n"
     "'scenario timetable' (compiled files hold no timetable).\n"
     "Zoom with the wheel or a pinch, pan by dragging or with the arrow keys; hovering a feature\n"
     "shows its values as 'scenario dump' decodes them and, from the sources, the FILE:LINE of\n"
     "the row that placed it. The search takes a station's name or a post (km 36+200); the\n"
     "address keeps the view (#km=36.2&span=5). Curves are known only from the sources.\n"
     "The files are found as 'scenario plot' finds them.\n"
     "Exit status: 0 written, 1 no route cells could be built from the sources, 3 bad arguments,\n"
     "a missing or undecodable cell file, or an output that cannot be written.\n",
     comando_view, parole_libere::cartella},
    {"package", "make a copy of the package program that carries another scenario",
     {"package --line FILE --train FILE --out PACKAGE [OPTIONS]"},
     {linea, treno, {"--out", "PACKAGE", "the program to write (ending in .exe: a Windows program)"},
      {"--card", "FILE", "the train card to carry (default: generated from the sources)"},
      {"--slowdowns", "FILE", "the slowdown order to carry (default: generated from the sources)"},
      {"--notes", "FILE", "the notes to carry (default: none)"},
      {"--route", "NAME", "the route's name (default: from the train file's name)"}, nome_treno,
      {"--stub", "PROGRAM", "the package program to copy (default: valmarena beside this tool)"}, colore, silenzioso},
     "Makes PACKAGE, a copy of the package program that writes and compiles this scenario instead\n"
     "of its own: run in a folder, it leaves the train card, the slowdown order, the notes (when\n"
     "given) and the three compiled files there. The sources must pass 'scenario check' with no\n"
     "error and no warning; what they have is reported on standard error as check reports it. A\n"
     "card or slowdown order not given is generated from the sources (see 'scenario documents');\n"
     "notes are only ever the author's.\n"
     "The names come from --route and --train-name, else from a train file named ROUTE_TRAIN-.txt.\n"
     "The program copied is --stub, by default the valmarena program beside this tool\n"
     "(valmarena.exe when PACKAGE ends in .exe; when there is none, the one in the Windows build\n"
     "folder build-windows beside this tool's folder).\n"
     "Exit status: 0 written, 1 the sources have errors or warnings, 2 fatal error, 3 bad arguments\n"
     "or a file that cannot be read or written.\n",
     comando_package},
    {"documents", "generate the train card and the slowdown order from a line and a train file",
     {"documents --line FILE --train FILE --out DIR [--route NAME] [--train-name NAME]"},
     {linea, treno, {"--out", "DIR", "the folder to write into, made when missing"},
      {"--route", "NAME", "the route's name (default: from the train file's name)"}, nome_treno, colore, silenzioso},
     "Writes into DIR the train card (ROUTE_TRAIN_scheda_treno.txt) and the slowdown order\n"
     "(ROUTE_TRAIN_rallentamenti.txt), laid out as the package's own forms, from what the line and\n"
     "train files give: stations, kilometre posts, times, speed limits and slowdowns. Windows-1252,\n"
     "CR LF. The names come from --route and --train-name, else from a train file named\n"
     "ROUTE_TRAIN-.txt. A notes file is never generated. Errors and warnings of the sources go to\n"
     "standard error as check reports them.\n"
     "Exit status: 0 written, 1 the sources have errors (nothing written), 3 bad arguments or a file\n"
     "that cannot be read or written.\n",
     comando_documents},
    {"lsp", "a language server for editors, on standard input and output",
     {"lsp [--strict]"},
     {{"--strict", nullptr, "count every warning as an error"},
      {"--stdio", nullptr, "talk on standard input and output (the only way; accepted for editors that pass it)"}},
     "A language server for the line and train files on standard input and output (JSON-RPC\n"
     "with Content-Length headers), for editors. An open train file ROUTE_TRAIN-.txt is checked\n"
     "against ROUTE_linea.txt of its folder, using the editor's text of whichever is open, and\n"
     "the editor shows the same errors and warnings as 'scenario check', where they are. It also\n"
     "describes the row or field under the cursor, completes keywords, lists sections,\n"
     "stations, slowdowns, signals and mountain stretches, and offers the fixes that are certain.\n"
     "With --strict (or the initialization option {\"strict\": true}) every warning is an error.\n"
     "Exit status: 0 after shutdown and exit, 1 when the input ends or exit comes without shutdown.\n",
     comando_lsp},
    {"explain", "print the reference of the line and train files, or of one row's KEYWORD",
     {"explain [KEYWORD]"},
     {},
     "Prints the reference of the line and train description files: every row with its fields,\n"
     "units, ranges and grid, the code tables, the encoding and how the reader cuts the text.\n"
     "With a KEYWORD (a row's keyword as you would write it, such as segnale or curvad4), prints\n"
     "only the rows the reader takes it for. docs/formats.md holds the same text. On a terminal\n"
     "the text goes through $PAGER (less when it is not set).\n"
     "Exit status: 0 printed, 3 bad arguments or a KEYWORD that no row is read from.\n",
     comando_explain, parole_libere::altro},
    {"rows", "show row by row what the reader understood of a line and a train file",
     {"rows --line FILE --train FILE [OPTIONS]"},
     {linea, treno, percorso, nome_treno, in_json, codifica},
     "Reads the two files as compile does and prints, for every token the reader tested for a\n"
     "keyword, in file order: where it stands, the kind of row it was read as (or why it was passed\n"
     "over), each field read for it with its name, text and the value taken, the lines the row took\n"
     "its fields from, and for a position its metres, route cell and kilometre post. Writes nothing.\n"
     "Exit status: as check: 0 no error, 1 recorded errors, 2 fatal error, 3 bad arguments or a\n"
     "file that cannot be read.\n",
     comando_rows},
    {"help", "print the list of commands, or the help of one COMMAND",
     {"help [COMMAND]"},
     {},
     "The same as 'scenario --help' or 'scenario COMMAND --help'.\n"
     "Exit status: 0 printed, 3 an unknown COMMAND.\n",
     comando_help, parole_libere::comando},
    {"_reference", "write the manual page, the completions or the command reference",
     {"_reference man|bash|zsh|fish|cli"},
     {},
     "Prints scenario(1) in roff, a completion script for bash, zsh or fish, or docs/cli.md,\n"
     "all from this table. The build runs it to make the files that are installed.\n",
     comando_riferimento, parole_libere::altro, true},
};

const opzione aiuto{"--help", nullptr, "print this help and exit"};

}  // namespace

const std::vector<comando>& comandi() { return tabella; }

const comando* trova_comando(std::string_view nome) {
    for (const auto& c : tabella)
        if (nome == c.nome) return &c;
    return nullptr;
}

std::vector<opzione> opzioni_di(const comando& c) {
    std::vector<opzione> o = c.opzioni;
    o.push_back(aiuto);
    return o;
}

const opzione* trova_opzione(const comando& c, std::string_view nome) {
    if (nome == aiuto.nome) return &aiuto;
    for (const auto& o : c.opzioni)
        if (nome == o.nome) return &o;
    return nullptr;
}

bool valore_a_scelta(const char* valore) {
    if (valore == nullptr) return false;
    for (const char* c = valore; *c; ++c)
        if (std::isupper(static_cast<unsigned char>(*c))) return false;
    return true;
}

}  // namespace valmarena::strumento
