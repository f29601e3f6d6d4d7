// The text report as compilers print it: under each diagnostic its source line as read and a
// caret with ~ under the field, a note with its own source line for each related row, and colour
// only when asked for or on a terminal, never under NO_COLOR.

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "estratto.h"
#include "strumento_supporto.h"

namespace valmarena {
namespace {

// The expected report with {L} and {T} for the two files' names and marks for the colours: {b}
// bold, {r} red, {m} magenta, {c} cyan, {g} green, {0} back to plain. Without colour the marks go.
std::string atteso(std::string t, const std::string& linea, const std::string& treno, bool colore) {
    const std::pair<const char*, std::string> segni[] = {
        {"{L}", linea},
        {"{T}", treno},
        {"{b}", colore ? "\033[1m" : ""},
        {"{r}", colore ? "\033[1;31m" : ""},
        {"{m}", colore ? "\033[1;35m" : ""},
        {"{c}", colore ? "\033[1;36m" : ""},
        {"{g}", colore ? "\033[1;32m" : ""},
        {"{0}", colore ? "\033[0m" : ""},
    };
    for (const auto& [segno, con] : segni)
        for (std::size_t p = 0; (p = t.find(segno, p)) != std::string::npos; p += con.size()) t.replace(p, 3, con);
    return t;
}

struct resa {
    const char* nome;
    std::string linea;  // rows after the line file's [curve] header; a whole file when it starts with '['
    std::string treno;  // rows of the train file
    std::string atteso;
};

const std::string stazione = "stazione,  1000, 4, 400, 1,0,0, 1,0,0, 1,1,0, 0, 0,0,0, Alfa";
const std::string pendenza_lontana = "pendenza,  0," + std::string(150, ' ') + "2.6";

const resa rese[] = {
    {"error, caret and ~ under the field, the row it met as a note", "",
     prova::righe({stazione, "segnale,  1100, 2, 3,4,1, 0, 2, 2,1,1, 0"}),
     "{b}{T}:3:1:{0} {r}error 16 at 1100 m (km 1+100):{0} signal on a cell that is already taken (cell 23, at 1100 m, already "
     "holds a station's stopping point from {T}:2)\n"
     "    3 | segnale,  1100, 2, 3,4,1, 0, 2, 2,1,1, 0\n"
     "      | {g}^~~~~~~{0}\n"
     "{b}{T}:2:{0} {c}note:{0} a station's stopping point placed by this row stands in cell 23\n"
     "    2 | " + stazione + "\n"},
    {"warning with a note at a column, each with its caret", "", prova::righe({"orologio, 7.10", "aderenza, 0, 95"}),
     "{b}{T}:2:1:{0} {m}warning:{0} the 'orologio' row has 1 of its 3 fields on line 2: field 'minutes' and those "
     "after it are read from line 3 ('aderenza'), so the 'aderenza' row of line 3 is not read as a row of its own\n"
     "    2 | orologio, 7.10\n"
     "      | {g}^~~~~~~~{0}\n"
     "{b}{T}:3:1:{0} {c}note:{0} the 'aderenza' row whose fields are taken\n"
     "    3 | aderenza, 0, 95\n"
     "      | {g}^~~~~~~~{0}\n"
     "{b}{T}:2:11:{0} {m}warning:{0} field 'hours' of the 'orologio' row holds '7.10', which is not an integer: it "
     "reads as 7\n"
     "    2 | orologio, 7.10\n"
     "      |           {g}^~~~{0}\n"},
    // The tab before the keyword is 8 columns wide on both lines, the one after the comma 7.
    {"tabs widened alike on the line and under it", "", prova::righe({"\tsegnalle,\t3000, 2, 3,4,1, 0, 2, 2,1,1, 0"}),
     "{b}{T}:2:2:{0} {m}warning:{0} 'segnalle' matches no keyword: the row is passed over; did you mean 'segnale'?\n"
     "    2 |         segnalle,       3000, 2, 3,4,1, 0, 2, 2,1,1, 0\n"
     "      |         {g}^~~~~~~~{0}\n"},
    {"a long line cut around the column", prova::righe({pendenza_lontana}), "",
     "{b}{L}:4:164:{0} {m}warning:{0} field 'gradient' of the 'pendenza' row holds '2.6', which is not an integer: "
     "it reads as 3\n"
     "    4 | ..." + std::string(40, ' ') + "2.6\n"
     "      | " + std::string(43, ' ') + "{g}^~~{0}\n"},
    {"a line of 100000 columns", prova::righe({"pendenza,  0," + std::string(100000, ' ') + "2.6"}), "",
     "{b}{L}:4:100014:{0} {m}warning:{0} field 'gradient' of the 'pendenza' row holds '2.6', which is not an integer: "
     "it reads as 3\n"
     "    4 | ..." + std::string(40, ' ') + "2.6\n"
     "      | " + std::string(43, ' ') + "{g}^~~{0}\n"},
    {"a wide line cut on both sides", prova::righe({pendenza_lontana + ", 7" + std::string(80, ' ') + ", 9"}), "",
     "{b}{L}:4:164:{0} {m}warning:{0} field 'gradient' of the 'pendenza' row holds '2.6', which is not an integer: "
     "it reads as 3\n"
     "    4 | ..." + std::string(40, ' ') + "2.6, 7" + std::string(48, ' ') + "...\n"
     "      | " + std::string(43, ' ') + "{g}^~~{0}\n"
     "{b}{L}:4:169:{0} {m}warning:{0} values after the last field 'gradient' of the 'pendenza' row are ignored: '7" +
         std::string(79, ' ') + "... (84 bytes in all)'\n"
     "    4 | ..." + std::string(35, ' ') + "2.6, 7" + std::string(53, ' ') + "...\n"
     "      | " + std::string(43, ' ') + "{g}^{0}\n"},
    // One column a character: 'ó' and 'à' are one byte each in the file, two in UTF-8.
    {"Windows-1252 shown in UTF-8, a control byte as its picture", "",
     prova::righe({"stazi\xf3ne,  1000, 4, 400, 1,0,0, 1,0,0, 1,1,0, 0, 0,0,0, Citt\xe0",
                   "segnale\x1b,  5000, 2, 3,4,1, 0, 2, 2,1,1, 0"}),
     "{b}{T}:2:1:{0} {m}warning:{0} 'stazi\xc3\xb3ne' matches no keyword: the row is passed over; did you mean "
     "'stazione'?\n"
     "    2 | stazi\xc3\xb3ne,  1000, 4, 400, 1,0,0, 1,0,0, 1,1,0, 0, 0,0,0, Citt\xc3\xa0\n"
     "      | {g}^~~~~~~~{0}\n"
     "{b}{T}:3:1:{0} {m}warning:{0} 'segnale\xe2\x90\x9b' is read as 'segnale'\n"
     "    3 | segnale\xe2\x90\x9b,  5000, 2, 3,4,1, 0, 2, 2,1,1, 0\n"
     "      | {g}^~~~~~~~{0}\n"},
    // A route check's error has no place; an empty file's fault is at a line it does not have.
    {"no source line without a place or beyond the end", "",
     prova::righe({"segnale,  9650, 2, 3,4,1, 0, 2, 2,1,1, 0", "segnale,  9700, 2, 3,4,1, 0, 2, 2,1,1, 0",
                   "segnale,  9750, 2, 3,4,1, 0, 2, 2,1,1, 0", "rallentamento, 10000, 60, 500, 0, 0, 0"}),
     "{r}error 12 at 10050 m (km 10+050):{0} no free cell for an abatement point on the approach to a slowdown\n"},
    {"an empty line file", "[", "",
     "{b}{L}:1:1:{0} {r}error 102:{0} no [generale] section before the end of the line description file\n"},
};

TEST(Estratti, ResaEsattaConESenzaColori) {
    for (const auto& c : rese) {
        SCOPED_TRACE(c.nome);
        prova::cartella_temporanea d;
        const auto l = d / "l.txt", t = d / "t.txt";
        prova::scrivi(l, c.linea == "[" ? "" : c.linea.rfind('[', 0) == 0 ? c.linea : prova::linea_minima(c.linea));
        prova::scrivi(t, prova::treno_minimo(c.treno));
        for (const char* colore : {"never", "always"}) {
            SCOPED_TRACE(colore);
            const bool si = colore[0] == 'a';
            auto v = prova::esegui_strumento({"check", "--line", l.string(), "--train", t.string(),
                                              std::string("--color=") + colore});
            // The diagnostics, without the count line after them.
            EXPECT_EQ(v.out.substr(0, v.out.rfind('\n', v.out.size() - 2) + 1),
                      atteso(c.atteso, l.string(), t.string(), si));
            // compile prints the same on standard error (it stops at a failing row, so compare the first).
            auto k = prova::esegui_strumento({"compile", "--line", l.string(), "--train", t.string(), "--out",
                                              (d / "o").string(), "--route", "V", "--train-name", "T",
                                              std::string("--color=") + colore});
            const std::string primo = atteso(c.atteso, l.string(), t.string(), si);
            EXPECT_EQ(k.err.substr(0, k.err.find('\n') + 1), primo.substr(0, primo.find('\n') + 1));
        }
    }
}

// A UTF-8 file converted by --encoding utf-8 shows the lines the compiler read, the converted
// ones: the same report as the file saved in Windows-1252.
TEST(Estratti, TestoConvertitoComeIlFileInWindows1252) {
    prova::cartella_temporanea d;
    const auto l = d / "l.txt", t8 = d / "utf8" / "t.txt", t1 = d / "cp1252" / "t.txt";
    std::filesystem::create_directories(t8.parent_path());
    std::filesystem::create_directories(t1.parent_path());
    prova::scrivi(l, prova::linea_minima(""));
    const std::string riga = "stazine,  1000, 4, 400, 1,0,0, 1,0,0, 1,1,0, 0, 0,0,0, Citt";
    prova::scrivi(t8, prova::treno_minimo(prova::righe({riga + "\xc3\xa0"})));
    prova::scrivi(t1, prova::treno_minimo(prova::righe({riga + "\xe0"})));
    auto convertito = prova::esegui_strumento({"check", "--line", l.string(), "--train", t8.string(), "--encoding", "utf-8"});
    auto letto = prova::esegui_strumento({"check", "--line", l.string(), "--train", t1.string()});
    EXPECT_NE(convertito.out.find("    2 | " + riga + "\xc3\xa0\n      | ^~~~~~~\n"), std::string::npos) << convertito.out;
    EXPECT_EQ(convertito.out.substr(convertito.out.find('\n')), letto.out.substr(letto.out.find('\n')));
}

// The lines a report asks for come in any order (a note on an earlier row, the next diagnostic
// further on): each is the line a plain split gives, whichever line was asked before it, for
// every kind of line end and an empty line among them.
TEST(Estratti, RigheInOgniOrdineComeDivisePerFineRiga) {
    const std::string testo = "uno\r\ndue\n\rquattro\r\rsei\r\n\notto";
    const std::vector<std::string> righe = {"uno", "due", "", "quattro", "", "sei", "", "otto"};
    strumento::testi_letti t;
    t.aggiungi("f", "f", &testo);
    const int ordine[] = {8, 1, 5, 4, 7, 2, 6, 3, 3, 8, 6, 1, 2, 9, 4};
    for (int n : ordine) {
        const auto r = t.riga("f", n);
        if (n > static_cast<int>(righe.size())) {
            EXPECT_FALSE(r) << "line " << n;
            continue;
        }
        ASSERT_TRUE(r) << "line " << n;
        EXPECT_EQ(std::string(*r), righe[static_cast<std::size_t>(n - 1)]) << "line " << n;
    }
}

#if !defined(_WIN32)
// The real program, its output through a pipe: escape sequences only under --color=always, which
// NO_COLOR does not override; on a terminal (when `script` can make one) auto colours unless
// NO_COLOR is set. For check (standard output), compile and documents (standard error).
TEST(Estratti, ColoriSoloQuandoChiestiONelTerminale) {
    prova::cartella_temporanea d;
    const auto l = d / "l.txt", t = d / "t.txt";
    prova::scrivi(l, prova::linea_minima(""));
    prova::scrivi(t, prova::treno_minimo(prova::righe({"segnalle, 3000, 2, 3,4,1, 0, 2, 2,1,1, 0"})));
    const std::string programma = VALMARENA_STRUMENTO;
    const std::string file = " --line '" + l.string() + "' --train '" + t.string() + "'";
    const std::string comandi[] = {" check" + file,
                                   " compile" + file + " --out '" + (d / "o").string() + "' --route V --train-name T",
                                   " documents" + file + " --out '" + (d / "doc").string() + "' --route V --train-name T"};
    auto uscita = [&](const std::string& comando) {
        const auto f = d / "uscita.txt";
        EXPECT_NE(std::system((comando + " > '" + f.string() + "' 2>&1").c_str()), -1);
        return prova::leggi(f);
    };
    struct caso {
        std::string ambiente, opzioni;
        bool colori;
    };
    const caso casi[] = {
        {"-u NO_COLOR", "", false},
        {"NO_COLOR=1", "", false},
        {"NO_COLOR=1", " --color=auto", false},
        {"-u NO_COLOR", " --color=never", false},
        {"-u NO_COLOR", " --color=always", true},
        {"NO_COLOR=1", " --color=always", true},
        {"NO_COLOR=", " --color=always", true},
    };
    for (const auto& c : casi) {
        for (const std::string& comando : comandi) {
            const std::string riga = "env " + c.ambiente + " '" + programma + "'" + comando + c.opzioni;
            SCOPED_TRACE(riga);
            const std::string t = uscita(riga + " 2>&1 | cat");
            EXPECT_NE(t.find("matches no keyword"), std::string::npos) << t;
            EXPECT_EQ(t.find('\033') != std::string::npos, c.colori) << t;
        }
    }
    EXPECT_NE(uscita("'" + programma + "' check" + file + " --color=sometimes").find("--color takes auto, always or never"),
              std::string::npos);

    // On a terminal: `script` runs the command with a terminal as its output.
    if (std::system("script -qec true /dev/null > /dev/null 2>&1") != 0) GTEST_SKIP() << "no script to make a terminal";
    for (const std::string& comando : comandi) {
        auto terminale = [&](const std::string& ambiente) {
            return uscita("script -qec \"env " + ambiente + " '" + programma + "'" + comando + "\" /dev/null");
        };
        EXPECT_NE(terminale("-u NO_COLOR").find("\033[1;35mwarning:"), std::string::npos) << comando;
        EXPECT_NE(terminale("NO_COLOR=").find('\033'), std::string::npos) << comando;  // empty: not set
        EXPECT_EQ(terminale("NO_COLOR=1").find("\033["), std::string::npos) << comando;
    }
    // check writes its report on standard output: sent to a file, it has no colour even with
    // standard error on the terminal.
    const auto rapporto = d / "rapporto.txt";
    uscita("script -qec \"env -u NO_COLOR '" + programma + "'" + comandi[0] + " > '" + rapporto.string() + "'\" /dev/null");
    EXPECT_NE(prova::leggi(rapporto).find("matches no keyword"), std::string::npos);
    EXPECT_EQ(prova::leggi(rapporto).find('\033'), std::string::npos);
}
#endif

}  // namespace
}  // namespace valmarena
