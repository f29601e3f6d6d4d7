// Runs that meet one another or are cut short, each in a child process of its own: two runs
// started together in one folder (the package, and `scenario compile`), a run while another one
// keeps the folder, runs ended by SIGTERM or SIGINT at random moments, and runs killed outright
// whose leftovers the next run in that folder clears away, leaving every other file alone.

#ifndef _WIN32

#include <gtest/gtest.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "scenario_di_prova.h"
#include "strumento_supporto.h"

namespace valmarena {
namespace {

namespace fs = std::filesystem;

const fs::path programma = VALMARENA_PROGRAMMA;
const fs::path strumento = VALMARENA_STRUMENTO;

// A program started in a child process, in folder `dove`, with its standard error in a file. It
// waits at a gate until `apri` is called, so that two of them start at the same moment.
class figlio {
public:
    figlio(const fs::path& dove, std::vector<std::string> argomenti, const fs::path& errori) : errori_(errori) {
        int cancello[2];
        if (pipe2(cancello, O_CLOEXEC) != 0) return;
        pid_ = fork();
        if (pid_ == 0) {
            close(cancello[1]);
            char c;
            (void)!read(cancello[0], &c, 1);
            // The signals as a shell would hand them to a command in the foreground.
            sigset_t tutti;
            sigemptyset(&tutti);
            sigprocmask(SIG_SETMASK, &tutti, nullptr);
            for (int s : {SIGTERM, SIGINT, SIGHUP}) signal(s, SIG_DFL);
            const int fd = open(errori.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            const int nulla = open("/dev/null", O_WRONLY);
            if (fd < 0 || nulla < 0 || dup2(fd, 2) < 0 || dup2(nulla, 1) < 0 || chdir(dove.c_str()) != 0) _exit(98);
            std::vector<char*> argv;
            for (auto& a : argomenti) argv.push_back(a.data());
            argv.push_back(nullptr);
            execv(argv[0], argv.data());
            _exit(99);
        }
        close(cancello[0]);
        cancello_ = cancello[1];
    }

    // A byte through the gate, not its closing: another child may hold the pipe's end too.
    void apri() {
        if (cancello_ < 0) return;
        (void)!write(cancello_, "v", 1);
        close(cancello_);
        cancello_ = -1;
    }

    void segnala(int segnale) const { kill(pid_, segnale); }

    // The child's end: its exit status (-1 when a signal ended it), the signal, its standard error.
    struct fine {
        int stato = -1;
        int segnale = 0;
        std::string errori;
    };
    fine aspetta() {
        apri();
        int st = 0;
        waitpid(pid_, &st, 0);
        return {WIFEXITED(st) ? WEXITSTATUS(st) : -1, WIFSIGNALED(st) ? WTERMSIG(st) : 0, prova::leggi(errori_)};
    }

private:
    pid_t pid_ = -1;
    int cancello_ = -1;
    fs::path errori_;
};

std::map<std::string, std::string> file_in(const fs::path& cartella) {
    std::map<std::string, std::string> m;
    for (const auto& f : fs::directory_iterator(cartella)) m[f.path().filename().string()] = prova::leggi(f.path());
    return m;
}

std::vector<std::string> temporanei_in(const fs::path& cartella) {
    std::vector<std::string> t;
    for (const auto& f : fs::directory_iterator(cartella)) {
        const std::string n = f.path().filename().string();
        if (n.size() > 5 && n.compare(n.size() - 5, 5, ".~tmp") == 0) t.push_back(n);
    }
    return t;
}

// The package of the tests' scenario, made by the tool from the package program.
struct pacchetto_brenta {
    prova::sorgenti_brenta src;
    prova::cartella_temporanea c;
    fs::path pacchetto = c / "brenta";
    fs::path errori = c / "errori";

    pacchetto_brenta() {
        const auto fatto = prova::esegui_strumento({"package", "--line", src.linea.string(), "--train", src.treno.string(),
                                                    "--stub", programma.string(), "--out", pacchetto.string()});
        if (fatto.stato != 0) throw std::runtime_error("the package was not made: " + fatto.err);
    }

    // Copied into `cartella`, ready to run there.
    void metti_in(const fs::path& cartella) const {
        fs::copy_file(pacchetto, cartella / "brenta", fs::copy_options::overwrite_existing);
        fs::permissions(cartella / "brenta", fs::perms::owner_all);
    }
};

// The folder after two runs started together: one complete set, as one run alone leaves it,
// and each run either succeeded (after waiting) or said another run was writing there.
void due_insieme(const std::vector<std::string>& comando, const fs::path& cartella, const fs::path& errori,
                 const std::map<std::string, std::string>& atteso, int volte) {
    for (int i = 0; i < volte; ++i) {
        figlio a(cartella, comando, errori.string() + "a"), b(cartella, comando, errori.string() + "b");
        a.apri();
        b.apri();
        for (const auto& f : {a.aspetta(), b.aspetta()}) {
            EXPECT_TRUE(f.stato == 0 || (f.stato == 3 && f.errori.find("Another run is writing in the folder") !=
                                                             std::string::npos))
                << i << ": " << f.stato << " " << f.errori;
        }
        const auto lasciati = file_in(cartella);
        ASSERT_EQ(lasciati, atteso) << "pair " << i << ": " << lasciati.size() << " files";
    }
}

TEST(CorseInsieme, IlPacchettoDueVolteNellaStessaCartella) {
    pacchetto_brenta p;
    prova::cartella_temporanea sola, insieme;
    p.metti_in(sola.cammino());
    ASSERT_EQ(figlio(sola.cammino(), {"./brenta"}, p.errori).aspetta().stato, 0);
    const auto atteso = file_in(sola.cammino());
    ASSERT_EQ(atteso.size(), 6u);  // the program, two documents, three compiled files
    p.metti_in(insieme.cammino());
    due_insieme({"./brenta"}, insieme.cammino(), p.errori, atteso, 100);
}

TEST(CorseInsieme, CompileDueVolteNellaStessaCartella) {
    prova::sorgenti_brenta src;
    prova::cartella_temporanea sola, insieme, errori;
    const std::vector<std::string> comando{strumento.string(), "compile", "--line", src.linea.string(),
                                           "--train", src.treno.string(), "--out", "."};
    ASSERT_EQ(figlio(sola.cammino(), comando, errori / "e").aspetta().stato, 0);
    const auto atteso = file_in(sola.cammino());
    ASSERT_EQ(atteso.size(), 3u);
    due_insieme(comando, insieme.cammino(), errori / "e", atteso, 100);
}

TEST(CorseInsieme, MentreUnAltroTieneLaCartellaSiAspettaPoiSiEsceCon3) {
    pacchetto_brenta p;
    prova::cartella_temporanea c;
    p.metti_in(c.cammino());
    const int fd = open(c.cammino().c_str(), O_RDONLY | O_DIRECTORY);
    ASSERT_EQ(flock(fd, LOCK_EX), 0);
    figlio pacchetto(c.cammino(), {"./brenta"}, p.errori);
    figlio compile(c.cammino(), {strumento.string(), "compile", "--line", p.src.linea.string(), "--train",
                                 p.src.treno.string(), "--out", c.cammino().string()},
                   p.errori.string() + "2");
    const auto inizio = std::chrono::steady_clock::now();
    pacchetto.apri();
    compile.apri();
    for (auto* f : {&pacchetto, &compile}) {
        const auto e = f->aspetta();
        EXPECT_EQ(e.stato, 3) << e.errori;
        EXPECT_NE(e.errori.find("Another run is writing in the folder " + c.cammino().string()), std::string::npos)
            << e.errori;
    }
    EXPECT_GE(std::chrono::steady_clock::now() - inizio, std::chrono::seconds(4));
    close(fd);
    EXPECT_EQ(file_in(c.cammino()).size(), 1u);  // the program alone
}

// A run of `comando` in `cartella`, ended by `segnale` after a random part of the time a whole
// run takes, `volte` times: a run ends as the signal ends it, or finished first, and never
// leaves a temporary file. Returns how many runs the signal ended.
int interrotte(const std::vector<std::string>& comando, const fs::path& cartella, const fs::path& errori, int segnale,
               int volte) {
    const auto t0 = std::chrono::steady_clock::now();
    EXPECT_EQ(figlio(cartella, comando, errori).aspetta().stato, 0);
    const auto durata = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - t0);
    std::mt19937 caso(static_cast<unsigned>(segnale) * 7919u);
    std::uniform_int_distribution<long long> quando(0, durata.count());
    int finite_dal_segnale = 0;
    for (int i = 0; i < volte; ++i) {
        figlio f(cartella, comando, errori);
        f.apri();
        std::this_thread::sleep_for(std::chrono::microseconds(quando(caso)));
        f.segnala(segnale);
        const auto e = f.aspetta();
        EXPECT_TRUE(e.stato == 0 || e.segnale == segnale) << i << ": " << e.stato << " " << e.segnale << " " << e.errori;
        finite_dal_segnale += e.segnale == segnale;
        const auto t = temporanei_in(cartella);
        EXPECT_TRUE(t.empty()) << i << ": " << t.front();
    }
    return finite_dal_segnale;
}

TEST(Segnali, TermEIntNonLascianoTemporanei) {
    const auto& v = prova::valmarena_compilato();
    prova::cartella_temporanea pacchetto, compilati, errori;
    fs::copy_file(programma, pacchetto / "valmarena");
    const std::vector<std::vector<std::string>> comandi{
        {"./valmarena"},
        {strumento.string(), "compile", "--line", v.linea.string(), "--train", v.treno.string(), "--out",
         compilati.cammino().string()}};
    for (int segnale : {SIGTERM, SIGINT}) {
        EXPECT_GT(interrotte(comandi[0], pacchetto.cammino(), errori / "e", segnale, 100), 10) << segnale;
        EXPECT_GT(interrotte(comandi[1], compilati.cammino(), errori / "e", segnale, 100), 10) << segnale;
    }
}

// Runs killed outright leave temporary files; the next run in the folder removes those of its
// own files, and leaves alone whatever only looks like one.
void dopo_sigkill(const std::vector<std::string>& comando, const fs::path& cartella, const fs::path& errori,
                  const std::string& uno_dei_suoi) {
    const std::vector<std::string> altrui{
        "mio.txt.0123abcd.~tmp",                  // a temporary name of a file this run does not write
        uno_dei_suoi + ".0123ABCD.~tmp",          // capitals: not a name this program makes
        uno_dei_suoi + ".0123abc.~tmp",           // seven digits
        uno_dei_suoi + ".0123abcd.~tmp.bak",      // something after it
        "x" + uno_dei_suoi + ".0123abcd.~tmp",    // another name that ends like it
    };
    for (const auto& n : altrui) prova::scrivi(cartella / n, "dell'utente");
    fs::create_directory(cartella / (uno_dei_suoi + ".00000000.~tmp"));  // a folder of that name
    prova::scrivi(cartella / (uno_dei_suoi + ".deadbeef.~tmp"), "lasciato");
    std::mt19937 caso(17);
    std::uniform_int_distribution<int> quando(0, 40000);
    for (int i = 0; i < 20; ++i) {
        figlio f(cartella, comando, errori);
        f.apri();
        std::this_thread::sleep_for(std::chrono::microseconds(quando(caso)));
        f.segnala(SIGKILL);
        f.aspetta();
    }
    ASSERT_EQ(figlio(cartella, comando, errori).aspetta().stato, 0);
    auto rimasti = temporanei_in(cartella);
    std::sort(rimasti.begin(), rimasti.end());
    std::vector<std::string> attesi{uno_dei_suoi + ".00000000.~tmp", uno_dei_suoi + ".0123ABCD.~tmp",
                                    uno_dei_suoi + ".0123abc.~tmp", "mio.txt.0123abcd.~tmp",
                                    "x" + uno_dei_suoi + ".0123abcd.~tmp"};
    std::sort(attesi.begin(), attesi.end());
    EXPECT_EQ(rimasti, attesi);
    for (const auto& n : altrui) EXPECT_EQ(prova::leggi(cartella / n), "dell'utente") << n;
}

TEST(Segnali, GliAvanziDiUnSigkillLiToglieLaCorsaDopo) {
    const auto& v = prova::valmarena_compilato();
    prova::cartella_temporanea pacchetto, compilati, errori;
    fs::copy_file(programma, pacchetto / "valmarena");
    dopo_sigkill({"./valmarena"}, pacchetto.cammino(), errori / "e", "Valmarena_linea.dat");
    dopo_sigkill({strumento.string(), "compile", "--line", v.linea.string(), "--train", v.treno.string(), "--out",
                  compilati.cammino().string()},
                 compilati.cammino(), errori / "e", "Valmarena_RX 914.sim");
}

}  // namespace
}  // namespace valmarena

#endif
