// The report shared by compile and check.

#include "rapporto.h"

#include <cstdlib>

#include "platform/ospite.h"

namespace valmarena::strumento {

namespace {

std::string luogo(const std::string& file, int riga, int colonna) {
    if (file.empty()) return {};
    std::string m = file;
    if (riga > 0) m += ":" + std::to_string(riga);
    if (colonna > 0) m += ":" + std::to_string(colonna);
    return m + ":";
}

// A report line in its three parts: "FILE:LINE:COLUMN:", "error 16 at 1100 m" (or the
// severity) and the message.
struct parti_riga {
    std::string luogo, gravita;
    std::string_view messaggio;  // into the diagnostic: a message can quote a long rest of a line
};

parti_riga parti_di(const segnalazione& x, bool severo) {
    parti_riga p{luogo(x.file, x.riga, x.colonna), {}, x.messaggio};
    if (x.codice != 0) {
        p.gravita = "error " + std::to_string(x.codice);
        if (x.ha_posizione) p.gravita += " at " + std::to_string(x.posizione) + " m (" + x.cippo + ")";
    } else {
        p.gravita = severo && x.livello == gravita::avvertimento ? "error" : nome_gravita(x.livello);
    }
    return p;
}

// `t` in the colour of the SGR code `sgr` (then back to plain) when `colore`.
std::string colora(const std::string& t, const char* sgr, bool colore) {
    return colore ? "\033[" + std::string(sgr) + "m" + t + "\033[0m" : t;
}

// Appends the line to `t`: bold place, then the severity in its colour (red error, magenta
// warning, cyan note), then the message.
void aggiungi_riga(std::string& t, const parti_riga& p, bool errore, gravita g, bool colore) {
    const char* sgr = errore ? "1;31" : g == gravita::avvertimento ? "1;35" : "1;36";
    if (!p.luogo.empty()) t += colora(visibile(p.luogo), "1", colore) + " ";
    t += colora(p.gravita + ":", sgr, colore) + " ";
    aggiungi_visibile(t, p.messaggio);
    t += "\n";
}

// The source line of a place and the caret under its field; nothing without a line in the text.
std::string estratto_di(const testi_letti& testi, const std::string& file, int riga, int colonna, bool colore) {
    const auto r = testi.riga(file, riga);
    if (!r) return {};
    // A field is measured no further than the line can be shown, however long the line.
    const std::size_t fin_dove = colonna > 0 ? static_cast<std::size_t>(colonna) - 1 + 1000 : 0;
    return estratto(*r, riga, colonna, larghezza_campo(r->substr(0, fin_dove), colonna), colore);
}

}  // namespace

std::vector<voce_rapporto> rapporto_ordinato(const scenario& s, const std::string& nome_linea,
                                             const std::string& nome_treno, bool severo) {
    std::vector<voce_rapporto> rapporto;
    for (auto& x : elenco_diagnostiche(s, nome_linea, nome_treno)) {
        const bool come_errore = severo && x.livello == gravita::avvertimento;
        rapporto.push_back({std::move(x), come_errore});
    }
    return rapporto;
}

std::string avvertimenti_non_mostrati(const scenario& s) {
    std::string t;
    for (const auto& [codice, quanti] : s.errori_per_codice)
        if (quanti > avvertimenti_per_tipo_max)
            t += "... and " + std::to_string(quanti - avvertimenti_per_tipo_max) + " more 'error-" +
                 std::to_string(codice) + "' errors not shown\n";
    for (const auto& [tipo, quanti] : s.avvertimenti_per_tipo)
        if (quanti > avvertimenti_per_tipo_max)
            t += "... and " + std::to_string(quanti - avvertimenti_per_tipo_max) + " more '" + tipo + "' " +
                 nome_gravita(gravita_di(tipo)) + "s not shown\n";
    return t;
}

std::string identificatore(const voce_rapporto& r) { return r.s.id; }

std::string voce_in_testo(const voce_rapporto& r, const testi_letti& testi, bool colore) {
    const segnalazione& x = r.s;
    std::string t;
    aggiungi_riga(t, parti_di(x, r.severo), r.errore(), x.livello, colore);
    t += estratto_di(testi, x.file, x.riga, x.colonna, colore);
    for (const auto& c : x.correlate) {
        aggiungi_riga(t, {luogo(c.file, c.riga, c.colonna), "note", c.testo}, false, gravita::nota, colore);
        t += estratto_di(testi, c.file, c.riga, c.colonna, colore);
    }
    return t;
}

bool a_colori(const argomenti& a, bool su_errore) {
    const std::string c = a.valore("--color", "auto");
    if (c == "always") {
        terminale_a_colori(su_errore);  // on a Windows console, this turns its colour sequences on
        return true;
    }
    if (c == "never") return false;
    if (c != "auto") throw argomenti_errati("--color takes auto, always or never, not " + c);
    const char* senza = std::getenv("NO_COLOR");
    if (senza != nullptr && *senza != '\0') return false;
    return terminale_a_colori(su_errore);
}

void diagnostiche_in_json(json_scrittore& j, const std::vector<voce_rapporto>& rapporto) {
    j.chiave("diagnostics").lista();
    for (const auto& r : rapporto) {
        const segnalazione& x = r.s;
        j.oggetto().chiave("id").testo(x.id).chiave("severity").testo(r.severo ? "error" : nome_gravita(x.livello));
        if (x.codice != 0) {
            j.chiave("code").intero(x.codice).chiave("position");
            x.ha_posizione ? j.intero(x.posizione) : j.nullo();
            if (x.ha_posizione) j.chiave("post").testo(x.cippo);
        }
        j.chiave("file").testo(x.file).chiave("line").intero(x.riga).chiave("column").intero(x.colonna);
        j.chiave("message").testo(x.messaggio).chiave("related").lista();
        for (const auto& c : x.correlate)
            j.oggetto().chiave("file").testo(c.file).chiave("line").intero(c.riga).chiave("column").intero(c.colonna)
                .chiave("message").testo(c.testo).fine();
        j.fine().fine();
    }
    j.fine();
}

int stato_severo(int stato, const scenario& s, bool severo) {
    return severo && stato == 0 && avvertimenti_trovati(s) > 0 ? 1 : stato;
}

int stato_verifica(int stato, const scenario& s, bool severo) {
    if (stato != 0) return stato;
    const conteggio_diagnostiche c = conta_diagnostiche(s);
    return c.errori > 0 || (severo && c.avvertimenti > 0) ? 1 : stato;
}

}  // namespace valmarena::strumento

namespace valmarena::strumento {

namespace {

// A file name as a URI reference: forward slashes.
std::string uri(std::string f) {
    for (char& c : f)
        if (c == '\\') c = '/';
    return f;
}

void luogo_sarif(json_scrittore& j, const std::string& file, int riga, int colonna) {
    j.chiave("physicalLocation").oggetto().chiave("artifactLocation").oggetto().chiave("uri").testo(uri(file)).fine();
    if (riga > 0) {
        j.chiave("region").oggetto().chiave("startLine").intero(riga);
        if (colonna > 0) j.chiave("startColumn").intero(colonna);
        j.fine();
    }
    j.fine();
}

std::size_t indice_regola(const std::string& id) {
    const auto& r = regole();
    for (std::size_t i = 0; i < r.size(); ++i)
        if (r[i].id == id) return i;
    return 0;
}

void risultato(json_scrittore& j, const std::string& id, const char* livello, const std::string& messaggio,
               const std::string& file, int riga, int colonna, const std::vector<riga_correlata>& correlate) {
    j.oggetto().chiave("ruleId").testo(id).chiave("ruleIndex").intero(static_cast<std::int64_t>(indice_regola(id)));
    j.chiave("level").testo(livello).chiave("message").oggetto().chiave("text").testo(messaggio).fine();
    j.chiave("locations").lista();
    if (!file.empty()) {
        j.oggetto();
        luogo_sarif(j, file, riga, colonna);
        j.fine();
    }
    j.fine().chiave("relatedLocations").lista();
    for (std::size_t i = 0; i < correlate.size(); ++i) {
        j.oggetto().chiave("id").intero(static_cast<std::int64_t>(i + 1));
        luogo_sarif(j, correlate[i].file, correlate[i].riga, correlate[i].colonna);
        j.chiave("message").oggetto().chiave("text").testo(correlate[i].testo).fine().fine();
    }
    j.fine().fine();
}

}  // namespace

std::string rapporto_in_sarif(const std::vector<voce_rapporto>& rapporto, const std::string& fatale,
                              const std::vector<riga_correlata>& dove_fatale) {
    json_scrittore j;
    j.oggetto().chiave("$schema").testo("https://json.schemastore.org/sarif-2.1.0.json");
    j.chiave("version").testo("2.1.0").chiave("runs").lista().oggetto();
    j.chiave("tool").oggetto().chiave("driver").oggetto().chiave("name").testo("scenario");
    j.chiave("version").testo(VALMARENA_VERSIONE).chiave("rules").lista();
    for (const auto& r : regole()) {
        j.oggetto().chiave("id").testo(r.id);
        j.chiave("shortDescription").oggetto().chiave("text").testo(r.descrizione).fine();
        j.chiave("defaultConfiguration").oggetto().chiave("level").testo(nome_gravita(r.livello)).fine().fine();
    }
    j.fine().fine().fine();  // rules, driver, tool
    j.chiave("results").lista();
    for (const auto& v : rapporto)
        risultato(j, v.s.id, v.severo ? "error" : nome_gravita(v.s.livello), v.s.messaggio, v.s.file, v.s.riga,
                  v.s.colonna, v.s.correlate);
    if (!fatale.empty()) {
        const riga_correlata dove = dove_fatale.empty() ? riga_correlata{} : dove_fatale.front();
        risultato(j, "fatal-" + fatale, "error", "a reserved slot was already taken: no file is written", dove.file,
                  dove.riga, dove.colonna, dove_fatale);
    }
    j.fine().fine().fine().fine();  // results, run, runs, log
    return j.risultato();
}

}  // namespace valmarena::strumento
