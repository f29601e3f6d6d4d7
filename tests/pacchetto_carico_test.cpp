// The scenario appended to the package program: written and read back whole, refused whole when
// damaged; `scenario package` makes a program that leaves the same files as `scenario compile`
// and the documents given or generated, and a damaged one that writes nothing and exits 3.

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>

#include "driver/carico_programma.h"
#include "scenario_di_prova.h"
#include "sources/carico.h"
#include "strumento_supporto.h"

#ifndef _WIN32
#include <sys/wait.h>
#endif

namespace valmarena {
namespace {

namespace fs = std::filesystem;

testi_scenario testi_brenta() {
    testi_scenario t;
    t.id = {"Brenta", "R 21"};
    t.linea = prova::linea_brenta;
    t.treno = prova::treno_brenta;
    t.note = prova::righe({"Note dell'autore: \xE8 una linea breve."});
    t.rallentamenti = prova::righe({"ordine"});
    t.scheda = prova::righe({"scheda"});
    return t;
}

TEST(Carico, AndataERitornoDopoIlProgramma) {
    const std::string programma(1000, 'x');
    testi_scenario t = testi_brenta();
    for (bool con_note : {true, false}) {
        t.con_note = con_note;
        const esito_carico e = decodifica_carico(programma + componi_carico(programma, t));
        ASSERT_EQ(e.st, esito_carico::stato::valido) << e.difetto;
        EXPECT_EQ(e.inizio, programma.size());
        EXPECT_EQ(e.testi.id.nome_percorso, "Brenta");
        EXPECT_EQ(e.testi.id.nome_treno, "R 21");
        EXPECT_EQ(e.testi.linea, t.linea);
        EXPECT_EQ(e.testi.treno, t.treno);
        EXPECT_EQ(e.testi.note, t.note);
        EXPECT_EQ(e.testi.rallentamenti, t.rallentamenti);
        EXPECT_EQ(e.testi.scheda, t.scheda);
        EXPECT_EQ(e.testi.con_note, con_note);
    }
    EXPECT_EQ(decodifica_carico(programma).st, esito_carico::stato::assente);
    EXPECT_EQ(decodifica_carico("").st, esito_carico::stato::assente);
    EXPECT_EQ(crc32("123456789"), 0xCBF43926u);
}

// A payload made damaged, and a word of what the reader must say about it.
struct guasto_carico {
    const char* nome;
    std::function<void(std::string& pacchetto, std::size_t inizio)> guasta;
    const char* detto;
};

void metti_u32(std::string& s, std::size_t da, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) s[da + static_cast<std::size_t>(i)] = static_cast<char>((v >> (8 * i)) & 0xFFu);
}

// The checksum made right again after a change, so that the check behind it is the one that speaks.
void risomma(std::string& p, std::size_t inizio) {
    const std::size_t coda = p.size() - coda_carico;
    (void)inizio;
    metti_u32(p, coda + 16, crc32(std::string_view(p).substr(0, coda)));
}

// The payload of the changed texts, in place of the one that follows the program's first `inizio` bytes.
void con_testi(std::string& p, std::size_t inizio, const std::function<void(testi_scenario&)>& cambia) {
    testi_scenario t = testi_brenta();
    cambia(t);
    p.replace(inizio, std::string::npos, componi_carico(std::string_view(p).substr(0, inizio), t));
}

std::string molte_righe(std::size_t n) {
    std::string t;
    for (std::size_t i = 0; i < n; ++i) t += "a\r\n";
    return t;
}

const std::vector<guasto_carico>& guasti() {
    static const std::vector<guasto_carico> g{
        {"byte del corpo cambiato", [](std::string& p, std::size_t i) { p[i + 40] ^= 0x01; }, "bad checksum"},
        {"somma cambiata", [](std::string& p, std::size_t) { p[p.size() - 16] ^= 0x40; }, "bad checksum"},
        {"fine tagliata", [](std::string& p, std::size_t) { p.resize(p.size() - 5); }, "truncated"},
        {"coda sola", [](std::string& p, std::size_t) { p.resize(p.size() - coda_carico - 3); }, "truncated"},
        {"corpo tagliato", [](std::string& p, std::size_t i) { p.erase(i + 20, 100); }, "truncated"},
        {"versione futura", [](std::string& p, std::size_t) { metti_u32(p, p.size() - coda_carico, 3); }, "version 3"},
        {"byte del programma cambiato", [](std::string& p, std::size_t i) { p[i / 2] ^= 0x01; }, "bad checksum"},
        {"lunghezza oltre il file",
         [](std::string& p, std::size_t) { metti_u32(p, p.size() - coda_carico + 8, 0x7FFFFFFF); }, "truncated"},
        {"segno sconosciuto", [](std::string& p, std::size_t) { metti_u32(p, p.size() - coda_carico + 4, 6); }, "trailer"},
        {"indice sbagliato",
         [](std::string& p, std::size_t i) {
             metti_u32(p, p.size() - coda_carico - 4, 5);
             risomma(p, i);
         },
         "index"},
        {"nome con barra",
         [](std::string& p, std::size_t i) {
             con_testi(p, i, [](testi_scenario& t) { t.id.nome_treno = "R/21"; });
         },
         "train name cannot serve: the name holds '/'"},
        {"nome vuoto",
         [](std::string& p, std::size_t i) {
             con_testi(p, i, [](testi_scenario& t) { t.id.nome_percorso = ""; });
         },
         "route name cannot serve: the name is empty"},
        {"troppe righe",
         [](std::string& p, std::size_t i) {
             con_testi(p, i, [](testi_scenario& t) { t.scheda = molte_righe(1001); });
         },
         "1001 lines"},
        {"riga di fine",
         [](std::string& p, std::size_t i) {
             con_testi(p, i, [](testi_scenario& t) { t.note = prova::righe({"riferimento fine del file"}); });
         },
         "ends the line table"},
    };
    return g;
}

TEST(Carico, OgniGuastoRifiutatoConLaSuaCausa) {
    const std::string programma(4096, '\x7F');
    const std::string intero = programma + componi_carico(programma, testi_brenta());
    for (const auto& g : guasti()) {
        std::string p = intero;
        g.guasta(p, programma.size());
        const esito_carico e = decodifica_carico(p);
        EXPECT_EQ(e.st, esito_carico::stato::guasto) << g.nome;
        EXPECT_NE(e.difetto.find(g.detto), std::string::npos) << g.nome << ": " << e.difetto;
    }
}

TEST(Carico, LettoDalFileComeIntero) {
    // The program's own file is read in parts (its trailer, its payload, or a look for a head
    // mark a block at a time): every case must come out as the whole file decoded at once. A
    // head mark cut in two by the end of a block is found too.
    const std::string programma(200000, '\x7F');
    const std::string intero = programma + componi_carico(programma, testi_brenta());
    std::vector<std::pair<std::string, std::string>> casi{{"senza carico", programma}, {"con carico", intero}};
    for (const auto& g : guasti()) {
        std::string p = intero;
        g.guasta(p, programma.size());
        casi.emplace_back(g.nome, p);
    }
    for (std::size_t taglio : {std::size_t{65536} - 3, std::size_t{65536}, std::size_t{131070}})
        casi.emplace_back("testa senza coda a " + std::to_string(taglio),
                          programma.substr(0, taglio) + componi_carico(programma, testi_brenta()).substr(0, 50));
    prova::cartella_temporanea c;
    for (const auto& [nome, byte] : casi) {
        prova::scrivi(c / "programma", byte);
        const esito_carico letto = carico_del_programma(c / "programma");
        const esito_carico atteso = decodifica_carico(byte);
        EXPECT_EQ(letto.st, atteso.st) << nome;
        EXPECT_EQ(letto.difetto, atteso.difetto) << nome;
        EXPECT_EQ(letto.inizio, atteso.inizio) << nome;
        EXPECT_EQ(letto.testi.linea, atteso.testi.linea) << nome;
        EXPECT_EQ(letto.testi.scheda, atteso.testi.scheda) << nome;
    }
    EXPECT_EQ(carico_del_programma(c / "assente").st, esito_carico::stato::assente);
}

TEST(Carico, LettoDopoLImmagineDelProgrammaVero) {
    // The real program: its executable header says where its image ends, and only what follows
    // is looked at for a payload that lost its end. Each case as the whole file decoded at once,
    // but for what only the header tells: a head mark cut short, a program cut short.
    const std::string stub = prova::leggi(VALMARENA_PROGRAMMA);
    const std::string carico = componi_carico(stub, testi_brenta());
    prova::cartella_temporanea c;
    struct caso {
        std::string byte;
        esito_carico::stato st;
        bool come_intero;
    };
    const caso casi[] = {
        {stub, esito_carico::stato::assente, true},
        {stub + carico, esito_carico::stato::valido, true},
        {stub + carico.substr(0, 100), esito_carico::stato::guasto, true},
        {stub + carico.substr(0, 8), esito_carico::stato::guasto, true},  // the head mark alone
        {stub + carico.substr(0, 5), esito_carico::stato::guasto, false},  // part of a head mark
        {stub.substr(0, stub.size() - 1), esito_carico::stato::guasto, false},
        {stub.substr(0, 63), esito_carico::stato::guasto, false},
    };
    for (const auto& k : casi) {
        const auto dove = std::to_string(k.byte.size()) + " of " + std::to_string(stub.size());
        prova::scrivi(c / "programma", k.byte);
        const esito_carico letto = carico_del_programma(c / "programma");
        EXPECT_EQ(letto.st, k.st) << dove;
        EXPECT_EQ(letto.danneggiato, k.st == esito_carico::stato::guasto) << dove;
        if (!k.come_intero) continue;
        EXPECT_EQ(letto.difetto, decodifica_carico(k.byte).difetto) << dove;
        EXPECT_EQ(letto.inizio, decodifica_carico(k.byte).inizio) << dove;
    }
}

TEST(Carico, LaVersionePrecedenteSiLeggeAncora) {
    // A payload of the first format: its checksum covers head, body and index only, so that
    // the program before it is not summed.
    const std::string programma(3000, 'p');
    std::string p = programma + componi_carico(programma, testi_brenta());
    const std::size_t coda = p.size() - coda_carico;
    metti_u32(p, programma.size() + 8, versione_carico_solo_scenario);
    metti_u32(p, coda, versione_carico_solo_scenario);
    metti_u32(p, coda + 16, crc32(std::string_view(p).substr(programma.size(), coda - programma.size())));
    const esito_carico e = decodifica_carico(p);
    ASSERT_EQ(e.st, esito_carico::stato::valido) << e.difetto;
    EXPECT_EQ(e.testi.linea, prova::linea_brenta);
    p[10] ^= 1;  // the program is not covered in that format
    EXPECT_EQ(decodifica_carico(p).st, esito_carico::stato::valido);
    p[programma.size() + 20] ^= 1;
    EXPECT_NE(decodifica_carico(p).difetto.find("bad checksum"), std::string::npos);
}

#ifndef _WIN32

const fs::path programma = VALMARENA_PROGRAMMA;

struct esito_esecuzione {
    int stato = -1;
    std::string errori;
};

// Runs the program at `eseguibile` (inside `cartella`) there, with its standard error kept.
esito_esecuzione esegui_in(const fs::path& cartella, const std::string& eseguibile) {
    const fs::path errori = cartella.parent_path() / (cartella.filename().string() + ".stderr");
    const std::string comando = "cd '" + cartella.string() + "' && './" + eseguibile + "' 2>'" + errori.string() + "'";
    const int s = std::system(comando.c_str());
    esito_esecuzione e{WIFEXITED(s) ? WEXITSTATUS(s) : -1, prova::leggi(errori)};
    fs::remove(errori);
    return e;
}

std::map<std::string, std::string> file_in(const fs::path& cartella) {
    std::map<std::string, std::string> m;
    for (const auto& f : fs::directory_iterator(cartella)) m[f.path().filename().string()] = prova::leggi(f.path());
    return m;
}

TEST(PacchettoGuasto, NessunFileEStato3) {
    prova::cartella_temporanea c;
    const std::string stub = prova::leggi(programma);
    const std::string intero = stub + componi_carico(stub, testi_brenta());
    for (const auto& g : guasti()) {
        std::string p = intero;
        g.guasta(p, stub.size());
        const fs::path dir = c / g.nome;
        fs::create_directory(dir);
        prova::scrivi(dir / "pacchetto", p);
        fs::permissions(dir / "pacchetto", fs::perms::owner_all);
        const esito_esecuzione e = esegui_in(dir, "pacchetto");
        EXPECT_EQ(e.stato, 3) << g.nome << ": " << e.errori;
        EXPECT_NE(e.errori.find(g.detto), std::string::npos) << g.nome << ": " << e.errori;
        EXPECT_EQ(file_in(dir).size(), 1u) << g.nome;
    }
}

// Where the parts of an ELF program that the host loads end: past them lie sections (debugging
// information, symbols) and the section table that the program reads only to check its length.
std::size_t fine_parti_caricate(const std::string& elf) {
    const std::uint64_t phoff = leggi_le(elf, 0x20, 8), phsize = leggi_le(elf, 0x36, 2), phnum = leggi_le(elf, 0x38, 2);
    std::uint64_t fine = 0;
    for (std::uint64_t i = 0; i < phnum; ++i) {
        const std::size_t h = static_cast<std::size_t>(phoff + i * phsize);
        if (leggi_le(elf, h, 4) == 1) fine = std::max(fine, leggi_le(elf, h + 0x08, 8) + leggi_le(elf, h + 0x20, 8));
    }
    return static_cast<std::size_t>(fine);
}

TEST(PacchettoGuasto, TagliatoOCambiatoNonScriveNulla) {
    // A package cut short in its program or in its scenario, or with a byte of its program
    // changed: it says the file is damaged, writes nothing and ends with status 3. A cut inside
    // the parts the host loads may stop the program before it runs at all: nothing is written then either.
    prova::cartella_temporanea c;
    const std::string stub = prova::leggi(programma);
    const std::string intero = stub + componi_carico(stub, testi_brenta());
    const std::size_t caricate = fine_parti_caricate(stub), carico = intero.size() - stub.size();
    ASSERT_LT(caricate, stub.size());
    struct caso {
        std::string nome;
        std::string byte;
        bool parla;  // the program runs and must say so itself
    };
    std::vector<caso> casi;
    for (std::size_t k = 0; k < 16; ++k) {
        const std::size_t taglio = caricate + k * (stub.size() - caricate) / 16;
        casi.push_back({"program cut at " + std::to_string(taglio), intero.substr(0, taglio), true});
    }
    for (std::size_t taglio : {std::size_t{100}, caricate / 3, 2 * caricate / 3, caricate - 1})
        casi.push_back({"program cut at " + std::to_string(taglio), intero.substr(0, taglio), false});
    for (std::size_t dentro : {std::size_t{1}, std::size_t{4}, std::size_t{8}, std::size_t{13}, carico / 7, carico / 3,
                               carico / 2, carico - coda_carico - 1, carico - coda_carico + 9, carico - 1})
        casi.push_back({"scenario cut at " + std::to_string(dentro), intero.substr(0, stub.size() + dentro), true});
    for (std::size_t dove : {std::size_t{0x28}, caricate + 1, (caricate + stub.size()) / 2, stub.size() - 100, stub.size() - 1}) {
        std::string b = intero;
        b[dove] = static_cast<char>(b[dove] ^ 0x10);
        casi.push_back({"program byte changed at " + std::to_string(dove), b, true});
    }
    for (const auto& k : casi) {
        const fs::path dir = c / "corsa";
        fs::remove_all(dir);
        fs::create_directory(dir);
        prova::scrivi(dir / "pacchetto", k.byte);
        fs::permissions(dir / "pacchetto", fs::perms::owner_all);
        const esito_esecuzione e = esegui_in(dir, "pacchetto");
        EXPECT_EQ(file_in(dir).size(), 1u) << k.nome;
        if (!k.parla && e.stato != 3) continue;
        EXPECT_EQ(e.stato, 3) << k.nome << ": " << e.errori;
        EXPECT_NE(e.errori.find("This program file is damaged"), std::string::npos) << k.nome << ": " << e.errori;
        EXPECT_NE(e.errori.find("No file was written."), std::string::npos) << k.nome << ": " << e.errori;
    }
}

// A package of the tests' scenario made by the tool, run twice in a fresh folder.
struct pacchetto_brenta {
    prova::sorgenti_brenta src;
    prova::cartella_temporanea uscita;
    fs::path pacchetto = uscita / "confezione" / "brenta";
    fs::path esecuzione = uscita / "esecuzione";
    prova::esito_strumento fatto;
    std::vector<esito_esecuzione> corse;

    explicit pacchetto_brenta(std::vector<std::string> altri) {
        std::vector<std::string> args{"package", "--line", src.linea.string(), "--train", src.treno.string(),
                                      "--stub", programma.string(), "--out", pacchetto.string()};
        args.insert(args.end(), altri.begin(), altri.end());
        fatto = prova::esegui_strumento(args);
        if (fatto.stato != 0) return;
        fs::create_directory(esecuzione);
        fs::copy_file(pacchetto, esecuzione / "brenta");
        fs::permissions(esecuzione / "brenta", fs::perms::owner_all);
        for (int i = 0; i < 2; ++i) corse.push_back(esegui_in(esecuzione, "brenta"));
    }
};

TEST(PacchettoConfezionato, DocumentiDatiEBinariComeCompile) {
    prova::cartella_temporanea documenti;
    const std::string note = prova::righe({"Le note dell'autore, in Windows-1252: citt\xE0."});
    const std::string scheda = prova::righe({"La scheda treno dell'autore"}), ordine = "ordine senza fine riga";
    prova::scrivi(documenti / "note.txt", note);
    prova::scrivi(documenti / "scheda.txt", scheda);
    prova::scrivi(documenti / "ordine.txt", ordine);
    pacchetto_brenta p({"--notes", (documenti / "note.txt").string(), "--card", (documenti / "scheda.txt").string(),
                        "--slowdowns", (documenti / "ordine.txt").string()});
    ASSERT_EQ(p.fatto.stato, 0) << p.fatto.err;
    for (const auto& c : p.corse) EXPECT_EQ(c.stato, 0) << c.errori;

    prova::cartella_temporanea compilati;
    ASSERT_EQ(prova::esegui_strumento({"compile", "--line", p.src.linea.string(), "--train", p.src.treno.string(),
                                       "--route", "Brenta", "--train-name", "R 21", "--out", compilati.cammino().string()})
                  .stato,
              0);
    auto lasciati = file_in(p.esecuzione);
    lasciati.erase("brenta");
    std::map<std::string, std::string> attesi = file_in(compilati.cammino());
    attesi["Brenta_R 21_note.txt"] = note;
    attesi["Brenta_R 21_scheda_treno.txt"] = scheda;
    attesi["Brenta_R 21_rallentamenti.txt"] = ordine + "\r\n";  // the last line gets its line end
    EXPECT_EQ(attesi.size(), 6u);
    for (const auto& [nome, byte] : attesi) EXPECT_TRUE(lasciati.count(nome) && lasciati[nome] == byte) << nome;
    EXPECT_EQ(lasciati.size(), attesi.size());  // no source file, no temporary file
}

TEST(PacchettoConfezionato, DocumentiGeneratiSenzaNote) {
    pacchetto_brenta p({});
    ASSERT_EQ(p.fatto.stato, 0) << p.fatto.err;
    ASSERT_EQ(p.corse.size(), 2u);
    EXPECT_EQ(p.corse[1].stato, 0) << p.corse[1].errori;
    prova::cartella_temporanea generati;
    ASSERT_EQ(prova::esegui_strumento({"documents", "--line", p.src.linea.string(), "--train", p.src.treno.string(),
                                       "--out", generati.cammino().string()})
                  .stato,
              0);
    const auto lasciati = file_in(p.esecuzione);
    for (const auto& [nome, byte] : file_in(generati.cammino())) EXPECT_EQ(lasciati.at(nome), byte) << nome;
    EXPECT_EQ(lasciati.count("Brenta_R 21_note.txt"), 0u);
    EXPECT_EQ(lasciati.size(), 6u);  // the program, two documents, three compiled files
}

TEST(PacchettoConfezionato, UnPacchettoComeStubPortaSoloIlNuovoScenario) {
    pacchetto_brenta primo({});
    ASSERT_EQ(primo.fatto.stato, 0) << primo.fatto.err;
    prova::cartella_temporanea c;
    const auto secondo = prova::esegui_strumento({"package", "--line", primo.src.linea.string(), "--train",
                                                  primo.src.treno.string(), "--route", "Adige", "--stub",
                                                  primo.pacchetto.string(), "--out", (c / "adige").string()});
    ASSERT_EQ(secondo.stato, 0) << secondo.err;
    const esito_carico e = decodifica_carico(prova::leggi(c / "adige"));
    ASSERT_EQ(e.st, esito_carico::stato::valido);
    EXPECT_EQ(e.inizio, fs::file_size(programma));
    EXPECT_EQ(e.testi.id.nome_percorso, "Adige");
}

TEST(PacchettoConfezionato, RifiutaSorgentiConAvvertimentiEStubMancante) {
    prova::sorgenti_brenta src;
    prova::cartella_temporanea c;
    prova::scrivi(src.treno, prova::treno_brenta + "sabia,  100\r\n");
    const std::vector<std::string> base{"package", "--line", src.linea.string(), "--train", src.treno.string(),
                                        "--out", (c / "p").string()};
    auto con = [&](std::vector<std::string> altri) {
        auto a = base;
        a.insert(a.end(), altri.begin(), altri.end());
        return prova::esegui_strumento(a);
    };
    const auto avvertito = con({"--stub", programma.string()});
    EXPECT_EQ(avvertito.stato, 1);
    EXPECT_NE(avvertito.err.find("warning"), std::string::npos) << avvertito.err;
    prova::scrivi(src.treno, prova::treno_brenta);
    EXPECT_EQ(con({"--stub", (c / "manca").string()}).stato, 3);
    EXPECT_EQ(con({"--stub", programma.string(), "--train-name", "R:21"}).stato, 3);
    EXPECT_FALSE(fs::exists(c / "p"));
}

TEST(PacchettoConfezionato, StubSenzaCaricoScriveValmarena) {
    prova::cartella_temporanea c;
    fs::copy_file(programma, c / "valmarena");
    fs::permissions(c / "valmarena", fs::perms::owner_all);
    ASSERT_EQ(esegui_in(c.cammino(), "valmarena").stato, 0);
    const auto& v = prova::valmarena_compilato();
    prova::cartella_temporanea sorgenti;
    ASSERT_EQ(prova::esegui_strumento({"sources", "--out", sorgenti.cammino().string()}).stato, 0);
    auto lasciati = file_in(c.cammino());
    lasciati.erase("valmarena");
    std::map<std::string, std::string> attesi = file_in(v.compilati);
    for (const char* d : {"note", "rallentamenti", "scheda_treno"}) {
        const std::string nome = std::string("Valmarena_RX 914_") + d + ".txt";
        attesi[nome] = prova::leggi(sorgenti / nome);
    }
    EXPECT_TRUE(lasciati == attesi);
}

#endif

}  // namespace
}  // namespace valmarena
