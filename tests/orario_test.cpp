// The stations' times against the line: the least times at the limits and the running model's
// times, and what check says about them.

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "compiler/compilatore.h"
#include "compiler/orario.h"
#include "strumento_supporto.h"

namespace valmarena {
namespace {

using prova::esegui_strumento;

// Compiles two source files in memory, as check does.
scenario compilato(const std::filesystem::path& linea, const std::filesystem::path& treno) {
    scenario s;
    s.nome_percorso = "Valmarena";
    s.nome_treno = "RX 914";
    s.continua_dopo_errori = true;
    compila_in_memoria(s, tracciato_si_no::senza, sorgenti{linea, treno, false});
    return s;
}

// The package's train file with one text replaced, beside the package's line file.
struct pacchetto_cambiato {
    prova::cartella_temporanea dir;
    std::filesystem::path linea = dir / "linea.txt", treno = dir / "treno.txt";
    pacchetto_cambiato(const std::string& da, const std::string& a) {
        const auto& v = prova::valmarena_compilato();
        prova::scrivi(linea, prova::leggi(v.linea));
        std::string t = prova::leggi(v.treno);
        const auto p = t.find(da);
        if (p == std::string::npos) throw std::runtime_error("no " + da);
        prova::scrivi(treno, t.replace(p, da.size(), a));
    }
    prova::esito_strumento check(std::vector<std::string> altri = {}) const {
        std::vector<std::string> a{"check", "--line", linea.string(), "--train", treno.string()};
        a.insert(a.end(), altri.begin(), altri.end());
        return esegui_strumento(a);
    }
};

// The package's eight timed stations: the seven margins at the limits lie between 7 % and 33 %,
// and check gives no warning. The model, stopping at every station with a stopping point, needs
// more than three of the times: those are notes only, so --strict passes.
TEST(Orario, IlPacchettoEntraNeiLimiti) {
    const auto& v = prova::valmarena_compilato();
    scenario s = compilato(v.linea, v.treno);
    ASSERT_EQ(s.codice_errore, 0);
    const auto st = orario_del_percorso(s, parametri_marcia{});
    ASSERT_EQ(st.size(), 47u);
    std::vector<double> margini, modello;
    for (const auto& x : st)
        if (x.orario && x.da) {
            const double dato = *x.orario - *st[*x.da].orario;
            margini.push_back((dato - *x.minimo) / *x.minimo * 100);
            modello.push_back((dato - *x.modello) / *x.modello * 100);
        }
    const std::vector<double> attesi{7.0, 24.0, 28.7, 32.7, 30.4, 11.8, 8.6};
    const std::vector<double> attesi_modello{-16.3, -3.0, 3.8, 6.5, 8.3, -2.5, 0.0};
    ASSERT_EQ(margini.size(), attesi.size());
    for (std::size_t i = 0; i < attesi.size(); ++i) {
        EXPECT_NEAR(margini[i], attesi[i], 0.05) << i;
        EXPECT_NEAR(modello[i], attesi_modello[i], 0.05) << i;
    }
    diagnostica_orario(s, parametri_marcia{});
    // Every note to authors here is a timetable note: no warning.
    ASSERT_EQ(s.avvertimenti.size(), 3u);
    for (const auto& d : s.avvertimenti) EXPECT_EQ(d.tipo, "timetable-tight");
    EXPECT_EQ(s.avvertimenti[0].riga, 75);
    auto r = esegui_strumento({"check", "--strict", "--line", v.linea.string(), "--train", v.treno.string()});
    EXPECT_EQ(r.stato, 0);
    EXPECT_NE(r.out.find("0 errors, 0 warnings, 3 notes\n"), std::string::npos) << r.out;
}

// Malvigna (line 83) moved to 10:50:00 leaves 780 s after Orsolengo (line 75) for 53600 m that
// take 1524.8 s at the limits; moved to 10:30:00 it is earlier than Orsolengo's 10:37:00.
TEST(Orario, TempiImpossibiliEAllIndietro) {
    struct caso {
        const char* ora;
        const char* tipo;
        const char* parole;
    } casi[] = {
        {"10,50, 0", "timetable-too-fast",
         "'Malvigna' is timed 10:50:00, 780 s after 'Orsolengo' (T:75, 10:37:00), but the 53600 m between them "
         "take at least 1524.8 s at the speed limits; the stretch that costs most is "},
        {"10,30, 0", "timetable-backwards",
         "'Malvigna' is timed 10:30:00, earlier than the station with a time before it, 'Orsolengo' (T:75, 10:37:00)"},
    };
    for (const auto& c : casi) {
        pacchetto_cambiato p("11, 8,30, Malvigna", std::string(c.ora) + ", Malvigna");
        const std::string t = p.treno.string();
        auto r = p.check({"--json"});
        EXPECT_EQ(r.stato, 0) << c.tipo;
        const prova::json j = prova::leggi_json(r.out);
        std::vector<const prova::json*> avvisi;
        for (std::size_t i = 0; i < j["diagnostics"].size(); ++i)
            if (j["diagnostics"][i]["severity"].s == "warning") avvisi.push_back(&j["diagnostics"][i]);
        ASSERT_EQ(avvisi.size(), 1u) << c.tipo;
        const auto& w = *avvisi[0];
        EXPECT_EQ(w["id"].s, c.tipo);
        EXPECT_EQ(w["severity"].s, "warning");
        EXPECT_EQ(w["line"].intero(), 83);
        std::string atteso = c.parole;
        atteso.replace(atteso.find("T:"), 1, t);
        EXPECT_NE(w["message"].s.find(atteso), std::string::npos) << w["message"].s;
        // The station timed before it is the related row, shown as a note line.
        ASSERT_GE(w["related"].size(), 1u) << c.tipo;
        EXPECT_EQ(w["related"][0]["line"].intero(), 75);
        EXPECT_EQ(w["related"][0]["message"].s, "the station timed before it, 'Orsolengo'");
        EXPECT_EQ(p.check({"--strict"}).stato, 1) << c.tipo;
    }
}

// A train from Alfa (0 m, 08:00:00) through Beta (1000 m, a kind without a stop) to Gamma (2000 m,
// 08:02:00) under 90 km/h (25 m/s). At the limits: 2000 / 25 = 80 s. The model at 0.5 m/s² and
// 0.7 m/s²: 625 m to reach 25 m/s in 50 s, 446.43 m to brake in 35.71 s, the 928.57 m between at
// 25 m/s in 37.14 s: 122.86 s, so Beta is passed at 50 + 375 / 25 = 65 s. With 1 m/s² and
// 0.5 m/s²: 312.5 m in 25 s, 625 m in 50 s, 1062.5 m in 42.5 s: 117.5 s, Beta at 25 + 687.5 / 25 = 52.5 s.
TEST(Orario, IlModelloSuUnPercorsoSemplice) {
    prova::cartella_temporanea dir;
    const auto linea = dir / "l.txt", treno = dir / "t.txt";
    prova::scrivi(linea, prova::linea_minima("", 30000));
    prova::scrivi(treno, prova::righe({"[generale]", "velocita, 0, 90",
                                        "stazione, 0, 8, 500, 1,0,0, 5,1,0, 2,1,1, 1, 8,0,0, Alfa",
                                        "stazione, 1000, 27, 300, 0,0,0, 0,0,0, 0,0,0, 0, 0,0,0, Beta",
                                        "stazione, 2000, 2, 400, 1,0,0, 5,1,0, 2,1,1, 1, 8,2,0, Gamma", "[fine]"}));
    scenario s = compilato(linea, treno);
    ASSERT_EQ(s.codice_errore, 0);
    struct caso {
        parametri_marcia p;
        double beta, gamma;
    } casi[] = {{{0.5, 0.7}, 65.0, 50.0 + 35.0 / 0.98 + (2000 - 625 - 625 / 1.4) / 25.0}, {{1.0, 0.5}, 52.5, 117.5}};
    for (const auto& c : casi) {
        const auto st = orario_del_percorso(s, c.p);
        ASSERT_EQ(st.size(), 3u);
        EXPECT_FALSE(st[1].ferma);
        EXPECT_NEAR(*st[1].minimo, 40.0, 1e-9);
        EXPECT_NEAR(*st[1].modello, c.beta, 1e-6);
        EXPECT_NEAR(*st[2].minimo, 80.0, 1e-9);
        EXPECT_NEAR(*st[2].modello, c.gamma, 1e-6);
    }
    EXPECT_NEAR(50.0 + 35.0 / 0.98 + (2000 - 625 - 625 / 1.4) / 25.0, 122.857, 1e-3);
    // 120 s given: a note with the model's default margin, and none once the train brakes harder.
    auto r = esegui_strumento({"check", "--strict", "--line", linea.string(), "--train", treno.string()});
    EXPECT_EQ(r.stato, 0);
    EXPECT_NE(r.out.find(":5:1: note: 'Gamma' is timed 120 s after 'Alfa'"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("needs 122.9 s: margin -2.3 %\n"), std::string::npos) << r.out;
    auto f = esegui_strumento({"check", "--acceleration", "1", "--braking", "0.5", "--line", linea.string(), "--train",
                               treno.string()});
    EXPECT_EQ(f.out, "0 errors, 0 warnings\n");
    EXPECT_EQ(esegui_strumento({"check", "--braking", "0", "--line", linea.string(), "--train", treno.string()}).stato, 3);
}

// Two runs of the same time at their limits, 7700 m at 140 km/h and 1650 m at 30 km/h (198 s
// each, the second the larger when each cell's time is added up): the stretch that costs most is
// the first of them, whichever comes first, as run times are compared in whole metres and km/h.
TEST(Orario, IlTrattoPiuCostosoAParita) {
    struct caso {
        std::int32_t kmh1, metri1, kmh2, metri2;
    } casi[] = {{140, 7700, 30, 1650}, {30, 1650, 140, 7700}};
    for (const auto& c : casi) {
        prova::cartella_temporanea dir;
        const auto linea = dir / "l.txt", treno = dir / "t.txt";
        const std::string gamma = std::to_string(c.metri1 + c.metri2);
        prova::scrivi(linea, prova::linea_minima("", 30000));
        // A limit row at A sets the cells before cell A / 50: the next limit starts 50 m before A.
        prova::scrivi(treno, prova::righe({"[generale]", "velocita, 0, " + std::to_string(c.kmh1),
                                            "velocita, " + std::to_string(c.metri1 + 50) + ", " + std::to_string(c.kmh2),
                                            "stazione, 0, 8, 500, 1,0,0, 5,1,0, 2,1,1, 1, 8,0,0, Alfa",
                                            "stazione, " + gamma + ", 2, 400, 1,0,0, 5,1,0, 2,1,1, 1, 9,0,0, Gamma",
                                            "[fine]"}));
        scenario s = compilato(linea, treno);
        ASSERT_EQ(s.codice_errore, 0);
        const auto st = orario_del_percorso(s, parametri_marcia{});
        ASSERT_EQ(st.size(), 2u);
        EXPECT_NEAR(*st[1].minimo, 396.0, 1e-9);
        EXPECT_EQ(st[1].piu_lento.da_metri, 0) << c.kmh1;
        EXPECT_EQ(st[1].piu_lento.a_metri, c.metri1) << c.kmh1;
        EXPECT_EQ(st[1].piu_lento.kmh, c.kmh1);
        EXPECT_NEAR(st[1].piu_lento.secondi, 198.0, 1e-9);
    }
}

}  // namespace
}  // namespace valmarena

namespace valmarena {
namespace {

// The timetable command lists every station of the package, the times counting from the last
// station with a time, and the kilometre posts restarting at the package's two references.
TEST(Orario, IlComandoTimetable) {
    const auto& v = prova::valmarena_compilato();
    auto r = prova::esegui_strumento({"timetable", "--json", "--line", v.linea.string(), "--train", v.treno.string()});
    ASSERT_EQ(r.stato, 0) << r.err;
    const prova::json j = prova::leggi_json(r.out);
    const auto& st = j["stations"];
    ASSERT_EQ(st.size(), 47u);
    EXPECT_EQ(st[0]["time"].s, "10:09:30");
    EXPECT_EQ(st[0]["least_s"].t, prova::json::tipo::nullo);
    const auto& orsolengo = st[8];
    EXPECT_EQ(orsolengo["name"].s, "Orsolengo");
    EXPECT_EQ(orsolengo["line"].intero(), 75);
    EXPECT_EQ(orsolengo["from_entry"].intero(), 1);
    EXPECT_NEAR(orsolengo["least_s"].n, 1542.67, 0.05);
    EXPECT_NEAR(orsolengo["model_s"].n, 1970.4, 0.05);
    EXPECT_NEAR(orsolengo["margin_limits_pct"].n, 7.0, 0.05);
    EXPECT_FALSE(st[1]["stop"].b);  // Ponte Sorca, kind 27
    // 287550 m restarts at 0 (K = -287550), 319000 m at 415100 (flagged): Aurenzo at 335800 m.
    EXPECT_EQ(st[46]["km_post"].intero(), 415100 + 335800 - 319000);
    EXPECT_EQ(st[45]["km_post"].intero(), 415100 + 325600 - 319000);
    EXPECT_EQ(st[43]["km_post"].intero(), 308900 - 287550);
    auto t = prova::esegui_strumento({"timetable", "--line", v.linea.string(), "--train", v.treno.string()});
    EXPECT_NE(t.out.find("Orsolengo                   75       44250    44.250   yes  10:37:00     1542.7     1970.4"),
              std::string::npos)
        << t.out;
}

}  // namespace
}  // namespace valmarena
