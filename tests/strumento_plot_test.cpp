// `scenario plot`: the same files give the same bytes, the plan view stays small, the SVG is
// well-formed whatever the names hold, missing files are said in the picture, and a browser
// renders it to a picture that is not blank.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <regex>

#include "compiler/binari.h"
#include "disegno.h"
#include "strumento_supporto.h"

namespace valmarena {
namespace {

using prova::esegui_strumento;

// Element nesting of an XML document: every tag closed in order, attributes quoted, no stray
// '&' or '<' in text. Returns what is wrong, or empty.
std::string xml_malformato(const std::string& x) {
    std::vector<std::string> aperti;
    std::size_t i = 0;
    int radici = 0;
    while (i < x.size()) {
        if (x[i] == '&') {
            std::size_t fine = x.find(';', i);
            static const std::regex entita("&(amp|lt|gt|quot|apos|#[0-9]+|#x[0-9a-fA-F]+);");
            if (fine == std::string::npos || !std::regex_match(x.substr(i, fine - i + 1), entita))
                return "bad entity at " + std::to_string(i);
            i = fine + 1;
            continue;
        }
        if (x[i] != '<') {
            ++i;
            continue;
        }
        if (x.compare(i, 2, "<?") == 0) {
            std::size_t fine = x.find("?>", i);
            if (fine == std::string::npos) return "unclosed declaration";
            i = fine + 2;
            continue;
        }
        // Scan the tag, honouring quoted attribute values.
        std::size_t j = i + 1;
        char virgolette = 0;
        for (; j < x.size(); ++j) {
            if (virgolette) {
                if (x[j] == virgolette) virgolette = 0;
                else if (x[j] == '<') return "'<' inside an attribute at " + std::to_string(j);
            } else if (x[j] == '"' || x[j] == '\'') {
                virgolette = x[j];
            } else if (x[j] == '>') {
                break;
            } else if (x[j] == '<') {
                return "'<' inside a tag at " + std::to_string(j);
            }
        }
        if (j >= x.size()) return "unclosed tag at " + std::to_string(i);
        std::string tag = x.substr(i + 1, j - i - 1);
        i = j + 1;
        if (tag.empty()) return "empty tag";
        if (tag[0] == '/') {
            std::string nome = tag.substr(1);
            if (aperti.empty() || aperti.back() != nome) return "</" + nome + "> closes nothing open";
            aperti.pop_back();
            continue;
        }
        bool chiuso = tag.back() == '/';
        std::string nome = tag.substr(0, tag.find_first_of(" \t\n/"));
        if (aperti.empty()) ++radici;
        if (!chiuso) aperti.push_back(nome);
    }
    if (!aperti.empty()) return "<" + aperti.back() + "> never closed";
    if (radici != 1) return std::to_string(radici) + " root elements";
    return {};
}

std::size_t conta(const std::string& testo, const std::string& cosa) {
    std::size_t n = 0;
    for (std::size_t p = testo.find(cosa); p != std::string::npos; p = testo.find(cosa, p + 1)) ++n;
    return n;
}

TEST(Plot, StessiFileStessiByte) {
    const auto& v = prova::valmarena_compilato();
    prova::cartella_temporanea dir;
    auto uno = esegui_strumento({"plot", v.compilati.string(), "--out", (dir / "uno.svg").string()});
    auto due = esegui_strumento({"plot", v.compilati.string(), "--out", (dir / "due.svg").string(), "--route",
                                 "Valmarena", "--train-name", "RX 914"});
    ASSERT_EQ(uno.stato, 0) << uno.err;
    ASSERT_EQ(due.stato, 0) << due.err;
    const std::string svg = prova::leggi(dir / "uno.svg");
    EXPECT_EQ(svg, prova::leggi(dir / "due.svg"));
    EXPECT_EQ(xml_malformato(svg), "");
    // One plan point per 50 m: the 345 051 metres of the track plan would take megabytes.
    EXPECT_LT(svg.size(), 600u * 1024u);
    EXPECT_EQ(svg.find("no track plan"), std::string::npos);
    // Every signal is marked in the plan view, every station with a stop is named twice
    // (plan and profiles).
    EXPECT_EQ(conta(svg, "r=\"2.2\" fill=\"#d62828\"/>"), 180u + 1u);  // and one in the legend
    for (const char* nome : {">Velmora<", ">Malvigna<", ">Aurenzo<"}) EXPECT_EQ(conta(svg, nome), 2u) << nome;
    EXPECT_NE(svg.find("Valmarena - RX 914"), std::string::npos);
    EXPECT_NE(svg.find("4 slowdowns"), std::string::npos);
}

// The features the view shows are drawn too: the boards and the abatement points one mark
// each, every station named (a station without a stop as well), no name past the right edge,
// and a legend for the curves when they are known.
TEST(Plot, TuttiGliElementiETuttiINomi) {
    const auto& v = prova::valmarena_compilato();
    prova::cartella_temporanea dir;
    ASSERT_EQ(esegui_strumento({"plot", "--line", v.linea.string(), "--train", v.treno.string(), "--out",
                                (dir / "s.svg").string()}).stato, 0);
    const std::string svg = prova::leggi(dir / "s.svg");
    EXPECT_EQ(xml_malformato(svg), "");
    EXPECT_EQ(conta(svg, "fill=\"#6d28d9\"/>"), 64u);
    EXPECT_EQ(conta(svg, "stroke=\"#64748b\" stroke-width=\"1\"/>"), 85u);
    for (const char* nome : {">Ponte Sorca<", ">Bivio Ronchiano<", ">Velmora<", ">Aurenzo<"}) EXPECT_EQ(conta(svg, nome), 2u) << nome;
    EXPECT_NE(svg.find("curves: side s (left) red above"), std::string::npos);
    // A name that starts near the right edge runs leftwards from its place.
    static const std::regex testo_a_destra("<text x=\"([0-9.]+)\" y=\"[0-9.]+\" class=\"(nome_profilo|nome_senza)\"( text-anchor=\"end\")?[^>]*>([^<]*)</text>");
    std::size_t nomi = 0;
    for (auto it = std::sregex_iterator(svg.begin(), svg.end(), testo_a_destra); it != std::sregex_iterator(); ++it, ++nomi) {
        const double x = std::stod((*it)[1].str());
        const double fine = (*it)[3].matched ? x : x + 6.2 * static_cast<double>((*it)[4].length());
        EXPECT_LE(fine, 1600.0) << (*it)[4].str();
    }
    EXPECT_EQ(nomi, 47u);  // every station over the profiles
}

// Names go into the SVG escaped; a change in a cell changes the picture.
TEST(Plot, NomiConCaratteriSpeciali) {
    strumento::scenario_letto s;
    s.percorso = "Linea <A&B>";
    s.treno = "\"T\"";
    s.celle.assign(200, cella{});
    for (auto& c : s.celle) {
        c.velocita = 20;
        c.pendenza = 105;
        c.aderenza = 90;
    }
    s.celle[21].tipo = cella_fermata;
    s.celle[21].valore1 = 1;
    std::vector<voce> t(87);
    t[1].tipo = 4;
    t[1].progressiva = 1000;
    t[1].nome = "Ponte & Sotto <1>";
    s.tabella = t;
    const std::string svg = strumento::svg_scenario(s);
    EXPECT_EQ(xml_malformato(svg), "");
    EXPECT_NE(svg.find("Ponte &amp; Sotto &lt;1&gt;"), std::string::npos);
    EXPECT_NE(svg.find("Linea &lt;A&amp;B&gt; - &quot;T&quot;"), std::string::npos);
    EXPECT_NE(svg.find("no track plan file"), std::string::npos);
    EXPECT_EQ(svg, strumento::svg_scenario(s));
    s.celle[50].velocita = 30;
    EXPECT_NE(svg, strumento::svg_scenario(s));
}

TEST(Plot, FileMancantiOGuasti) {
    const auto& v = prova::valmarena_compilato();
    prova::cartella_temporanea dir;
    // Only the cells and the table: the picture says the track plan is missing.
    auto solo = dir / "solo";
    std::filesystem::create_directory(solo);
    std::filesystem::copy_file(v.celle, solo / v.celle.filename());
    std::filesystem::copy_file(v.tabella, solo / v.tabella.filename());
    auto r = esegui_strumento({"plot", solo.string(), "--out", (dir / "a.svg").string()});
    ASSERT_EQ(r.stato, 0) << r.err;
    std::string svg = prova::leggi(dir / "a.svg");
    EXPECT_NE(svg.find("no track plan: Valmarena_linea.dat"), std::string::npos);
    EXPECT_EQ(xml_malformato(svg), "");

    // A broken track plan is left out and named; the rest is drawn.
    prova::scrivi(solo / "Valmarena_linea.dat", std::string("\x09\x00", 2));
    r = esegui_strumento({"plot", solo.string(), "--out", (dir / "b.svg").string()});
    ASSERT_EQ(r.stato, 0);
    EXPECT_NE(prova::leggi(dir / "b.svg").find("track plan Valmarena_linea.dat not used: value 0 at byte 0 has tag 9"),
              std::string::npos);
    EXPECT_NE(r.err.find("has tag 9"), std::string::npos);

    // Without the cells there is nothing to draw.
    std::filesystem::remove(solo / v.celle.filename());
    r = esegui_strumento({"plot", solo.string(), "--out", (dir / "c.svg").string()});
    EXPECT_EQ(r.stato, 3);
    EXPECT_NE(r.err.find("cannot read the cell file"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(dir / "c.svg"));

    // A cell file of the wrong size.
    prova::scrivi(solo / v.celle.filename(), std::string(16, '\0'));
    r = esegui_strumento({"plot", solo.string(), "--out", (dir / "d.svg").string()});
    EXPECT_EQ(r.stato, 3);
    EXPECT_NE(r.err.find("not a multiple of 15"), std::string::npos);
}

// A folder that holds one other scenario is drawn without naming it.
TEST(Plot, UnicoScenarioNellaCartella) {
    const auto& v = prova::valmarena_compilato();
    prova::cartella_temporanea dir;
    std::filesystem::copy_file(v.celle, dir / "Altra_T 1.dat");
    std::filesystem::copy_file(v.tabella, dir / "Altra_T 1.sim");
    std::filesystem::copy_file(v.tracciato, dir / "Altra_linea.dat");
    auto r = esegui_strumento({"plot", dir.cammino().string(), "--out", (dir / "x.svg").string()});
    ASSERT_EQ(r.stato, 0) << r.err;
    EXPECT_EQ(prova::leggi(dir / "x.svg").find("no track plan"), std::string::npos);
    auto s = esegui_strumento({"plot", dir.cammino().string(), "--out", (dir / "y.svg").string(), "--route", "Nessuna"});
    EXPECT_EQ(s.stato, 3);
}

bool c_e_chromium() { return std::system("command -v chromium >/dev/null 2>&1") == 0; }

// A screenshot of `svg` by headless Chromium, 1600 x 1000; empty when it fails.
std::string fotografa(const std::filesystem::path& svg, const prova::cartella_temporanea& dir, const std::string& nome) {
    auto png = dir / (nome + ".png");
    auto profilo = dir / (nome + "-profilo");
    std::string comando = "chromium --headless --no-sandbox --disable-gpu --disable-quic --no-first-run "
                          "--disable-background-networking --disable-component-update --disable-sync "
                          "--user-data-dir='" + profilo.string() + "' --screenshot='" + png.string() +
                          "' --window-size=1600,1000 'file://" + svg.string() + "' >/dev/null 2>&1";
    if (std::system(comando.c_str()) != 0 || !std::filesystem::exists(png)) return {};
    return prova::leggi(png);
}

TEST(Plot, IlBrowserLoDisegna) {
    if (!c_e_chromium()) GTEST_SKIP() << "chromium is not installed";
    const auto& v = prova::valmarena_compilato();
    prova::cartella_temporanea dir;
    auto svg = dir / "valmarena.svg";
    ASSERT_EQ(esegui_strumento({"plot", v.compilati.string(), "--out", svg.string()}).stato, 0);
    prova::scrivi(dir / "bianco.svg",
                  "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"1600\" height=\"1000\">"
                  "<rect width=\"1600\" height=\"1000\" fill=\"#ffffff\"/></svg>");
    const std::string png = fotografa(svg, dir, "valmarena");
    const std::string bianco = fotografa(dir / "bianco.svg", dir, "bianco");
    ASSERT_GT(png.size(), 24u);
    ASSERT_GT(bianco.size(), 24u);
    EXPECT_EQ(png.substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));
    auto be32 = [&](std::size_t p) {
        return (static_cast<unsigned char>(png[p]) << 24) | (static_cast<unsigned char>(png[p + 1]) << 16) |
               (static_cast<unsigned char>(png[p + 2]) << 8) | static_cast<unsigned char>(png[p + 3]);
    };
    EXPECT_EQ(be32(16), 1600u);
    EXPECT_EQ(be32(20), 1000u);
    // A white page compresses to a few kilobytes; the line, the markers, the names and the
    // profiles make the picture many times larger.
    EXPECT_GT(png.size(), 10 * bianco.size()) << png.size() << " bytes against " << bianco.size() << " for a blank page";
}

}  // namespace
}  // namespace valmarena
