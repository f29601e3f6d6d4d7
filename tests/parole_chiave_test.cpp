// The keyword test of the readers, beyond the plain cases of lettore_token_test.cpp: false and
// partial starts, the folded Windows-1252 letters, and agreement with the plain search.

#include <gtest/gtest.h>

#include <string>

#include "compiler/lettore_token.h"
#include "sources/codifica.h"

namespace valmarena {
namespace {

TEST(ParoleChiave, Casi) {
    struct caso {
        std::string token, parola;
        bool atteso;
    };
    const caso casi[] = {
        {"pendenza", "", true},
        {"", "", true},
        {"", "a", false},
        {"curva", "curvas", false},
        {"cartello_INDICATORE", "indicat", true},
        {"indicatori_vmax", "cartello", false},
        {"ppendenza", "pendenza", true},       // a false start just before the match
        {"pendenzpendenza", "pendenza", true},  // a partial match, then the whole word
        {"pendenz", "pendenza", false},
        {"xxcurvas4", "s", true},
        {"velocit\xC0", "velocit\xE0", true},   // A grave folds to a grave
        {"velocit\xE0", "velocit\xC0", true},
        {"\xD7", "\xF7", false},                // the times sign is not a letter
        {"\x8A", "\x9A", true},                 // S caron
        {"\x9F", "\xFF", true},                 // Y diaeresis
        {"\xDF", "\xFF", false},
        {"aaaaaaaaab", "aab", true},
        {"aaaaaaaaaa", "aab", false},
    };
    for (const caso& c : casi) EXPECT_EQ(contiene(c.token, c.parola), c.atteso) << c.token << " / " << c.parola;
}

// The same answers as the plain search, byte by byte through minuscola(), on every short token
// and word over an alphabet with capitals, small letters and the folded Windows-1252 bytes.
TEST(ParoleChiave, ComeLaRicercaSemplice) {
    auto semplice = [](std::string_view t, std::string_view p) {
        if (p.empty()) return true;
        for (std::size_t i = 0; i + p.size() <= t.size(); ++i) {
            std::size_t k = 0;
            while (k < p.size() && minuscola(t[i + k]) == minuscola(p[k])) ++k;
            if (k == p.size()) return true;
        }
        return false;
    };
    const std::string alfabeto = "aAb\xC0\xE0\x8A\x9A";
    std::vector<std::string> parole{""};
    for (std::size_t lunghezza = 1; lunghezza <= 3; ++lunghezza) {
        std::vector<std::string> nuove;
        for (const auto& p : parole)
            if (p.size() == lunghezza - 1)
                for (char c : alfabeto) nuove.push_back(p + c);
        parole.insert(parole.end(), nuove.begin(), nuove.end());
    }
    int confronti = 0;
    for (const auto& parola : parole)
        for (const auto& a : parole)
            for (const auto& b : {std::string("x"), std::string("AB")}) {
                const std::string token = a + b + a;
                ASSERT_EQ(contiene(token, parola), semplice(token, parola)) << token << " / " << parola;
                ++confronti;
            }
    EXPECT_GT(confronti, 100000);
}

}  // namespace
}  // namespace valmarena
