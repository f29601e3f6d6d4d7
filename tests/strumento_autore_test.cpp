// The author's loop with real files: `new` gives sources that check clean and compile, `compile`
// keeps good files when errors are recorded and takes its names from the sources, `plot` draws
// straight from the sources with every station named, and the programs' small promises hold
// (--version, a missing output folder, one path per message, a file-size limit).

#include <gtest/gtest.h>

#include <algorithm>

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <iostream>

#include "strumento_supporto.h"

namespace valmarena {
namespace {

namespace fs = std::filesystem;
using prova::esegui_strumento;

struct nuovo_scenario {
    prova::cartella_temporanea dir;
    fs::path linea = dir / "Colle_linea.txt";
    fs::path treno = dir / "Colle_R 7-.txt";
    nuovo_scenario() {
        auto r = esegui_strumento({"new", "Colle", "R 7", "--out", dir.cammino().string()});
        if (r.stato != 0) throw std::runtime_error("scenario new failed: " + r.err);
    }
};

TEST(Nuovo, CompilaSenzaErroriNeAvvertimenti) {
    nuovo_scenario n;
    auto c = esegui_strumento({"check", "--line", n.linea.string(), "--train", n.treno.string()});
    EXPECT_EQ(c.stato, 0);
    EXPECT_EQ(c.out, "0 errors, 0 warnings\n");
    // Every kind of line row once, three stations, CR LF line ends.
    const std::string linea = prova::leggi(n.linea), treno = prova::leggi(n.treno);
    for (const char* parola : {"lunghezza percorso", "progressiva chilometrica due", "sfondo tre", "ripetizione segnali",
                               "\r\ncurva", "\r\npendenza", "\r\nmontagna", "\r\nindicatori_vmax", "\r\ncartello_indicatore"})
        EXPECT_NE(linea.find(parola), std::string::npos) << parola;
    EXPECT_EQ(linea.find("\n"), linea.find("\r\n") + 1);
    std::size_t stazioni = 0;
    for (auto p = treno.find("\nstazione,"); p != std::string::npos; p = treno.find("\nstazione,", p + 1)) ++stazioni;
    EXPECT_EQ(stazioni, 3u);

    // compile names the output from the files and says what it wrote in one line.
    auto k = esegui_strumento({"compile", "--line", n.linea.string(), "--train", n.treno.string(), "--out",
                               (n.dir / "out").string()});
    ASSERT_EQ(k.stato, 0) << k.err;
    EXPECT_TRUE(fs::exists(n.dir / "out" / "Colle_R 7.dat"));
    EXPECT_TRUE(fs::exists(n.dir / "out" / "Colle_R 7.sim"));
    EXPECT_TRUE(fs::exists(n.dir / "out" / "Colle_linea.dat"));
    EXPECT_EQ(k.out, "wrote " + (n.dir / "out" / "Colle_linea.dat").string() + ", " +
                         (n.dir / "out" / "Colle_R 7.sim").string() + ", " + (n.dir / "out" / "Colle_R 7.dat").string() +
                         ": 3 signals, 3 stations, 1 slowdown, 341 cells\n");
    auto d = esegui_strumento({"dump", (n.dir / "out" / "Colle_R 7.dat").string()});
    EXPECT_NE(d.out.find("mountain stretches (montagna): 1\n  cells 140..149 (7000..7500 m), kind 2\n"), std::string::npos) << d.out;
}

TEST(Nuovo, NonSovrascriveSenzaForce) {
    nuovo_scenario n;
    prova::scrivi(n.treno, "mio");
    auto r = esegui_strumento({"new", "Colle", "R 7", "--out", n.dir.cammino().string()});
    EXPECT_EQ(r.stato, 3);
    EXPECT_NE(r.err.find("already there"), std::string::npos);
    EXPECT_EQ(prova::leggi(n.treno), "mio");
    EXPECT_EQ(esegui_strumento({"new", "Colle", "R 7", "--out", n.dir.cammino().string(), "--force"}).stato, 0);
    EXPECT_NE(prova::leggi(n.treno), "mio");
    EXPECT_EQ(esegui_strumento({"new", "Colle", "--out", n.dir.cammino().string()}).stato, 3);
}

// An error recorded: nothing written, the earlier files kept; --write-on-error writes them.
TEST(Compile, ConErroriNonScriveNulla) {
    nuovo_scenario n;
    const fs::path out = n.dir / "out";
    ASSERT_EQ(esegui_strumento({"compile", "--line", n.linea.string(), "--train", n.treno.string(), "--out", out.string()}).stato, 0);
    const std::string celle = prova::leggi(out / "Colle_R 7.dat");
    // A second signal on the cell of the first: error 16.
    std::string t = prova::leggi(n.treno);
    t.insert(t.find("[codici]"), "segnale,    1050,   2, 3, 4,  1, 0,    2,  2,1,1, 0\r\n");
    prova::scrivi(n.treno, t);
    auto r = esegui_strumento({"compile", "--line", n.linea.string(), "--train", n.treno.string(), "--out", out.string()});
    EXPECT_EQ(r.stato, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("no file was written"), std::string::npos) << r.err;
    EXPECT_EQ(prova::leggi(out / "Colle_R 7.dat"), celle);
    // The track plan drawn while the train file was read is dropped with its temporary file.
    std::vector<std::string> rimasti;
    for (const auto& e : fs::directory_iterator(out)) rimasti.push_back(e.path().filename().string());
    std::sort(rimasti.begin(), rimasti.end());
    EXPECT_EQ(rimasti, (std::vector<std::string>{"Colle_R 7.dat", "Colle_R 7.sim", "Colle_linea.dat"}));
    auto w = esegui_strumento({"compile", "--line", n.linea.string(), "--train", n.treno.string(), "--out", out.string(),
                               "--write-on-error"});
    EXPECT_EQ(w.stato, 1);
    EXPECT_NE(w.out.find("wrote "), std::string::npos);
    EXPECT_NE(prova::leggi(out / "Colle_R 7.dat"), celle);
}

// Names: the options win, else the files' names; neither gives status 3 and writes nothing.
TEST(Compile, NomiDaiFileOppureStato3) {
    nuovo_scenario n;
    struct caso {
        std::string linea, treno;
        std::vector<std::string> opzioni;
        int stato;
        const char* file;  // expected cell file, or the start of the complaint
    } casi[] = {
        {"Colle_linea.txt", "Colle_R 7-.txt", {}, 0, "Colle_R 7.dat"},
        {"Colle_linea.txt", "Colle_R 7-.txt", {"--route", "Alta", "--train-name", "X"}, 0, "Alta_X.dat"},
        {"Colle_linea.txt", "treno.txt", {"--train-name", "Z 1"}, 0, "Colle_Z 1.dat"},
        {"linea.txt", "Colle_R 7-.txt", {}, 3, "is not named ROUTE_linea.txt"},
        {"Colle_linea.txt", "Altro_R 7-.txt", {}, 3, "is not named Colle_TRAIN-.txt"},
        {"Colle_linea.txt", "treno.txt", {}, 3, "give the train name with --train-name"},
        {"Co:lle_linea.txt", "Co:lle_R 7-.txt", {}, 3, "the route name of "},
        {"Colle_linea.txt", "Colle_R 7-.txt", {"--train-name", "R?7"}, 3, "--train-name: the name holds '?'"},
    };
    for (const auto& k : casi) {
        SCOPED_TRACE(k.linea + " " + k.treno);
        prova::cartella_temporanea c;
        fs::copy_file(n.linea, c / k.linea);
        fs::copy_file(n.treno, c / k.treno);
        std::vector<std::string> args{"compile", "--line", (c / k.linea).string(), "--train", (c / k.treno).string(),
                                      "--out", (c / "out").string()};
        args.insert(args.end(), k.opzioni.begin(), k.opzioni.end());
        auto r = esegui_strumento(args);
        EXPECT_EQ(r.stato, k.stato);
        if (k.stato == 0) EXPECT_TRUE(fs::exists(c / "out" / k.file));
        else {
            EXPECT_NE(r.err.find(k.file), std::string::npos) << r.err;
            EXPECT_FALSE(fs::exists(c / "out"));
        }
    }
}

// The number of dark pixels (all of R, G, B below 128) in a rectangle of a binary PPM (P6).
std::size_t pixel_scuri(const std::string& ppm, int x0, int y0, int w, int h) {
    int larghezza = 0, altezza = 0, massimo = 0, letti = 0;
    std::size_t p = 0;
    for (int campo = 0; campo < 4; ++campo) {
        while (p < ppm.size() && std::isspace(static_cast<unsigned char>(ppm[p]))) ++p;
        std::size_t q = p;
        while (q < ppm.size() && !std::isspace(static_cast<unsigned char>(ppm[q]))) ++q;
        std::string t = ppm.substr(p, q - p);
        if (campo == 1) larghezza = std::atoi(t.c_str());
        if (campo == 2) altezza = std::atoi(t.c_str());
        if (campo == 3) massimo = std::atoi(t.c_str());
        p = q;
        ++letti;
    }
    ++p;
    if (letti != 4 || massimo != 255 || ppm.size() < p + static_cast<std::size_t>(larghezza) * altezza * 3) return 0;
    std::size_t n = 0;
    for (int y = y0; y < y0 + h && y < altezza; ++y)
        for (int x = x0; x < x0 + w && x < larghezza; ++x) {
            const std::size_t i = p + (static_cast<std::size_t>(y) * larghezza + x) * 3;
            if (static_cast<unsigned char>(ppm[i]) < 128 && static_cast<unsigned char>(ppm[i + 1]) < 128 &&
                static_cast<unsigned char>(ppm[i + 2]) < 128)
                ++n;
        }
    return n;
}

// The picture drawn from the sources, rendered by ImageMagick and by a browser: the band of
// station names over the profiles holds dark text, and a picture without stations does not.
TEST(Plot, DalleSorgentiConINomiInOgniResa) {
    nuovo_scenario n;
    const fs::path svg = n.dir / "nuova" / "cartella" / "p.svg";
    auto r = esegui_strumento({"plot", "--line", n.linea.string(), "--train", n.treno.string(), "--out", svg.string()});
    ASSERT_EQ(r.stato, 0) << r.err;
    const std::string testo = prova::leggi(svg);
    for (const char* nome : {">Origine<", ">Mezzavia<", ">Capolinea<"}) EXPECT_NE(testo.find(nome), std::string::npos) << nome;
    EXPECT_NE(testo.find("gradient (\u2030"), std::string::npos);
    EXPECT_NE(testo.find(">kind 2<"), std::string::npos);
    // The restart is labelled with the post the generated train card prints there: position + K.
    EXPECT_NE(testo.find(">km 36+000<"), std::string::npos);
    EXPECT_NE(testo.find(">km 12+000<"), std::string::npos);
    auto d = esegui_strumento({"documents", "--line", n.linea.string(), "--train", n.treno.string(), "--out",
                               (n.dir / "doc").string()});
    ASSERT_EQ(d.stato, 0) << d.err;
    EXPECT_NE(prova::leggi(n.dir / "doc" / "Colle_R 7_scheda_treno.txt").find("| (36.000)|"), std::string::npos);
    EXPECT_EQ(testo.find("drawn from the sources only"), std::string::npos);
    EXPECT_EQ(testo.find("transform="), std::string::npos);  // no rotated text

    // The same picture without station names: the band must go blank there.
    std::string senza = testo;
    for (const char* nome : {"Origine", "Mezzavia", "Capolinea"})
        for (auto p = senza.find(std::string(">") + nome + "<"); p != std::string::npos; p = senza.find(std::string(">") + nome + "<"))
            senza.replace(p + 1, std::string(nome).size(), "");
    prova::scrivi(n.dir / "senza.svg", senza);
    prova::scrivi(n.dir / "prova.svg", "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"100\" height=\"40\">"
                                       "<rect width=\"100\" height=\"40\" fill=\"#ffffff\"/>"
                                       "<text x=\"4\" y=\"20\" font-family=\"DejaVu Sans\" font-size=\"12\">prova</text></svg>");

    // The names' band: over the profiles, on the right half of the picture (a tall line).
    const int x0 = 760, y0 = 44, w = 820, h = 110;
    struct resa {
        const char* nome;
        std::string comando;  // %s = svg, %o = output PPM
    } rese[] = {
        {"ImageMagick", "convert '%s' -background white -flatten -depth 8 'ppm:%o' >/dev/null 2>&1"},
        {"chromium", "chromium --headless --no-sandbox --disable-gpu --no-first-run --disable-background-networking "
                     "--user-data-dir='%o.profilo' --screenshot='%o.png' --window-size=1600,1000 'file://%s' >/dev/null 2>&1 && "
                     "convert '%o.png' -depth 8 'ppm:%o' >/dev/null 2>&1"},
    };
    for (const auto& k : rese) {
        SCOPED_TRACE(k.nome);
        auto rendi = [&](const fs::path& sorgente, const std::string& nome) {
            std::string c = k.comando, o = (n.dir / nome).string();
            for (auto p = c.find("%s"); p != std::string::npos; p = c.find("%s")) c.replace(p, 2, sorgente.string());
            for (auto p = c.find("%o"); p != std::string::npos; p = c.find("%o")) c.replace(p, 2, o);
            return std::system(c.c_str()) == 0 ? prova::leggi(n.dir / nome) : std::string();
        };
        // A plain page with one word tells whether this renderer is here at all.
        if (rendi(n.dir / "prova.svg", std::string(k.nome) + "-prova.ppm").empty()) {
            std::cout << "[  SKIPPED ] " << k.nome << " cannot render SVG here\n";
            continue;
        }
        const std::string con = rendi(svg, std::string(k.nome) + "-con.ppm");
        const std::string vuota = rendi(n.dir / "senza.svg", std::string(k.nome) + "-senza.ppm");
        ASSERT_FALSE(con.empty()) << "the picture did not render";
        ASSERT_FALSE(vuota.empty());
        const std::size_t scuri = pixel_scuri(con, x0, y0, w, h), senza_nomi = pixel_scuri(vuota, x0, y0, w, h);
        EXPECT_GT(scuri, senza_nomi + 150) << scuri << " dark pixels with the names, " << senza_nomi << " without";
    }
}

// Small promises: --version writes nothing, the output folder is made, one path per message.
TEST(Comandi, VersioneCartellaEMessaggi) {
    auto v = esegui_strumento({"--version"});
    EXPECT_EQ(v.stato, 0);
    EXPECT_EQ(v.out.rfind("scenario ", 0), 0u);
#if !defined(_WIN32)
    // The package, in a folder of its own, with its output sent to a file outside it.
    prova::cartella_temporanea c;
    const std::string programma = VALMARENA_PROGRAMMA;
    fs::copy_file(programma, c / "valmarena");
    for (const char* opzione : {"--version", "--help"}) {
        prova::cartella_temporanea fuori;
        std::string comando = "'" + (c / "valmarena").string() + "' " + opzione + " > '" + (fuori / "uscita").string() + "'";
        EXPECT_EQ(std::system(comando.c_str()), 0) << opzione;
        EXPECT_NE(prova::leggi(fuori / "uscita").find(opzione == std::string("--version") ? "valmarena 1" : "usage"),
                  std::string::npos);
        EXPECT_EQ(std::distance(fs::directory_iterator(c.cammino()), fs::directory_iterator{}), 1) << opzione;
    }
#endif
    // A folder in the output file's place: the message names the file once.
    nuovo_scenario n;
    fs::create_directories(n.dir / "p.svg");
    auto r = esegui_strumento({"plot", "--line", n.linea.string(), "--train", n.treno.string(), "--out", (n.dir / "p.svg").string()});
    EXPECT_EQ(r.stato, 3);
    const std::string nome = (n.dir / "p.svg").string();
    EXPECT_NE(r.err.find("cannot write " + nome + ": "), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find(nome, r.err.find(nome) + 1), std::string::npos) << r.err;
}

#if !defined(_WIN32)
}  // namespace
}  // namespace valmarena

#include <sys/wait.h>

namespace valmarena {
namespace {

// Under a file-size limit set by the shell (SIGXFSZ not ignored by the caller), the tool and the
// package report "File too large", exit 3 and leave no temporary file.
TEST(Comandi, LimiteDiDimensioneDeiFile) {
    nuovo_scenario n;
    prova::cartella_temporanea c;
    fs::copy_file(VALMARENA_PROGRAMMA, c / "valmarena");
    const std::string strumento = VALMARENA_STRUMENTO;
    struct caso {
        const char* nome;
        std::string comando;
        fs::path cartella;
    } casi[] = {
        {"compile", "'" + strumento + "' compile --line '" + n.linea.string() + "' --train '" + n.treno.string() +
                        "' --out '" + (n.dir / "out").string() + "'", n.dir / "out"},
        {"package", "cd '" + c.cammino().string() + "' && ./valmarena", c.cammino()},
    };
    for (const auto& k : casi) {
        SCOPED_TRACE(k.nome);
        const std::string errori = (n.dir / "errori").string();
        std::string comando = "sh -c \"trap - XFSZ; ulimit -f 8; " + k.comando + "\" 2>'" + errori + "'";
        int stato = std::system(comando.c_str());
        ASSERT_TRUE(WIFEXITED(stato)) << "ended by a signal";
        EXPECT_EQ(WEXITSTATUS(stato), 3);
        EXPECT_NE(prova::leggi(errori).find("File too large"), std::string::npos) << prova::leggi(errori);
        for (const auto& e : fs::recursive_directory_iterator(k.cartella))
            EXPECT_NE(e.path().extension(), ".~tmp") << e.path();
    }
}
#endif

}  // namespace
}  // namespace valmarena
