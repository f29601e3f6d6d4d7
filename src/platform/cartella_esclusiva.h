// One run at a time in a folder: a run holds its output folder for as long as it writes there,
// with a lock that the host lets go of when the process ends, however it ends. Nothing is left
// in the folder: on Linux the lock is on the folder itself, on Windows on a named mutex made from
// the folder's full path.
#pragma once

#include <chrono>
#include <filesystem>
#include <string>

namespace valmarena {

// How long a run waits for another one writing in its folder before it gives up.
constexpr std::chrono::milliseconds attesa_cartella{5000};

class cartella_esclusiva {
public:
    enum class esito { presa, occupata, impossibile };

    cartella_esclusiva() = default;
    ~cartella_esclusiva();
    cartella_esclusiva(cartella_esclusiva&& altra) noexcept;
    cartella_esclusiva& operator=(cartella_esclusiva&& altra) noexcept;
    cartella_esclusiva(const cartella_esclusiva&) = delete;
    cartella_esclusiva& operator=(const cartella_esclusiva&) = delete;

    // Takes the folder (which must exist), waiting up to `attesa` while another run holds it.
    // `impossibile` when the host cannot lock it, with the cause in `causa`.
    esito prendi(const std::filesystem::path& cartella, std::chrono::milliseconds attesa, std::string& causa);

private:
    void lascia() noexcept;
#ifdef _WIN32
    void* mutex_ = nullptr;
#else
    int fd_ = -1;
#endif
};

// What a run says when another one keeps its folder: the folder's name, and why.
std::string messaggio_cartella_occupata(const std::filesystem::path& cartella);

}  // namespace valmarena
