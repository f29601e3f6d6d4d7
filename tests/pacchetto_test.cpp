// A whole run of the package in a scratch folder: the files it leaves, and the compiled
// scenario's telling cells and entries checked against the embedded line and train.

#include <gtest/gtest.h>

#include "compiler/binari.h"
#include "driver/form1.h"
#include "comandi.h"
#include "supporto.h"

namespace valmarena {
namespace {

class Pacchetto : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        cartella_ = new prova::cartella_temporanea();
        Form1 form;
        stato_ = esegui_scenario(form, cartella_->cammino());
        codice_ = form.s.codice_errore;
        celle_ = decodifica_celle(prova::leggi(*cartella_ / "Valmarena_RX 914.dat"));
        voci_ = decodifica_tabella(prova::leggi(*cartella_ / "Valmarena_RX 914.sim"));
    }
    static void TearDownTestSuite() { delete cartella_; }

    static prova::cartella_temporanea* cartella_;
    static int stato_;
    static int codice_;
    static std::vector<cella> celle_;
    static std::vector<voce> voci_;
};

prova::cartella_temporanea* Pacchetto::cartella_ = nullptr;
int Pacchetto::stato_ = -1;
int Pacchetto::codice_ = -1;
std::vector<cella> Pacchetto::celle_;
std::vector<voce> Pacchetto::voci_;

TEST_F(Pacchetto, LasciaSeiFileESenzaErrori) {
    EXPECT_EQ(stato_, 0);
    EXPECT_EQ(codice_, 0);
    std::vector<std::string> nomi;
    for (const auto& e : std::filesystem::directory_iterator(cartella_->cammino()))
        nomi.push_back(e.path().filename().string());
    std::sort(nomi.begin(), nomi.end());
    EXPECT_EQ(nomi, (std::vector<std::string>{"Valmarena_RX 914.dat", "Valmarena_RX 914.sim",
                                               "Valmarena_RX 914_note.txt", "Valmarena_RX 914_rallentamenti.txt",
                                               "Valmarena_RX 914_scheda_treno.txt", "Valmarena_linea.dat"}));
    EXPECT_EQ(std::filesystem::file_size(*cartella_ / "Valmarena_linea.dat"), 6900964u);
    EXPECT_EQ(std::filesystem::file_size(*cartella_ / "Valmarena_RX 914.dat"), 103530u);
}

TEST_F(Pacchetto, PendenzeFinoAllaCella6898) {
    ASSERT_EQ(celle_.size(), 6902u);
    for (std::size_t c = 0; c <= 6898; ++c) ASSERT_NE(celle_[c].pendenza, 0) << c;
    for (std::size_t c = 6899; c <= 6901; ++c) EXPECT_EQ(celle_[c].pendenza, 0) << c;
}

TEST_F(Pacchetto, VociDellaLinea) {
    ASSERT_EQ(voci_.size(), 87u);
    auto terna = [](const voce& v) { return std::vector<std::int32_t>{v.inizio, v.fine, v.progressiva}; };
    EXPECT_EQ(terna(voci_[81]), (std::vector<std::int32_t>{319000, 415200, 1}));
    EXPECT_EQ(terna(voci_[82]), (std::vector<std::int32_t>{287550, -287550, 0}));
    EXPECT_EQ(terna(voci_[83]), (std::vector<std::int32_t>{0, 0, 0}));
    for (int e = 64; e <= 80; ++e) EXPECT_FALSE(voci_[static_cast<std::size_t>(e)].nome.empty()) << e;
    EXPECT_TRUE(voci_[63].nome.empty());
    EXPECT_EQ(voci_[85].nome, "Valmarena");
    EXPECT_EQ(voci_[86].nome, "RX 914");
}

TEST_F(Pacchetto, PrimaMontagnaConMarcatore) {
    for (std::size_t c = 119; c <= 123; ++c) EXPECT_EQ(celle_[c].montagna, 2) << c;
    EXPECT_EQ(celle_[118].montagna, 0);
    EXPECT_EQ(celle_[124].montagna, 0);
    EXPECT_EQ(celle_[122].tipo, cella_marcatore_montagna);
}

TEST_F(Pacchetto, CelleDelTreno) {
    EXPECT_EQ(celle_[719].tipo, cella_segnale);
    EXPECT_EQ(celle_[718].tipo, cella_abbattimento);
    // The slowdown at 16450 m: 45 km/h, d_v 45, numbered cells.
    struct attesa {
        std::size_t cella;
        std::uint8_t tipo;
        std::int16_t v1, v2;
    } rallentamento[] = {{330, 3, 45, 45}, {339, 2, 45, 45}, {306, 4, 45, 45}, {305, 5, 1, 1},
                         {304, 5, 2, 2},   {303, 5, 3, 3},   {302, 5, 4, 4}};
    for (const auto& a : rallentamento) {
        EXPECT_EQ(celle_[a.cella].tipo, a.tipo) << a.cella;
        EXPECT_EQ(celle_[a.cella].valore1, a.v1) << a.cella;
        EXPECT_EQ(celle_[a.cella].valore2, a.v2) << a.cella;
    }
    EXPECT_EQ(celle_[9].tipo, cella_fermata);
    EXPECT_EQ(celle_[9].valore1, 1);
    for (int k = 1; k <= 4; ++k) EXPECT_EQ(celle_[static_cast<std::size_t>(9 - k)].preavviso, 80 + k);
}

TEST_F(Pacchetto, ConteggiDelTreno) {
    int segnali = 0, fermate = 0, inizi = 0;
    for (const auto& c : celle_) {
        segnali += c.tipo == cella_segnale;
        fermate += c.tipo == cella_fermata;
        inizi += c.tipo == cella_inizio_rallentamento;
    }
    EXPECT_EQ(segnali, 180);
    EXPECT_EQ(fermate, 33);
    EXPECT_EQ(inizi, 4);
    int stazioni = 0;
    for (int e = 1; e <= 62; ++e) stazioni += voci_[static_cast<std::size_t>(e)].progressiva != 0 || e == 1;
    EXPECT_EQ(stazioni, 47);
}

TEST_F(Pacchetto, SlotRiservatiECodiciDiGara) {
    std::string b = prova::leggi(*cartella_ / "Valmarena_RX 914.dat");
    EXPECT_EQ(b.substr(16, 2), "\x01\x14");
    EXPECT_EQ(celle_[1].valore1, 5121);
    EXPECT_EQ(celle_[1].valore2, 2515);  // plain code of "rx 914valmarena" and the filler
    EXPECT_EQ(voci_[85].intero1, 610);
    EXPECT_EQ(voci_[85].orario, 35052);  // position-weighted code
}

TEST_F(Pacchetto, StrumentoDaiSorgentiStessiFileBinari) {
    // The authoring tool, from the package's own sources, compiles the very same files.
    prova::cartella_temporanea c;
    const std::string dir = c.cammino().string();
    ASSERT_EQ(strumento::comando_sources({"--out", dir + "/src"}), 0);
    ASSERT_EQ(strumento::comando_compile({"--line", dir + "/src/Valmarena_linea.txt", "--train",
                                          dir + "/src/Valmarena_RX 914-.txt", "--out", dir + "/out"}),
              0);
    EXPECT_TRUE(std::filesystem::exists(c / "src/Valmarena_linea.txt"));  // inputs are left alone
    for (const char* nome : {"Valmarena_linea.dat", "Valmarena_RX 914.sim", "Valmarena_RX 914.dat"})
        EXPECT_TRUE(prova::leggi(c / ("out/" + std::string(nome))) == prova::leggi(*cartella_ / nome)) << nome;
}

TEST(PacchettoRipetuto, SecondaCorsaStessiByte) {
    prova::cartella_temporanea c;
    Form1 prima;
    ASSERT_EQ(esegui_scenario(prima, c.cammino()), 0);
    std::map<std::string, std::string> contenuti;
    for (const auto& e : std::filesystem::directory_iterator(c.cammino()))
        contenuti[e.path().filename().string()] = prova::leggi(e.path());
    // A longer stale file of the same name must be cut to the new content.
    prova::scrivi(c / "Valmarena_RX 914_note.txt", std::string(100000, 'x'));
    Form1 seconda;
    ASSERT_EQ(esegui_scenario(seconda, c.cammino()), 0);
    std::map<std::string, std::string> dopo;
    for (const auto& e : std::filesystem::directory_iterator(c.cammino()))
        dopo[e.path().filename().string()] = prova::leggi(e.path());
    EXPECT_TRUE(contenuti == dopo);
}

}  // namespace
}  // namespace valmarena
