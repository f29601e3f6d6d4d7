// `scenario view`: one page that holds its script, style and data, with the same features
// `dump` decodes and, from the sources, the rows that placed them; names cannot break out of
// the page's elements. What the page does in a browser is tests/vista/prova.js.

#include <gtest/gtest.h>

#include <filesystem>

#include "strumento_supporto.h"
#include "vista_dati.h"

namespace valmarena {
namespace {

using prova::esegui_strumento;

std::size_t conta(const std::string& testo, const std::string& cosa) {
    std::size_t n = 0;
    for (std::size_t p = testo.find(cosa); p != std::string::npos; p = testo.find(cosa, p + 1)) ++n;
    return n;
}

// The data element's JSON, "<\/" read back as "</".
prova::json dati_della_pagina(const std::string& html) {
    const std::string apertura = "<script type=\"application/json\" id=\"dati\">";
    const auto da = html.find(apertura);
    if (da == std::string::npos) throw std::runtime_error("no data element");
    const auto a = html.find("</script>", da);
    std::string t = html.substr(da + apertura.size(), a - da - apertura.size());
    for (std::size_t p = t.find("<\\/"); p != std::string::npos; p = t.find("<\\/", p)) t.erase(p + 1, 1);
    return prova::leggi_json(t);
}

std::size_t di_tipo(const prova::json& elementi, long long tipo) {
    std::size_t n = 0;
    for (std::size_t i = 0; i < elementi.size(); ++i) n += elementi[i][1].intero() == tipo ? 1 : 0;
    return n;
}

TEST(View, DallaCartellaEDalleSorgenti) {
    const auto& v = prova::valmarena_compilato();
    prova::cartella_temporanea dir;
    auto r = esegui_strumento({"view", v.compilati.string(), "--out", (dir / "a" / "c.html").string()});
    ASSERT_EQ(r.stato, 0) << r.err;
    auto s = esegui_strumento({"view", "--line", v.linea.string(), "--train", v.treno.string(), "--out",
                               (dir / "s.html").string()});
    ASSERT_EQ(s.stato, 0) << s.err;
    for (const auto& file : {dir / "a" / "c.html", dir / "s.html"}) {
        const std::string html = prova::leggi(file);
        // Self-contained: two script elements and a style, nothing named to fetch.
        EXPECT_EQ(conta(html, "</script>"), 2u);
        EXPECT_EQ(conta(html, "<style>"), 1u);
        EXPECT_EQ(html.find(" src="), std::string::npos);
        EXPECT_EQ(html.find(" href="), std::string::npos);
        EXPECT_EQ(html.find('@'), html.find("@TITOLO@"));  // every place filled
        const prova::json d = dati_della_pagina(html);
        EXPECT_EQ(d["lunghezza"].intero(), 338050);
        EXPECT_EQ(d["stazioni"].size(), 47u);
        EXPECT_EQ(di_tipo(d["elementi"], cella_segnale), 180u);
        EXPECT_EQ(di_tipo(d["elementi"], cella_indicatore), 64u);
        EXPECT_EQ(di_tipo(d["elementi"], cella_abbattimento), 85u);
        EXPECT_EQ(d["rallentamenti"].size(), 4u);
        EXPECT_EQ(d["pendenza"].size(), 6902u);
        EXPECT_LT(html.size(), 2u * 1024u * 1024u);
    }
    // From the sources: the row of every station with a stop, the curves by side and class.
    const prova::json d = dati_della_pagina(prova::leggi(dir / "s.html"));
    EXPECT_TRUE(d["sorgenti"].b);
    std::vector<std::string> righe{""};
    for (char ch : prova::leggi(v.treno)) {
        if (ch == '\n') righe.emplace_back();
        else if (ch != '\r') righe.back() += ch;
    }
    std::size_t con_riga = 0;
    for (std::size_t i = 0; i < d["stazioni"].size(); ++i) {
        const auto& st = d["stazioni"][i];
        if (!st["fermata"].b) continue;
        ASSERT_EQ(st["o"].t, prova::json::tipo::testo);
        const std::string& o = st["o"].s;
        const std::string file = v.treno.string() + ":";
        ASSERT_EQ(o.rfind(file, 0), 0u) << o;
        const std::size_t n = std::stoul(o.substr(file.size()));
        ASSERT_LE(n, righe.size());
        // The line named is the station's own row.
        EXPECT_EQ(righe[n - 1].rfind("stazione", 0), 0u) << righe[n - 1];
        EXPECT_NE(righe[n - 1].find(st["nome"].s), std::string::npos) << righe[n - 1];
        ++con_riga;
    }
    EXPECT_EQ(con_riga, 33u);
    // The posts as the train card gives them: the position itself, 0 from 287 550 m on, 415 100
    // from 319 000 m on, as (metres, post) pairs where the reckoning changes.
    const auto& km = d["km"];
    ASSERT_EQ(km.size(), 6u);
    const long long attesi[] = {0, 0, 287550, 0, 319000, 415100};
    for (std::size_t i = 0; i < 6; ++i) EXPECT_EQ(km[i].intero(), attesi[i]) << i;
    EXPECT_EQ(d["curve"].size(), 193u);
    EXPECT_TRUE(d["curve_lette"].b);
    // The running model's speed cell by cell from the sources: standing at Velmora (0 m) and at
    // Orsolengo (44 250 m), where it stops; none from compiled files.
    const auto& marcia = d["marcia"]["kmh10"];
    ASSERT_EQ(marcia.size(), 6902u);
    EXPECT_EQ(marcia[1].intero(), 0);
    EXPECT_EQ(marcia[44250 / 50 + 1].intero(), 0);
    EXPECT_GT(marcia[44250 / 50 - 20].intero(), 0);
    // The model's train as timetable takes it: braking harder, it keeps its speed longer.
    auto f = esegui_strumento({"view", "--line", v.linea.string(), "--train", v.treno.string(), "--braking", "1.4",
                               "--out", (dir / "f.html").string()});
    ASSERT_EQ(f.stato, 0) << f.err;
    const prova::json df = dati_della_pagina(prova::leggi(dir / "f.html"));
    EXPECT_EQ(df["marcia"]["frenatura"].n, 1.4);
    EXPECT_GT(df["marcia"]["kmh10"][44250 / 50 - 20].intero(), marcia[44250 / 50 - 20].intero());
    const prova::json c = dati_della_pagina(prova::leggi(dir / "a" / "c.html"));
    EXPECT_FALSE(c["sorgenti"].b);
    EXPECT_EQ(c["marcia"].t, prova::json::tipo::nullo);
}

// A name holding "</script>" stays text inside the data; the title is escaped.
TEST(View, NomiChiusiNeiLoroElementi) {
    strumento::scenario_letto s;
    s.percorso = "Linea </script><b>& @STILE@ @SCRIPT@";
    s.treno = "T";
    s.celle.assign(200, cella{});
    s.celle[21].tipo = cella_fermata;
    s.celle[21].valore1 = 1;
    std::vector<voce> t(87);
    t[1].tipo = 4;
    t[1].progressiva = 1000;
    t[1].nome = "Ponte </script> Sotto";
    s.tabella = t;
    const std::string html = strumento::pagina_vista(s);
    EXPECT_EQ(conta(html, "</script>"), 2u);
    EXPECT_NE(html.find("<title>Linea &lt;/script&gt;&lt;b&gt;&amp; @STILE@ @SCRIPT@ - T</title>"), std::string::npos);
    EXPECT_EQ(conta(html, "<style>\n#") + conta(html, "<style>\nhtml"), 1u);  // the style sheet in its element
    const prova::json d = dati_della_pagina(html);
    EXPECT_EQ(d["percorso"].s, "Linea </script><b>& @STILE@ @SCRIPT@");
    EXPECT_NE(html.find("\"use strict\";"), std::string::npos);
    EXPECT_EQ(d["stazioni"][0]["nome"].s, "Ponte </script> Sotto");
    EXPECT_EQ(d["pianta"].t, prova::json::tipo::nullo);
}

TEST(View, ArgomentiECartelleSbagliati) {
    prova::cartella_temporanea dir;
    EXPECT_EQ(esegui_strumento({"view", dir.cammino().string()}).stato, 3);  // no --out
    auto r = esegui_strumento({"view", (dir / "manca").string(), "--out", (dir / "x.html").string()});
    EXPECT_EQ(r.stato, 3);
    EXPECT_NE(r.err.find("scenario view:"), std::string::npos) << r.err;
    r = esegui_strumento({"view", dir.cammino().string(), "--out", (dir / "x.html").string()});
    EXPECT_EQ(r.stato, 3);  // no cell file
    EXPECT_FALSE(std::filesystem::exists(dir / "x.html"));
}

}  // namespace
}  // namespace valmarena
