// The emitters and the shared line-table mechanism.

#include "emettitori.h"

#include <array>
#include <atomic>
#include <exception>
#include <optional>
#include <stdexcept>
#include <utility>

#include "contenuto.h"
#include "nomi.h"
#include "../platform/file_ospite.h"
#include "../platform/lavoratore.h"

namespace valmarena {

void riempi_tabella_righe(std::string_view contenuto, tabella_righe& righe) {
    righe.fill({});
    std::size_t n = 0;
    std::size_t inizio = 0;
    while (inizio < contenuto.size()) {
        std::size_t fine = contenuto.find("\r\n", inizio);
        std::size_t dopo = fine == std::string_view::npos ? contenuto.size() : fine + 2;
        if (fine == std::string_view::npos) fine = contenuto.size();
        if (n >= slot_tabella_righe - 1) throw std::invalid_argument("more than 1000 lines");
        std::string_view riga = contenuto.substr(inizio, fine - inizio);
        if (riga == sentinella) throw std::invalid_argument("the content holds the end-of-file line");
        righe[n++] = riga;
        inizio = dopo;
    }
    righe[n] = sentinella;
}

namespace {

// The bytes of the file: the lines of the table up to the sentinel, each with CR LF.
std::string righe_emesse(const tabella_righe& righe) {
    std::size_t n = 0, byte = 0;
    for (; n < righe.size() && righe[n] != sentinella; ++n) byte += righe[n].size() + 2;
    std::string testo;
    testo.reserve(byte);
    for (std::size_t k = 0; k < n; ++k) {
        testo += righe[k];
        testo += "\r\n";
    }
    return testo;
}

std::string testo_emesso(std::string_view contenuto) {
    tabella_righe righe;
    riempi_tabella_righe(contenuto, righe);
    return righe_emesse(righe);
}

// A document written into its temporary file, to be put in place after the files before it.
struct documento {
    std::filesystem::path file;
    std::string_view contenuto;
    std::optional<file_uscita> uscita;
    std::exception_ptr guasto;

    void scrivi() noexcept {
        try {
            uscita.emplace(file);
            uscita->scrivi_subito(testo_emesso(contenuto));
        } catch (...) {
            uscita.reset();
            guasto = std::current_exception();
        }
    }
};

// The documents, taken one at a time by whichever thread comes first.
class documenti {
public:
    void aggiungi(std::filesystem::path file, std::string_view contenuto) {
        auto& d = d_.at(n_++);
        d.file = std::move(file);
        d.contenuto = contenuto;
    }
    // Writes the documents nobody has taken yet.
    void prendi() noexcept {
        for (std::size_t i; (i = prossimo_++) < n_;) d_[i].scrivi();
    }
    // Leaves the documents nobody has taken yet unwritten.
    void lascia() noexcept { prossimo_ = n_; }
    // Puts the written documents in place in order, up to the first that failed, which throws.
    void conferma() {
        for (std::size_t i = 0; i < n_; ++i) {
            if (d_[i].guasto) std::rethrow_exception(d_[i].guasto);
            d_[i].uscita->conferma();
        }
    }

private:
    std::array<documento, 3> d_;
    std::size_t n_ = 0;
    std::atomic<std::size_t> prossimo_{0};
};

}  // namespace

void emetti_righe(const std::filesystem::path& file, const tabella_righe& righe) {
    scrivi_file(file, righe_emesse(righe));
}

void emetti_testo(const std::filesystem::path& file, std::string_view contenuto) {
    scrivi_file(file, testo_emesso(contenuto));
}

namespace {
void emetti(const std::filesystem::path& file, std::string_view contenuto) { emetti_testo(file, contenuto); }
}  // namespace

testi_scenario testi_incorporati() {
    testi_scenario t;
    t.id = {percorso_pacchetto, treno_pacchetto};
    t.linea = contenuto::linea();
    t.treno = contenuto::treno();
    t.note = contenuto::note();
    t.rallentamenti = contenuto::rallentamenti();
    t.scheda = contenuto::scheda_treno();
    return t;
}

void emetti_testi(const std::filesystem::path& cartella, const testi_scenario& t, lavoratore* aiuto) {
    const identita& id = t.id;
    documenti doc;
    if (t.con_note) doc.aggiungi(in_cartella(cartella, nome_documento(id.nome_percorso, id.nome_treno, "note")), t.note);
    doc.aggiungi(in_cartella(cartella, nome_documento(id.nome_percorso, id.nome_treno, "rallentamenti")),
                 t.rallentamenti);
    doc.aggiungi(in_cartella(cartella, nome_documento(id.nome_percorso, id.nome_treno, "scheda_treno")), t.scheda);
    const bool affidati = aiuto && aiuto->affida([&doc] { doc.prendi(); });
    try {
        emetti_testo(in_cartella(cartella, nome_linea_txt(id.nome_percorso)), t.linea);
        emetti_testo(in_cartella(cartella, nome_treno_txt(id.nome_percorso, id.nome_treno)), t.treno);
    } catch (...) {
        // The documents come after these files: none is put in place.
        doc.lascia();
        if (affidati) aiuto->aspetta();
        throw;
    }
    doc.prendi();
    if (affidati) aiuto->aspetta();
    doc.conferma();
}

void dati_linea(const std::filesystem::path& cartella, const identita& id) {
    emetti(in_cartella(cartella, nome_linea_txt(id.nome_percorso)), contenuto::linea());
}

void dati_treno(const std::filesystem::path& cartella, const identita& id) {
    emetti(in_cartella(cartella, nome_treno_txt(id.nome_percorso, id.nome_treno)), contenuto::treno());
}

void dati_note(const std::filesystem::path& cartella, const identita& id) {
    emetti(in_cartella(cartella, nome_documento(id.nome_percorso, id.nome_treno, "note")), contenuto::note());
}

void dati_rallentamenti(const std::filesystem::path& cartella, const identita& id) {
    emetti(in_cartella(cartella, nome_documento(id.nome_percorso, id.nome_treno, "rallentamenti")),
           contenuto::rallentamenti());
}

void dati_scheda(const std::filesystem::path& cartella, const identita& id) {
    emetti(in_cartella(cartella, nome_documento(id.nome_percorso, id.nome_treno, "scheda_treno")),
           contenuto::scheda_treno());
}

}  // namespace valmarena
