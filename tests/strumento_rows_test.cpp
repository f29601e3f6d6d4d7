// `scenario rows`: a short row shows the line it took its fields from and the row it thereby
// lost; positions carry their cell and kilometre post; --json holds the same rows.

#include <gtest/gtest.h>

#include "scenario_di_prova.h"
#include "strumento_supporto.h"

namespace valmarena {
namespace {

TEST(Righe, UnaRigaCortaMostraLaRigaCheMangia) {
    prova::sorgenti_brenta src;
    std::string treno = prova::treno_brenta;
    treno.replace(treno.find("velocita,    2500,    100"), 25, "velocita,    2500");
    prova::scrivi(src.treno, treno);
    const auto r = prova::esegui_strumento({"rows", "--line", src.linea.string(), "--train", src.treno.string()});
    EXPECT_EQ(r.stato, 0) << r.err;
    const std::string t = src.treno.string();
    // Line 10 takes its speed from line 11, whose keyword it reads as a number; the values of
    // line 11 are then tokens that match nothing.
    EXPECT_NE(r.out.find(t + ":10:1: \"velocita\" read as 'velocita' (fields from lines 10 to 11)\n"
                             "    10:14 position \"2500\" = 2500 m, cell 50, km 2+500\n"
                             "    11:1 speed \"velocita\" = 0\n"),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find(t + ":11:14: \"7000\" matches no keyword: passed over\n"), std::string::npos) << r.out;
    // A station past the second reference: K + (position - P).
    EXPECT_NE(r.out.find("position \"11000\" = 11000 m, km 54+000"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find(":1:1: \"[generale]\" passed over: before the rows"), std::string::npos);
    EXPECT_NE(r.out.find(t + ":20:1: \"[fine]\" passed over: the last token of the file is never acted on"),
              std::string::npos)
        << r.out;
}

TEST(Righe, JsonEStatoComeCheck) {
    prova::sorgenti_brenta src;
    const auto j = prova::esegui_strumento({"rows", "--json", "--line", src.linea.string(), "--train", src.treno.string()});
    EXPECT_EQ(j.stato, 0);
    EXPECT_EQ(j.out.rfind("{\"rows\": [", 0), 0u);
    EXPECT_EQ(j.out.substr(j.out.size() - 4), "\n]}\n");
    EXPECT_NE(j.out.find("\"km\": \"km 54+000\""), std::string::npos) << j.out;
    EXPECT_NE(j.out.find("\"read_as\": [\"stazione\"]"), std::string::npos) << j.out;
    // An error is the same exit status as check's.
    prova::scrivi(src.treno, prova::treno_brenta + "segnale,  1050, 2, 3,4,1, 0, 2, 2,1,1, 0\r\n");
    const auto e = prova::esegui_strumento({"rows", "--line", src.linea.string(), "--train", src.treno.string()});
    const auto c = prova::esegui_strumento({"check", "--line", src.linea.string(), "--train", src.treno.string()});
    EXPECT_EQ(e.stato, c.stato);
    EXPECT_EQ(e.stato, 1);
    EXPECT_EQ(prova::esegui_strumento({"rows", "--line", src.linea.string()}).stato, 3);
}

}  // namespace
}  // namespace valmarena
