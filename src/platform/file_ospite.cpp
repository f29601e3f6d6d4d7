// File operations of the host, with the few differences between Windows and the rest kept here.

#include "file_ospite.h"

#include <cerrno>
#include <cstring>
#include <system_error>

#include "codifica.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace valmarena {

std::string causa_errno() { return std::generic_category().message(errno); }

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

std::filesystem::path nome_in_percorso(const std::string& nome_1252) {
    std::string utf8 = da_1252_a_utf8(nome_1252);
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string percorso_in_testo(const std::filesystem::path& p) {
    auto u = p.u8string();
    return std::string(u.begin(), u.end());
}

}  // namespace valmarena
