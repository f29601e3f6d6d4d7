// The benchmark of the package program and of the compiler on the longest route.
//
// For each of the two jobs it runs the executable several times in a fresh folder, and in the
// same round copies the files it wrote into another fresh folder twice: with plain read and write
// calls in this process, and with `cp` run as a process, which like the job pays for starting
// one. The copy is the floor that any program writing those files has to pay, so the figures
// that count are the ratios of the two. The peak resident memory of each child comes from
// wait4. One round is run first as a warm-up and not counted.
//
//   banco [--runs N] [--valmarena PATH] [--scenario PATH] [--dir FOLDER] [--keep]

#include <fcntl.h>
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
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "percorso_lungo.h"

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
// Running a child and copying files.

double adesso() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// Processor time of this process (user and system), for the copies it makes itself.
double cpu_proprio() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

double secondi(const timeval& t) { return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6; }

struct esito_figlio {
    double secondi = 0;
    double cpu = 0;        // user and system time of the child
    int stato = -1;        // exit status, -1 when killed by a signal
    long picco_kib = 0;    // peak resident set of the child
};

esito_figlio esegui(const std::vector<std::string>& argv, const fs::path& registro) {
    posix_spawn_file_actions_t azioni;
    posix_spawn_file_actions_init(&azioni);
    posix_spawn_file_actions_addopen(&azioni, 1, registro.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&azioni, 1, 2);
    std::vector<char*> args;
    for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);

    esito_figlio e;
    double t0 = adesso();
    pid_t pid = 0;
    int r = posix_spawn(&pid, args[0], &azioni, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&azioni);
    if (r != 0) fallisci("cannot start " + argv[0] + ": " + std::strerror(r));
    int stato = 0;
    rusage uso{};
    if (wait4(pid, &stato, 0, &uso) != pid) fallisci("wait4: " + std::string(std::strerror(errno)));
    e.secondi = adesso() - t0;
    e.stato = WIFEXITED(stato) ? WEXITSTATUS(stato) : -1;
    e.picco_kib = uso.ru_maxrss;
    e.cpu = secondi(uso.ru_utime) + secondi(uso.ru_stime);
    return e;
}

std::vector<char>& memoria_copia() {
    static std::vector<char> m(1u << 20);
    return m;
}

void copia_file(const fs::path& da, const fs::path& a) {
    int in = ::open(da.c_str(), O_RDONLY);
    if (in < 0) fallisci("cannot open " + da.string());
    int out = ::open(a.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (out < 0) fallisci("cannot create " + a.string());
    auto& m = memoria_copia();
    for (;;) {
        ssize_t n = ::read(in, m.data(), m.size());
        if (n < 0) fallisci("cannot read " + da.string());
        if (n == 0) break;
        for (ssize_t fatto = 0; fatto < n;) {
            ssize_t w = ::write(out, m.data() + fatto, static_cast<std::size_t>(n - fatto));
            if (w < 0) fallisci("cannot write " + a.string());
            fatto += w;
        }
    }
    ::close(in);
    if (::close(out) != 0) fallisci("cannot write " + a.string());
}

// The files a job wrote: every regular file of its folder but the program itself.
std::vector<fs::path> uscite(const fs::path& cartella, const std::string& escluso) {
    std::vector<fs::path> v;
    for (const auto& f : fs::directory_iterator(cartella))
        if (f.is_regular_file() && f.path().filename() != escluso) v.push_back(f.path());
    std::sort(v.begin(), v.end());
    return v;
}

struct tempi {
    double secondi = 0, cpu = 0;
};

// Copies the files into the fresh folder `dove`; returns the time it took, on the clock and in
// processor time.
tempi tempo_copia(const std::vector<fs::path>& file, const fs::path& dove) {
    fs::create_directory(dove);
    double t0 = adesso(), c0 = cpu_proprio();
    for (const auto& f : file) copia_file(f, dove / f.filename());
    return {adesso() - t0, cpu_proprio() - c0};
}

// The same files copied into the fresh folder `dove` by `cp` run as a process, timed from its start
// to its end as the jobs are.
tempi tempo_cp(const std::vector<fs::path>& file, const fs::path& dove, const fs::path& registro) {
    fs::create_directory(dove);
    std::vector<std::string> argv{"/bin/cp"};
    for (const auto& f : file) argv.push_back(f.string());
    argv.push_back(dove.string() + "/");
    esito_figlio e = esegui(argv, registro);
    if (e.stato != 0) fallisci("cp ended with status " + std::to_string(e.stato));
    return {e.secondi, e.cpu};
}

// The size of the route-cell file among a job's files (a .dat file other than the track plan).
std::uintmax_t file_celle(const std::vector<fs::path>& file) {
    for (const auto& f : file) {
        const std::string n = f.filename().string();
        if (n.size() > 4 && n.ends_with(".dat") && !n.ends_with("_linea.dat")) return fs::file_size(f);
    }
    return 0;
}

std::uintmax_t piu_grande(const std::vector<fs::path>& file) {
    std::uintmax_t m = 0;
    for (const auto& f : file) m = std::max(m, fs::file_size(f));
    return m;
}

std::uintmax_t totale(const std::vector<fs::path>& file) {
    std::uintmax_t t = 0;
    for (const auto& f : file) t += fs::file_size(f);
    return t;
}

double mediana(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    std::size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

// The wall-clock and processor-time ratios a job must meet against each copy.
constexpr double rapporto_massimo = 1.3;

// Times of the job and of one kind of copy, round by round, with their ratios.
struct confronto {
    std::vector<double> copie, rapporti, cpu_copie, rapporti_cpu;

    void aggiungi(const tempi& lavoro, const tempi& copia) {
        copie.push_back(copia.secondi);
        rapporti.push_back(lavoro.secondi / copia.secondi);
        cpu_copie.push_back(copia.cpu);
        rapporti_cpu.push_back(lavoro.cpu / copia.cpu);
    }
};

struct misura {
    std::string nome;
    std::vector<double> tempi, cpu;
    confronto copia, cp;  // read and write in this process; `cp` run as a process
    long picco_kib = 0;
    std::uintmax_t byte_scritti = 0, file_massimo = 0, file_celle = 0;
    std::size_t n_file = 0;
    int stato = 0;
};

// One round of a job: the child in a fresh folder, then the copy of what it wrote.
template <typename Prepara>
void giro(misura& m, const fs::path& radice, int n, bool conta, Prepara prepara, const std::string& escluso) {
    fs::path cartella = radice / (m.nome + "-" + std::to_string(n));
    fs::path copia = radice / (m.nome + "-copia-" + std::to_string(n));
    fs::path copia_cp = radice / (m.nome + "-cp-" + std::to_string(n));
    fs::create_directory(cartella);
    std::vector<std::string> argv = prepara(cartella);
    esito_figlio e = esegui(argv, radice / (m.nome + ".log"));
    m.stato = e.stato;
    if (e.stato != 0 && e.stato != 1) {
        std::ifstream log(radice / (m.nome + ".log"));
        std::cerr << log.rdbuf();
        fallisci(m.nome + " ended with status " + std::to_string(e.stato));
    }
    auto file = uscite(cartella, escluso);
    tempi c = tempo_copia(file, copia);
    tempi p = tempo_cp(file, copia_cp, radice / "cp.log");
    if (conta) {
        m.tempi.push_back(e.secondi);
        m.cpu.push_back(e.cpu);
        m.copia.aggiungi({e.secondi, e.cpu}, c);
        m.cp.aggiungi({e.secondi, e.cpu}, p);
        m.picco_kib = std::max(m.picco_kib, e.picco_kib);
        m.byte_scritti = totale(file);
        m.file_massimo = piu_grande(file);
        m.file_celle = file_celle(file);
        m.n_file = file.size();
    }
    fs::remove_all(cartella);
    fs::remove_all(copia);
    fs::remove_all(copia_cp);
}

std::string descrizione_macchina() {
    std::ifstream cpu("/proc/cpuinfo");
    std::string riga, modello;
    while (std::getline(cpu, riga))
        if (riga.rfind("model name", 0) == 0) {
            modello = riga.substr(riga.find(':') + 2);
            break;
        }
    long core = sysconf(_SC_NPROCESSORS_ONLN);
    long pagine = sysconf(_SC_PHYS_PAGES), pagina = sysconf(_SC_PAGE_SIZE);
    std::ostringstream o;
    o << (modello.empty() ? "unknown CPU" : modello) << ", " << core << " cores, "
      << (static_cast<double>(pagine) * pagina / (1u << 30)) << " GiB";
    return o.str();
}

std::string carico() {
    std::ifstream f("/proc/loadavg");
    std::string uno;
    f >> uno;
    return uno.empty() ? "?" : uno;
}

std::string ms(double s) {
    char b[32];
    std::snprintf(b, sizeof b, "%6.2f ms", s * 1000);
    return b;
}

std::string mib(double byte) {
    char b[32];
    std::snprintf(b, sizeof b, "%7.2f MiB", byte / (1u << 20));
    return b;
}

struct opzioni {
    int giri = 7;
    std::string programma = VALMARENA_PROGRAMMA, strumento = VALMARENA_STRUMENTO, dir;
    bool tieni = false;
};

opzioni leggi_opzioni(int argc, char** argv) {
    opzioni o;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        auto valore = [&]() -> std::string {
            if (i + 1 >= argc) fallisci(a + " needs a value");
            return argv[++i];
        };
        if (a == "--runs")
            o.giri = std::max(1, std::atoi(valore().c_str()));
        else if (a == "--valmarena")
            o.programma = valore();
        else if (a == "--scenario")
            o.strumento = valore();
        else if (a == "--dir")
            o.dir = valore();
        else if (a == "--keep")
            o.tieni = true;
        else
            fallisci("usage: banco [--runs N] [--valmarena PATH] [--scenario PATH] [--dir FOLDER] [--keep]");
    }
    if (o.programma.empty() || !fs::exists(o.programma)) fallisci("package program not found: " + o.programma);
    if (o.strumento.empty() || !fs::exists(o.strumento)) fallisci("scenario tool not found: " + o.strumento);
    o.programma = fs::absolute(o.programma).string();
    o.strumento = fs::absolute(o.strumento).string();
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

void stampa_intestazione(int giri, const std::string& carico_prima, const std::string& carico_dopo,
                         const conteggi& n, int stato_compila) {
    std::cout << "Machine: " << descrizione_macchina() << "; load average " << carico_prima << " before, "
              << carico_dopo << " after\n";
    std::cout << "Figures are medians of " << giri << " runs after one warm-up. copy = the job's output files "
                 "read and written\ninto a fresh folder by this program in the same round; cp = the same files "
                 "copied by /bin/cp run as a\nprocess, so that both sides pay for starting one; ratio = run / copy, "
                 "taken run by run.\n";
    std::cout << "Generated scenario: route of " << lunghezza_percorso << " m, " << n.curve << " curves, "
              << n.pendenze << " gradients, " << n.montagne << " mountain stretches, " << n.indicatori << " boards, "
              << n.cartelli << " signboards,\n" << n.stazioni << " stations, " << n.rallentamenti << " slowdowns, "
              << n.segnali << " signals, " << n.abbattimenti << " abatement points, " << n.velocita
              << " speed limits, " << n.aderenze << " adhesion values; compile exit status " << stato_compila
              << ".\n\n";
}

// One table of the times, on the wall clock or in processor time; true when every ratio meets
// its target.
bool stampa_tabella_tempi(const char* titolo, const misura& pacchetto, const misura& compila,
                          const std::vector<double>& vuoto, bool cpu) {
    bool tutto_bene = true;
    char obiettivo[64];
    std::snprintf(obiettivo, sizeof obiettivo, "target: ratios <= %.1f", rapporto_massimo);
    std::printf("%s\n%-32s %9s %9s %6s %9s %6s  %s\n", titolo, "job (files written)", "run", "copy", "ratio", "cp",
                "ratio", obiettivo);
    for (const misura* m : {&pacchetto, &compila}) {
        const confronto& a = m->copia;
        const confronto& b = m->cp;
        const double ra = mediana(cpu ? a.rapporti_cpu : a.rapporti), rb = mediana(cpu ? b.rapporti_cpu : b.rapporti);
        const bool ok = ra <= rapporto_massimo && rb <= rapporto_massimo;
        tutto_bene = tutto_bene && ok;
        std::string nome = m->nome + " (" + std::to_string(m->n_file) + " files, " +
                           std::to_string(m->byte_scritti / 1000) + " kB)";
        std::printf("%-32s %9s %9s %6.2f %9s %6.2f  %s\n", nome.c_str(), ms(mediana(cpu ? m->cpu : m->tempi)).c_str(),
                    ms(mediana(cpu ? a.cpu_copie : a.copie)).c_str(), ra,
                    ms(mediana(cpu ? b.cpu_copie : b.copie)).c_str(), rb, ok ? "met" : "MISSED");
    }
    if (!vuoto.empty()) std::printf("%-32s %9s\n", "/bin/true (no work, for scale)", ms(mediana(vuoto)).c_str());
    return tutto_bene;
}

// The memory table; true when every peak is under its limit: the package's a fixed 12 MiB, the
// compile's its cells (as large as their file) and 8 MiB.
bool stampa_memoria(const misura& pacchetto, const misura& compila) {
    bool tutto_bene = true;
    std::printf("\n%-32s %11s %11s  %s\n", "job", "peak RSS", "limit", "limit is");
    for (const misura* m : {&pacchetto, &compila}) {
        const double picco = static_cast<double>(m->picco_kib) * 1024;
        const bool e_pacchetto = m == &pacchetto;
        const double limite = e_pacchetto ? 12.0 * (1u << 20) : static_cast<double>(m->file_celle) + 8.0 * (1u << 20);
        const bool ok = picco <= limite;
        tutto_bene = tutto_bene && ok;
        std::printf("%-32s %11s %11s  %-28s %s\n", m->nome.c_str(), mib(picco).c_str(), mib(limite).c_str(),
                    e_pacchetto ? "12 MiB" : "cell file + 8 MiB", ok ? "met" : "MISSED");
    }
    // A child started by posix_spawn begins in this process's memory, and the kernel carries that
    // peak into the child's: a figure no larger than this process's own is only an upper bound.
    rusage proprio{};
    getrusage(RUSAGE_SELF, &proprio);
    std::printf("(peak RSS: the largest of the runs, from wait4; it is never below this bench's own peak,\n"
                "%.2f MiB, so a figure near that is an upper bound on the job's)\n",
                static_cast<double>(proprio.ru_maxrss) / 1024);
    return tutto_bene;
}

}  // namespace

int main(int argc, char** argv) {
    const opzioni opz = leggi_opzioni(argc, argv);
    const fs::path radice = cartella_di_lavoro(opz.dir);

    conteggi n;
    const fs::path linea = radice / "linea_lunga.txt", treno = radice / "treno_lungo.txt";
    {
        std::ofstream(linea, std::ios::binary) << genera_linea(n);
        std::ofstream(treno, std::ios::binary) << genera_treno(n);
    }

    misura pacchetto, compila;
    pacchetto.nome = "package";
    compila.nome = "compile";
    auto prepara_pacchetto = [&](const fs::path& c) {
        fs::copy_file(opz.programma, c / "valmarena");
        return std::vector<std::string>{(c / "valmarena").string()};
    };
    auto prepara_compila = [&](const fs::path& c) {
        return std::vector<std::string>{opz.strumento, "compile", "--line", linea.string(), "--train", treno.string(),
                                        "--out", c.string(), "--route", "Lunga", "--train-name", "T 1"};
    };
    // The fixed cost of a process that does nothing, for scale: any job pays it on top of its work.
    std::vector<double> vuoto, vuoto_cpu;
    const std::string carico_prima = carico();
    for (int g = 0; g <= opz.giri; ++g) {
        giro(pacchetto, radice, g, g > 0, prepara_pacchetto, "valmarena");
        giro(compila, radice, g, g > 0, prepara_compila, "");
        if (!fs::exists("/bin/true")) continue;
        esito_figlio e = esegui({"/bin/true"}, radice / "true.log");
        if (g > 0) {
            vuoto.push_back(e.secondi);
            vuoto_cpu.push_back(e.cpu);
        }
    }
    const std::string carico_dopo = carico();
    if (pacchetto.n_file == 0 || compila.n_file == 0) fallisci("a job wrote no file");
    if (compila.stato != 0) {
        // The generated scenario is meant to compile cleanly: show why it did not.
        std::ifstream log(radice / "compile.log");
        std::string riga;
        for (int i = 0; i < 5 && std::getline(log, riga); ++i) std::cerr << "compile: " << riga << "\n";
    }

    stampa_intestazione(opz.giri, carico_prima, carico_dopo, n, compila.stato);
    const bool tempi_ok = stampa_tabella_tempi("Wall clock", pacchetto, compila, vuoto, false);
    std::printf("\n");
    // Processor time: user and system time of the child and of cp from wait4, of the in-process
    // copy from this process's clock. Shown for a loaded machine, where it varies less than the
    // wall clock; the targets are on the wall clock.
    stampa_tabella_tempi("Processor time (for reference)", pacchetto, compila, vuoto_cpu, true);
    const bool memoria_ok = stampa_memoria(pacchetto, compila);
    std::printf("\n%s\n", tempi_ok && memoria_ok ? "All targets met." : "Some targets missed.");

    if (opz.tieni)
        std::cout << "Work folder kept: " << radice.string() << "\n";
    else
        fs::remove_all(radice);
    return 0;
}
