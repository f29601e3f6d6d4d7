// The folder's lock: flock on the folder's own descriptor, or a named mutex on Windows.

#include "cartella_esclusiva.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <string>
#include <system_error>
#include <thread>
#include <cwchar>
#include <cwctype>

#include "file_ospite.h"

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif

namespace valmarena {

cartella_esclusiva::~cartella_esclusiva() { lascia(); }

cartella_esclusiva::cartella_esclusiva(cartella_esclusiva&& altra) noexcept { *this = std::move(altra); }

std::string messaggio_cartella_occupata(const std::filesystem::path& cartella) {
    return "Another run is writing in the folder " + cammino_in_testo(cartella) +
           ": this one waited " + std::to_string(attesa_cartella.count() / 1000) +
           " seconds for it and stops. No file was written.";
}

#ifdef _WIN32

namespace {

// The mutex's name: the folder's full path, in capitals (names on Windows ignore case), with the
// backslashes that a kernel object's name cannot hold turned into slashes. A path too long for a
// name is kept as its tail and a hash of the whole.
std::wstring nome_mutex(const std::filesystem::path& cartella) {
    std::wstring pieno(32768, L'\0');
    const DWORD n = GetFullPathNameW(cartella.c_str(), static_cast<DWORD>(pieno.size()), pieno.data(), nullptr);
    pieno.resize(n > 0 && n < pieno.size() ? n : 0);
    if (pieno.empty()) pieno = cartella.wstring();
    while (pieno.size() > 3 && (pieno.back() == L'\\' || pieno.back() == L'/')) pieno.pop_back();
    for (auto& c : pieno) c = c == L'\\' ? L'/' : static_cast<wchar_t>(std::towupper(static_cast<std::wint_t>(c)));
    constexpr std::size_t massimo = 200;
    if (pieno.size() > massimo) {
        std::uint64_t h = 14695981039346656037ull;  // FNV-1a
        for (wchar_t c : pieno) h = (h ^ static_cast<std::uint16_t>(c)) * 1099511628211ull;
        wchar_t hash[20];
        std::swprintf(hash, 20, L"%016llx", static_cast<unsigned long long>(h));
        pieno = std::wstring(hash) + L"|" + pieno.substr(pieno.size() - (massimo - 17));
    }
    return L"valmarena-cartella:" + pieno;
}

}  // namespace

void cartella_esclusiva::lascia() noexcept {
    if (!mutex_) return;
    ReleaseMutex(static_cast<HANDLE>(mutex_));
    CloseHandle(static_cast<HANDLE>(mutex_));
    mutex_ = nullptr;
}

cartella_esclusiva& cartella_esclusiva::operator=(cartella_esclusiva&& altra) noexcept {
    if (this != &altra) {
        lascia();
        mutex_ = altra.mutex_;
        altra.mutex_ = nullptr;
    }
    return *this;
}

cartella_esclusiva::esito cartella_esclusiva::prendi(const std::filesystem::path& cartella,
                                                     std::chrono::milliseconds attesa, std::string& causa) {
    lascia();
    const std::wstring nome = nome_mutex(cartella);
    // Every session's runs see the same folder: the global name, else the session's own.
    HANDLE h = CreateMutexW(nullptr, FALSE, (L"Global\\" + nome).c_str());
    if (!h) h = CreateMutexW(nullptr, FALSE, (L"Local\\" + nome).c_str());
    if (!h) {
        causa = std::system_category().message(static_cast<int>(GetLastError()));
        return esito::impossibile;
    }
    // A mutex left by a run that died is handed over as abandoned: this run then owns it.
    const DWORD r = WaitForSingleObject(h, static_cast<DWORD>(attesa.count()));
    if (r == WAIT_OBJECT_0 || r == WAIT_ABANDONED) {
        mutex_ = h;
        return esito::presa;
    }
    CloseHandle(h);
    if (r == WAIT_TIMEOUT) return esito::occupata;
    causa = std::system_category().message(static_cast<int>(GetLastError()));
    return esito::impossibile;
}

#else

void cartella_esclusiva::lascia() noexcept {
    if (fd_ < 0) return;
    ::close(fd_);  // closing the only descriptor lets the lock go
    fd_ = -1;
}

cartella_esclusiva& cartella_esclusiva::operator=(cartella_esclusiva&& altra) noexcept {
    if (this != &altra) {
        lascia();
        fd_ = altra.fd_;
        altra.fd_ = -1;
    }
    return *this;
}

cartella_esclusiva::esito cartella_esclusiva::prendi(const std::filesystem::path& cartella,
                                                     std::chrono::milliseconds attesa, std::string& causa) {
    lascia();
    const int fd = ::open(cartella.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        causa = causa_errno();
        return esito::impossibile;
    }
    const auto scadenza = std::chrono::steady_clock::now() + attesa;
    for (;;) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
            fd_ = fd;
            return esito::presa;
        }
        if (errno != EWOULDBLOCK && errno != EINTR) {
            causa = causa_errno();
            ::close(fd);
            return esito::impossibile;
        }
        if (std::chrono::steady_clock::now() >= scadenza) {
            ::close(fd);
            return esito::occupata;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

#endif

}  // namespace valmarena
