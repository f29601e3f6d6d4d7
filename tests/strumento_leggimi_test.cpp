// The README's table of error codes says what `significato_errore` says, code for code: a code
// added or reworded in the compiler without the README, or the other way round, fails here.

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <regex>
#include <sstream>

#include "compiler/errori.h"
#include "supporto.h"

namespace valmarena {
namespace {

TEST(Leggimi, TabellaDeiCodiciComeGliErrori) {
    const auto leggimi = std::filesystem::path(__FILE__).parent_path().parent_path() / "README.md";
    if (!std::filesystem::exists(leggimi)) GTEST_SKIP() << "README.md not found beside the tests";
    std::istringstream in(prova::leggi(leggimi));
    std::map<int, std::string> righe;
    std::string riga;
    bool sezione = false;
    static const std::regex codice(R"(^\| (\d+) \| ([^|]+) \| [^|]+ \|$)");
    while (std::getline(in, riga)) {
        if (riga.rfind("#", 0) == 0) sezione = riga == "### Error codes";
        std::smatch m;
        if (sezione && std::regex_match(riga, m, codice)) righe[std::stoi(m[1])] = m[2];
    }
    ASSERT_FALSE(righe.empty()) << "no table of error codes in " << leggimi;
    for (int c = 1; c < 1250; ++c) {
        std::string_view s = significato_errore(c);
        if (s.empty()) {
            EXPECT_EQ(righe.count(c), 0u) << "the README lists code " << c << ", which the compiler never records";
            continue;
        }
        ASSERT_EQ(righe.count(c), 1u) << "code " << c << " is missing from the README";
        EXPECT_EQ(righe[c], s) << "code " << c;
    }
}

}  // namespace
}  // namespace valmarena
