// The Windows host layer: the program's folder taken from the module itself, the message box
// (caption, one OK button, no icon, its owner) and the end of the process with its status.

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/ospite.h"

namespace valmarena {
namespace {

const wchar_t nome_eseguibile[] = L"valmarena_windows_tests.exe";

// Runs the test body with the current folder moved elsewhere, and puts it back.
class cartella_corrente_altrove {
public:
    explicit cartella_corrente_altrove(const std::filesystem::path& p) : prima_(std::filesystem::current_path()) {
        std::filesystem::current_path(p);
    }
    ~cartella_corrente_altrove() {
        std::error_code ec;
        std::filesystem::current_path(prima_, ec);
    }
    cartella_corrente_altrove(const cartella_corrente_altrove&) = delete;
    cartella_corrente_altrove& operator=(const cartella_corrente_altrove&) = delete;

private:
    std::filesystem::path prima_;
};

TEST(CartellaProgramma, DalModuloQualunqueSiaArgv0) {
    cartella_corrente_altrove altrove(std::filesystem::temp_directory_path());
    const char* casi[] = {nullptr, "", "valmarena.exe", "C:\\altrove\\valmarena.exe", "..\\x\\y.exe"};
    for (const char* argv0 : casi) {
        SCOPED_TRACE(argv0 ? argv0 : "(null)");
        std::filesystem::path c = cartella_programma(argv0);
        EXPECT_TRUE(c.is_absolute()) << c.string();
        EXPECT_TRUE(std::filesystem::is_regular_file(c / nome_eseguibile)) << c.string();
        EXPECT_FALSE(std::filesystem::equivalent(c, std::filesystem::current_path()));
    }
}

// What a message box of this process shows, read from its controls.
struct scatola_vista {
    bool trovata = false;
    std::wstring titolo;
    std::vector<std::wstring> testi;
    std::vector<int> pulsanti;
    bool icona = false;
    HWND proprietario = nullptr;
};

struct ricerca_scatola {
    DWORD pid;
    HWND trovata;
};

BOOL CALLBACK guarda_scatola(HWND h, LPARAM l) {
    auto* r = reinterpret_cast<ricerca_scatola*>(l);
    DWORD pid = 0;
    GetWindowThreadProcessId(h, &pid);
    wchar_t classe[64] = {};
    GetClassNameW(h, classe, 64);
    if (pid == r->pid && IsWindowVisible(h) && std::wstring(classe) == L"#32770") {
        r->trovata = h;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK guarda_controllo(HWND h, LPARAM l) {
    auto* v = reinterpret_cast<scatola_vista*>(l);
    wchar_t classe[64] = {};
    GetClassNameW(h, classe, 64);
    wchar_t testo[512] = {};
    GetWindowTextW(h, testo, 512);
    LONG stile = GetWindowLongW(h, GWL_STYLE);
    if (lstrcmpiW(classe, L"Button") == 0 && (stile & WS_VISIBLE)) v->pulsanti.push_back(GetDlgCtrlID(h));
    if (lstrcmpiW(classe, L"Static") == 0) {
        // The box keeps its icon control even without an icon: what counts is whether it holds one.
        if ((stile & SS_TYPEMASK) == SS_ICON && (stile & WS_VISIBLE) && SendMessageW(h, STM_GETICON, 0, 0))
            v->icona = true;
        if (testo[0]) v->testi.emplace_back(testo);
    }
    return TRUE;
}

// Shows the message through the host layer while another thread reads the box and presses OK.
scatola_vista mostra_e_leggi(const std::string& testo_utf8) {
    scatola_vista v;
    std::atomic<bool> chiusa{false};
    std::thread lettore([&] {
        for (int i = 0; i < 200 && !chiusa; ++i) {
            ricerca_scatola r{GetCurrentProcessId(), nullptr};
            EnumWindows(guarda_scatola, reinterpret_cast<LPARAM>(&r));
            if (r.trovata) {
                Sleep(100);  // let the box lay out its controls
                v.trovata = true;
                wchar_t t[256] = {};
                GetWindowTextW(r.trovata, t, 256);
                v.titolo = t;
                v.proprietario = GetWindow(r.trovata, GW_OWNER);
                EnumChildWindows(r.trovata, guarda_controllo, reinterpret_cast<LPARAM>(&v));
                PostMessageW(r.trovata, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
                return;
            }
            Sleep(50);
        }
    });
    mostra_messaggio(testo_utf8);
    chiusa = true;
    lettore.join();
    return v;
}

bool senza_desktop() {
    HWND prova = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    if (!prova) return true;
    DestroyWindow(prova);
    return false;
}

TEST(Messaggio, SoloOkSenzaIconaColNomeDelProgramma) {
    if (senza_desktop()) GTEST_SKIP() << "no desktop to show a window on";
    // Before Form1 exists the box stands alone; once it is shown, the box belongs to it.
    scatola_vista prima = mostra_e_leggi(" Errore n. 1250");
    mostra_finestra();
    HWND form = FindWindowW(nullptr, L"Form1");
    ASSERT_NE(form, nullptr);
    scatola_vista dopo = mostra_e_leggi("Cannot write Valmarena_linea.dat: perm\xC3\xA8s denied\nsecond line");

    struct caso {
        const char* nome;
        const scatola_vista& v;
        std::wstring testo;
        HWND proprietario;
    } casi[] = {
        {"prima di Form1", prima, L" Errore n. 1250", nullptr},
        {"con Form1", dopo, L"Cannot write Valmarena_linea.dat: perm\u00e8s denied\nsecond line", form},
    };
    for (const auto& c : casi) {
        SCOPED_TRACE(c.nome);
        ASSERT_TRUE(c.v.trovata);
        EXPECT_EQ(c.v.titolo, L"valmarena_windows_tests");
        EXPECT_EQ(c.v.pulsanti, std::vector<int>{IDOK});
        EXPECT_FALSE(c.v.icona);
        EXPECT_NE(std::find(c.v.testi.begin(), c.v.testi.end(), c.testo), c.v.testi.end());
        EXPECT_EQ(c.v.proprietario, c.proprietario);
    }
}

std::string leggi_tutto(const std::filesystem::path& p) {
    std::ifstream f(p, std::ios::binary);
    std::ostringstream o;
    o << f.rdbuf();
    return o.str();
}

// Leaves the file open with its text still in the C library's buffer, and ends the process.
[[noreturn]] void scrivi_senza_chiudere_e_termina(const std::filesystem::path& p, const std::string& testo) {
    std::FILE* f = _wfopen(p.c_str(), L"wb");
    if (f) std::fwrite(testo.data(), 1, testo.size(), f);
    termina_processo(3);
}

TEST(TerminaProcesso, ScriveIBufferApertiEDaLoStato) {
    auto p = std::filesystem::temp_directory_path() / "valmarena-termina-prova.txt";
    std::filesystem::remove(p);
    const std::string riga(3000, 'x');
    EXPECT_EXIT(scrivi_senza_chiudere_e_termina(p, riga), ::testing::ExitedWithCode(3), "");
    EXPECT_EQ(leggi_tutto(p), riga);
    std::filesystem::remove(p);
}

}  // namespace
}  // namespace valmarena
