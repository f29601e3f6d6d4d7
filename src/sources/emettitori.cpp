// The emitters and the shared line-table mechanism.

#include "emettitori.h"

#include <stdexcept>

#include "contenuto.h"
#include "nomi.h"
#include "../platform/file_ospite.h"

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

void emetti_testi(const std::filesystem::path& cartella, const testi_scenario& t) {
    const identita& id = t.id;
    emetti_testo(in_cartella(cartella, nome_linea_txt(id.nome_percorso)), t.linea);
    emetti_testo(in_cartella(cartella, nome_treno_txt(id.nome_percorso, id.nome_treno)), t.treno);
    if (t.con_note) emetti_testo(in_cartella(cartella, nome_documento(id.nome_percorso, id.nome_treno, "note")), t.note);
    emetti_testo(in_cartella(cartella, nome_documento(id.nome_percorso, id.nome_treno, "rallentamenti")),
                 t.rallentamenti);
    emetti_testo(in_cartella(cartella, nome_documento(id.nome_percorso, id.nome_treno, "scheda_treno")), t.scheda);
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
