// Replace-by-rename writing of output files.

#include "scrittura.h"

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <random>
#include <system_error>

#include "../platform/file_ospite.h"
#include "../records/guasti.h"

namespace valmarena {

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

std::filesystem::path nome_temporaneo(const std::filesystem::path& destinazione) {
    char suffisso[16];
    std::snprintf(suffisso, sizeof suffisso, ".%08x", static_cast<unsigned>(suffisso_casuale()));
    auto t = destinazione;
    t += suffisso;
    t += ".~tmp";
    return t;
}

file_uscita::file_uscita(std::filesystem::path destinazione) : destinazione_(std::move(destinazione)) {
    std::error_code ec;
    if (std::filesystem::is_directory(destinazione_, ec))
        throw errore_file(percorso_in_testo(destinazione_), "a folder stands in its place");
    // The temporary file is created new, never opened where something already stands: a link
    // there would lead the bytes elsewhere, a pipe would hold the run, a file would be lost.
    std::string causa;
    for (int i = 0; i < tentativi_temporaneo && !f_; ++i) {
        temporaneo_ = nome_temporaneo(destinazione_);
        bool occupato = false;
        f_ = crea_file_nuovo(temporaneo_, causa, occupato);
        if (!f_ && !occupato) throw errore_file(percorso_in_testo(destinazione_), "cannot create the file: " + causa);
    }
    if (!f_) throw errore_file(percorso_in_testo(destinazione_), "no free temporary name beside it: " + causa);
    blocco_.reserve(dimensione_blocco);
}

file_uscita::~file_uscita() { abbandona(); }

void file_uscita::abbandona() noexcept {
    if (f_) {
        std::fclose(f_);
        f_ = nullptr;
        std::error_code ec;
        std::filesystem::remove(temporaneo_, ec);
    }
}

void file_uscita::manda(const char* dati, std::size_t n) {
    errno = 0;
    std::size_t scritti = std::fwrite(dati, 1, n, f_);
    if (scritti != n) {
        std::string causa = causa_errno();
        abbandona();
        throw errore_file(percorso_in_testo(destinazione_), "write failed: " + causa);
    }
}

void file_uscita::svuota() {
    if (blocco_.empty()) return;
    manda(blocco_.data(), blocco_.size());
    blocco_.clear();
}

void file_uscita::scrivi(const void* dati, std::size_t n) {
    if (!f_) throw errore_file(percorso_in_testo(destinazione_), "file already closed");
    const char* p = static_cast<const char*>(dati);
    while (n > 0) {
        // A piece no smaller than a block goes to the file as it is, without passing through the block.
        if (blocco_.empty() && n >= dimensione_blocco) {
            manda(p, n);
            return;
        }
        std::size_t spazio = dimensione_blocco - blocco_.size();
        std::size_t k = n < spazio ? n : spazio;
        blocco_.insert(blocco_.end(), p, p + k);
        p += k;
        n -= k;
        if (blocco_.size() == dimensione_blocco) svuota();
    }
}

void file_uscita::conferma() {
    if (!f_) throw errore_file(percorso_in_testo(destinazione_), "file already closed");
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
        throw errore_file(percorso_in_testo(destinazione_), "write failed: " + causa);
    }
    std::string causa_rinomina;
    if (!sostituisci_file(temporaneo_, destinazione_, causa_rinomina)) {
        std::error_code ec;
        std::filesystem::remove(temporaneo_, ec);
        throw errore_file(percorso_in_testo(destinazione_), "cannot replace the file: " + causa_rinomina);
    }
}

void scrivi_file(const std::filesystem::path& destinazione, std::string_view contenuto) {
    file_uscita f(destinazione);
    f.scrivi(contenuto);
    f.conferma();
}

}  // namespace valmarena
