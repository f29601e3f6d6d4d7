// The sorted report shared by compile and check.

#include "rapporto.h"

#include <algorithm>

#include "compiler/errori.h"

namespace valmarena::strumento {

std::vector<voce_rapporto> rapporto_ordinato(const scenario& s, const std::string& nome_linea,
                                             const std::string& nome_treno, bool severo) {
    auto rango = [&](const std::string& f) { return f.empty() ? 2 : f == nome_linea ? 0 : f == nome_treno ? 1 : 2; };
    std::vector<voce_rapporto> rapporto;
    for (const auto& d : s.diagnostiche)
        rapporto.push_back({rango(d.file), d.riga, d.colonna, true, messaggio_diagnostica(d), &d});
    for (const auto& d : s.avvertimenti) {
        std::string m = messaggio_avvertimento(d);
        if (severo) m.replace(m.find("warning: "), 9, "error: ");
        rapporto.push_back({rango(d.file), d.riga, d.colonna, false, m, &d, severo});
    }
    for (const auto& d : s.note) rapporto.push_back({rango(d.file), d.riga, d.colonna, false, messaggio_nota(d), &d, false, true});
    std::stable_sort(rapporto.begin(), rapporto.end(), [](const voce_rapporto& x, const voce_rapporto& y) {
        if (x.rango_file != y.rango_file) return x.rango_file < y.rango_file;
        if (x.rango_file == 2) return false;  // route-check errors keep the order they were found in
        if (x.riga != y.riga) return x.riga < y.riga;
        return x.colonna < y.colonna;
    });
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
            t += "... and " + std::to_string(quanti - avvertimenti_per_tipo_max) + " more '" + tipo +
                 "' warnings not shown\n";
    return t;
}

std::string identificatore(const voce_rapporto& r) {
    if (r.errore) return "error-" + std::to_string(r.d->codice);
    return r.d->tipo.empty() ? std::string("warning") : r.d->tipo;
}

void voce_in_json(json_scrittore& j, const voce_rapporto& r) {
    const diagnostica& d = *r.d;
    j.oggetto().chiave("id").testo(identificatore(r)).chiave("severity").testo(r.errore || r.severo ? "error" : r.nota ? "note" : "warning");
    if (r.errore) {
        j.chiave("code").intero(d.codice).chiave("position");
        d.ha_posizione ? j.intero(d.posizione) : j.nullo();
    }
    j.chiave("file").testo(d.file).chiave("line").intero(d.riga).chiave("column").intero(d.colonna);
    j.chiave("message").testo(r.testo).fine();
}

int stato_severo(int stato, const scenario& s, bool severo) {
    return severo && stato == 0 && avvertimenti_trovati(s) > 0 ? 1 : stato;
}

}  // namespace valmarena::strumento
