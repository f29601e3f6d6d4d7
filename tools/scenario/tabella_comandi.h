// The tool's commands in one table: name, one-line summary, usage, options and the function that
// runs it. The option parser, every --help, `scenario help`, the list of commands, the manual page,
// the shell completions and docs/cli.md are all written from it, so that adding a command is
// adding one entry here.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace valmarena::strumento {

struct opzione {
    const char* nome;         // "--line"
    const char* valore;       // its value's placeholder ("FILE", "DIR", "track|table|cells"); nullptr for a switch
    const char* significato;  // one line, lower case, no full stop
};

// What the words that are not options stand for, so that the shells can complete them.
enum class parole_libere { nessuna, file, cartella, comando, altro };

struct comando {
    const char* nome;
    const char* riassunto;           // one line: what the command does
    std::vector<const char*> usi;    // the usage lines, each after "scenario "
    std::vector<opzione> opzioni;    // --help is added to every command
    const char* descrizione;         // the prose after the options: formats, names, exit statuses
    int (*esegui)(const std::vector<std::string>& args);
    parole_libere libere = parole_libere::nessuna;
    bool nascosto = false;           // left out of the lists (the build's own generator)
};

// Every command, in the order the lists show them.
const std::vector<comando>& comandi();

// The command called `nome`, or nullptr.
const comando* trova_comando(std::string_view nome);

// The options of `c` with --help last, as the help lists them.
std::vector<opzione> opzioni_di(const comando& c);

// The option `nome` of `c` (--help included), or nullptr.
const opzione* trova_opzione(const comando& c, std::string_view nome);

// True when the placeholder names a fixed list of words ("track|table|cells", "utf-8").
bool valore_a_scelta(const char* valore);

}  // namespace valmarena::strumento
