// The host layer on Windows: the window Form1 with its label, the message box, the program's
// folder from the module's own path, and ending the process.

#include <windows.h>

#include <string>

#include "ospite.h"

namespace valmarena {

namespace {

// Form1's geometry in twips (1/1440 inch).
constexpr int client_larghezza_twip = 4200;
constexpr int client_altezza_twip = 2688;
constexpr int etichetta_sinistra_twip = 960;
constexpr int etichetta_alto_twip = 960;
constexpr int etichetta_larghezza_twip = 2652;
constexpr int etichetta_altezza_twip = 792;
constexpr int punti_carattere = 24;

HWND finestra = nullptr;
HFONT carattere = nullptr;

int twip_in_pixel(int twip, int dpi) { return MulDiv(twip, dpi, 1440); }

std::wstring in_wide(const std::string& utf8) {
    if (utf8.empty()) return {};
    int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring w(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), w.data(), n);
    return w;
}

int CALLBACK trova_faccia(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM trovata) {
    *reinterpret_cast<bool*>(trovata) = true;
    return 0;
}

// "MS Sans Serif" when the system has it, otherwise another bold sans-serif face.
HFONT crea_carattere(int dpi) {
    HDC dc = GetDC(nullptr);
    const wchar_t* facce[] = {L"MS Sans Serif", L"Microsoft Sans Serif", L"Arial", L"Tahoma"};
    const wchar_t* scelta = nullptr;
    for (const wchar_t* f : facce) {
        LOGFONTW lf{};
        lf.lfCharSet = DEFAULT_CHARSET;
        lstrcpynW(lf.lfFaceName, f, LF_FACESIZE);
        bool trovata = false;
        EnumFontFamiliesExW(dc, &lf, trova_faccia, reinterpret_cast<LPARAM>(&trovata), 0);
        if (trovata) {
            scelta = f;
            break;
        }
    }
    ReleaseDC(nullptr, dc);
    LOGFONTW lf{};
    lf.lfHeight = -MulDiv(punti_carattere, dpi, 72);
    lf.lfWeight = FW_BOLD;
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfPitchAndFamily = VARIABLE_PITCH | FF_SWISS;
    if (scelta) lstrcpynW(lf.lfFaceName, scelta, LF_FACESIZE);
    return CreateFontIndirectW(&lf);
}

LRESULT CALLBACK procedura_finestra(HWND h, UINT msg, WPARAM w, LPARAM l) {
    if (msg == WM_CTLCOLORSTATIC) {
        SetBkMode(reinterpret_cast<HDC>(w), TRANSPARENT);
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    }
    return DefWindowProcW(h, msg, w, l);
}

}  // namespace

std::filesystem::path cartella_programma(const char*) {
    std::wstring percorso(MAX_PATH, L'\0');
    for (;;) {
        DWORD n = GetModuleFileNameW(nullptr, percorso.data(), static_cast<DWORD>(percorso.size()));
        if (n == 0) return std::filesystem::current_path();
        if (n < percorso.size()) {
            percorso.resize(n);
            break;
        }
        percorso.resize(percorso.size() * 2);
    }
    return std::filesystem::path(percorso).parent_path();
}

void mostra_finestra() {
    HINSTANCE istanza = GetModuleHandleW(nullptr);
    WNDCLASSW classe{};
    classe.lpfnWndProc = procedura_finestra;
    classe.hInstance = istanza;
    classe.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_WAIT));
    classe.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    classe.lpszClassName = L"Form1";
    RegisterClassW(&classe);

    HDC dc = GetDC(nullptr);
    int dpi_x = GetDeviceCaps(dc, LOGPIXELSX);
    int dpi_y = GetDeviceCaps(dc, LOGPIXELSY);
    ReleaseDC(nullptr, dc);

    DWORD stile = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    RECT r{0, 0, twip_in_pixel(client_larghezza_twip, dpi_x), twip_in_pixel(client_altezza_twip, dpi_y)};
    AdjustWindowRect(&r, stile, FALSE);
    finestra = CreateWindowW(L"Form1", L"Form1", stile, CW_USEDEFAULT, CW_USEDEFAULT, r.right - r.left,
                             r.bottom - r.top, nullptr, nullptr, istanza, nullptr);
    if (!finestra) return;
    HWND etichetta = CreateWindowW(L"STATIC", L"Attendere", WS_CHILD | WS_VISIBLE | SS_LEFT,
                                   twip_in_pixel(etichetta_sinistra_twip, dpi_x),
                                   twip_in_pixel(etichetta_alto_twip, dpi_y),
                                   twip_in_pixel(etichetta_larghezza_twip, dpi_x),
                                   twip_in_pixel(etichetta_altezza_twip, dpi_y), finestra, nullptr, istanza, nullptr);
    carattere = crea_carattere(dpi_y);
    if (etichetta && carattere) SendMessageW(etichetta, WM_SETFONT, reinterpret_cast<WPARAM>(carattere), TRUE);
    ShowWindow(finestra, SW_SHOWNORMAL);
    UpdateWindow(finestra);
    // Let the window manager put the window and its label on the screen before the work starts.
    MSG m;
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&m);
        DispatchMessageW(&m);
    }
}

void mostra_messaggio(const std::string& testo_utf8) {
    MessageBoxW(nullptr, in_wide(testo_utf8).c_str(), nullptr, MB_OK);
}

void termina_processo(int stato) { ExitProcess(static_cast<UINT>(stato)); }

}  // namespace valmarena
