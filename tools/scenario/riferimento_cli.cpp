// docs/cli.md: the command reference, written from the command table, the compiler's error codes
// and what a compile does after each, and the exit statuses. The test of the reference holds the
// file equal to this text.

#include <sstream>

#include "aiuto.h"
#include "compiler/elenco_diagnostiche.h"
#include "compiler/errori.h"

namespace valmarena::strumento {

namespace {

// What a run of `compile` (or of the package) does after each recorded error.
const char* dopo_errore(int codice) {
    switch (codice) {
    case 1: return "the line reading ends before any cell exists: no file is written";
    case 2: return "found at the end of the reading; the files are written";
    case 3: return "the line reading ends and the train file is not read; the files are written from what was read";
    case 4: return "as 3";
    case 5: return "as 3";
    case 6: return "as 3";
    case 7: return "the train reading stops at this row; the files are written";
    case 8: return "as 7";
    case 9: return "as 7";
    case 10: return "as 7";
    case 11: return "found by the route checks after the reading, which go on; the files are written";
    case 12: return "as 11";
    case 13: return "as 11";
    case 15: return "the rest of that file is passed over (after a line-file row the train file is still read); the files are written";
    case 16: return "as 7";
    case 17: return "as 7";
    case 18: return "as 7";
    case 19: return "as 7";
    case 20: return "as 7; the slowdown's start, end and warning point stay placed";
    case 21: return "as 3";
    case 22: return "as 7";
    case 24: return "as 7";
    case 25: return "the reading ends (a value too large for its field, a row before the route length, a file that cannot be read); the files are written when the cells exist";
    case 101: return "nothing is read: no file is written";
    case 102: return "as 101";
    case 103: return "as 3";
    case 104: return "as 1";
    case 106: return "as 3";
    case 107: return "as 3";
    case 108: return "as 3";
    case 109: return "as 3";
    case 110: return "as 7";
    case 111: return "as 7";
    default: return nullptr;
    }
}

struct stato_uscita {
    int stato;
    const char* significato;
};

const stato_uscita stati[] = {
    {0, "done without error (`check` and `compile`: warnings allowed)"},
    {1, "`check`, `compile`: errors recorded, or warnings under `--strict` (`compile` writes no file, unless `--write-on-error` is given and cells were built); `plot --line`, `view --line`: no route cells could be built; `package`: errors or warnings in the sources, nothing written; `documents`: errors in the sources, nothing written"},
    {2, "`check`, `compile`, `package`, `documents`: fatal error 1250 or 1251; `compile` writes no file"},
    {3, "bad arguments (an unknown option, a missing value or argument, a `--route` or `--train-name` that cannot be part of a file name), a file that cannot be read or written (a full disk or a file-size limit: \"File too large\"; no temporary file is left), a source file that `--encoding utf-8` cannot convert, a file `new` would replace without `--force`, `compile` without a route or train name, or a compiled file whose bytes do not fit its layout (`dump`, `plot`, `view`)"},
};

// A table cell: a bar would end it.
std::string cella(const std::string& t) {
    std::string r;
    for (char c : t) r += c == '|' ? std::string("\\|") : std::string(1, c);
    return r;
}

// Prose for Markdown: lines that start with blanks become a block of their own.
std::string prosa_md(const std::string& prosa) {
    std::istringstream in(prosa);
    std::ostringstream o;
    std::string riga;
    bool blocco = false;
    while (std::getline(in, riga)) {
        const bool rientrata = riga.rfind("  ", 0) == 0;
        if (rientrata != blocco) o << (rientrata ? "\n```\n" : "```\n\n");
        blocco = rientrata;
        if (riga.rfind("Exit status", 0) == 0) o << "\n";
        o << riga << "\n";
    }
    if (blocco) o << "```\n";
    return o.str();
}

void comando_md(std::ostringstream& o, const comando& c) {
    o << "## scenario " << c.nome << "\n\n```\n";
    for (const auto* u : c.usi) o << "scenario " << u << "\n";
    std::string frase = c.riassunto;
    if (!frase.empty() && frase[0] >= 'a' && frase[0] <= 'z') frase[0] = static_cast<char>(frase[0] - 'a' + 'A');
    o << "```\n\n" << frase << ".\n\n| Option | Meaning |\n|---|---|\n";
    for (const auto& x : opzioni_di(c))
        o << "| `" << cella(std::string(x.nome) + (x.valore ? std::string(" ") + x.valore : "")) << "` | "
          << cella(x.significato) << " |\n";
    o << "\n" << prosa_md(c.descrizione) << "\n";
}

}  // namespace

std::string riferimento_cli() {
    std::ostringstream o;
    o << "# The scenario command\n\n"
         "`scenario COMMAND [OPTIONS]` writes, checks, compiles, decodes, draws and packages scenarios.\n"
         "This reference is written by the tool from its command table (`scenario _reference cli`), as\n"
         "are `scenario COMMAND --help`, the manual page `scenario(1)` and the shell completions; the\n"
         "formats of the two source files are in [formats.md](formats.md).\n\n"
         "| Command | What it does |\n|---|---|\n";
    for (const auto& c : comandi())
        if (!c.nascosto) o << "| [`" << c.nome << "`](#scenario-" << c.nome << ") | " << cella(c.riassunto) << " |\n";
    o << "\n`scenario --version` prints the version. An option's value may follow it as the next word or\n"
         "after `=` (`--out=DIR`).\n\n";
    for (const auto& c : comandi())
        if (!c.nascosto) comando_md(o, c);
    o << "## Exit statuses\n\n| Status | Meaning |\n|---|---|\n";
    for (const auto& s : stati) o << "| " << s.stato << " | " << s.significato << " |\n";
    o << "\n## Error codes\n\n"
         "The codes that the compiler records, as `significato_errore` (src/compiler/errori.cpp) words\n"
         "them, and what a run of `compile` (or of the package) does after each. Codes 104 and 106 to 111\n"
         "are this compiler's own checks for limits the records cannot hold. `check` records the same codes\n"
         "but reads on after each failing row.\n\n"
         "| Code | Meaning | What the run does |\n|---|---|---|\n";
    for (int c = 1; c < 1250; ++c)
        if (const char* dopo = dopo_errore(c)) o << "| " << c << " | " << significato_errore(c) << " | " << dopo << " |\n";
    o << "| 1250, 1251 | fatal: a reserved slot (cell 1's `valore1`/`valore2`, entry 85's `intero1`/`orario`) was "
         "already taken | the run ends with \" Errore n. 1250\" or \"1251\": no binary file is written |\n";
    o << "\n## Warnings and notes\n\n"
         "The notes to authors that `check`, `compile` and `package` give beside the recorded errors, by the\n"
         "identifier that JSON (`id`) and SARIF (`ruleId`) carry. With `--strict` a warning\n"
         "is an error; a note never is.\n\n"
         "| Identifier | Severity | Meaning |\n|---|---|---|\n";
    for (const auto& r : regole())
        if (r.id.rfind("error-", 0) != 0 && r.id.rfind("fatal-", 0) != 0)
            o << "| `" << r.id << "` | " << nome_gravita(r.livello) << " | " << cella(r.descrizione) << " |\n";
    return o.str();
}

}  // namespace valmarena::strumento
