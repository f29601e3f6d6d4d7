// The fuzz targets' entry points, one function per target taking the raw input. The fuzzers
// call them from LLVMFuzzerTestOneInput; the regression tests feed them the saved inputs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <random>
#include <streambuf>
#include <string>
#include <vector>

#include "comune.h"
#include "compiler/binari.h"
#include "compiler/lettore_token.h"
#include "sources/carico.h"
#include "sources/nomi.h"
#include "comandi.h"

namespace valmarena::fuzz {

// The token reader on arbitrary bytes: the first byte says how many of the following bytes are
// the requests (text, keyword token, Long, Integer, Byte), the rest is the file. The requests are
// repeated in turn until the file is read; each must consume something, so the reading ends.
inline int prova_lettore_token(const std::uint8_t* dati, std::size_t n) {
    if (n < 2) return 0;
    std::size_t n_richieste = 1 + dati[0] % 16;
    if (n_richieste + 1 > n) n_richieste = n - 1;
    const std::uint8_t* richieste = dati + 1;
    std::string testo(reinterpret_cast<const char*>(dati + 1 + n_richieste), n - 1 - n_richieste);

    lettore_token in(testo, "prova.txt");
    std::size_t chiamate = 0;
    int riga_precedente = 1;
    try {
        while (!in.fine()) {
            pretendi(chiamate <= testo.size(), "una richiesta non ha consumato nulla");
            switch (richieste[chiamate % n_richieste] % 5) {
            case 0: {
                const std::string_view t = in.testo();
                pretendi(t.size() <= testo.size(), "campo piu' lungo del file");
                break;
            }
            case 1:
                in.token();
                break;
            case 2:
                in.numero_long();
                break;
            case 3:
                in.numero_intero();
                break;
            default:
                in.numero_byte();
                break;
            }
            ++chiamate;
            luogo l = in.ultimo();
            pretendi(l.riga >= riga_precedente && l.colonna >= 1, "luogo del campo all'indietro");
            riga_precedente = l.riga;
        }
    } catch (const guasto&) {
        // A number that does not fit, or a request past the end: the reader's failure path.
    }
    for (const auto& c : in.campi()) pretendi(c.dove.riga >= 1, "campo senza riga");

    contiene(testo, "pendenza");
    comincia_con(testo, "-");
    return 0;
}

// The line reader on arbitrary text into a fresh scenario. The first byte chooses whether the
// track plan is built (bit 0) and whether the reading goes on after a failing row as the
// author's check does (bit 1). A run-time failure (`guasto`) is the reader's expected way out.
inline int prova_lettore_linea(const std::uint8_t* dati, std::size_t n) {
    if (n < 1) return 0;
    scenario s = scenario_nuovo((dati[0] & 1) != 0 ? tracciato_si_no::con : tracciato_si_no::senza);
    s.continua_dopo_errori = (dati[0] & 2) != 0;
    std::string testo(reinterpret_cast<const char*>(dati + 1), n - 1);
    try {
        leggi_linea(s, testo, "linea.txt");
    } catch (const guasto&) {
    }
    controlla_scenario(s);
    return 0;
}

// The train reader on arbitrary text, after a fixed small line: a 20 km route with gradients,
// a mountain stretch, a speed board and a signboard, read once per process. The first byte
// chooses the author's check mode (bit 1), as for the line reader.
namespace dettaglio_lettore_treno {

inline const char* const linea_fissa =
    "[generale]\r\n"
    "lunghezza percorso,    20000\r\n"
    "progressiva chilometrica uno,    1000,    -1000,    0\r\n"
    "ripetizione segnali 9 codici,    500,    19000\r\n"
    "[pendenze]\r\n"
    "pendenza,    1000,    5\r\n"
    "pendenza,    8000,    -3\r\n"
    "[montagne]\r\n"
    "montagna,    3000,    6000,    12\r\n"
    "[indicatori]\r\n"
    "indicatori_vmax,    9000,    6,    8,    10,    2,    0,    0,    0,    0\r\n"
    "cartello_indicatore,    12000,    Valmarena Alta\r\n"
    "[fine]\r\n";

inline const scenario& base() {
    static const scenario s = [] {
        scenario b = scenario_nuovo(tracciato_si_no::senza);
        bool avanti = leggi_linea(b, linea_fissa, "linea.txt");
        pretendi(avanti && b.codice_errore == 0, "la linea fissa non si legge");
        return b;
    }();
    return s;
}

}  // namespace dettaglio_lettore_treno

inline int prova_lettore_treno(const std::uint8_t* dati, std::size_t n) {
    if (n < 1) return 0;
    scenario s = dettaglio_lettore_treno::base();
    s.continua_dopo_errori = (dati[0] & 2) != 0;
    std::string testo(reinterpret_cast<const char*>(dati + 1), n - 1);
    try {
        leggi_treno(s, testo, "treno.txt");
    } catch (const guasto&) {
    }
    controlla_scenario(s);
    return 0;
}

// A whole compile in memory from two texts: the input is the line file, a NUL byte, then the
// train file. The first byte chooses the track plan (bit 0) as for the line reader. After the
// reading come the route checks, the reserved slots and the bytes of the table and the cells,
// which must decode back into the same records.
inline int prova_compilazione(const std::uint8_t* dati, std::size_t n) {
    if (n < 1) return 0;
    std::string resto(reinterpret_cast<const char*>(dati + 1), n - 1);
    std::size_t sep = resto.find('\0');
    std::string linea = resto.substr(0, sep);
    std::string treno = sep == std::string::npos ? std::string() : resto.substr(sep + 1);

    scenario s = scenario_nuovo((dati[0] & 1) != 0 ? tracciato_si_no::con : tracciato_si_no::senza);
    leggi_in_memoria(s, linea, treno);
    controlla_scenario(s);
    if (s.celle.size() < 2) return 0;

    controlla_percorso(s);
    if (occupa_riservati(s) != errore_fatale::nessuno) return 0;
    // A name too long for its length field stops the compile on the table file (an errore_file).
    for (const auto& v : s.tabella)
        if (v.nome.size() > 0xFFFF) return 0;

    std::string tabella = dettaglio::byte_tabella(s);
    std::string celle = dettaglio::byte_celle(s);
    pretendi(celle.size() == s.celle.size() * byte_per_cella, "byte delle celle di lunghezza errata");
    auto voci = decodifica_tabella(tabella);
    pretendi(voci.size() == s.tabella.size(), "tabella riletta di lunghezza errata");
    for (std::size_t i = 0; i < voci.size(); ++i)
        pretendi(dettaglio::byte_voce(voci[i]) == dettaglio::byte_voce(s.tabella[i]), "voce riletta diversa");
    pretendi(decodifica_celle(celle) == s.celle, "celle rilette diverse");
    return 0;
}

// `scenario dump` on arbitrary bytes. The first byte is the options: the kind (bits 0-1: from
// the content, or named as a track plan, a table or a cell file), --json (bit 2), --step (bit 3,
// 1 to 8 m from bits 5-7) and, for a cell file, a valid table file beside it (bit 4), whose names
// the listing takes by the station and signboard numbers in the cells. The rest is the file,
// written into a folder of this process; the listing goes nowhere.
namespace dettaglio_dump {

struct scarico : std::streambuf {
    int overflow(int c) override { return c; }
    std::streamsize xsputn(const char*, std::streamsize n) override { return n; }
};

struct cartella_dump {
    std::filesystem::path p;
    cartella_dump() {
        // A name of its own, so that fuzzers and test runs side by side never share the folder.
        p = std::filesystem::temp_directory_path() / ("valmarena-fuzz-dump-" + std::to_string(std::random_device{}()));
        std::filesystem::create_directories(p);
    }
    ~cartella_dump() {
        std::error_code ec;
        std::filesystem::remove_all(p, ec);
    }
};

inline std::string tabella_valida() {
    scenario s = scenario_nuovo(tracciato_si_no::senza);
    for (int i = 1; i < voci_tabella; ++i) s.tabella[static_cast<std::size_t>(i)].nome = "voce " + std::to_string(i);
    return dettaglio::byte_tabella(s);
}

inline void scrivi_tutto(const std::filesystem::path& p, const char* dati, std::size_t n) {
    std::ofstream f(p, std::ios::binary | std::ios::trunc);
    f.write(dati, static_cast<std::streamsize>(n));
    pretendi(static_cast<bool>(f), "file di prova non scritto");
}

}  // namespace dettaglio_dump

inline int prova_dump(const std::uint8_t* dati, std::size_t n) {
    using namespace dettaglio_dump;
    if (n < 1) return 0;
    static const cartella_dump cartella;
    static const std::string tabella = tabella_valida();
    const std::uint8_t opzioni = dati[0];
    static const char* const nomi[] = {"scenario.bin", "Prova_linea.dat", "Prova_RX 1.sim", "Prova_RX 1.dat"};
    const std::filesystem::path file = cartella.p / nomi[opzioni & 3];
    const std::filesystem::path accanto = cartella.p / "Prova_RX 1.sim";
    std::error_code ec;
    for (const char* nome : nomi) std::filesystem::remove(cartella.p / nome, ec);
    scrivi_tutto(file, reinterpret_cast<const char*>(dati + 1), n - 1);
    if ((opzioni & 3) == 3 && (opzioni & 16) != 0) scrivi_tutto(accanto, tabella.data(), tabella.size());

    std::vector<std::string> args{"dump", file.string()};
    if (opzioni & 4) args.push_back("--json");
    if (opzioni & 8) {
        args.push_back("--step");
        args.push_back(std::to_string(1 + (opzioni >> 5)));
    }
    scarico nulla;
    std::streambuf* out = std::cout.rdbuf(&nulla);
    std::streambuf* err = std::cerr.rdbuf(&nulla);
    int stato = -1;
    try {
        stato = strumento::esegui(args);
    } catch (...) {
        std::cout.rdbuf(out);
        std::cerr.rdbuf(err);
        throw;
    }
    std::cout.rdbuf(out);
    std::cerr.rdbuf(err);
    pretendi(stato == 0 || stato == 3, "stato di uscita inatteso");
    return 0;
}

// The reader of the scenario appended to a package program. The first byte chooses the form:
// bit 0 clear, the rest is the whole file as it is; bit 0 set, the rest is the payload's head and
// body and index, wrapped here in a trailer with the right length and checksum, so that the
// checks behind the checksum (index, names, texts) are reached. A valid payload must come back
// byte for byte when written again; a damaged one must say why.
inline int prova_carico(const std::uint8_t* dati, std::size_t n) {
    if (n < 1) return 0;
    std::string file(reinterpret_cast<const char*>(dati + 1), n - 1);
    if (dati[0] & 1) {
        const std::uint32_t somma = crc32(file);
        const std::uint64_t lunghezza = file.size();
        auto metti = [&](std::uint64_t v, int byte) {
            for (int i = 0; i < byte; ++i) file += static_cast<char>((v >> (8 * i)) & 0xFFu);
        };
        metti(versione_carico, 4);
        metti((dati[0] >> 1) & 1, 4);
        metti(lunghezza, 8);
        metti(somma, 4);
        metti(0, 4);
        file += segno_fine_carico();
    }
    const esito_carico e = decodifica_carico(file);
    pretendi(e.inizio <= file.size(), "inizio del carico oltre il file");
    if (e.st == esito_carico::stato::valido) {
        // A payload of the first format is written again in the present one, with another checksum.
        const bool attuale = leggi_le(file, file.size() - coda_carico, 4) == versione_carico;
        pretendi(!attuale || componi_carico(std::string_view(file).substr(0, e.inizio), e.testi) == file.substr(e.inizio),
                 "carico valido che non si riscrive uguale");
        pretendi(!difetto_nome(e.testi.id.nome_percorso) && !difetto_nome(e.testi.id.nome_treno),
                 "nome inutilizzabile accettato");
    }
    if (e.st == esito_carico::stato::guasto) pretendi(!e.difetto.empty(), "carico guasto senza causa");
    return 0;
}

}  // namespace valmarena::fuzz
