// Writing an output file whole: the bytes go to a fresh temporary file beside it, which is then
// renamed over the old one, so a failure never leaves a half-written or missing file.
#pragma once

#include <cstdio>
#include <filesystem>
#include <string_view>
#include <vector>

namespace valmarena {

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

    // Flushes, closes and renames the temporary file over the destination.
    void conferma();

private:
    void svuota();
    void manda(const char* dati, std::size_t n);
    void abbandona() noexcept;

    std::filesystem::path destinazione_;
    std::filesystem::path temporaneo_;
    std::FILE* f_ = nullptr;
    std::vector<char> blocco_;
};

// Replaces the file at `destinazione` with exactly `contenuto`.
void scrivi_file(const std::filesystem::path& destinazione, std::string_view contenuto);

// A temporary name beside `destinazione`, different on every call: its name, a dot, eight
// hexadecimal digits, then ".~tmp".
std::filesystem::path nome_temporaneo(const std::filesystem::path& destinazione);

}  // namespace valmarena
