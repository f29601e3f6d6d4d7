// Files read and written whole (an output file goes to a fresh temporary file, then is renamed
// over the old one), and beneath them the host's file operations the standard library leaves open.
#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace valmarena {

// Opens a file with a C mode ("rb", "wb"); null on failure, with the cause in `causa`.
std::FILE* apri_file(const std::filesystem::path& p, const char* modo, std::string& causa);

// Creates a new regular file and opens it for binary writing, only when nothing of that name
// exists: a link, a pipe, a folder or a file already there is never opened nor followed. Null on
// failure, with the cause in `causa` and `occupato` set when the name was taken.
std::FILE* crea_file_nuovo(const std::filesystem::path& p, std::string& causa, bool& occupato);

// Moves an open file to byte `posizione` from its start; false with errno set on failure.
bool vai_a(std::FILE* f, std::uint64_t posizione);

// Reads the whole file into `testo`, sized once from its length; false with the cause on failure.
bool leggi_file(const std::filesystem::path& p, std::string& testo, std::string& causa);

// Renames `da` over `a`, replacing `a` when it exists; false with the cause on failure.
bool sostituisci_file(const std::filesystem::path& da, const std::filesystem::path& a, std::string& causa);

// Text of the last C library error (errno).
std::string causa_errno();

// A path as UTF-8 text, for messages.
std::string cammino_in_testo(const std::filesystem::path& p);

// A write beyond the host's file-size limit fails with "File too large" instead of ending the
// process, so that the temporary file is removed and the cause reported. Nothing where no such limit exists.
void ignora_limite_file();

// From now on SIGTERM, SIGINT and SIGHUP (on Windows the console's Ctrl-C, Ctrl-Break and close)
// remove the temporary files this run has open before the process ends as the signal would
// have ended it. A signal that was ignored when the process started stays ignored.
void rimuovi_temporanei_ai_segnali();

// Removes the temporary files a killed run left beside the files `destinazioni`: regular files
// named like one of them followed by a dot, eight hexadecimal digits and ".~tmp". Nothing else is
// touched. Run it while holding the folder (see cartella_esclusiva.h), so no living run's files
// are among them.
void rimuovi_temporanei_rimasti(const std::vector<std::filesystem::path>& destinazioni);

// An output file written whole: a fresh temporary file beside the destination, renamed over it
// on `conferma`, so a failure never leaves a half-written or missing file.
class file_uscita {
public:
    // Creates the temporary file under a name no one else holds; throws `errore_file` naming
    // the destination when it cannot.
    explicit file_uscita(std::filesystem::path destinazione);
    ~file_uscita();
    file_uscita(const file_uscita&) = delete;
    file_uscita& operator=(const file_uscita&) = delete;

    // Appends bytes; they reach the disk in large blocks.
    void scrivi(const void* dati, std::size_t n);
    void scrivi(std::string_view s) { scrivi(s.data(), s.size()); }

    // Sends bytes to the file at once, after any gathered ones: for a file written in one call,
    // which gains nothing from passing through the block.
    void scrivi_subito(std::string_view s);

    // Announces the file's whole length before it is written, so that the host sets its space
    // aside in one go rather than block by block as the writes come (on Linux; elsewhere nothing).
    // A host that cannot is simply not asked again: the writes then fail as they would have.
    void prenota(std::uint64_t lunghezza) noexcept;

    // Moves to byte `posizione` of the file, so that the next bytes written land there: a file
    // laid out in two halves can be written a piece of each at a time. Skipped bytes read as zero.
    void posiziona(std::uint64_t posizione);

    // Flushes, closes and renames the temporary file over the destination.
    void conferma();

private:
    void svuota();
    void manda(const char* dati, std::size_t n);
    void abbandona() noexcept;

    std::filesystem::path destinazione_;
    std::filesystem::path temporaneo_;
    std::FILE* f_ = nullptr;
    int posto_ = -1;  // where the temporary file's name is kept for the signals' clean-up; -1 none
    std::vector<char> blocco_;
    std::uint64_t posizione_ = 0;  // where the next byte written lands
};

// Replaces the file at `destinazione` with exactly `contenuto`.
void scrivi_file(const std::filesystem::path& destinazione, std::string_view contenuto);

namespace dettaglio {
// A temporary name beside `destinazione`, different on every call: its name, a dot, eight
// hexadecimal digits, then ".~tmp". Used by `file_uscita`; open for the tests of its names.
std::filesystem::path nome_temporaneo(const std::filesystem::path& destinazione);
// Whether `nome` is the name of a temporary file of `destinazione` (its name, a dot, eight
// lower-case hexadecimal digits, ".~tmp"), as `nome_temporaneo` makes them.
bool temporaneo_di(const std::filesystem::path& nome, const std::filesystem::path& destinazione);
}  // namespace dettaglio

}  // namespace valmarena
