// `scenario timetable`: each station with its kilometre post, the time given, the least time at
// the limits, the running model's time and the margins, from a compile in memory.

#include <iostream>
#include <sstream>

#include "argomenti.h"
#include "comandi.h"
#include "comune.h"
#include "compiler/chilometri.h"
#include "compiler/orario.h"
#include "json.h"
#include "platform/file_ospite.h"
#include "sources/codifica.h"

namespace valmarena::strumento {

namespace {

std::optional<double> margine(const stazione_orario& x, const std::vector<stazione_orario>& st,
                              const std::optional<double>& tempo) {
    if (!x.orario || !x.da || !tempo || *tempo <= 0) return std::nullopt;
    return (*x.orario - *st[*x.da].orario - *tempo) / *tempo * 100.0;
}

std::string colonna(const std::string& t, std::size_t larghezza) {
    return t.size() >= larghezza ? t + " " : std::string(larghezza - t.size(), ' ') + t;
}

std::string o_trattino(const std::optional<double>& v, int decimali) { return v ? reale(*v, decimali) : "-"; }

std::string in_testo(const scenario& s, const std::vector<stazione_orario>& st) {
    const chilometri km(s.tabella);
    std::ostringstream o;
    o << "station                   line    position   km post  stop      time  at limits s    model s  "
         "margin limits  margin model\n";
    for (const auto& x : st) {
        std::string nome = da_1252_a_utf8(s.tabella[static_cast<std::size_t>(x.voce)].nome);
        o << nome << std::string(nome.size() < 24 ? 24 - nome.size() : 1, ' ') << colonna(std::to_string(x.riga.riga), 6)
          << colonna(std::to_string(x.progressiva), 12) << colonna(km_decimale(km.progressiva(x.progressiva)), 10)
          << colonna(x.ferma ? "yes" : "no", 6) << colonna(x.orario ? ora_in_testo(*x.orario) : "-", 10)
          << colonna(o_trattino(x.minimo, 1), 11) << colonna(o_trattino(x.modello, 1), 11)
          << colonna(margine(x, st, x.minimo) ? reale(*margine(x, st, x.minimo), 1) + " %" : "-", 15)
          << colonna(margine(x, st, x.modello) ? reale(*margine(x, st, x.modello), 1) + " %" : "-", 14) << "\n";
    }
    return o.str();
}

void numero_o_nullo(json_scrittore& j, const char* chiave, const std::optional<double>& v) {
    j.chiave(chiave);
    v ? j.reale(*v, 2) : j.nullo();
}

std::string in_json(const scenario& s, const std::vector<stazione_orario>& st, const parametri_marcia& p, int stato) {
    const chilometri km(s.tabella);
    json_scrittore j;
    j.oggetto().chiave("status").intero(stato);
    j.chiave("acceleration").reale(p.accelerazione, 3).chiave("braking").reale(p.frenatura, 3);
    j.chiave("stations").lista();
    for (const auto& x : st) {
        j.oggetto().chiave("entry").intero(x.voce);
        j.chiave("name").testo(da_1252_a_utf8(s.tabella[static_cast<std::size_t>(x.voce)].nome));
        j.chiave("line").intero(x.riga.riga).chiave("position").intero(x.progressiva);
        j.chiave("km_post").intero(km.progressiva(x.progressiva)).chiave("stop").logico(x.ferma);
        j.chiave("time");
        x.orario ? j.testo(ora_in_testo(*x.orario)) : j.nullo();
        j.chiave("from_entry");
        x.da ? j.intero(st[*x.da].voce) : j.nullo();
        numero_o_nullo(j, "least_s", x.minimo);
        numero_o_nullo(j, "model_s", x.modello);
        numero_o_nullo(j, "margin_limits_pct", margine(x, st, x.minimo));
        numero_o_nullo(j, "margin_model_pct", margine(x, st, x.modello));
        j.fine();
    }
    j.fine().fine();
    return j.risultato();
}

}  // namespace

int comando_timetable(const std::vector<std::string>& args) {
    argomenti a = analizza(args, "timetable");
    if (!a.posizionali.empty()) throw argomenti_errati("unexpected argument " + a.posizionali.front());
    const parametri_marcia p = parametri_di_marcia(a);
    const std::optional<sorgenti> date = sorgenti_date(a);
    if (!date) return 3;
    const sorgenti& src = *date;
    scenario s = scenario_con_nomi(a);
    s.continua_dopo_errori = true;
    const esito_compilazione e = compila_in_memoria(s, tracciato_si_no::senza, src);
    int stato = stato_compilazione(s, e);
    if (stato != 0)
        std::cerr << "scenario: the sources have " << errori_trovati(s) << " error(s); see 'scenario check'\n";
    if (e.senza_celle) return stato;
    const std::vector<stazione_orario> st = orario_del_percorso(s, p);
    std::cout << (a.ha("--json") ? in_json(s, st, p, stato) : in_testo(s, st));
    return stato;
}

}  // namespace valmarena::strumento
