// The completion scripts of bash, zsh and fish, written from the command table: commands after
// `scenario`, each command's options, and for a value or a free word the files, the folders or
// the fixed words it takes.

#include <sstream>

#include "aiuto.h"

namespace valmarena::strumento {

namespace {

enum class genere_valore { nessuno, file, cartella, scelta };

genere_valore genere(const char* valore) {
    if (valore == nullptr) return genere_valore::nessuno;
    if (valore_a_scelta(valore)) return genere_valore::scelta;
    const std::string v = valore;
    if (v == "DIR") return genere_valore::cartella;
    if (v.rfind("FILE", 0) == 0 || v == "PACKAGE" || v == "PROGRAM") return genere_valore::file;
    return genere_valore::nessuno;
}

// "track|table|cells" as words separated by blanks.
std::string scelte(const char* valore) {
    std::string t = valore;
    for (char& c : t)
        if (c == '|') c = ' ';
    return t;
}

std::string nomi_comandi() {
    std::string t;
    for (const auto& c : comandi())
        if (!c.nascosto) t += std::string(t.empty() ? "" : " ") + c.nome;
    return t;
}

// Text inside single quotes of a POSIX shell or of zsh.
std::string tra_apici(const std::string& t) {
    std::string r = "'";
    for (char c : t) r += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return r + "'";
}

std::string bash() {
    std::ostringstream o;
    o << "# bash completion for scenario, written by 'scenario _reference bash'\n"
         "_scenario() {\n"
         "    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD-1]}\n"
         "    COMPREPLY=()\n"
         "    if [ \"$COMP_CWORD\" -eq 1 ]; then\n"
         "        COMPREPLY=($(compgen -W '"
      << nomi_comandi()
      << " --help --version' -- \"$cur\"))\n"
         "        return\n"
         "    fi\n"
         "    case ${COMP_WORDS[1]} in\n";
    for (const auto& c : comandi()) {
        if (c.nascosto) continue;
        o << "    " << c.nome << ")\n        case $prev in\n";
        std::string nomi;
        for (const auto& x : opzioni_di(c)) {
            nomi += std::string(nomi.empty() ? "" : " ") + x.nome;
            if (!x.valore) continue;
            o << "        " << x.nome << ") ";
            switch (genere(x.valore)) {
            case genere_valore::file: o << "COMPREPLY=($(compgen -f -- \"$cur\"))"; break;
            case genere_valore::cartella: o << "COMPREPLY=($(compgen -d -- \"$cur\"))"; break;
            case genere_valore::scelta: o << "COMPREPLY=($(compgen -W '" << scelte(x.valore) << "' -- \"$cur\"))"; break;
            case genere_valore::nessuno: o << ":"; break;
            }
            o << "; return ;;\n";
        }
        o << "        esac\n        case $cur in\n        -*) COMPREPLY=($(compgen -W '" << nomi << "' -- \"$cur\")) ;;\n";
        switch (c.libere) {
        case parole_libere::file: o << "        *) COMPREPLY=($(compgen -f -- \"$cur\")) ;;\n"; break;
        case parole_libere::cartella: o << "        *) COMPREPLY=($(compgen -d -- \"$cur\")) ;;\n"; break;
        case parole_libere::comando: o << "        *) COMPREPLY=($(compgen -W '" << nomi_comandi() << "' -- \"$cur\")) ;;\n"; break;
        default: break;
        }
        o << "        esac ;;\n";
    }
    o << "    esac\n}\ncomplete -o filenames -F _scenario scenario\n";
    return o.str();
}

// An option's description inside zsh's brackets.
std::string per_zsh(const std::string& t) {
    std::string r;
    for (char c : t) {
        if (c == '[' || c == ']' || c == ':' || c == '\\') r += '\\';
        r += c;
    }
    return r;
}

std::string azione_zsh(const char* valore) {
    switch (genere(valore)) {
    case genere_valore::file: return "_files";
    case genere_valore::cartella: return "_files -/";
    case genere_valore::scelta: return "(" + scelte(valore) + ")";
    case genere_valore::nessuno: break;
    }
    return " ";
}

std::string zsh() {
    std::ostringstream o;
    o << "#compdef scenario\n# zsh completion for scenario, written by 'scenario _reference zsh'\n"
         "_scenario() {\n"
         "    local -a comandi\n"
         "    comandi=(\n";
    for (const auto& c : comandi())
        if (!c.nascosto) o << "        " << tra_apici(std::string(c.nome) + ":" + c.riassunto) << "\n";
    o << "    )\n"
         "    if (( CURRENT == 2 )); then\n"
         "        _describe command comandi\n"
         "        return\n"
         "    fi\n"
         "    local comando=$words[2]\n"
         "    shift words\n"
         "    (( CURRENT-- ))\n"
         "    case $comando in\n";
    for (const auto& c : comandi()) {
        if (c.nascosto) continue;
        o << "    " << c.nome << ")\n        _arguments";
        for (const auto& x : opzioni_di(c)) {
            std::string voce = std::string(x.nome) + "[" + per_zsh(x.significato) + "]";
            if (x.valore) voce += ":" + per_zsh(x.valore) + ":" + azione_zsh(x.valore);
            o << " \\\n            " << tra_apici(voce);
        }
        switch (c.libere) {
        case parole_libere::file: o << " \\\n            '*:file:_files'"; break;
        case parole_libere::cartella: o << " \\\n            '*:folder:_files -/'"; break;
        case parole_libere::comando: o << " \\\n            '*:command:(" << nomi_comandi() << ")'"; break;
        default: o << " \\\n            '*: : '"; break;
        }
        o << " ;;\n";
    }
    o << "    esac\n}\n_scenario \"$@\"\n";
    return o.str();
}

// Text inside single quotes of fish.
std::string per_fish(const std::string& t) {
    std::string r = "'";
    for (char c : t) {
        if (c == '\'' || c == '\\') r += '\\';
        r += c;
    }
    return r + "'";
}

std::string fish() {
    std::ostringstream o;
    o << "# fish completion for scenario, written by 'scenario _reference fish'\n"
         "complete -c scenario -f\n"
         "complete -c scenario -n __fish_use_subcommand -l help -d 'print the help and exit'\n"
         "complete -c scenario -n __fish_use_subcommand -l version -d 'print the version and exit'\n";
    for (const auto& c : comandi())
        if (!c.nascosto)
            o << "complete -c scenario -n __fish_use_subcommand -a " << c.nome << " -d " << per_fish(c.riassunto) << "\n";
    for (const auto& c : comandi()) {
        if (c.nascosto) continue;
        const std::string quando = " -n '__fish_seen_subcommand_from " + std::string(c.nome) + "'";
        for (const auto& x : opzioni_di(c)) {
            o << "complete -c scenario" << quando << " -l " << (x.nome + 2);
            switch (genere(x.valore)) {
            case genere_valore::file: o << " -r -F"; break;
            case genere_valore::cartella: o << " -x -a '(__fish_complete_directories)'"; break;
            case genere_valore::scelta: o << " -x -a " << per_fish(scelte(x.valore)); break;
            case genere_valore::nessuno:
                if (x.valore) o << " -x";
                break;
            }
            o << " -d " << per_fish(x.significato) << "\n";
        }
        switch (c.libere) {
        case parole_libere::file: o << "complete -c scenario" << quando << " -F\n"; break;
        case parole_libere::cartella: o << "complete -c scenario" << quando << " -a '(__fish_complete_directories)'\n"; break;
        case parole_libere::comando: o << "complete -c scenario" << quando << " -a " << per_fish(nomi_comandi()) << "\n"; break;
        default: break;
        }
    }
    return o.str();
}

}  // namespace

std::optional<std::string> completamento(std::string_view shell) {
    if (shell == "bash") return bash();
    if (shell == "zsh") return zsh();
    if (shell == "fish") return fish();
    return std::nullopt;
}

}  // namespace valmarena::strumento
