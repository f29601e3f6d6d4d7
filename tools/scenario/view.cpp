// `scenario view (DIR | --line F --train F) --out FILE.html`: the whole route in one page that
// opens from the disk, with its script, style and data inside it.

#include <iostream>

#include "argomenti.h"
#include "comandi.h"
#include "lettura_compilati.h"
#include "vista_dati.h"
#include "vista_pagina.h"

namespace valmarena::strumento {

namespace {

// Replaces the first `segnaposto` at or after `da` with `valore`; returns where the text after
// it starts, so that nothing already put in is searched again.
std::size_t sostituisci(std::string& testo, std::size_t da, std::string_view segnaposto, std::string_view valore) {
    const auto i = testo.find(segnaposto, da);
    if (i == std::string::npos) return da;
    testo.replace(i, segnaposto.size(), valore);
    return i + valore.size();
}

// Text put inside a <script> element: "</" would end it, and "<\/" means the same in JSON and
// in a script's strings.
std::string dentro_script(std::string_view t) {
    std::string o;
    o.reserve(t.size());
    for (std::size_t i = 0; i < t.size(); ++i) {
        o += t[i];
        if (t[i] == '<' && i + 1 < t.size() && t[i + 1] == '/') o += '\\';
    }
    return o;
}

std::string html_testo(const std::string& t) {
    std::string o;
    for (char c : t) {
        if (c == '&') o += "&amp;";
        else if (c == '<') o += "&lt;";
        else if (c == '>') o += "&gt;";
        else o += c;
    }
    return o;
}

}  // namespace

std::string pagina_vista(const scenario_letto& s) {
    std::string t(pagina::html());
    // The places in the order they stand in the page: a name holding "@STILE@" stays a name.
    std::size_t da = sostituisci(t, 0, "@TITOLO@", html_testo(s.percorso + " - " + s.treno));
    da = sostituisci(t, da, "@STILE@", pagina::css());
    da = sostituisci(t, da, "@DATI@", dentro_script(dati_vista(s)));
    sostituisci(t, da, "@SCRIPT@", dentro_script(pagina::js()));
    return t;
}

int comando_view(const std::vector<std::string>& args) {
    argomenti a = analizza(args, "view");
    const std::filesystem::path uscita = a.richiesto("--out");
    scenario_letto s;
    if (int stato = leggi_da_disegnare(a, "view", s); stato != 0) return stato;
    return scrivi_disegno(uscita, pagina_vista(s), "view", a.ha("--quiet"));
}

}  // namespace valmarena::strumento
