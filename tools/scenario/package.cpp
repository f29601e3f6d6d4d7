// `scenario package`: a copy of the package program that carries another scenario, checked
// strictly, with the documents not given generated, ready to run on its own.

#include <filesystem>
#include <iostream>

#include "argomenti.h"
#include "cartella_uscita.h"
#include "comandi.h"
#include "comune.h"
#include "confezione.h"
#include "rapporto.h"
#include "documenti.h"
#include "platform/file_ospite.h"
#include "platform/ospite.h"
#include "records/guasti.h"
#include "sources/carico.h"

namespace valmarena::strumento {

namespace {

std::filesystem::path stub_predefinito([[maybe_unused]] const std::filesystem::path& out) {
#ifdef _WIN32
    const bool per_windows = true;
#else
    const bool per_windows = out.extension() == ".exe";
#endif
    const std::filesystem::path qui = programma_in_esecuzione(nullptr).parent_path();
    const std::filesystem::path accanto = qui / (per_windows ? "valmarena.exe" : "valmarena");
    // In a source tree the Windows program is built into build-windows, beside the native build.
    std::error_code ec;
    const std::filesystem::path costruito = qui.parent_path() / "build-windows" / "valmarena.exe";
    if (per_windows && !std::filesystem::exists(accanto, ec) && std::filesystem::exists(costruito, ec)) return costruito;
    return accanto;
}

// The stub's bytes without any scenario it already carries; nothing when it cannot be used.
std::optional<std::string> leggi_stub(const std::filesystem::path& stub) {
    auto byte = leggi_sorgente(stub);
    if (!byte) return std::nullopt;
    const esito_carico c = decodifica_carico(*byte);
    if (c.st == esito_carico::stato::guasto) {
        std::cerr << "scenario: the program " << cammino_in_testo(stub) << " cannot serve: " << c.difetto << "\n";
        return std::nullopt;
    }
    if (c.st == esito_carico::stato::valido) byte->resize(c.inizio);
    return byte;
}

// A given document, or the generated one when the option is missing.
std::optional<std::string> documento(const argomenti& a, const std::string& opzione, const std::string& generato) {
    if (!a.ha(opzione)) return generato;
    return leggi_sorgente(a.valore(opzione));
}

// Every text fits the package program's line table; else says what does not. (The names were
// checked as the options were read.)
bool testi_adatti(const testi_scenario& t) {
    const std::pair<const std::string*, const char*> testi[] = {{&t.linea, "line description"},
                                                                {&t.treno, "train description"},
                                                                {&t.note, "notes"},
                                                                {&t.rallentamenti, "slowdown order"},
                                                                {&t.scheda, "train card"}};
    for (const auto& [testo, cosa] : testi)
        if (auto d = difetto_testo(*testo)) {
            std::cerr << "scenario: the " << cosa << " " << d->cosa << "\n";
            return false;
        }
    return true;
}

bool scrivi_pacchetto(const std::filesystem::path& out, const std::filesystem::path& stub, const std::string& byte) {
    std::error_code ec;
    if (out.has_parent_path()) std::filesystem::create_directories(out.parent_path(), ec);
    const auto blocco = prendi_uscita(out.parent_path(), {out});
    if (!blocco) return false;
    try {
        scrivi_file(out, byte);
    } catch (const errore_file& e) {
        std::cerr << "scenario: cannot write " << e.file << ": " << e.causa << "\n";
        return false;
    }
    // The copy runs as the stub does: the same permissions, execution included.
    std::filesystem::permissions(out, std::filesystem::status(stub, ec).permissions(), ec);
    return true;
}

}  // namespace

int comando_package(const std::vector<std::string>& args) {
    argomenti a = analizza(args, "package");
    if (!a.posizionali.empty()) throw argomenti_errati("unexpected argument " + a.posizionali.front());
    const std::filesystem::path linea = a.richiesto("--line"), treno = a.richiesto("--train"), out = a.richiesto("--out");
    const std::filesystem::path stub = a.ha("--stub") ? std::filesystem::path(a.valore("--stub")) : stub_predefinito(out);
    testi_scenario t;
    t.id = nomi_scenario(a, treno);
    dati_documenti d;
    if (int stato = verifica_rigorosa(linea, treno, t.id, false, &d, a_colori(a, true))) return stato;
    auto testo_linea = leggi_sorgente(linea), testo_treno = leggi_sorgente(treno);
    if (!testo_linea || !testo_treno) return 3;
    t.linea = *testo_linea;
    t.treno = *testo_treno;
    auto scheda = documento(a, "--card", scheda_generata(d));
    auto rallentamenti = documento(a, "--slowdowns", rallentamenti_generati(d));
    auto note = a.ha("--notes") ? leggi_sorgente(a.valore("--notes")) : std::optional<std::string>("");
    if (!scheda || !rallentamenti || !note) return 3;
    t.scheda = *scheda;
    t.rallentamenti = *rallentamenti;
    t.note = *note;
    t.con_note = a.ha("--notes");
    if (!testi_adatti(t)) return 3;
    auto byte = leggi_stub(stub);
    if (!byte) return 3;
    *byte += componi_carico(*byte, t);
    if (!scrivi_pacchetto(out, stub, *byte)) return 3;
    if (!a.ha("--quiet")) std::cout << "scenario: wrote " << cammino_in_testo(out) << "\n";
    return 0;
}

}  // namespace valmarena::strumento
