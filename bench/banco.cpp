// The benchmark of the package program and of the compiler on the longest route.
//
// Each of the two jobs runs in a fresh folder, round after round, and in the same round /bin/cp
// copies the files it wrote into another fresh folder: cp, which like the job pays for starting a
// process, is the floor that any program writing those files has to pay, so the figures that
// count are the job's against cp's. The rounds run once on an idle machine and once with both
// processors kept busy by two spinning processes of the bench's own. It prints the median and
// the third quartile of the wall time and of the processor time (user and system, from wait4),
// the targets and whether they are met, and the peak resident memory of each job from
// /usr/bin/time -f %M, in a run of its own. Given a second build (--before-...), the two run in
// turn in the same rounds and must write the same bytes. One round of each phase is a warm-up.
// Last, in this process: the timetable check's time beside check's compile in memory, and
// `scenario check` of the longest route through the tool's own entry point (what an editor or a
// script waits for, without starting a process).
//
//   banco [--runs N] [--valmarena PATH] [--scenario PATH]
//         [--before-valmarena PATH --before-scenario PATH] [--dir FOLDER] [--keep]
//   banco --sources FOLDER   (only writes the longest route's two source files into FOLDER)

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "comandi.h"
#include "percorso_lungo.h"
#include "quota_orario.h"

extern char** environ;

namespace fs = std::filesystem;

using namespace valmarena::percorso_lungo;

namespace {

#ifndef VALMARENA_PROGRAMMA
#define VALMARENA_PROGRAMMA ""
#endif
#ifndef VALMARENA_STRUMENTO
#define VALMARENA_STRUMENTO ""
#endif

[[noreturn]] void fallisci(const std::string& cosa) {
    std::cerr << "banco: " << cosa << "\n";
    std::exit(1);
}

// ---------------------------------------------------------------------------------------------
// Running a child, copying its files with cp, keeping the processors busy.

double adesso() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

double secondi(const timeval& t) { return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6; }

// Wall time from the child's start to its end, and its processor time (user and system).
struct tempi {
    double muro = 0, cpu = 0;
};

// Runs argv to its end with its output in `registro`; the exit status, -1 when killed by a signal.
int esegui(const std::vector<std::string>& argv, const fs::path& registro, tempi& t) {
    posix_spawn_file_actions_t azioni;
    posix_spawn_file_actions_init(&azioni);
    posix_spawn_file_actions_addopen(&azioni, 1, registro.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&azioni, 1, 2);
    std::vector<char*> args;
    for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    const double t0 = adesso();
    pid_t pid = 0;
    const int r = posix_spawn(&pid, args[0], &azioni, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&azioni);
    if (r != 0) fallisci("cannot start " + argv[0] + ": " + std::strerror(r));
    int stato = 0;
    rusage uso{};
    if (wait4(pid, &stato, 0, &uso) != pid) fallisci("wait4: " + std::string(std::strerror(errno)));
    t.muro = adesso() - t0;
    t.cpu = secondi(uso.ru_utime) + secondi(uso.ru_stime);
    return WIFEXITED(stato) ? WEXITSTATUS(stato) : -1;
}

// The files a job wrote: every regular file of its folder but the program itself.
std::vector<fs::path> uscite(const fs::path& cartella, const std::string& escluso) {
    std::vector<fs::path> v;
    for (const auto& f : fs::directory_iterator(cartella))
        if (f.is_regular_file() && f.path().filename() != escluso) v.push_back(f.path());
    std::sort(v.begin(), v.end());
    return v;
}

std::string contenuto(const fs::path& f) {
    std::ifstream in(f, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// The same files copied into the fresh folder `dove` by `cp` run as a process.
tempi tempo_cp(const std::vector<fs::path>& file, const fs::path& dove, const fs::path& registro) {
    fs::create_directory(dove);
    std::vector<std::string> argv{"/bin/cp"};
    for (const auto& f : file) argv.push_back(f.string());
    argv.push_back(dove.string() + "/");
    tempi t;
    if (esegui(argv, registro, t) != 0) fallisci("cp failed");
    return t;
}

// Processes that keep a processor busy each until they are ended.
class giratori {
public:
    explicit giratori(int n) {
        for (int i = 0; i < n; ++i) {
            const pid_t pid = fork();
            if (pid < 0) fallisci("fork: " + std::string(std::strerror(errno)));
            if (pid == 0) {
                volatile unsigned long giri = 0;
                for (;;) giri = giri + 1;
            }
            pid_.push_back(pid);
        }
    }
    ~giratori() {
        for (pid_t p : pid_) kill(p, SIGKILL);
        for (pid_t p : pid_) waitpid(p, nullptr, 0);
    }
    giratori(const giratori&) = delete;
    giratori& operator=(const giratori&) = delete;

private:
    std::vector<pid_t> pid_;
};

// ---------------------------------------------------------------------------------------------
// The rounds.

// A share of the sorted values (0.5 the median, 0.75 the third quartile), between neighbours.
double quantile(std::vector<double> v, double q) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    const double i = q * static_cast<double>(v.size() - 1);
    const auto k = static_cast<std::size_t>(i);
    const double resto = i - static_cast<double>(k);
    return k + 1 < v.size() ? v[k] * (1 - resto) + v[k + 1] * resto : v[k];
}

struct campioni {
    std::vector<double> muro, cpu;
    void aggiungi(const tempi& t) {
        muro.push_back(t.muro);
        cpu.push_back(t.cpu);
    }
};

enum fase { a_riposo = 0, sotto_carico = 1 };
const char* const nomi_fase[] = {"idle", "both processors busy"};

// One job (the package run or the compile) of one build, and cp of its files, in both phases.
struct misura {
    std::string lavoro, build;
    campioni tempi[2];
    campioni cp[2];  // cp of this job's files, in the same rounds (shared by the builds)
    long picco_kib = -1;
    std::size_t n_file = 0;
    std::uintmax_t byte = 0;
};

struct programmi {
    std::string nome, programma, strumento;
};

struct giro_di_lavoro {
    std::string nome;
    // The command line in the fresh folder `c`, for a build.
    std::function<std::vector<std::string>(const programmi&, const fs::path&)> prepara;
    std::string escluso;  // the program copied into the folder, not among the job's files
};

// One round of one job: each build in a fresh folder (in turn, the first one first in even rounds),
// then cp of the files the first build wrote. In the first round the builds' files are compared.
void giro(const giro_di_lavoro& j, const std::vector<programmi>& build, std::vector<misura*>& m, const fs::path& radice,
          int n, fase f, bool conta) {
    std::vector<std::vector<fs::path>> file(build.size());
    std::vector<fs::path> cartelle;
    for (std::size_t k = 0; k < build.size(); ++k) {
        const std::size_t b = n % 2 == 0 ? k : build.size() - 1 - k;
        const fs::path c = radice / (j.nome + "-" + std::to_string(b) + "-" + std::to_string(n));
        fs::create_directory(c);
        cartelle.push_back(c);
        tempi t;
        const fs::path registro = radice / (j.nome + ".log");
        const int stato = esegui(j.prepara(build[b], c), registro, t);
        if (stato != 0) {
            std::cerr << contenuto(registro);
            fallisci(j.nome + " of build " + build[b].nome + " ended with status " + std::to_string(stato));
        }
        file[b] = uscite(c, j.escluso);
        if (conta) m[b]->tempi[f].aggiungi(t);
    }
    if (n == 0)
        for (std::size_t b = 1; b < build.size(); ++b) {
            bool uguali = file[b].size() == file[0].size();
            for (std::size_t i = 0; uguali && i < file[0].size(); ++i)
                uguali = file[b][i].filename() == file[0][i].filename() && contenuto(file[b][i]) == contenuto(file[0][i]);
            if (!uguali) fallisci(j.nome + ": build " + build[b].nome + " writes other files than " + build[0].nome);
        }
    const fs::path copia = radice / (j.nome + "-cp-" + std::to_string(n));
    const tempi t = tempo_cp(file[0], copia, radice / "cp.log");
    for (std::size_t b = 0; b < build.size(); ++b) {
        if (conta) m[b]->cp[f].aggiungi(t);
        m[b]->n_file = file[b].size();
        m[b]->byte = 0;
        for (const auto& x : file[b]) m[b]->byte += fs::file_size(x);
    }
    for (const auto& c : cartelle) fs::remove_all(c);
    fs::remove_all(copia);
}

// The job's peak resident memory from /usr/bin/time -f %M, in a run of its own; -1 without it.
long picco(const giro_di_lavoro& j, const programmi& b, const fs::path& radice) {
    if (!fs::exists("/usr/bin/time")) return -1;
    const fs::path c = radice / (j.nome + "-memoria");
    fs::create_directory(c);
    std::vector<std::string> argv{"/usr/bin/time", "-f", "%M", "-o", (radice / "memoria.txt").string()};
    for (const auto& a : j.prepara(b, c)) argv.push_back(a);
    tempi t;
    esegui(argv, radice / "memoria.log", t);
    fs::remove_all(c);
    long kib = -1;
    std::ifstream(radice / "memoria.txt") >> kib;
    return kib;
}

// ---------------------------------------------------------------------------------------------
// The report.

std::string ms(double s) {
    char b[32];
    std::snprintf(b, sizeof b, "%.2f", s * 1000);
    return b;
}

std::string descrizione_macchina() {
    std::ifstream cpu("/proc/cpuinfo");
    std::string riga, modello;
    while (std::getline(cpu, riga))
        if (riga.rfind("model name", 0) == 0) {
            modello = riga.substr(riga.find(':') + 2);
            break;
        }
    std::ostringstream o;
    o << (modello.empty() ? "unknown CPU" : modello) << ", " << sysconf(_SC_NPROCESSORS_ONLN) << " processors";
    return o.str();
}

std::string carico() {
    std::ifstream f("/proc/loadavg");
    std::string uno;
    f >> uno;
    return uno.empty() ? "?" : uno;
}

void stampa_fase(fase f, const std::vector<misura>& m) {
    std::printf("\n%s: times in ms, median / third quartile, the job's and cp's of its files in the same rounds\n",
                nomi_fase[f]);
    std::printf("%-28s %15s %15s %15s %15s   %s\n", "job (build)", "wall", "cp wall", "processor", "cp processor",
                "ratios to cp: wall median, q3; processor median");
    for (const misura& x : m) {
        const campioni& t = x.tempi[f];
        const campioni& c = x.cp[f];
        const std::string nome = x.lavoro + " (" + x.build + ")";
        std::printf("%-28s %7s / %-5s %7s / %-5s %7s / %-5s %7s / %-5s   %.2f, %.2f; %.2f\n", nome.c_str(),
                    ms(quantile(t.muro, 0.5)).c_str(), ms(quantile(t.muro, 0.75)).c_str(),
                    ms(quantile(c.muro, 0.5)).c_str(), ms(quantile(c.muro, 0.75)).c_str(),
                    ms(quantile(t.cpu, 0.5)).c_str(), ms(quantile(t.cpu, 0.75)).c_str(),
                    ms(quantile(c.cpu, 0.5)).c_str(), ms(quantile(c.cpu, 0.75)).c_str(),
                    quantile(t.muro, 0.5) / quantile(c.muro, 0.5), quantile(t.muro, 0.75) / quantile(c.muro, 0.75),
                    quantile(t.cpu, 0.5) / quantile(c.cpu, 0.5));
    }
}

// One target: the figure, the limit, whether it is met; true when it is.
bool obiettivo(const std::string& cosa, double valore, double limite) {
    const bool ok = valore <= limite;
    std::printf("  %-62s %6.2f <= %5.2f  %s\n", cosa.c_str(), valore, limite, ok ? "met" : "MISSED");
    return ok;
}

// The targets of one build's two jobs; true when every one is met.
bool stampa_obiettivi(const misura& pacchetto, const misura& compila) {
    std::printf("\nTargets, build %s (ratios to cp of the same files, idle unless said):\n", pacchetto.build.c_str());
    bool ok = true;
    auto rapporto = [](const misura& m, fase f, double q, bool cpu) {
        return quantile(cpu ? m.tempi[f].cpu : m.tempi[f].muro, q) / quantile(cpu ? m.cp[f].cpu : m.cp[f].muro, q);
    };
    ok &= obiettivo("package: median wall / cp", rapporto(pacchetto, a_riposo, 0.5, false), 1.15);
    ok &= obiettivo("package: third quartile wall / cp", rapporto(pacchetto, a_riposo, 0.75, false), 1.3);
    ok &= obiettivo("package: median processor time / cp", rapporto(pacchetto, a_riposo, 0.5, true), 1.2);
    ok &= obiettivo("compile: median wall / cp", rapporto(compila, a_riposo, 0.5, false), 1.2);
    ok &= obiettivo("compile: third quartile wall / cp", rapporto(compila, a_riposo, 0.75, false), 1.35);
    for (const misura* m : {&pacchetto, &compila}) {
        const double lavoro = quantile(m->tempi[sotto_carico].muro, 0.5) / quantile(m->tempi[a_riposo].muro, 0.5);
        const double cp = quantile(m->cp[sotto_carico].muro, 0.5) / quantile(m->cp[a_riposo].muro, 0.5);
        ok &= obiettivo(m->lavoro + ": busy / idle median wall, at most cp's busy / idle", lavoro, cp);
    }
    const double mib = 1 << 10;
    if (pacchetto.picco_kib >= 0 && compila.picco_kib >= 0) {
        ok &= obiettivo("package: peak RSS in MiB (/usr/bin/time -f %M)", static_cast<double>(pacchetto.picco_kib) / mib, 2.8);
        ok &= obiettivo("compile: peak RSS in MiB (/usr/bin/time -f %M)", static_cast<double>(compila.picco_kib) / mib, 4.3);
    } else {
        std::printf("  peak RSS: /usr/bin/time not found, not measured\n");
    }
    return ok;
}

// `scenario check` of the two files in this process, `giri` times after one warm-up: its wall
// times in seconds, sorted; empty when a check fails to run.
std::vector<double> check_in_processo(const fs::path& linea, const fs::path& treno, int giri) {
    const std::vector<std::string> args{"check", "--line", linea.string(), "--train", treno.string(),
                                        "--route", "Lunga", "--train-name", "T 1"};
    std::ostringstream zitto;
    std::streambuf* vecchio = std::cout.rdbuf(zitto.rdbuf());
    std::vector<double> t;
    for (int g = 0; g <= giri; ++g) {
        const double inizio = adesso();
        const int stato = valmarena::strumento::esegui(args);
        if (g > 0) t.push_back(adesso() - inizio);
        zitto.str({});
        if (stato != 0) {
            t.clear();
            break;
        }
    }
    std::cout.rdbuf(vecchio);
    std::sort(t.begin(), t.end());
    return t;
}

struct opzioni {
    int giri = 21;
    std::vector<programmi> build;
    std::string dir;
    bool tieni = false;
    std::string sorgenti;  // --sources: where to write the longest route's files, and nothing more
};

opzioni leggi_opzioni(int argc, char** argv) {
    opzioni o;
    programmi questa{"this", VALMARENA_PROGRAMMA, VALMARENA_STRUMENTO}, prima{"before", "", ""};
    const char* uso =
        "usage: banco [--runs N] [--valmarena PATH] [--scenario PATH] [--before-valmarena PATH --before-scenario PATH]"
        " [--dir FOLDER] [--keep] | banco --sources FOLDER";
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        auto valore = [&]() -> std::string {
            if (i + 1 >= argc) fallisci(a + " needs a value");
            return argv[++i];
        };
        if (a == "--runs")
            o.giri = std::max(2, std::atoi(valore().c_str()));
        else if (a == "--valmarena")
            questa.programma = valore();
        else if (a == "--scenario")
            questa.strumento = valore();
        else if (a == "--before-valmarena")
            prima.programma = valore();
        else if (a == "--before-scenario")
            prima.strumento = valore();
        else if (a == "--dir")
            o.dir = valore();
        else if (a == "--keep")
            o.tieni = true;
        else if (a == "--sources")
            o.sorgenti = valore();
        else
            fallisci(uso);
    }
    o.build.push_back(questa);
    if (!prima.programma.empty() || !prima.strumento.empty()) o.build.push_back(prima);
    for (programmi& b : o.build) {
        if (b.programma.empty() || !fs::exists(b.programma)) fallisci("package program not found: " + b.programma);
        if (b.strumento.empty() || !fs::exists(b.strumento)) fallisci("scenario tool not found: " + b.strumento);
        b.programma = fs::absolute(b.programma).string();
        b.strumento = fs::absolute(b.strumento).string();
    }
    return o;
}

// A fresh work folder under `dir`, or under the system's temporary folder.
fs::path cartella_di_lavoro(const std::string& dir) {
    std::string modello = (dir.empty() ? fs::temp_directory_path() : fs::path(dir)).string() + "/valmarena-banco-XXXXXX";
    std::vector<char> nome(modello.begin(), modello.end());
    nome.push_back('\0');
    if (!mkdtemp(nome.data())) fallisci("cannot create a folder from " + modello);
    return nome.data();
}

}  // namespace

int main(int argc, char** argv) {
    const opzioni opz = leggi_opzioni(argc, argv);
    if (!opz.sorgenti.empty()) {
        conteggi n;
        fs::create_directories(opz.sorgenti);
        std::ofstream(fs::path(opz.sorgenti) / "Lunga_linea.txt", std::ios::binary) << genera_linea(n);
        std::ofstream(fs::path(opz.sorgenti) / "Lunga_T 1-.txt", std::ios::binary) << genera_treno(n);
        return 0;
    }
    const fs::path radice = cartella_di_lavoro(opz.dir);

    conteggi n;
    const fs::path linea = radice / "linea_lunga.txt", treno = radice / "treno_lungo.txt";
    {
        std::ofstream(linea, std::ios::binary) << genera_linea(n);
        std::ofstream(treno, std::ios::binary) << genera_treno(n);
    }
    const giro_di_lavoro pacchetto{"package",
                                   [](const programmi& b, const fs::path& c) {
                                       fs::copy_file(b.programma, c / "valmarena");
                                       return std::vector<std::string>{(c / "valmarena").string()};
                                   },
                                   "valmarena"};
    const giro_di_lavoro compila{"compile",
                                 [&](const programmi& b, const fs::path& c) {
                                     return std::vector<std::string>{b.strumento, "compile", "--line", linea.string(),
                                                                     "--train", treno.string(), "--out", c.string(),
                                                                     "--route", "Lunga", "--train-name", "T 1"};
                                 },
                                 ""};

    // misure[b] the package run of build b, misure[build count + b] its compile.
    std::vector<misura> misure;
    for (const giro_di_lavoro* j : {&pacchetto, &compila})
        for (const programmi& b : opz.build) misure.push_back({j->nome, b.nome, {}, {}, -1, 0, 0});
    std::vector<misura*> del_pacchetto, della_compilazione;
    for (std::size_t b = 0; b < opz.build.size(); ++b) {
        del_pacchetto.push_back(&misure[b]);
        della_compilazione.push_back(&misure[opz.build.size() + b]);
    }

    const std::string carico_prima = carico();
    std::vector<double> vuoto;
    for (fase f : {a_riposo, sotto_carico}) {
        std::optional<giratori> occupati;
        if (f == sotto_carico) occupati.emplace(2);
        for (int g = 0; g <= opz.giri; ++g) {
            giro(pacchetto, opz.build, del_pacchetto, radice, g, f, g > 0);
            giro(compila, opz.build, della_compilazione, radice, g, f, g > 0);
            tempi t;
            if (f == a_riposo && esegui({"/bin/true"}, radice / "true.log", t) == 0 && g > 0) vuoto.push_back(t.muro);
        }
    }
    for (std::size_t b = 0; b < opz.build.size(); ++b) {
        del_pacchetto[b]->picco_kib = picco(pacchetto, opz.build[b], radice);
        della_compilazione[b]->picco_kib = picco(compila, opz.build[b], radice);
    }

    std::printf("Machine: %s; load average %s before, %s after\n", descrizione_macchina().c_str(),
                carico_prima.c_str(), carico().c_str());
    std::printf("%d rounds in each phase after one warm-up; in each round every build runs each job in a fresh folder,\n"
                "in turn, and /bin/cp copies the files the job wrote into another, as a process as the jobs are.\n"
                "Busy: two processes of this bench spin all through the phase. /bin/true takes %s ms (median, idle).\n",
                opz.giri, ms(quantile(vuoto, 0.5)).c_str());
    std::printf("Generated scenario: route of %d m, %d curves, %d gradients, %d mountain stretches, %d boards, "
                "%d signboards,\n%d stations, %d slowdowns, %d signals, %d abatement points, %d speed limits, "
                "%d adhesion values.\n",
                lunghezza_percorso, n.curve, n.pendenze, n.montagne, n.indicatori, n.cartelli, n.stazioni,
                n.rallentamenti, n.segnali, n.abbattimenti, n.velocita, n.aderenze);
    for (const misura& m : misure)
        std::printf("%s (%s): %zu files, %.1f MB; peak RSS %.2f MiB\n", m.lavoro.c_str(), m.build.c_str(), m.n_file,
                    static_cast<double>(m.byte) / 1e6, static_cast<double>(m.picco_kib) / 1024);
    stampa_fase(a_riposo, misure);
    stampa_fase(sotto_carico, misure);
    bool ok = true;
    for (std::size_t b = 0; b < opz.build.size(); ++b) {
        const bool questa = stampa_obiettivi(*del_pacchetto[b], *della_compilazione[b]);
        if (b == 0) ok = questa;
    }
    const double quota = valmarena::banco::quota_orario(linea, treno, opz.giri);
    ok &= obiettivo("timetable check over check's compile in memory, in process, %", quota, 10.0);
    const std::vector<double> check = check_in_processo(linea, treno, opz.giri);
    std::printf("\nscenario check of the longest route in this process, %d runs after one warm-up:\n", opz.giri);
    if (check.empty()) {
        std::printf("  it did not end with status 0\n");
        ok = false;
    } else {
        std::printf("  median %s ms, third quartile %s ms\n", ms(quantile(check, 0.5)).c_str(),
                    ms(quantile(check, 0.75)).c_str());
        ok &= obiettivo("check in process: median wall in ms", quantile(check, 0.5) * 1000, 2.5);
    }
    std::printf("\n%s\n", ok ? "All targets met." : "Some targets missed.");

    if (opz.tieni)
        std::printf("Work folder kept: %s\n", radice.string().c_str());
    else
        fs::remove_all(radice);
    return 0;
}
