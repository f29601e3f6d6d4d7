// `scenario rows --line FILE --train FILE [--json]`: what the compiler's reader understood, row
// by row, as it reads: the kind each keyword token was read as (or why it was passed over), each
// field's name, text and value, the lines the row took its fields from, and for a position its
// metres, cell and kilometre post.

#include <iostream>
#include <optional>
#include <vector>

#include "argomenti.h"
#include "comandi.h"
#include "comune.h"
#include "json.h"
#include "compiler/chilometri.h"
#include "compiler/compilatore.h"
#include "compiler/righe.h"
#include "platform/file_ospite.h"
#include "records/arrotonda.h"
#include "sources/codifica.h"

namespace valmarena::strumento {

namespace {

const char* perche(riga_saltata r) {
    switch (r) {
    case riga_saltata::prima_di_generale: return "before the rows: the reading starts after [generale]";
    case riga_saltata::trattino: return "it holds a hyphen: passed over, the next token taken in its place";
    case riga_saltata::ultima_del_file: return "the last token of the file is never acted on";
    case riga_saltata::no: break;
    }
    return "";
}

// A field's reading, worked out once for both outputs.
struct campo_mostrato {
    std::string nome, testo, valore;
    luogo dove;
    std::optional<std::int64_t> metri, cella, km;
};

class stampa_righe : public osservatore_righe {
public:
    stampa_righe(const scenario& s, bool json) : s_(s), json_(json) {}
    ~stampa_righe() override { scarica(); }

    void riga(const riga_osservata& r) override {
        // The kilometre posts are known once the line's general section has been read: the rows up
        // to there are held back and show their positions in metres only.
        if (attesa_ && r.file == file_righe::linea && (r.generale || r.saltata == riga_saltata::prima_di_generale)) {
            in_attesa_.push_back(testo_di(r));
            return;
        }
        scarica();
        std::cout << testo_di(r);
    }

    void scarica() {
        if (!attesa_) return;
        attesa_ = false;
        for (const auto& t : in_attesa_) std::cout << t;
        in_attesa_.clear();
    }

    bool primo = true;

private:
    std::vector<campo_mostrato> campi(const riga_osservata& r) const {
        const chilometri km(s_.tabella);
        std::vector<campo_mostrato> v;
        const auto descritti = campi_descritti(r);
        for (std::size_t i = 0; i < r.campi.size(); ++i) {
            const valmarena::campo_letto& c = r.campi[i];
            const campo_riga* d = descritti[i].first;
            campo_mostrato m;
            m.nome = d ? d->nome : "(beyond the row's fields)";
            m.testo = da_1252_a_utf8(c.grezzo);
            m.dove = c.dove;
            if (d && d->tipo == larghezza::testo) {
                m.valore = da_1252_a_utf8(testo_preso(c));
            } else if (d) {
                const auto n = valore_preso(c, d->tipo);
                m.valore = n ? std::to_string(*n) : "does not fit";
                const std::string nome = d->nome;
                if (n && (d->cella != cella_di::nessuna || nome == "position" || nome == "start" || nome == "end")) {
                    m.metri = *n;
                    if (!attesa_) m.km = km.progressiva(*n);
                    if (d->cella == cella_di::punto) m.cella = cella_di_metri(static_cast<double>(*n));
                    if (d->cella == cella_di::tratto) m.cella = clng(static_cast<double>(*n) / 50.0);
                }
            }
            v.push_back(std::move(m));
        }
        return v;
    }

    std::string letta_come(const riga_osservata& r) const {
        if (r.saltata != riga_saltata::no) return std::string("passed over: ") + perche(r.saltata);
        if (r.tipi.empty()) return "matches no keyword: passed over";
        std::string t = "read as";
        for (std::size_t i = 0; i < r.tipi.size(); ++i) t += std::string(i ? " and '" : " '") + r.tipi[i]->canonica + "'";
        return t;
    }

    std::string testo_di(const riga_osservata& r) {
        const std::string& file = s_.nomi_sorgenti[r.file == file_righe::linea ? 0 : 1];
        const auto v = campi(r);
        if (json_) return json_di(r, file, v);
        std::string t = file + ":" + std::to_string(r.dove.riga) + ":" + std::to_string(r.dove.colonna) + ": " +
                        json_testo(da_1252_a_utf8(r.chiave)) + " " + letta_come(r);
        if (r.ultima_riga > r.dove.riga)
            t += " (fields from lines " + std::to_string(r.dove.riga) + " to " + std::to_string(r.ultima_riga) + ")";
        if (r.fine == fine_riga::arresto) t += "; the reading stops here";
        if (r.fine == fine_riga::guasto) t += "; failed: " + std::string(r.guasto);
        t += "\n";
        for (const auto& m : v) {
            t += "    " + std::to_string(m.dove.riga) + ":" + std::to_string(m.dove.colonna) + " " + m.nome + " " +
                 json_testo(m.testo) + " = " + m.valore;
            if (m.metri) {
                t += " m";
                if (m.cella) t += ", cell " + std::to_string(*m.cella);
                if (m.km) t += ", " + km_cippo(*m.km);
            }
            t += "\n";
        }
        return t;
    }

    std::string json_di(const riga_osservata& r, const std::string& file, const std::vector<campo_mostrato>& v) {
        json_scrittore j;
        j.oggetto().chiave("file").testo(file).chiave("line").intero(r.dove.riga).chiave("column").intero(r.dove.colonna);
        j.chiave("keyword").testo(da_1252_a_utf8(r.chiave)).chiave("read_as").lista();
        for (const auto* d : r.tipi) j.testo(d->canonica);
        j.fine().chiave("passed_over");
        if (r.saltata != riga_saltata::no) j.testo(perche(r.saltata));
        else if (r.tipi.empty()) j.testo("matches no keyword");
        else j.nullo();
        j.chiave("lines").lista().intero(r.dove.riga).intero(r.ultima_riga).fine();
        j.chiave("stops_reading").logico(r.fine != fine_riga::avanti).chiave("failure");
        r.fine == fine_riga::guasto ? j.testo(r.guasto) : j.nullo();
        j.chiave("fields").lista();
        for (const auto& m : v) {
            j.oggetto().chiave("name").testo(m.nome).chiave("text").testo(m.testo).chiave("value").testo(m.valore);
            j.chiave("line").intero(m.dove.riga).chiave("column").intero(m.dove.colonna);
            if (m.metri) j.chiave("metres").intero(*m.metri);
            if (m.cella) j.chiave("cell").intero(*m.cella);
            if (m.km) j.chiave("km").testo(km_cippo(*m.km));
            j.fine();
        }
        j.fine().fine();
        std::string t = j.risultato();
        t.pop_back();
        t = (primo ? "\n  " : ",\n  ") + t;
        primo = false;
        return t;
    }

    const scenario& s_;
    bool json_;
    bool attesa_ = true;
    std::vector<std::string> in_attesa_;
};

}  // namespace

int comando_rows(const std::vector<std::string>& args) {
    argomenti a = analizza(args, "rows");
    if (!a.posizionali.empty()) throw argomenti_errati("unexpected argument " + a.posizionali.front());
    std::optional<sorgenti> date = sorgenti_date(a);
    if (!date) return 3;
    sorgenti& src = *date;
    scenario s = scenario_con_nomi(a);
    s.continua_dopo_errori = true;
    const bool json = a.ha("--json");
    esito_compilazione e;
    {
        stampa_righe stampa(s, json);
        src.osservatore = &stampa;
        if (json) std::cout << "{\"rows\": [";
        e = compila_in_memoria(s, tracciato_si_no::con, src);
        stampa.scarica();
        if (json) std::cout << (stampa.primo ? "" : "\n") << "]}\n";
    }
    return stato_compilazione(s, e);
}

}  // namespace valmarena::strumento
