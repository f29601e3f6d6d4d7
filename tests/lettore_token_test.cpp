// The token reader: blanks, empty and text numeric fields, requests across lines, quotes,
// widths and overflow, the end-of-file rule, and the keyword tests.

#include <gtest/gtest.h>

#include "compiler/lettore_token.h"
#include "records/guasti.h"

namespace valmarena {
namespace {

// Each case reads the fields named by `richieste` (t = text, n = Long) and joins what it got with '|'.
struct caso_lettura {
    const char* nome;
    std::string testo;
    std::string richieste;
    std::string atteso;
};

std::string leggi_tutto(const caso_lettura& c) {
    lettore_token in(c.testo, "prova.txt");
    std::string out;
    for (char r : c.richieste) {
        if (!out.empty()) out += '|';
        out += r == 't' ? "[" + std::string(in.testo()) + "]" : std::to_string(in.numero_long());
    }
    if (in.fine()) out += "|EOF";
    return out;
}

TEST(LettoreToken, Campi) {
    const caso_lettura casi[] = {
        {"parola e numeri", "pendenza,  5650,   -18\r\n", "tnn", "[pendenza]|5650|-18|EOF"},
        {"blanchi interni al testo", "lunghezza percorso,    338050\r\n", "tn", "[lunghezza percorso]|338050|EOF"},
        {"campi vuoti valgono 0", "indicatori_vmax,  1000,  90,  ,  ,  0\r\n", "tnnnnn", "[indicatori_vmax]|1000|90|0|0|0|EOF"},
        {"testo in campo numerico vale 0", "x, abc, 7\r\n", "tnn", "[x]|0|7|EOF"},
        {"numeri separati da blanchi", "orologio,    10              9             30 \r\n", "tnnn",
         "[orologio]|10|9|30|EOF"},
        {"orologio con le virgole", "orologio, 10, 9, 30\r\n", "tnnn", "[orologio]|10|9|30|EOF"},
        {"richiesta che passa alla riga dopo", "curvas1,  1350\r\n150\r\n", "tnn", "[curvas1]|1350|150|EOF"},
        {"riga vuota come testo", "a\r\n\r\nb\r\n", "ttt", "[a]|[]|[b]|EOF"},
        {"testo fino a fine riga con blanchi", "cartello,  7950,   (  Cippo  )(Km 8+000)\r\n[fine]\r\n", "tnt",
         "[cartello]|7950|[(  Cippo  )(Km 8+000)]"},
        {"testo tra virgolette", "\"a, b\",c\r\n", "tt", "[a, b]|[c]|EOF"},
        {"blanchi finali tolti", "nome con blanchi   \r\n", "t", "[nome con blanchi]|EOF"},
        {"file senza fine riga", "[fine]", "t", "[[fine]]|EOF"},
        {"decimali arrotondati al pari", "2.5, 3.5\r\n", "nn", "2|4|EOF"},
        {"accento di un byte", "velocit\xe0,   93000,   140\r\n", "tnn", "[velocit\xe0]|93000|140|EOF"},
        // A null byte is part of a text field: only the text's own end stops the walk.
        {"byte nullo nel testo", std::string("a\0b, 7\r\n", 8), "tn", std::string("[a\0b]|7|EOF", 11)},
        {"byte nullo in fondo al file", std::string("x, a\0", 5), "tt", std::string("[x]|[a\0]|EOF", 12)},
    };
    for (const auto& c : casi) EXPECT_EQ(leggi_tutto(c), c.atteso) << c.nome;
}

TEST(LettoreToken, GuastiComeL_ospite) {
    {
        lettore_token in("", "f");
        EXPECT_THROW(in.testo(), guasto);  // request at the end of the file
    }
    {
        lettore_token in("a\r\n", "f");
        in.testo();
        EXPECT_THROW(in.numero_long(), guasto);
    }
    {
        lettore_token in("2147483648\r\n", "f");
        EXPECT_THROW(in.numero_long(), guasto);
    }
    {
        lettore_token in("-2147483648\r\n", "f");
        EXPECT_EQ(in.numero_long(), INT32_MIN);
    }
    {
        lettore_token in("32768, 256, 255\r\n", "f");
        EXPECT_THROW(in.numero_intero(), guasto);
        EXPECT_THROW(in.numero_byte(), guasto);
        EXPECT_EQ(in.numero_byte(), 255);
    }
}

TEST(LettoreToken, LuoghiEAvvertimenti) {
    lettore_token in("[generale]\r\n  pendenza,  5x,\r\n 7\r\n", "f.txt");
    in.token();
    EXPECT_EQ(in.token(), "pendenza");
    EXPECT_EQ(in.ultimo().riga, 2);
    EXPECT_EQ(in.ultimo().colonna, 3);
    EXPECT_TRUE(in.primo_della_riga());
    EXPECT_EQ(in.numero_long(), 5);
    EXPECT_EQ(in.numero_long(), 0);
    EXPECT_EQ(in.numero_long(), 7);
    // The fields of the row as written: text in a numeric field, a value from a later line.
    ASSERT_EQ(in.campi().size(), 3u);
    EXPECT_EQ(in.campi()[0].grezzo, "5x");
    EXPECT_TRUE(in.campi()[0].non_intero);
    EXPECT_EQ(in.campi()[2].dove.riga, 3);
    EXPECT_EQ(in.riga_della_chiave(), 2);
}

// Whether each token begins its line (what "keyword-after-row" rests on), after fields of every
// kind: k = keyword token, n = number, t = text; the flags of the k requests, joined.
TEST(LettoreToken, PrimoDellaRiga) {
    const struct {
        const char* nome;
        std::string testo;
        std::string richieste;
        std::string atteso;
    } casi[] = {
        {"blanchi davanti", "   a, 1\r\n  b\r\n", "knk", "11"},
        {"dopo un numero sulla riga", "a, 1 b, 2\r\n", "knkn", "10"},
        {"dopo un testo sulla riga", "a, x, b\r\n", "ktk", "10"},
        {"dopo un campo vuoto", ", b\r\n", "kk", "10"},
        {"dopo un numero vuoto", "a, , b\r\n", "knk", "10"},
        {"riga vuota", "\r\n  b\r\n", "kk", "11"},
        {"virgolette su due righe, poi la virgola", "\"a\r\nb\",c\r\nd\r\n", "kkk", "101"},
        {"virgolette su due righe, poi la fine riga", "\"a\r\nb\" c\r\nd\r\n", "kk", "11"},
        {"solo CR", "a, 1\rb\r", "knk", "11"},
    };
    for (const auto& c : casi) {
        lettore_token in(c.testo, "f");
        std::string primi;
        for (char r : c.richieste) {
            if (r == 'k') {
                in.token();
                primi += in.primo_della_riga() ? '1' : '0';
            } else if (r == 'n') {
                in.numero_long();
            } else {
                in.testo();
            }
        }
        EXPECT_EQ(primi, c.atteso) << c.nome;
    }
}

// A numeric field is a plain integer only when it is a sign and digits: the diagnosis warns on
// the others, whatever value the reader takes from them.
TEST(LettoreToken, NumeriNonInteri) {
    const struct {
        const char* campo;
        bool non_intero;
        double valore;
    } casi[] = {
        {"5", false, 5},       {"-5", false, -5},    {"+5", false, 5},     {"0012", false, 12},
        {"5x", true, 5},       {"1.5", true, 1.5},   {"1.", true, 1},      {".5", true, 0.5},
        {"", true, 0},         {"-", true, 0},       {"1.2.3", true, 1.2}, {"999999999999", false, 999999999999.0},
    };
    for (const auto& c : casi) {
        lettore_token in(std::string(c.campo) + ", 7\r\n", "f");
        try {
            in.numero_long();
        } catch (const guasto&) {
            // past 32 bits: the field is read, its value fails to go into a Long
        }
        ASSERT_EQ(in.campi().size(), 1u) << c.campo;
        EXPECT_EQ(in.campi().back().grezzo, c.campo);
        EXPECT_EQ(in.campi().back().non_intero, c.non_intero) << c.campo;
        EXPECT_DOUBLE_EQ(in.campi().back().valore, c.valore) << c.campo;
        EXPECT_EQ(in.numero_long(), 7) << c.campo;
    }
}

// A number too large fails with the whole field kept, and the reading goes on after the field:
// its comma is the next field's (an author's check records error 25 and reads on).
TEST(LettoreToken, NumeroTroppoGrande) {
    lettore_token in("1234567890123x, 7\r\n", "f");
    EXPECT_THROW(in.numero_long(), guasto);
    ASSERT_EQ(in.campi().size(), 1u);
    EXPECT_EQ(in.campi().back().grezzo, "1234567890123x");
    EXPECT_EQ(in.numero_long(), 0);
    EXPECT_EQ(in.numero_long(), 7);
    EXPECT_TRUE(in.fine());
}

TEST(ParoleChiave, MaiuscoleEDentroIlToken) {
    struct {
        const char* token;
        const char* parola;
        bool ignora_maiuscole, esatto;
    } casi[] = {
        {"PENDENZA", "pendenza", true, false},
        {"[Generale]", "[generale]", true, false},
        {"Progressiva chilometrica uno", "progressiva", true, false},
        {"progressiva chilometrica uno", "progressiva", true, true},
        {"curvaS4", "s", true, false},
        {"curvad3", "s", false, false},
        {"velocit\xe0", "velocit", true, true},
    };
    for (const auto& c : casi) {
        EXPECT_EQ(contiene(c.token, c.parola), c.ignora_maiuscole) << c.token;
        EXPECT_EQ(contiene_esatto(c.token, c.parola), c.esatto) << c.token;
    }
    EXPECT_TRUE(comincia_con("   ---", "-"));
    EXPECT_FALSE(comincia_con("a-", "-"));
}

}  // namespace
}  // namespace valmarena
