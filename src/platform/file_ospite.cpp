// File operations of the host, with the few differences between Windows and the rest kept here.

#include "file_ospite.h"

#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstring>
#include <system_error>

#include "codifica.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

namespace valmarena {

void ignora_limite_file() {
#ifdef SIGXFSZ
    std::signal(SIGXFSZ, SIG_IGN);
#endif
}

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

#ifdef _WIN32
std::FILE* crea_file_nuovo(const std::filesystem::path& p, std::string& causa, bool& occupato) {
    occupato = false;
    // CREATE_NEW fails on any entry of that name; a reparse point there is not followed.
    HANDLE h = CreateFileW(p.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
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
