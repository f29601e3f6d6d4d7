// Shows Form1 exactly as the package program does, writes on standard output what the window
// holds (title, owner, screen DPI, client and label rectangles in screen pixels, label text and
// font), then leaves the window on the screen for a few seconds so that a screenshot can be
// taken. With "attesa" as second argument it sleeps without handling any message, as the run
// does; otherwise it keeps handling messages.
//
//   finestra_prova.exe [seconds] [attesa|pompa]

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/ospite.h"

namespace {

std::string in_utf8(const wchar_t* w) {
    int n = WideCharToMultiByte(CP_UTF8, 0, w, -1, nullptr, 0, nullptr, nullptr);
    if (n <= 1) return {};
    std::string s(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, w, -1, s.data(), n, nullptr, nullptr);
    s.resize(static_cast<std::size_t>(n - 1));
    return s;
}

std::string testo_di(HWND h) {
    wchar_t t[256] = {};
    GetWindowTextW(h, t, 256);
    return in_utf8(t);
}

std::string classe_di(HWND h) {
    wchar_t t[256] = {};
    GetClassNameW(h, t, 256);
    return in_utf8(t);
}

struct ricerca {
    DWORD pid;
    HWND trovata;
};

BOOL CALLBACK guarda_finestra(HWND h, LPARAM l) {
    auto* r = reinterpret_cast<ricerca*>(l);
    DWORD pid = 0;
    GetWindowThreadProcessId(h, &pid);
    if (pid == r->pid && IsWindowVisible(h)) {
        r->trovata = h;
        return FALSE;
    }
    return TRUE;
}

// The one visible top-level window of this process.
HWND finestra_del_processo() {
    ricerca r{GetCurrentProcessId(), nullptr};
    EnumWindows(guarda_finestra, reinterpret_cast<LPARAM>(&r));
    return r.trovata;
}

}  // namespace

int main(int argc, char** argv) {
    int secondi = argc > 1 ? std::atoi(argv[1]) : 8;
    bool attesa = argc > 2 && std::strcmp(argv[2], "attesa") == 0;

    valmarena::mostra_finestra();

    HWND f = finestra_del_processo();
    if (!f) {
        std::printf("errore=nessuna finestra visibile\n");
        return 1;
    }
    HWND e = GetWindow(f, GW_CHILD);
    int figli = 0;
    for (HWND c = e; c; c = GetWindow(c, GW_HWNDNEXT)) ++figli;

    HDC dc = GetDC(nullptr);
    int dpi_x = GetDeviceCaps(dc, LOGPIXELSX);
    int dpi_y = GetDeviceCaps(dc, LOGPIXELSY);
    ReleaseDC(nullptr, dc);

    RECT cliente{};
    GetClientRect(f, &cliente);
    POINT origine{0, 0};
    ClientToScreen(f, &origine);

    std::printf("titolo=%s\n", testo_di(f).c_str());
    std::printf("proprietario=%d\n", GetWindow(f, GW_OWNER) ? 1 : 0);
    std::printf("dpi=%d %d\n", dpi_x, dpi_y);
    std::printf("cliente=%ld %ld %ld %ld\n", static_cast<long>(origine.x), static_cast<long>(origine.y),
                static_cast<long>(cliente.right - cliente.left), static_cast<long>(cliente.bottom - cliente.top));
    std::printf("controlli=%d\n", figli);
    if (e) {
        RECT r{};
        GetWindowRect(e, &r);
        std::printf("etichetta=%ld %ld %ld %ld\n", static_cast<long>(r.left), static_cast<long>(r.top),
                    static_cast<long>(r.right - r.left), static_cast<long>(r.bottom - r.top));
        std::printf("testo=%s\n", testo_di(e).c_str());
        std::printf("classe_etichetta=%s\n", classe_di(e).c_str());
        auto hf = reinterpret_cast<HFONT>(SendMessageW(e, WM_GETFONT, 0, 0));
        LOGFONTW lf{};
        if (hf && GetObjectW(hf, sizeof lf, &lf) == sizeof lf) {
            std::printf("carattere=%s\n", in_utf8(lf.lfFaceName).c_str());
            std::printf("peso=%ld\n", static_cast<long>(lf.lfWeight));
            std::printf("altezza=%ld\n", static_cast<long>(lf.lfHeight));
            std::printf("stile=%d %d %d\n", lf.lfItalic ? 1 : 0, lf.lfUnderline ? 1 : 0, lf.lfStrikeOut ? 1 : 0);
            // The face the font mapper really gave, its weight and its family.
            HDC dc_e = GetDC(e);
            HGDIOBJ prima = SelectObject(dc_e, hf);
            wchar_t faccia[LF_FACESIZE] = {};
            GetTextFaceW(dc_e, LF_FACESIZE, faccia);
            TEXTMETRICW tm{};
            GetTextMetricsW(dc_e, &tm);
            SelectObject(dc_e, prima);
            ReleaseDC(e, dc_e);
            std::printf("carattere_reale=%s\n", in_utf8(faccia).c_str());
            std::printf("peso_reale=%ld\n", static_cast<long>(tm.tmWeight));
            std::printf("famiglia_reale=%s\n", (tm.tmPitchAndFamily & 0xF0) == FF_SWISS     ? "swiss"
                                                : (tm.tmPitchAndFamily & 0xF0) == FF_ROMAN   ? "roman"
                                                : (tm.tmPitchAndFamily & 0xF0) == FF_MODERN  ? "modern"
                                                : (tm.tmPitchAndFamily & 0xF0) == FF_DONTCARE ? "qualsiasi"
                                                                                               : "altra");
        }
    }
    std::printf("pronta\n");
    std::fflush(stdout);

    DWORD fine = GetTickCount() + static_cast<DWORD>(secondi) * 1000u;
    if (attesa) {
        Sleep(static_cast<DWORD>(secondi) * 1000u);
    } else {
        while (static_cast<LONG>(fine - GetTickCount()) > 0) {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
            MSG m;
            while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
                TranslateMessage(&m);
                DispatchMessageW(&m);
            }
        }
    }
    return 0;
}
