// The host layer on Windows: the window Form1 with its label, the message box, the program's
// folder from the module's own path, and ending the process.

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <cstdio>
#include <stdexcept>
#include <string>

#include "ospite.h"

namespace valmarena {

namespace {

// Form1's geometry in twips (1/1440 inch).
constexpr int twip_per_pollice = 1440;
constexpr int client_larghezza_twip = 4200;
constexpr int client_altezza_twip = 2688;
constexpr int etichetta_sinistra_twip = 960;
constexpr int etichetta_alto_twip = 960;
constexpr int etichetta_larghezza_twip = 2652;
constexpr int etichetta_altezza_twip = 792;
constexpr int punti_carattere = 24;
constexpr int punti_per_pollice = 72;

constexpr wchar_t classe_form[] = L"Form1";
constexpr wchar_t titolo_form[] = L"Form1";
constexpr wchar_t testo_etichetta[] = L"Attendere";

HWND finestra = nullptr;
HFONT carattere = nullptr;

int twip_in_pixel(int twip, int dpi) { return MulDiv(twip, dpi, twip_per_pollice); }

std::wstring in_wide(const std::string& utf8) {
    if (utf8.empty()) return {};
    int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    if (n <= 0) return {};
    std::wstring w(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), w.data(), n);
    return w;
}

// The full path of the running .exe, whatever its length.
std::wstring cammino_modulo() {
    std::wstring file_modulo(MAX_PATH, L'\0');
    for (;;) {
        DWORD n = GetModuleFileNameW(nullptr, file_modulo.data(), static_cast<DWORD>(file_modulo.size()));
        if (n == 0) return {};
        if (n < file_modulo.size()) {
            file_modulo.resize(n);
            return file_modulo;
        }
        // Cut short: the buffer was too small. Paths stop at 32767 characters.
        if (file_modulo.size() > 32768) return {};
        file_modulo.resize(file_modulo.size() * 2);
    }
}

int CALLBACK trova_faccia(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM trovata) {
    *reinterpret_cast<bool*>(trovata) = true;
    return 0;
}

// "MS Sans Serif" when the system has it, otherwise another bold sans-serif face; with none of
// the names below the font mapper picks a sans-serif face of its own (FF_SWISS).
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
    lf.lfHeight = -MulDiv(punti_carattere, dpi, punti_per_pollice);
    lf.lfWeight = FW_BOLD;
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfQuality = DEFAULT_QUALITY;
    lf.lfPitchAndFamily = VARIABLE_PITCH | FF_SWISS;
    if (scelta) lstrcpynW(lf.lfFaceName, scelta, LF_FACESIZE);
    return CreateFontIndirectW(&lf);
}

LRESULT CALLBACK procedura_finestra(HWND h, UINT msg, WPARAM w, LPARAM l) {
    if (msg == WM_CTLCOLORSTATIC) {
        // The label: button-text colour on the form's own face colour.
        HDC dc = reinterpret_cast<HDC>(w);
        SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
        SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    }
    return DefWindowProcW(h, msg, w, l);
}

}  // namespace

std::filesystem::path cartella_programma(const char*) {
    std::wstring file_modulo = cammino_modulo();
    // Without the module's own path there is no right place to write to; the current folder
    // would be somewhere else.
    if (file_modulo.empty())
        throw std::runtime_error("Cannot find the folder that holds the program: its own path cannot be read");
    return std::filesystem::path(file_modulo).parent_path();
}

std::filesystem::path programma_in_esecuzione(const char*) { return std::filesystem::path(cammino_modulo()); }

void mostra_finestra() {
    if (finestra) return;
    // Pixels of the real screen: the twips below are converted with its true DPI, and the
    // system does not stretch the window's bitmap afterwards.
    SetProcessDPIAware();

    HINSTANCE istanza = GetModuleHandleW(nullptr);
    WNDCLASSW classe{};
    classe.lpfnWndProc = procedura_finestra;
    classe.hInstance = istanza;
    classe.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32514));  // IDC_WAIT, the hourglass
    classe.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    classe.lpszClassName = classe_form;
    RegisterClassW(&classe);

    HDC dc = GetDC(nullptr);
    int dpi_x = GetDeviceCaps(dc, LOGPIXELSX);
    int dpi_y = GetDeviceCaps(dc, LOGPIXELSY);
    ReleaseDC(nullptr, dc);

    // A fixed frame: nothing repaints the window while the run works, so it is not resizable.
    DWORD stile = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    RECT r{0, 0, twip_in_pixel(client_larghezza_twip, dpi_x), twip_in_pixel(client_altezza_twip, dpi_y)};
    AdjustWindowRectEx(&r, stile, FALSE, 0);
    // No owner: the window is modeless and stands on its own on the taskbar.
    finestra = CreateWindowExW(0, classe_form, titolo_form, stile, CW_USEDEFAULT, CW_USEDEFAULT,
                               r.right - r.left, r.bottom - r.top, nullptr, nullptr, istanza, nullptr);
    if (!finestra) return;
    HWND etichetta = CreateWindowExW(0, L"STATIC", testo_etichetta, WS_CHILD | WS_VISIBLE | SS_LEFT,
                                     twip_in_pixel(etichetta_sinistra_twip, dpi_x),
                                     twip_in_pixel(etichetta_alto_twip, dpi_y),
                                     twip_in_pixel(etichetta_larghezza_twip, dpi_x),
                                     twip_in_pixel(etichetta_altezza_twip, dpi_y), finestra, nullptr, istanza,
                                     nullptr);
    carattere = crea_carattere(dpi_y);
    if (etichetta && carattere) SendMessageW(etichetta, WM_SETFONT, reinterpret_cast<WPARAM>(carattere), FALSE);

    ShowWindow(finestra, SW_SHOWNORMAL);
    // Paint the window and its label now: the run that follows handles no message until the
    // process ends, so this is the only picture the user gets.
    RedrawWindow(finestra, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    // Let the system deliver what showing a window queues (activation, placement, paint) before
    // the work starts.
    MSG m;
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&m);
        DispatchMessageW(&m);
    }
    GdiFlush();
}

void mostra_messaggio(const std::string& testo_utf8) {
    // The caption is the program's own name, the .exe's name without its extension.
    std::wstring titolo = std::filesystem::path(cammino_modulo()).stem().wstring();
    if (titolo.empty()) titolo = L"valmarena";
    MessageBoxW(finestra, in_wide(testo_utf8).c_str(), titolo.c_str(), MB_OK);
}

bool terminale_a_colori(bool errore) {
#ifndef ENABLE_VIRTUAL_TERMINAL_PROCESSING
    constexpr DWORD ENABLE_VIRTUAL_TERMINAL_PROCESSING = 0x0004;
#endif
    HANDLE h = GetStdHandle(errore ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE);
    DWORD modo = 0;
    // A pipe or a file has no console mode.
    if (h == nullptr || h == INVALID_HANDLE_VALUE || !GetConsoleMode(h, &modo)) return false;
    return (modo & ENABLE_VIRTUAL_TERMINAL_PROCESSING) != 0 ||
           SetConsoleMode(h, modo | ENABLE_VIRTUAL_TERMINAL_PROCESSING) != 0;
}

void termina_processo(int stato) {
    // Nothing runs after this: the C library's buffers are written out, then the system closes
    // every file and takes the window away.
    std::fflush(nullptr);
    ExitProcess(static_cast<UINT>(stato));
}

}  // namespace valmarena
