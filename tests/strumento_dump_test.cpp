// Reading the compiled files back: the decoders against the writers, files whose bytes do not fit
// their layout, and `scenario dump` on the package's own scenario, as a listing and as JSON.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <sstream>

#include "compiler/binari.h"
#include "strumento_supporto.h"

namespace valmarena {
namespace {

using prova::esegui_strumento;
using prova::leggi_json;

// A table with a station, a signboard text and filled reserved entries, all fields distinct.
scenario tabella_di_prova() {
    scenario s;
    voce& st = s.tabella[1];
    st.tipo = 8;
    st.inizio = -500;
    st.fine = 500;
    st.progressiva = 123456;
    st.dato1 = 200;
    st.nome = "Citt\xe0 Alta";  // a Windows-1252 letter
    st.intero1 = -2;
    st.intero2 = 3;
    st.intero3 = -4;
    st.intero4 = 5;
    st.intero5 = -32768;
    st.byte1 = 1;
    st.byte2 = 255;
    st.byte3 = 7;
    st.byte4 = 9;
    st.orario = 36570;
    s.tabella[80].nome = "(Km 10+000)";
    s.tabella[voce_percorso].nome = "Valmarena";
    s.tabella[voce_percorso].intero1 = marca_tabella;
    s.tabella[voce_treno].nome = "RX 914";
    return s;
}

TEST(Decodifica, TabellaCelleTracciatoTornanoComeScritti) {
    scenario s = tabella_di_prova();
    const std::string bt = dettaglio::byte_tabella(s);
    std::vector<voce> voci = decodifica_tabella(bt);
    ASSERT_EQ(voci.size(), 87u);
    EXPECT_EQ(voci[1].nome, "Citt\xe0 Alta");
    EXPECT_EQ(voci[1].inizio, -500);
    EXPECT_EQ(voci[1].intero5, -32768);
    EXPECT_EQ(voci[1].byte2, 255);
    EXPECT_EQ(voci[80].nome, "(Km 10+000)");
    EXPECT_EQ(voci[voce_percorso].intero1, 610);
    for (std::size_t i = 0; i < voci.size(); ++i) EXPECT_EQ(dettaglio::byte_voce(voci[i]), dettaglio::byte_voce(s.tabella[i])) << i;

    scenario c = prova::scenario_con_celle(500);
    c.celle[1] = {cella_segnale, -1, 2, -3, 32767, 130, 61, 2, 28, 255, 95};
    c.celle.back() = {cella_cartello, 80, 0, 0, 0, 0, 0, 0, 0, 0, 1};
    const std::string bc = dettaglio::byte_celle(c);
    std::vector<cella> celle = decodifica_celle(bc);
    ASSERT_EQ(celle.size(), c.celle.size());
    EXPECT_EQ(celle[1].valore1, -1);
    EXPECT_EQ(celle[1].valore4, 32767);
    EXPECT_EQ(celle[1].preavviso, 61);
    EXPECT_EQ(celle[1].pendenza, 255);
    EXPECT_EQ(celle.back().tipo, cella_cartello);
    EXPECT_EQ(celle.back().aderenza, 1);
    scenario r;
    r.celle = celle;
    EXPECT_EQ(dettaglio::byte_celle(r), bc);

    struct tracciato t;
    t.punti = 3;
    t.etichette = {etichetta::intero, etichetta::reale, etichetta::vuoto, etichetta::intero, etichetta::reale,
                   etichetta::vuoto};
    t.valori = {0, -1234.5678, 0, 1, 1e-300, 0};
    const std::string bp = dettaglio::byte_tracciato(t);
    struct tracciato d = decodifica_tracciato(bp);
    EXPECT_EQ(d.punti, 3u);
    EXPECT_EQ(d.etichette, t.etichette);
    EXPECT_EQ(d.valori, t.valori);
    EXPECT_EQ(dettaglio::byte_tracciato(d), bp);
}

// Bytes that do not fit: the decoder says where, and `dump` exits 3 with that message.
TEST(Decodifica, ByteCheNonTornanoConIlFormato) {
    const std::string tabella = dettaglio::byte_tabella(tabella_di_prova());
    std::string nome_lungo = dettaglio::byte_voce(voce{});
    nome_lungo[14] = '\xe8';  // name length 1000 in an entry of 34 bytes
    nome_lungo[15] = '\x03';
    std::string tabella_86;
    {
        scenario s = tabella_di_prova();
        for (int i = 0; i < 86; ++i) tabella_86 += dettaglio::byte_voce(s.tabella[static_cast<std::size_t>(i)]);
    }
    const std::string celle = dettaglio::byte_celle(prova::scenario_con_celle(500));
    const std::string reale(1, '\x05');

    struct caso {
        const char* file;
        std::string byte;
        const char* atteso;
    } casi[] = {
        {"vuota.sim", "", "the file is empty"},
        {"tronca.sim", tabella.substr(0, tabella.size() - 1), "entry 86: orario needs 4 bytes"},
        {"nome_oltre.sim", nome_lungo, "entry 0: nome of length 1000 needs 1000 bytes"},
        {"corta.sim", tabella_86, "holds 86 entries, not 87"},
        {"lunga.sim", tabella + "x", "1 bytes follow the last entry"},
        {"vuoto.dat", "", "the file is empty"},
        {"meno_uno.dat", celle.substr(0, celle.size() - 1), "not a multiple of 15 (14 bytes after"},
        {"piu_sette.dat", celle + std::string(7, '\0'), "not a multiple of 15 (7 bytes after"},
        {"vuoto_linea.dat", "", "the file is empty"},
        {"tag_ignoto_linea.dat", std::string("\x00\x00\x03\x00", 4), "value 1 at byte 2 has tag 3"},
        {"reale_tronco_linea.dat", reale + '\0' + "1234", "value 0: its real needs 8 bytes"},
        {"intero_tronco_linea.dat", std::string("\x02\x00\x07", 3), "value 0: its integer needs 2 bytes"},
        {"tag_tronco_linea.dat", std::string("\x00\x00\x00", 3), "value 1: its tag needs 2 bytes"},
        {"dispari_linea.dat", std::string(6, '\0'), "3 values, an odd number"},
    };
    prova::cartella_temporanea dir;
    for (const auto& c : casi) {
        SCOPED_TRACE(c.file);
        const std::string nome = c.file;
        auto decodifica = [&] {
            if (nome.find("_linea.dat") != std::string::npos) decodifica_tracciato(c.byte);
            else if (nome.find(".sim") != std::string::npos) decodifica_tabella(c.byte);
            else decodifica_celle(c.byte);
        };
        try {
            decodifica();
            ADD_FAILURE() << "no complaint";
        } catch (const formato_errato& e) {
            EXPECT_NE(std::string(e.what()).find(c.atteso), std::string::npos) << e.what();
        }
        prova::scrivi(dir / c.file, c.byte);
        for (bool json : {false, true}) {
            std::vector<std::string> args{"dump", (dir / c.file).string()};
            if (json) args.push_back("--json");
            auto r = esegui_strumento(args);
            EXPECT_EQ(r.stato, 3);
            EXPECT_EQ(r.out, "");
            EXPECT_NE(r.err.find(c.file), std::string::npos) << r.err;
            EXPECT_NE(r.err.find(c.atteso), std::string::npos) << r.err;
        }
    }
}

// The listing's rows, split into cell, metres and the rest.
struct riga_elenco {
    long long cella, metri;
    std::string resto;
};

std::vector<riga_elenco> righe_elenco(const std::string& testo) {
    std::vector<riga_elenco> r;
    std::istringstream in(testo);
    std::string riga;
    bool dentro = false;
    while (std::getline(in, riga)) {
        if (riga.find("  cell   metres  kind") == 0) {
            dentro = true;
            continue;
        }
        if (!dentro) continue;
        if (riga.empty()) break;
        std::istringstream x(riga);
        riga_elenco e;
        x >> e.cella >> e.metri;
        std::getline(x, e.resto);
        r.push_back(e);
    }
    return r;
}

const prova::json* elemento_in_cella(const prova::json& j, long long cella) {
    for (const auto& e : j.at("features"))
        if (e.at("cell").get<long long>() == cella) return &e;
    return nullptr;
}

TEST(Dump, CelleDelloScenarioDelPacchetto) {
    const auto& v = prova::valmarena_compilato();
    auto testo = esegui_strumento({"dump", v.celle.string()});
    ASSERT_EQ(testo.stato, 0) << testo.err;
    const std::string& t = testo.out;
    EXPECT_NE(t.find("6902 cells (0..6901), 103530 bytes"), std::string::npos);
    EXPECT_NE(t.find("reserved marks of cell 1: valore1 = 5121 (the mark 5121), valore2 = "), std::string::npos);
    for (const char* conta : {"signal 180", "stopping point 33", "slowdown start 4", "slowdown end 4",
                              "warning point 4", "signboard 17", "board 64"})
        EXPECT_NE(t.find(conta), std::string::npos) << conta;
    EXPECT_NE(t.find("slowdowns: 4\n"), std::string::npos);
    EXPECT_NE(t.find("  45 km/h: start cell 330 (16450 m), end cell 339 (16900 m), warning point cell 306 "
                     "(15250 m), numbered cells 305 304 303 302\n"),
              std::string::npos);

    auto js = esegui_strumento({"dump", v.celle.string(), "--json"});
    ASSERT_EQ(js.stato, 0) << js.err;
    const prova::json j = leggi_json(js.out);
    EXPECT_EQ(j.at("cells").get<long long>(), 6902);
    EXPECT_EQ(j.at("reserved").at("valore1").get<long long>(), 5121);
    EXPECT_TRUE(j.at("reserved").at("mark_ok").get<bool>());
    EXPECT_NE(t.find("valore2 = " + std::to_string(j.at("reserved").at("competition_code").get<long long>()) + " (plain"),
              std::string::npos);
    EXPECT_EQ(j.at("counts").at("signal").get<long long>(), 180);
    EXPECT_EQ(j.at("counts").at("stopping point").get<long long>(), 33);
    EXPECT_EQ(j.at("slowdowns").size(), 4u);
    for (const auto& r : j.at("slowdowns")) {
        EXPECT_TRUE(r.at("end_cell").is_number());
        EXPECT_EQ(r.at("warning_cell").get<long long>(), r.at("start_cell").get<long long>() - 24);
    }

    // The listing and the JSON name the same cells, in the same order, with the same kinds.
    auto righe = righe_elenco(t);
    ASSERT_EQ(righe.size(), j.at("features").size());
    std::size_t fermate = 0;
    for (std::size_t i = 0; i < righe.size(); ++i) {
        const auto& e = j.at("features")[i];
        EXPECT_EQ(righe[i].cella, e.at("cell").get<long long>());
        EXPECT_EQ(righe[i].metri, e.at("metres").get<long long>());
        EXPECT_EQ(righe[i].metri, (righe[i].cella - 1) * 50);
        EXPECT_NE(righe[i].resto.find(e.at("kind").get<std::string>()), std::string::npos) << righe[i].resto;
        if (e.at("kind").get<std::string>() == "stopping point") {
            ++fermate;
            const std::string& stazione = e.at("values").at("station").get<std::string>();
            EXPECT_FALSE(stazione.empty());
            EXPECT_NE(righe[i].resto.find("station=\"" + stazione + "\""), std::string::npos);
        }
    }
    EXPECT_EQ(fermate, 33u);

    // Values decoded as the source rows gave them.
    const prova::json* prima = elemento_in_cella(j, 9);  // "stazione, 0, 8, 500, ..., Velmora"
    ASSERT_TRUE(prima);
    EXPECT_EQ((*prima).at("values").at("station").get<std::string>(), "Velmora");
    EXPECT_EQ((*prima).at("values").at("entry").get<long long>(), 1);
    const prova::json* segnale = elemento_in_cella(j, 119);  // "segnale, 5900, 2, 2, 3, 1, 1, 0, 0,0,0, 130"
    ASSERT_TRUE(segnale);
    const auto& s = (*segnale).at("values");
    EXPECT_EQ(s.at("sx").get<long long>(), 2);
    EXPECT_EQ(s.at("s")[0].get<long long>(), 2);
    EXPECT_EQ(s.at("s")[1].get<long long>(), 3);
    EXPECT_EQ(s.at("s")[2].get<long long>(), 1);
    EXPECT_EQ(s.at("rapp").get<long long>(), 1);
    EXPECT_EQ(s.at("dx").get<long long>(), 0);
    EXPECT_EQ(s.at("tempo").get<long long>(), 130);
    const prova::json* tabella = elemento_in_cella(j, 1308);  // "indicatori_vmax, 65350, 100, 105, 110, 2, 100, 105, 110, 2"
    ASSERT_TRUE(tabella);
    const auto& b = (*tabella).at("values");
    EXPECT_EQ(b.at("side_s_kmh")[2].get<long long>(), 110);
    EXPECT_EQ(b.at("side_d_kmh")[0].get<long long>(), 100);
    EXPECT_EQ(b.at("stripes_s").get<long long>(), 2);
    EXPECT_EQ(b.at("stripes_d").get<long long>(), 2);
    const prova::json* primo_cartello = elemento_in_cella(j, 160);
    ASSERT_TRUE(primo_cartello);
    EXPECT_EQ((*primo_cartello).at("values").at("text").get<std::string>(), "(Dev.I.)");
}

TEST(Dump, TabellaETracciatoDelloScenarioDelPacchetto) {
    const auto& v = prova::valmarena_compilato();
    auto t = esegui_strumento({"dump", v.tabella.string()});
    ASSERT_EQ(t.stato, 0) << t.err;
    EXPECT_NE(t.out.find("entry 86  voce_treno"), std::string::npos);
    EXPECT_NE(t.out.find("nome=\"Velmora\""), std::string::npos);
    EXPECT_NE(t.out.find("orario=36570 (10:09:30)"), std::string::npos);
    EXPECT_NE(t.out.find("empty entries: 0, 48..63\n"), std::string::npos);

    auto js = esegui_strumento({"dump", v.tabella.string(), "--json"});
    ASSERT_EQ(js.stato, 0);
    const prova::json j = leggi_json(js.out);
    std::map<long long, const prova::json*> per_indice;
    for (const auto& e : j.at("entries")) per_indice[e.at("index").get<long long>()] = &e;
    const char* riservate[] = {"voce_progressiva_tre", "voce_progressiva_due", "voce_progressiva_uno",
                               "voce_misure", "voce_percorso", "voce_treno"};
    for (int i = 81; i <= 86; ++i) {
        ASSERT_TRUE(per_indice.count(i)) << i;
        EXPECT_EQ((*per_indice[i]).at("role").get<std::string>(), riservate[i - 81]);
        EXPECT_FALSE((*per_indice[i]).at("meaning").get<std::string>().empty());
    }
    const auto& treno = (*per_indice[86]).at("fields");
    EXPECT_EQ(treno.at("inizio").get<long long>(), 34300);
    EXPECT_EQ(treno.at("fine").get<long long>(), 333750);
    EXPECT_EQ(treno.at("progressiva").get<long long>(), 9);
    EXPECT_EQ(treno.at("nome").get<std::string>(), "RX 914");
    EXPECT_EQ(treno.at("intero3").get<long long>(), 10);
    EXPECT_EQ(treno.at("intero5").get<long long>(), 30);
    EXPECT_EQ((*per_indice[84]).at("fields").at("fine").get<long long>(), 338050);
    EXPECT_EQ((*per_indice[85]).at("fields").at("intero1").get<long long>(), 610);
    const auto& prima = (*per_indice[1]).at("fields");
    EXPECT_EQ(prima.at("nome").get<std::string>(), "Velmora");
    EXPECT_EQ(prima.at("inizio").get<long long>(), -500);
    EXPECT_EQ(prima.at("fine").get<long long>(), 500);
    std::size_t stazioni = 0, cartelli = 0;
    for (const auto& [i, e] : per_indice) {
        stazioni += (*e).at("role").get<std::string>() == "station";
        cartelli += (*e).at("role").get<std::string>() == "signboard text";
    }
    EXPECT_EQ(stazioni, 47u);
    EXPECT_EQ(cartelli, 17u);
    EXPECT_EQ(j.at("empty_entries").size(), 17u);

    auto p = esegui_strumento({"dump", v.tracciato.string(), "--json", "--step", "50000"});
    ASSERT_EQ(p.stato, 0) << p.err;
    const prova::json k = leggi_json(p.out);
    EXPECT_EQ(k.at("points").get<long long>(), 345051);
    EXPECT_EQ(k.at("bytes").get<long long>(), 6900964);
    EXPECT_EQ(k.at("values").at("x").at("integer").get<long long>(), 2);
    EXPECT_EQ(k.at("values").at("y").at("empty").get<long long>(), 2);
    EXPECT_EQ(k.at("values").at("y").at("real").get<long long>(), 345047);
    const auto& c = k.at("sample");
    ASSERT_EQ(c.size(), 8u);  // 0, 50000, ..., 300000 and the last metre
    EXPECT_EQ(c[0].at("x").get<double>(), 0.0);
    EXPECT_EQ(c[0].at("y").get<double>(), 0.0);
    EXPECT_EQ(c[7].at("metre").get<long long>(), 345050);
    EXPECT_TRUE(c[7].at("x").is_null());  // the last two metres stay empty
    for (std::size_t i = 0; i + 1 < c.size(); ++i) {
        EXPECT_GE(c[i].at("x").get<double>(), k.at("extent").at("x_min").get<double>());
        EXPECT_LE(c[i].at("x").get<double>(), k.at("extent").at("x_max").get<double>());
        EXPECT_GE(c[i].at("y").get<double>(), k.at("extent").at("y_min").get<double>());
        EXPECT_LE(c[i].at("y").get<double>(), k.at("extent").at("y_max").get<double>());
    }
    auto pt = esegui_strumento({"dump", v.tracciato.string(), "--step", "100000"});
    EXPECT_NE(pt.out.find("track plan, 345051 metres (0..345050)"), std::string::npos);
    EXPECT_NE(pt.out.find("  345050          empty          empty\n"), std::string::npos);
}

// Cells made by hand: every kind decoded from its packed values, an unknown kind shown raw,
// and a cell 1 without the mark said so.
TEST(Dump, CelleFatteAMano) {
    scenario s = prova::scenario_con_celle(500);
    s.celle[1].valore1 = 77;
    s.celle[3] = {cella_segnale, 21, 30, 42, 18, 101, 0, 0, 0, 0, 0};  // s 2,3,4 d 1,0,2 rapp 1 sx 2 dx 2
    s.celle[4] = {cella_indicatore, 1819, 2020, 2200, 21, 0, 0, 0, 0, 0, 0};
    s.celle[5] = {cella_numerata, 3, 3, 0, 0, 0, 0, 0, 0, 0, 0};
    s.celle[6] = {cella_marcatore_montagna, 0, 0, 0, 0, 0, 0, 2, 0, 0, 0};
    s.celle[7] = {7, -5, 6, -7, 8, 0, 0, 0, 0, 0, 0};
    s.celle[8] = {cella_abbattimento_senza_valore, 270, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    prova::cartella_temporanea dir;
    prova::scrivi(dir / "mano.dat", dettaglio::byte_celle(s));
    auto r = esegui_strumento({"dump", (dir / "mano.dat").string()});
    ASSERT_EQ(r.stato, 0) << r.err;
    for (const char* atteso : {
             "valore1 = 77 (not the mark 5121)",
             "     3      100  signal                         sx=2 s=2,3,4 rapp=1 dx=2 d=1,0,2 tempo=101\n",
             "     4      150  board                          side_s_kmh=90,100,110 stripes_s=2 "
             "side_d_kmh=95,100,0 stripes_d=1\n",
             "     5      200  numbered cell                  number=3\n",
             "     6      250  mountain marker                mountain_kind=2\n",
             "     7      300  unknown kind 7                 valori=-5,6,-7,8\n",
             "     8      350  abatement point without value\n",
             "counts: signal 1, numbered cell 1, board 1, unknown kind 7 1, mountain marker 1, "
             "abatement point without value 1\n",
         })
        EXPECT_NE(r.out.find(atteso), std::string::npos) << atteso << "\n" << r.out;
}

// A file under a name that tells nothing is recognised by its size and content.
TEST(Dump, RiconosceIlGenereSenzaNome) {
    const auto& v = prova::valmarena_compilato();
    prova::cartella_temporanea dir;
    struct caso {
        std::filesystem::path da;
        const char* genere;
    } casi[] = {{v.tracciato, "track_plan"}, {v.tabella, "table"}, {v.celle, "cells"}};
    int n = 0;
    for (const auto& c : casi) {
        auto copia = dir / ("file" + std::to_string(n++) + ".bin");
        std::filesystem::copy_file(c.da, copia);
        auto r = esegui_strumento({"dump", copia.string(), "--json"});
        ASSERT_EQ(r.stato, 0) << r.err;
        EXPECT_EQ(leggi_json(r.out).at("kind").get<std::string>(), c.genere);
    }
    prova::scrivi(dir / "strano.bin", std::string(16, '\x07'));
    auto r = esegui_strumento({"dump", (dir / "strano.bin").string()});
    EXPECT_EQ(r.stato, 3);
    EXPECT_NE(r.err.find("fit none of the layouts"), std::string::npos) << r.err;
}

// The cell file takes its names from the table beside it, from --table, or goes without.
TEST(Dump, NomiDallaTabellaAccanto) {
    const auto& v = prova::valmarena_compilato();
    prova::cartella_temporanea dir;
    auto sola = dir / "Solo_celle.dat";
    std::filesystem::copy_file(v.celle, sola);
    auto senza = esegui_strumento({"dump", sola.string()});
    ASSERT_EQ(senza.stato, 0);
    EXPECT_NE(senza.out.find("note: no table file"), std::string::npos);
    EXPECT_EQ(senza.out.find("station=\""), std::string::npos);
    EXPECT_NE(senza.out.find("stopping point                 entry=1\n"), std::string::npos);

    auto con = esegui_strumento({"dump", sola.string(), "--table", v.tabella.string()});
    ASSERT_EQ(con.stato, 0);
    EXPECT_NE(con.out.find("entry=1 station=\"Velmora\""), std::string::npos);

    prova::scrivi(dir / "rotta.sim", "xyz");
    auto rotta = esegui_strumento({"dump", sola.string(), "--table", (dir / "rotta.sim").string()});
    EXPECT_EQ(rotta.stato, 3);
    // Beside the cells, a broken table is only noted: the cells are still listed.
    std::filesystem::copy_file(dir / "rotta.sim", dir / "Solo_celle.sim");
    auto accanto = esegui_strumento({"dump", sola.string()});
    EXPECT_EQ(accanto.stato, 0);
    EXPECT_NE(accanto.out.find("does not fit its layout"), std::string::npos);
}

}  // namespace
}  // namespace valmarena
