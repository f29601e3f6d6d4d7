// Route and train names that end up in file names: which names the records may carry, and the
// tool refusing --route and --train-name values that would escape --out, that Windows refuses in
// a file name, or that Windows-1252 cannot hold, before anything is written.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "sources/codifica.h"
#include "sources/nomi.h"
#include "strumento_supporto.h"

namespace valmarena {
namespace {

namespace fs = std::filesystem;

TEST(DifettoNome, OgniByteUsabileTranneIVietati) {
    EXPECT_EQ(difetto_nome(percorso_pacchetto), std::nullopt);
    EXPECT_EQ(difetto_nome(treno_pacchetto), std::nullopt);
    EXPECT_EQ(difetto_nome("Citt\xE0 d'Ao\xB7sta \x80 ... x.y"), std::nullopt);
    const std::string vietati = "<>:\"/\\|?*";
    for (int b = 0; b < 256; ++b) {
        const char c = static_cast<char>(b);
        const bool controllo = b < 0x20 || b == 0x7F;
        const bool indefinito = b == 0x81 || b == 0x8D || b == 0x8F || b == 0x90 || b == 0x9D;
        const bool vietato = vietati.find(c) != std::string::npos;
        const auto d = difetto_nome(std::string("RX") + c + "914");
        EXPECT_EQ(d.has_value(), controllo || indefinito || vietato) << "byte " << b;
        if (!d) continue;
        // The message names the character: as itself when printable, by its code otherwise.
        char codice[8];
        std::snprintf(codice, sizeof codice, "0x%02X", static_cast<unsigned>(b));
        EXPECT_NE(d->find(vietato ? std::string("'") + c + "'" : std::string(codice)), std::string::npos) << *d;
    }
}

TEST(DifettoNome, VuotoEPuntoPunto) {
    EXPECT_EQ(difetto_nome(""), "the name is empty");
    ASSERT_TRUE(difetto_nome("..").has_value());
    EXPECT_NE(difetto_nome("..")->find("'..'"), std::string::npos);
    EXPECT_NE(difetto_nome("../x")->find("'/'"), std::string::npos);
    EXPECT_EQ(difetto_nome("..."), std::nullopt);  // only a file name's prefix, never a folder
}

TEST(Utf8In1252, EsattoORifiutatoConIlSuoDifetto) {
    struct caso {
        std::string utf8;
        std::string atteso;  // the Windows-1252 bytes, or a piece of the complaint
        bool buono;
    };
    const std::vector<caso> casi = {
        {"RX 914", "RX 914", true},
        {"Citt\xC3\xA0 \xE2\x82\xAC \xC5\xA0", "Citt\xE0 \x80 \x8A", true},
        {"\xE4\xB8\xAD", "'\xE4\xB8\xAD' (U+4E2D), which Windows-1252 cannot encode", false},
        {"\xF0\x9F\x9A\x86", "(U+1F686)", false},
        {"\xC2\x81", "(U+0081)", false},
        {"a\xFF", "the byte 0xFF, which is not valid UTF-8", false},
        {"a\xC3", "the byte 0xC3", false},                  // cut short at the end
        {"a\xC3(", "the byte 0xC3", false},                 // no continuation byte
        {"\xC0\xAF", "the byte 0xC0", false},               // overlong '/'
        {"\xE0\x80\xAF", "the byte 0xE0", false},           // overlong '/'
        {"\xED\xA0\x80", "the byte 0xED", false},           // a surrogate
        {"\xF4\x90\x80\x80", "the byte 0xF4", false},       // beyond U+10FFFF
        {"\x80", "the byte 0x80", false},                   // a stray continuation byte
    };
    for (const auto& c : casi) {
        std::string difetto;
        const auto r = da_utf8_a_1252_esatto(c.utf8, difetto);
        EXPECT_EQ(r.has_value(), c.buono) << c.utf8;
        if (r) {
            EXPECT_EQ(*r, c.atteso);
        } else {
            EXPECT_NE(difetto.find(c.atteso), std::string::npos) << difetto;
        }
    }
}

// Every command that takes --route and --train-name refuses a bad one with status 3, names the
// option and the character, and writes nothing, neither in --out nor beyond it.
TEST(NomiStrumento, NomiRifiutatiPrimaDiScrivere) {
    const auto& v = prova::valmarena_compilato();
    struct caso {
        std::string opzione, nome, atteso;
    };
    const std::vector<caso> casi = {
        {"--route", "../../escape", "--route: the name holds '/'"},
        {"--route", "..", "--route: the name is '..'"},
        {"--route", "a\\b", "the name holds '\\'"},
        {"--train-name", "RX:914", "--train-name: the name holds ':'"},
        {"--train-name", "RX?914", "the name holds '?'"},
        {"--train-name", "RX\t914", "the control character 0x09"},
        {"--train-name", "", "--train-name: the name is empty"},
        {"--route", "Valmarena \xE4\xB8\xAD", "--route holds the character '\xE4\xB8\xAD' (U+4E2D)"},
        {"--route", "Val\xE8marena", "--route holds the byte 0xE8, which is not valid UTF-8"},
    };
    for (const auto& c : casi) {
        SCOPED_TRACE(c.opzione + " " + c.nome);
        prova::cartella_temporanea t;
        const fs::path out = t / "a" / "b" / "out";
        const std::vector<std::vector<std::string>> comandi = {
            {"compile", "--line", v.linea.string(), "--train", v.treno.string(), "--out", out.string()},
            {"check", "--line", v.linea.string(), "--train", v.treno.string()},
            {"plot", v.compilati.string(), "--out", (t / "x.svg").string()},
        };
        for (auto args : comandi) {
            args.push_back(c.opzione);
            args.push_back(c.nome);
            const auto e = prova::esegui_strumento(args);
            EXPECT_EQ(e.stato, 3) << args[0];
            EXPECT_NE(e.err.find(c.atteso), std::string::npos) << args[0] << ": " << e.err;
            EXPECT_EQ(e.out, "") << args[0];
        }
        // Only the empty folders that compile made for --out: no file anywhere under the scratch folder.
        for (const auto& x : fs::recursive_directory_iterator(t.cammino()))
            EXPECT_TRUE(x.is_directory()) << x.path();
    }
}

// A name with letters beyond ASCII that Windows-1252 holds is still taken, and names its files.
TEST(NomiStrumento, LettereAccentateAccettate) {
    const auto& v = prova::valmarena_compilato();
    prova::cartella_temporanea out;
    const auto e = prova::esegui_strumento({"compile", "--line", v.linea.string(), "--train", v.treno.string(), "--out",
                                            out.cammino().string(), "--route", "Citt\xC3\xA0", "--train-name", "R\xE2\x82\xAC 1"});
    EXPECT_EQ(e.stato, 0) << e.err;
    for (const char8_t* nome : {u8"Citt\u00E0_linea.dat", u8"Citt\u00E0_R\u20AC 1.sim", u8"Citt\u00E0_R\u20AC 1.dat"})
        EXPECT_TRUE(fs::is_regular_file(out.cammino() / fs::path(std::u8string(nome))));
}

}  // namespace
}  // namespace valmarena
