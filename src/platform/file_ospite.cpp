// Whole-file reading, replace-by-rename writing, and the host file operations beneath them,
// with the few differences between Windows and the rest kept here.

#include "file_ospite.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <random>
#include <system_error>

#include "../records/guasti.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>
#endif

namespace valmarena {

// ---- the temporary files a signal removes ----
//
// The names of the temporary files open at this moment, in a fixed table set up before any
// signal can come: the handler reads it and removes the files, which is all it may safely do.
// A place is taken by writing the name, then marking it in use; the handler reads only places
// in use. Around the creation of a file and its renaming the signals are held back (on Windows the
// console's handler, which runs on a thread of the system's, is held back by a lock), so that a
// file always has its place by the time the handler can run, and loses it only once renamed.
namespace {

constexpr std::size_t posti_temporanei = 16;
constexpr std::size_t lunghezza_posto = 4096;  // characters of a name, its end included

struct posto_temporaneo {
    volatile std::sig_atomic_t in_uso = 0;
    std::filesystem::path::value_type nome[lunghezza_posto] = {};
};

posto_temporaneo posti[posti_temporanei];

// Removes every temporary file in the table; from the handler, with nothing but the host's call.
void rimuovi_registrati() noexcept {
    for (auto& p : posti) {
        if (p.in_uso != 1) continue;
#ifdef _WIN32
        DeleteFileW(p.nome);
#else
        ::unlink(p.nome);
#endif
    }
}

// A place for `nome`, or -1 when the table is full or the name too long: that file is then not
// removed by a signal, only by the next run's look for leftovers.
int registra(const std::filesystem::path& nome) noexcept {
    const auto& testo = nome.native();
    if (testo.size() >= lunghezza_posto) return -1;
    for (std::size_t i = 0; i < posti_temporanei; ++i) {
        if (posti[i].in_uso != 0) continue;
        std::copy(testo.begin(), testo.end(), posti[i].nome);
        posti[i].nome[testo.size()] = 0;
        posti[i].in_uso = 1;
        return static_cast<int>(i);
    }
    return -1;
}

void libera(int& posto) noexcept {
    if (posto >= 0) posti[static_cast<std::size_t>(posto)].in_uso = 0;
    posto = -1;
}

#ifdef _WIN32
// The console's handler runs on a thread of its own: it takes this lock and keeps it, so that no
// file is created or renamed between its clean-up and the end of the process.
CRITICAL_SECTION* chiave_segnali() {
    struct chiave {
        CRITICAL_SECTION c;
        chiave() { InitializeCriticalSection(&c); }
    };
    static chiave k;
    return &k.c;
}

BOOL WINAPI alla_console(DWORD evento) {
    if (evento != CTRL_C_EVENT && evento != CTRL_BREAK_EVENT && evento != CTRL_CLOSE_EVENT) return FALSE;
    EnterCriticalSection(chiave_segnali());
    rimuovi_registrati();
    return FALSE;  // the system's own handler then ends the process as it always does
}

// Holds back the console's handler while a temporary file is created or renamed.
class segnali_trattenuti {
public:
    segnali_trattenuti() { EnterCriticalSection(chiave_segnali()); }
    ~segnali_trattenuti() { LeaveCriticalSection(chiave_segnali()); }
    segnali_trattenuti(const segnali_trattenuti&) = delete;
    segnali_trattenuti& operator=(const segnali_trattenuti&) = delete;
};
#else
constexpr int segnali_di_fine[] = {SIGTERM, SIGINT, SIGHUP};

extern "C" void al_segnale(int segnale) {
    rimuovi_registrati();
    // Then the signal's own action, which ends the process with the status it always gives.
    struct sigaction predefinita {};
    predefinita.sa_handler = SIG_DFL;
    sigemptyset(&predefinita.sa_mask);
    ::sigaction(segnale, &predefinita, nullptr);
    sigset_t questo;
    sigemptyset(&questo);
    sigaddset(&questo, segnale);
    ::sigprocmask(SIG_UNBLOCK, &questo, nullptr);
    ::raise(segnale);
}

// Holds back the signals of the end while a temporary file is created or renamed.
class segnali_trattenuti {
public:
    segnali_trattenuti() {
        sigset_t s;
        sigemptyset(&s);
        for (int n : segnali_di_fine) sigaddset(&s, n);
        ::sigprocmask(SIG_BLOCK, &s, &prima_);
    }
    ~segnali_trattenuti() {
        ::sigprocmask(SIG_SETMASK, &prima_, nullptr);
    }
    segnali_trattenuti(const segnali_trattenuti&) = delete;
    segnali_trattenuti& operator=(const segnali_trattenuti&) = delete;

private:
    sigset_t prima_;
};
#endif

}  // namespace

void rimuovi_temporanei_ai_segnali() {
#ifdef _WIN32
    (void)chiave_segnali();
    SetConsoleCtrlHandler(alla_console, TRUE);
#else
    for (int n : segnali_di_fine) {
        struct sigaction nuova {}, vecchia {};
        nuova.sa_handler = al_segnale;
        sigemptyset(&nuova.sa_mask);
        for (int m : segnali_di_fine) sigaddset(&nuova.sa_mask, m);
        if (::sigaction(n, nullptr, &vecchia) == 0 && vecchia.sa_handler == SIG_IGN) continue;
        ::sigaction(n, &nuova, nullptr);
    }
#endif
}

void ignora_limite_file() {
#ifdef SIGXFSZ
    std::signal(SIGXFSZ, SIG_IGN);
#endif
}

std::string causa_errno() { return std::generic_category().message(errno); }

std::string cammino_in_testo(const std::filesystem::path& p) {
    auto u = p.u8string();
    return std::string(u.begin(), u.end());
}

std::FILE* apri_file(const std::filesystem::path& p, const char* modo, std::string& causa) {
    errno = 0;
#ifdef _WIN32
    std::wstring wmodo(modo, modo + std::strlen(modo));
    std::FILE* f = _wfopen(p.c_str(), wmodo.c_str());
#else
    std::FILE* f = std::fopen(p.c_str(), modo);
#endif
    if (!f) causa = causa_errno();
    return f;
}

#ifdef _WIN32
std::FILE* crea_file_nuovo(const std::filesystem::path& p, std::string& causa, bool& occupato) {
    occupato = false;
    // CREATE_NEW fails on any entry of that name; a reparse point there is not followed.
    // Shared for deletion only, so that the console's handler can remove it while it is open.
    HANDLE h = CreateFileW(p.c_str(), GENERIC_WRITE, FILE_SHARE_DELETE, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        const DWORD codice = GetLastError();
        // A folder of that name may be reported as access denied rather than as existing.
        occupato = codice == ERROR_FILE_EXISTS || codice == ERROR_ALREADY_EXISTS ||
                   GetFileAttributesW(p.c_str()) != INVALID_FILE_ATTRIBUTES;
        causa = std::system_category().message(static_cast<int>(codice));
        return nullptr;
    }
    const int fd = _open_osfhandle(reinterpret_cast<std::intptr_t>(h), _O_WRONLY | _O_BINARY);
    if (fd == -1) {
        causa = causa_errno();
        CloseHandle(h);
        DeleteFileW(p.c_str());
        return nullptr;
    }
    std::FILE* f = _fdopen(fd, "wb");
    if (!f) {
        causa = causa_errno();
        _close(fd);
        DeleteFileW(p.c_str());
    }
    return f;
}
#else
std::FILE* crea_file_nuovo(const std::filesystem::path& p, std::string& causa, bool& occupato) {
    occupato = false;
    errno = 0;
    const int fd = ::open(p.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0) {
        occupato = errno == EEXIST;
        causa = causa_errno();
        return nullptr;
    }
    std::FILE* f = ::fdopen(fd, "wb");
    if (!f) {
        causa = causa_errno();
        ::close(fd);
        ::unlink(p.c_str());
    }
    return f;
}
#endif

bool vai_a(std::FILE* f, std::uint64_t posizione) {
#ifdef _WIN32
    if (posizione > static_cast<std::uint64_t>(INT64_MAX)) {
        errno = EOVERFLOW;
        return false;
    }
    return _fseeki64(f, static_cast<__int64>(posizione), SEEK_SET) == 0;
#else
    if (posizione > static_cast<std::uint64_t>(std::numeric_limits<off_t>::max())) {
        errno = EOVERFLOW;
        return false;
    }
    return fseeko(f, static_cast<off_t>(posizione), SEEK_SET) == 0;
#endif
}

bool leggi_file(const std::filesystem::path& p, std::string& testo, std::string& causa) {
    std::FILE* f = apri_file(p, "rb", causa);
    if (!f) return false;
    testo.clear();
    // Sized once from the file's length, so that a long file is not copied as it grows.
    std::error_code ec;
    const auto dimensione = std::filesystem::file_size(p, ec);
    if (!ec) testo.reserve(static_cast<std::size_t>(dimensione));
    char blocco[1 << 16];
    std::size_t n = 0;
    while ((n = std::fread(blocco, 1, sizeof blocco, f)) > 0) testo.append(blocco, n);
    const bool errore = std::ferror(f) != 0;
    if (errore) causa = causa_errno();
    std::fclose(f);
    return !errore;
}

bool sostituisci_file(const std::filesystem::path& da, const std::filesystem::path& a, std::string& causa) {
#ifdef _WIN32
    if (MoveFileExW(da.c_str(), a.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return true;
    causa = std::system_category().message(static_cast<int>(GetLastError()));
    return false;
#else
    std::error_code ec;
    std::filesystem::rename(da, a, ec);
    if (!ec) return true;
    causa = ec.message();
    return false;
#endif
}

namespace {
// Small pieces are gathered in a block of this size; larger ones go to the file as they come.
// A larger block saves no write worth having and costs fresh memory for every file.
constexpr std::size_t dimensione_blocco = 64u << 10;

// Names tried for the temporary file before giving up: each clash means an entry of that name
// already stands beside the destination, which only a deliberate flood of names could repeat.
constexpr int tentativi_temporaneo = 64;

std::uint32_t suffisso_casuale() {
    static std::mt19937 generatore = [] {
        std::random_device dispositivo;
        const auto tempo = static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
        std::seed_seq seme{dispositivo(), static_cast<std::uint32_t>(tempo), static_cast<std::uint32_t>(tempo >> 32)};
        return std::mt19937(seme);
    }();
    return static_cast<std::uint32_t>(generatore());
}
}  // namespace

namespace dettaglio {

std::filesystem::path nome_temporaneo(const std::filesystem::path& destinazione) {
    char suffisso[16];
    std::snprintf(suffisso, sizeof suffisso, ".%08x", static_cast<unsigned>(suffisso_casuale()));
    auto t = destinazione;
    t += suffisso;
    t += ".~tmp";
    return t;
}

bool temporaneo_di(const std::filesystem::path& nome, const std::filesystem::path& destinazione) {
    using car = std::filesystem::path::value_type;
    const auto n = nome.filename().native();
    const auto d = destinazione.filename().native();
    const std::size_t coda = 14;  // ".XXXXXXXX.~tmp"
    if (n.size() != d.size() + coda || n.compare(0, d.size(), d) != 0) return false;
    const car* resto = n.c_str() + d.size();
    if (resto[0] != car('.')) return false;
    for (std::size_t i = 1; i <= 8; ++i) {
        const car c = resto[i];
        if (!((c >= car('0') && c <= car('9')) || (c >= car('a') && c <= car('f')))) return false;
    }
    const car fine[] = {car('.'), car('~'), car('t'), car('m'), car('p')};
    return std::equal(std::begin(fine), std::end(fine), resto + 9);
}

}  // namespace dettaglio

void rimuovi_temporanei_rimasti(const std::vector<std::filesystem::path>& destinazioni) {
    std::vector<std::filesystem::path> cartelle;
    for (const auto& d : destinazioni)
        if (std::find(cartelle.begin(), cartelle.end(), d.parent_path()) == cartelle.end()) cartelle.push_back(d.parent_path());
    for (const auto& c : cartelle) {
        std::error_code ec;
        for (std::filesystem::directory_iterator i(c.empty() ? std::filesystem::path(".") : c, ec), fine; !ec && i != fine;
             i.increment(ec)) {
            const auto& nome = i->path();
            const bool nostro = std::any_of(destinazioni.begin(), destinazioni.end(), [&](const auto& d) {
                return d.parent_path() == c && dettaglio::temporaneo_di(nome, d);
            });
            // Only a plain file: a folder or a link of that name is someone else's.
            std::error_code e2;
            if (nostro && i->symlink_status(e2).type() == std::filesystem::file_type::regular) std::filesystem::remove(nome, e2);
        }
    }
}

file_uscita::file_uscita(std::filesystem::path destinazione) : destinazione_(std::move(destinazione)) {
    std::error_code ec;
    if (std::filesystem::is_directory(destinazione_, ec))
        throw errore_file(cammino_in_testo(destinazione_), "a folder stands in its place");
    // The temporary file is created new, never opened where something already stands: a link
    // there would lead the bytes elsewhere, a pipe would hold the run, a file would be lost.
    std::string causa;
    for (int i = 0; i < tentativi_temporaneo && !f_; ++i) {
        temporaneo_ = dettaglio::nome_temporaneo(destinazione_);
        bool occupato = false;
        const segnali_trattenuti trattenuti;
        f_ = crea_file_nuovo(temporaneo_, causa, occupato);
        if (f_) posto_ = registra(temporaneo_);
        if (!f_ && !occupato) throw errore_file(cammino_in_testo(destinazione_), "cannot create the file: " + causa);
    }
    if (!f_) throw errore_file(cammino_in_testo(destinazione_), "no free temporary name beside it: " + causa);
    // The writes are gathered in the block below, or are large already: a second buffer in the C
    // library would only cut them into more calls.
    std::setvbuf(f_, nullptr, _IONBF, 0);
}

file_uscita::~file_uscita() { abbandona(); }

void file_uscita::abbandona() noexcept {
    if (f_) {
        std::fclose(f_);
        f_ = nullptr;
        std::error_code ec;
        std::filesystem::remove(temporaneo_, ec);
        libera(posto_);
    }
}

void file_uscita::manda(const char* dati, std::size_t n) {
    errno = 0;
    std::size_t scritti = std::fwrite(dati, 1, n, f_);
    if (scritti != n) {
        std::string causa = causa_errno();
        abbandona();
        throw errore_file(cammino_in_testo(destinazione_), "write failed: " + causa);
    }
}

void file_uscita::scrivi_subito(std::string_view s) {
    if (!f_) throw errore_file(cammino_in_testo(destinazione_), "file already closed");
    svuota();
    posizione_ += s.size();
    if (!s.empty()) manda(s.data(), s.size());
}

void file_uscita::svuota() {
    if (blocco_.empty()) return;
    manda(blocco_.data(), blocco_.size());
    blocco_.clear();
}

void file_uscita::prenota(std::uint64_t lunghezza) noexcept {
#if defined(__linux__)
    // The system call, not posix_fallocate: where the file system cannot set space aside, the C
    // library would write the whole length in zeros instead.
    if (f_ && lunghezza > 0 && lunghezza <= static_cast<std::uint64_t>(std::numeric_limits<off_t>::max()))
        (void)::fallocate(fileno(f_), 0, 0, static_cast<off_t>(lunghezza));
#else
    (void)lunghezza;
#endif
}

void file_uscita::posiziona(std::uint64_t posizione) {
    if (!f_) throw errore_file(cammino_in_testo(destinazione_), "file already closed");
    if (posizione == posizione_) return;
    svuota();
    errno = 0;
    if (!vai_a(f_, posizione)) {
        std::string causa = causa_errno();
        abbandona();
        throw errore_file(cammino_in_testo(destinazione_), "cannot move within the file: " + causa);
    }
    posizione_ = posizione;
}

void file_uscita::scrivi(const void* dati, std::size_t n) {
    if (!f_) throw errore_file(cammino_in_testo(destinazione_), "file already closed");
    posizione_ += n;
    const char* p = static_cast<const char*>(dati);
    while (n > 0) {
        // A piece no smaller than a block goes to the file as it is, without passing through the block.
        if (blocco_.empty() && n >= dimensione_blocco) {
            manda(p, n);
            return;
        }
        if (blocco_.capacity() < dimensione_blocco) blocco_.reserve(dimensione_blocco);
        std::size_t spazio = dimensione_blocco - blocco_.size();
        std::size_t k = n < spazio ? n : spazio;
        blocco_.insert(blocco_.end(), p, p + k);
        p += k;
        n -= k;
        if (blocco_.size() == dimensione_blocco) svuota();
    }
}

void file_uscita::conferma() {
    if (!f_) throw errore_file(cammino_in_testo(destinazione_), "file already closed");
    svuota();
    errno = 0;
    bool guasto_flush = std::fflush(f_) != 0;
    std::string causa = guasto_flush ? causa_errno() : std::string();
    int chiusura = std::fclose(f_);
    f_ = nullptr;
    if (guasto_flush || chiusura != 0) {
        if (causa.empty()) causa = causa_errno();
        std::error_code ec;
        std::filesystem::remove(temporaneo_, ec);
        libera(posto_);
        throw errore_file(cammino_in_testo(destinazione_), "write failed: " + causa);
    }
    std::string causa_rinomina;
    const segnali_trattenuti trattenuti;
    const bool rinominato = sostituisci_file(temporaneo_, destinazione_, causa_rinomina);
    if (!rinominato) {
        std::error_code ec;
        std::filesystem::remove(temporaneo_, ec);
    }
    libera(posto_);
    if (!rinominato) throw errore_file(cammino_in_testo(destinazione_), "cannot replace the file: " + causa_rinomina);
}

void scrivi_file(const std::filesystem::path& destinazione, std::string_view contenuto) {
    file_uscita f(destinazione);
    f.scrivi_subito(contenuto);
    f.conferma();
}

}  // namespace valmarena
