// File-system faults met by the package program and by `scenario compile`: a folder that
// cannot be written, a source file that cannot be deleted, a full disk, a folder standing where
// an output file should go. Each run must end with a message naming the file and the cause and
// a non-zero exit status, leave every file written before the fault (and every older output
// file) whole, and leave no temporary "<file>.*.~tmp" behind. Entries already standing at a
// temporary name, and a program that must find its own folder without /proc, are tried too.
//
// The faults are real ones, made in a child process: the tests run as root, whom permission
// bits do not stop, so the child drops to the unprivileged user 65534 where permissions matter;
// a full disk is a file-size limit (the write fails with EFBIG) or a small tmpfs (ENOSPC); a
// file that cannot be deleted is an unlink refused by the kernel through a seccomp filter, since
// a folder where a user may create files is one where that user may delete them again.

#include <gtest/gtest.h>
#include <fcntl.h>
#include <grp.h>
#include <linux/audit.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <sched.h>
#include <signal.h>
#include <stddef.h>
#include <sys/mount.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <iostream>
#include <map>
#include <string>
#include <vector>

#include "comandi.h"
#include "sources/contenuto.h"
#include "supporto.h"

namespace valmarena {
namespace {

namespace fs = std::filesystem;

constexpr uid_t utente_senza_privilegi = 65534;

// What the child process does to itself before it runs the program.
struct vincoli {
    bool senza_privilegi = false;        // setgid/setuid 65534
    rlim_t limite_file = RLIM_INFINITY;  // RLIMIT_FSIZE, with SIGXFSZ ignored
    bool senza_cancellare = false;       // unlink and unlinkat fail with EPERM
    unsigned allarme_secondi = 0;        // SIGALRM after this long: a run that hangs is ended
};

struct esito_figlio {
    int stato = -1;       // exit status, or -1 when the child did not exit normally
    std::string errori;   // its standard error
    bool saltato = false; // the child could not set up its fault
};

constexpr int stato_non_preparato = 97;

bool installa_filtro_cancellazione() {
    struct sock_filter filtro[] = {
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(struct seccomp_data, arch)),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, AUDIT_ARCH_X86_64, 1, 0),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(struct seccomp_data, nr)),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, __NR_unlink, 2, 0),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, __NR_unlinkat, 1, 0),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ERRNO | (EPERM & SECCOMP_RET_DATA)),
    };
    struct sock_fprog programma = {static_cast<unsigned short>(sizeof filtro / sizeof filtro[0]), filtro};
    return prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) == 0 &&
           prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &programma) == 0;
}

// Runs `corpo` in a child process under the given constraints; its standard error is kept.
esito_figlio in_figlio(const vincoli& v, const std::function<int()>& corpo) {
    prova::cartella_temporanea uscita;
    const fs::path file_errori = uscita / "stderr";
    std::cout.flush();
    std::cerr.flush();
    pid_t pid = fork();
    if (pid < 0) return {};
    if (pid == 0) {
        int fd = open(file_errori.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd < 0 || dup2(fd, 2) < 0) _exit(stato_non_preparato);
        if (v.limite_file != RLIM_INFINITY) {
            signal(SIGXFSZ, SIG_IGN);
            rlimit r{v.limite_file, v.limite_file};
            if (setrlimit(RLIMIT_FSIZE, &r) != 0) _exit(stato_non_preparato);
        }
        if (v.senza_privilegi &&
            (setgroups(0, nullptr) != 0 || setgid(utente_senza_privilegi) != 0 || setuid(utente_senza_privilegi) != 0))
            _exit(stato_non_preparato);
        if (v.senza_cancellare && !installa_filtro_cancellazione()) _exit(stato_non_preparato);
        if (v.allarme_secondi) alarm(v.allarme_secondi);
        int stato = corpo();
        std::cerr.flush();
        std::fflush(nullptr);
        _exit(stato);
    }
    int st = 0;
    waitpid(pid, &st, 0);
    esito_figlio e;
    e.stato = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
    e.errori = prova::leggi(file_errori);
    e.saltato = e.stato == stato_non_preparato;
    return e;
}

// Permission bits bind the unprivileged user only when the tests run as root (setuid works)
// and, when they do not, they bind the test user already.
bool permessi_verificabili() { return geteuid() == 0; }

std::map<std::string, std::string> contenuto_cartella(const fs::path& c) {
    std::map<std::string, std::string> m;
    for (const auto& e : fs::directory_iterator(c))
        m[e.path().filename().string()] = e.is_regular_file() ? prova::leggi(e.path()) : std::string("<cartella>");
    return m;
}

std::vector<std::string> temporanei(const fs::path& c) {
    std::vector<std::string> t;
    for (const auto& e : fs::recursive_directory_iterator(c)) {
        std::string n = e.path().filename().string();
        if (n.size() >= 5 && n.compare(n.size() - 5, 5, ".~tmp") == 0) t.push_back(n);
    }
    return t;
}

// Every file of `dopo` that is also an output of the undisturbed run either holds that run's
// bytes or the older content it had before (`prima`): nothing is half-written.
void controlla_interi(const std::map<std::string, std::string>& dopo, const std::map<std::string, std::string>& prima,
                      const std::map<std::string, std::string>& riferimento, const std::string& caso) {
    for (const auto& [nome, byte] : dopo) {
        if (byte == "<cartella>") continue;
        auto vecchio = prima.find(nome);
        auto buono = riferimento.find(nome);
        bool intero = (vecchio != prima.end() && vecchio->second == byte) ||
                      (buono != riferimento.end() && buono->second == byte);
        EXPECT_TRUE(intero) << caso << ": " << nome << " is neither the old file nor a whole new one ("
                            << byte.size() << " bytes)";
    }
}

// ---- the package program, the real binary copied into the folder it writes into ----

const fs::path programma = VALMARENA_PROGRAMMA;

// The files of an undisturbed run of the package, by name.
const std::map<std::string, std::string>& uscite_pacchetto() {
    static const std::map<std::string, std::string> uscite = [] {
        prova::cartella_temporanea c;
        fs::copy_file(programma, c / "valmarena");
        esito_figlio e = in_figlio({}, [&] {
            execl((c / "valmarena").c_str(), "valmarena", static_cast<char*>(nullptr));
            return 127;
        });
        EXPECT_EQ(e.stato, 0) << e.errori;
        auto m = contenuto_cartella(c.cammino());
        m.erase("valmarena");
        // The source files, deleted by an undisturbed run, stay after a fault that stops it
        // before its compiler has read them: whole, they hold the embedded text.
        m["Valmarena_linea.txt"] = std::string(contenuto::linea());
        m["Valmarena_RX 914-.txt"] = std::string(contenuto::treno());
        return m;
    }();
    return uscite;
}

esito_figlio esegui_pacchetto(const fs::path& cartella, const vincoli& v) {
    return in_figlio(v, [&] {
        execl((cartella / "valmarena").c_str(), "valmarena", static_cast<char*>(nullptr));
        return 127;
    });
}

// The old outputs a folder holds before a run: each compiled file with older bytes.
std::map<std::string, std::string> metti_vecchie_uscite(const fs::path& c) {
    std::map<std::string, std::string> vecchie = {
        {"Valmarena_linea.dat", "vecchio tracciato"},
        {"Valmarena_RX 914.sim", "vecchia tabella"},
        {"Valmarena_RX 914.dat", "vecchie celle"},
    };
    for (const auto& [n, b] : vecchie) prova::scrivi(c / n, b);
    return vecchie;
}

bool contiene(const std::string& testo, const std::string& parte) { return testo.find(parte) != std::string::npos; }

TEST(GuastiFilePacchetto, CartellaNonScrivibile) {
    if (!permessi_verificabili()) GTEST_SKIP() << "needs root to run the program as an unprivileged user";
    prova::cartella_temporanea c;
    fs::copy_file(programma, c / "valmarena");
    auto prima = metti_vecchie_uscite(c.cammino());
    fs::permissions(c.cammino(), fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                      fs::perms::others_read | fs::perms::others_exec);
    esito_figlio e = esegui_pacchetto(c.cammino(), {.senza_privilegi = true});
    if (e.saltato) GTEST_SKIP() << "setuid to 65534 failed";
    EXPECT_EQ(e.stato, 3);
    EXPECT_TRUE(contiene(e.errori, "Cannot write " + (c / "Valmarena_linea.txt").string() + ": ")) << e.errori;
    EXPECT_TRUE(contiene(e.errori, "Permission denied")) << e.errori;
    auto dopo = contenuto_cartella(c.cammino());
    dopo.erase("valmarena");
    EXPECT_EQ(dopo, prima);
}

// The package writes its two source files itself and its compiler deletes them once read. When
// the kernel refuses the deletion, the reading stops with a run-time failure (error 25) that
// names the file and the cause; the text files and the compiled files are still whole.
TEST(GuastiFilePacchetto, SorgenteNonCancellabile) {
    prova::cartella_temporanea c;
    fs::copy_file(programma, c / "valmarena");
    esito_figlio e = esegui_pacchetto(c.cammino(), {.senza_cancellare = true});
    if (e.saltato) GTEST_SKIP() << "a seccomp filter cannot be installed here";
    EXPECT_EQ(e.stato, 1);
    EXPECT_TRUE(contiene(e.errori, "error 25")) << e.errori;
    EXPECT_TRUE(contiene(e.errori, "cannot delete Valmarena_linea.txt: Operation not permitted")) << e.errori;
    auto dopo = contenuto_cartella(c.cammino());
    dopo.erase("valmarena");
    EXPECT_TRUE(temporanei(c.cammino()).empty());
    // The source files stay, whole; the text files are the undisturbed run's.
    const auto& rif = uscite_pacchetto();
    EXPECT_EQ(dopo["Valmarena_linea.txt"], std::string(contenuto::linea()));
    for (const char* n : {"Valmarena_RX 914_note.txt", "Valmarena_RX 914_rallentamenti.txt", "Valmarena_RX 914_scheda_treno.txt"})
        EXPECT_EQ(dopo[n], rif.at(n)) << n;
    EXPECT_EQ(dopo.count("Valmarena_RX 914.dat"), 1u);
}

// A full disk: first as a file-size limit, then, where a tmpfs can be mounted, as a file system
// that runs out of space. The track plan is the first file too large; everything before it is
// whole and the older compiled files are kept.
TEST(GuastiFilePacchetto, DiscoPieno) {
    const auto& rif = uscite_pacchetto();
    {
        prova::cartella_temporanea c;
        fs::copy_file(programma, c / "valmarena");
        auto prima = metti_vecchie_uscite(c.cammino());
        esito_figlio e = esegui_pacchetto(c.cammino(), {.limite_file = 1 << 20});
        ASSERT_FALSE(e.saltato);
        EXPECT_EQ(e.stato, 3);
        EXPECT_TRUE(contiene(e.errori, "Cannot write " + (c / "Valmarena_linea.dat").string() + ": ")) << e.errori;
        EXPECT_TRUE(contiene(e.errori, "File too large")) << e.errori;
        EXPECT_TRUE(temporanei(c.cammino()).empty());
        auto dopo = contenuto_cartella(c.cammino());
        dopo.erase("valmarena");
        controlla_interi(dopo, prima, rif, "limite di dimensione");
        for (const auto& [n, b] : prima) EXPECT_EQ(dopo[n], b) << n;
        EXPECT_EQ(dopo.count("Valmarena_RX 914_scheda_treno.txt"), 1u);
    }
    if (geteuid() != 0) return;
    prova::cartella_temporanea montaggio;
    // Room for the program and the text files, not for the 7 MB track plan.
    const auto spazio = fs::file_size(programma) + (1u << 20);
    const std::string opzioni = "size=" + std::to_string(spazio);
    if (mount("tmpfs", montaggio.cammino().c_str(), "tmpfs", 0, opzioni.c_str()) != 0) {
        std::cout << "[ note ] no tmpfs here (" << std::strerror(errno) << "); the full disk is tried with the size limit only\n";
        return;
    }
    struct smonta {
        const fs::path& p;
        ~smonta() { umount2(p.c_str(), MNT_DETACH); }
    } smontaggio{montaggio.cammino()};
    const fs::path c = montaggio.cammino();
    fs::copy_file(programma, c / "valmarena");
    fs::permissions(c / "valmarena", fs::perms::owner_all, fs::perm_options::add);
    auto prima = metti_vecchie_uscite(c);
    esito_figlio e = esegui_pacchetto(c, {});
    EXPECT_EQ(e.stato, 3);
    EXPECT_TRUE(contiene(e.errori, "Cannot write " + (c / "Valmarena_linea.dat").string() + ": ")) << e.errori;
    EXPECT_TRUE(contiene(e.errori, "No space left on device")) << e.errori;
    EXPECT_TRUE(temporanei(c).empty());
    auto dopo = contenuto_cartella(c);
    dopo.erase("valmarena");
    controlla_interi(dopo, prima, rif, "tmpfs pieno");
    for (const auto& [n, b] : prima) EXPECT_EQ(dopo[n], b) << n;
}

// A folder where each output file should go, in the order the package writes them: the run
// stops at that file, every file written before it is whole and none after it is written.
TEST(GuastiFilePacchetto, CartellaAlPostoDiUnFile) {
    const auto& rif = uscite_pacchetto();
    const char* nomi[] = {"Valmarena_linea.txt", "Valmarena_RX 914-.txt", "Valmarena_RX 914_note.txt",
                          "Valmarena_RX 914_rallentamenti.txt", "Valmarena_RX 914_scheda_treno.txt",
                          "Valmarena_linea.dat", "Valmarena_RX 914.sim", "Valmarena_RX 914.dat"};
    for (std::size_t i = 0; i < std::size(nomi); ++i) {
        const char* nome = nomi[i];
        prova::cartella_temporanea c;
        fs::copy_file(programma, c / "valmarena");
        fs::create_directory(c / nome);
        prova::scrivi(c / nome / "dentro", "x");
        esito_figlio e = esegui_pacchetto(c.cammino(), {});
        EXPECT_EQ(e.stato, 3) << nome;
        EXPECT_TRUE(contiene(e.errori, "Cannot write " + (c / nome).string() + ": ")) << nome << ": " << e.errori;
        EXPECT_TRUE(fs::is_directory(c / nome)) << nome;
        EXPECT_EQ(prova::leggi(c / nome / "dentro"), "x") << nome;
        EXPECT_TRUE(temporanei(c.cammino()).empty()) << nome;
        auto dopo = contenuto_cartella(c.cammino());
        dopo.erase("valmarena");
        controlla_interi(dopo, {}, rif, nome);
        for (std::size_t j = i + 1; j < std::size(nomi); ++j) EXPECT_EQ(dopo.count(nomi[j]), 0u) << nome << ": " << nomi[j];
    }
    // A folder where the temporary file used to go stands aside: the temporary file takes a name
    // of its own, the run completes and the folder stays as it was.
    prova::cartella_temporanea c;
    fs::copy_file(programma, c / "valmarena");
    fs::create_directory(c / "Valmarena_RX 914.sim.~tmp");
    prova::scrivi(c / "Valmarena_RX 914.sim.~tmp" / "dentro", "x");
    esito_figlio e = esegui_pacchetto(c.cammino(), {});
    EXPECT_EQ(e.stato, 0) << e.errori;
    EXPECT_EQ(prova::leggi(c / "Valmarena_RX 914.sim.~tmp" / "dentro"), "x");
    EXPECT_EQ(prova::leggi(c / "Valmarena_RX 914.sim"), rif.at("Valmarena_RX 914.sim"));
}

// Entries that stand at the names "<file>.~tmp" beside every file the package writes: a link
// into another folder, a pipe, a user's own file. The run writes through temporary files of its
// own, so it neither writes through the link, nor waits on the pipe, nor takes the user's file
// as an output; every entry is left as it was and the outputs are those of an undisturbed run.
TEST(GuastiFilePacchetto, NomiTemporaneiGiaPresi) {
    const auto& rif = uscite_pacchetto();
    enum class genere { collegamento, fifo, file_utente };
    for (genere g : {genere::collegamento, genere::fifo, genere::file_utente}) {
        SCOPED_TRACE(static_cast<int>(g));
        prova::cartella_temporanea base;
        const fs::path c = base / "programma", vittima = base / "altrove" / "vittima.txt";
        fs::create_directories(vittima.parent_path());
        fs::create_directory(c);
        prova::scrivi(vittima, "da non toccare");
        fs::copy_file(programma, c / "valmarena");
        std::vector<std::string> presi;
        for (const auto& [nome, byte] : rif) {
            const fs::path p = c / (nome + ".~tmp");
            presi.push_back(p.filename().string());
            if (g == genere::collegamento) fs::create_symlink("../altrove/vittima.txt", p);
            if (g == genere::fifo) {
                ASSERT_EQ(mkfifo(p.c_str(), 0666), 0) << std::strerror(errno);
            }
            if (g == genere::file_utente) prova::scrivi(p, "mio " + nome);
        }
        // A run held on a pipe is ended by the alarm and reported as not exited.
        esito_figlio e = esegui_pacchetto(c, {.allarme_secondi = 60});
        EXPECT_EQ(e.stato, 0) << e.errori;
        EXPECT_EQ(prova::leggi(vittima), "da non toccare");
        for (const auto& [nome, byte] : rif) {
            const fs::path p = c / (nome + ".~tmp");
            if (g == genere::collegamento) {
                EXPECT_TRUE(fs::is_symlink(p)) << p;
                EXPECT_EQ(fs::read_symlink(p), "../altrove/vittima.txt");
            }
            if (g == genere::fifo) {
                EXPECT_TRUE(fs::is_fifo(fs::symlink_status(p))) << p;
            }
            if (g == genere::file_utente) {
                EXPECT_EQ(prova::leggi(p), "mio " + nome);
            }
            // The outputs are plain files holding the undisturbed run's bytes; the sources are gone.
            if (nome == "Valmarena_linea.txt" || nome == "Valmarena_RX 914-.txt") {
                EXPECT_FALSE(fs::exists(fs::symlink_status(c / nome))) << nome;
                continue;
            }
            EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(c / nome))) << nome;
            EXPECT_EQ(prova::leggi(c / nome), byte) << nome;
        }
        std::vector<std::string> rimasti = temporanei(c);
        std::sort(rimasti.begin(), rimasti.end());
        std::sort(presi.begin(), presi.end());
        EXPECT_EQ(rimasti, presi);
    }
}

// Without /proc the program finds itself from argv[0] as the shell did: through PATH (skipping a
// same-named file that may not be run) or as a path; when argv[0] names no program file it stops
// with status 3. It never writes into the current folder. /proc is hidden by a tmpfs mounted in
// a private mount namespace, which needs root.
TEST(GuastiFilePacchetto, SenzaProcDalPathODaArgv0) {
    if (geteuid() != 0) GTEST_SKIP() << "needs root to hide /proc in a private mount namespace";
    const auto& rif = uscite_pacchetto();
    struct caso {
        const char* argv0;
        bool dal_path;  // started by name through PATH, otherwise by its full path
        int stato;
    };
    const caso casi[] = {{"valmarena", true, 0}, {"../programma/valmarena", false, 0}, {"valmarena-assente", false, 3}};
    for (const caso& k : casi) {
        SCOPED_TRACE(k.argv0);
        prova::cartella_temporanea base;
        const fs::path c = base / "programma", corrente = base / "corrente", finto = base / "finto";
        for (const auto& d : {c, corrente, finto}) fs::create_directory(d);
        fs::copy_file(programma, c / "valmarena");
        // Found first in PATH, but without permission to run it: the shell would pass it by.
        prova::scrivi(finto / "valmarena", "#!/bin/sh\n");
        fs::permissions(finto / "valmarena", fs::perms::owner_read | fs::perms::owner_write);
        const std::string path = "/nessuna:" + finto.string() + ":" + c.string();
        esito_figlio e = in_figlio({}, [&] {
            if (unshare(CLONE_NEWNS) != 0 || mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
                mount("tmpfs", "/proc", "tmpfs", 0, "size=64k") != 0 || chdir(corrente.c_str()) != 0 ||
                setenv("PATH", path.c_str(), 1) != 0)
                return stato_non_preparato;
            if (k.dal_path) execlp(k.argv0, k.argv0, static_cast<char*>(nullptr));
            else execl((c / "valmarena").c_str(), k.argv0, static_cast<char*>(nullptr));
            return 127;
        });
        if (e.saltato) GTEST_SKIP() << "no private mount namespace here";
        EXPECT_EQ(e.stato, k.stato) << e.errori;
        EXPECT_TRUE(fs::is_empty(corrente));
        auto dopo = contenuto_cartella(c);
        dopo.erase("valmarena");
        if (k.stato == 0) {
            for (const auto& [nome, byte] : dopo) EXPECT_EQ(byte, rif.at(nome)) << nome;
            EXPECT_EQ(dopo.size(), 6u);
        } else {
            EXPECT_TRUE(dopo.empty());
            EXPECT_TRUE(contiene(e.errori, "Cannot find the folder that holds the program")) << e.errori;
        }
    }
}

// ---- `scenario compile`, run in the child through the tool's own entry point ----

struct sorgenti_prova {
    prova::cartella_temporanea cartella;
    fs::path linea = cartella / "Valmarena_linea.txt";
    fs::path treno = cartella / "Valmarena_RX 914-.txt";
    sorgenti_prova() {
        prova::scrivi(linea, std::string(contenuto::linea()));
        prova::scrivi(treno, std::string(contenuto::treno()));
    }
};

esito_figlio compila(const sorgenti_prova& src, const fs::path& out, const vincoli& v) {
    return in_figlio(v, [&] {
        return strumento::esegui({"compile", "--line", src.linea.string(), "--train", src.treno.string(), "--out", out.string()});
    });
}

const std::map<std::string, std::string>& uscite_compilazione() {
    static const std::map<std::string, std::string> uscite = [] {
        sorgenti_prova src;
        prova::cartella_temporanea out;
        esito_figlio e = compila(src, out.cammino(), {});
        EXPECT_EQ(e.stato, 0) << e.errori;
        return contenuto_cartella(out.cammino());
    }();
    return uscite;
}

TEST(GuastiFileCompilazione, CartellaNonScrivibile) {
    if (!permessi_verificabili()) GTEST_SKIP() << "needs root to run the tool as an unprivileged user";
    sorgenti_prova src;
    prova::cartella_temporanea out;
    auto prima = metti_vecchie_uscite(out.cammino());
    fs::permissions(out.cammino(), fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                        fs::perms::others_read | fs::perms::others_exec);
    fs::permissions(src.cartella.cammino(), fs::perms::others_read | fs::perms::others_exec, fs::perm_options::add);
    esito_figlio e = compila(src, out.cammino(), {.senza_privilegi = true});
    if (e.saltato) GTEST_SKIP() << "setuid to 65534 failed";
    EXPECT_EQ(e.stato, 3);
    EXPECT_TRUE(contiene(e.errori, "scenario: cannot write " + (out / "Valmarena_linea.dat").string() + ": ")) << e.errori;
    EXPECT_TRUE(contiene(e.errori, "Permission denied")) << e.errori;
    EXPECT_EQ(contenuto_cartella(out.cammino()), prima);
}

// The tool never deletes its inputs: source files that its user may not delete (a root-owned
// read-only folder) or that the kernel refuses to delete compile as usual and stay as they were.
TEST(GuastiFileCompilazione, SorgentiNonCancellabili) {
    const auto& rif = uscite_compilazione();
    for (bool senza_privilegi : {false, true}) {
        if (senza_privilegi && !permessi_verificabili()) continue;
        sorgenti_prova src;
        prova::cartella_temporanea out;
        fs::permissions(out.cammino(), fs::perms::all);
        fs::permissions(src.linea, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
        fs::permissions(src.treno, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
        fs::permissions(src.cartella.cammino(), fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                                     fs::perms::others_read | fs::perms::others_exec);
        esito_figlio e = compila(src, out.cammino(), {.senza_privilegi = senza_privilegi, .senza_cancellare = true});
        if (e.saltato) continue;
        EXPECT_EQ(e.stato, 0) << e.errori;
        EXPECT_EQ(prova::leggi(src.linea), std::string(contenuto::linea()));
        EXPECT_EQ(prova::leggi(src.treno), std::string(contenuto::treno()));
        EXPECT_EQ(contenuto_cartella(out.cammino()), rif);
    }
}

TEST(GuastiFileCompilazione, DiscoPieno) {
    const auto& rif = uscite_compilazione();
    sorgenti_prova src;
    {
        prova::cartella_temporanea out;
        auto prima = metti_vecchie_uscite(out.cammino());
        esito_figlio e = compila(src, out.cammino(), {.limite_file = 1 << 20});
        ASSERT_FALSE(e.saltato);
        EXPECT_EQ(e.stato, 3);
        EXPECT_TRUE(contiene(e.errori, "scenario: cannot write " + (out / "Valmarena_linea.dat").string() + ": ")) << e.errori;
        EXPECT_TRUE(contiene(e.errori, "File too large")) << e.errori;
        EXPECT_EQ(contenuto_cartella(out.cammino()), prima);
    }
    {
        // Without the track plan the table and the cells fit; a limit below the cells' size
        // stops at the cells, after a whole table.
        prova::cartella_temporanea out;
        auto prima = metti_vecchie_uscite(out.cammino());
        esito_figlio e = in_figlio({.limite_file = 64 * 1024}, [&] {
            return strumento::esegui({"compile", "--line", src.linea.string(), "--train", src.treno.string(), "--out",
                                      out.cammino().string(), "--no-track-plan"});
        });
        EXPECT_EQ(e.stato, 3);
        EXPECT_TRUE(contiene(e.errori, "scenario: cannot write " + (out / "Valmarena_RX 914.dat").string() + ": ")) << e.errori;
        auto dopo = contenuto_cartella(out.cammino());
        EXPECT_EQ(dopo["Valmarena_RX 914.sim"], rif.at("Valmarena_RX 914.sim"));
        EXPECT_EQ(dopo["Valmarena_RX 914.dat"], prima["Valmarena_RX 914.dat"]);
        EXPECT_EQ(dopo["Valmarena_linea.dat"], prima["Valmarena_linea.dat"]);
        EXPECT_TRUE(temporanei(out.cammino()).empty());
    }
    if (geteuid() != 0) return;
    prova::cartella_temporanea montaggio;
    if (mount("tmpfs", montaggio.cammino().c_str(), "tmpfs", 0, "size=2m") != 0) return;
    struct smonta {
        const fs::path& p;
        ~smonta() { umount2(p.c_str(), MNT_DETACH); }
    } smontaggio{montaggio.cammino()};
    auto prima = metti_vecchie_uscite(montaggio.cammino());
    esito_figlio e = compila(src, montaggio.cammino(), {});
    EXPECT_EQ(e.stato, 3);
    EXPECT_TRUE(contiene(e.errori, "scenario: cannot write " + (montaggio / "Valmarena_linea.dat").string() + ": No space left on device") ||
                contiene(e.errori, "No space left on device")) << e.errori;
    EXPECT_EQ(contenuto_cartella(montaggio.cammino()), prima);
}

TEST(GuastiFileCompilazione, CartellaAlPostoDiUnFile) {
    const auto& rif = uscite_compilazione();
    sorgenti_prova src;
    for (const char* nome : {"Valmarena_linea.dat", "Valmarena_RX 914.sim", "Valmarena_RX 914.dat"}) {
        prova::cartella_temporanea out;
        fs::create_directory(out / nome);
        esito_figlio e = compila(src, out.cammino(), {});
        EXPECT_EQ(e.stato, 3) << nome;
        EXPECT_TRUE(contiene(e.errori, "scenario: cannot write " + (out / nome).string() + ": ")) << nome << ": " << e.errori;
        EXPECT_TRUE(temporanei(out.cammino()).empty()) << nome;
        controlla_interi(contenuto_cartella(out.cammino()), {}, rif, nome);
    }
}

}  // namespace
}  // namespace valmarena
