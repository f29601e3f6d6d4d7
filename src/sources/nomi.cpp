// File naming.

#include "nomi.h"

#include <cstdio>
#include <string_view>

#include "../platform/file_ospite.h"
#include "codifica.h"

namespace valmarena {

namespace {

// Characters that Windows refuses in a file name; the slash and the backslash also separate folders.
constexpr std::string_view vietati_windows = "<>:\"/\\|?*";

bool indefinito_1252(unsigned char b) { return b == 0x81 || b == 0x8D || b == 0x8F || b == 0x90 || b == 0x9D; }

std::string byte_esadecimale(unsigned char b) {
    char t[8];
    std::snprintf(t, sizeof t, "0x%02X", static_cast<unsigned>(b));
    return t;
}

}  // namespace

std::optional<std::string> difetto_nome(const std::string& nome) {
    if (nome.empty()) return "the name is empty";
    if (nome == "..") return "the name is '..', which names the parent folder";
    for (char c : nome) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x20 || b == 0x7F)
            return "the name holds the control character " + byte_esadecimale(b) + ", which cannot be in a file name";
        if (vietati_windows.find(c) != std::string_view::npos)
            return std::string("the name holds '") + c + "', which cannot be in a file name";
        if (indefinito_1252(b))
            return "the name holds the byte " + byte_esadecimale(b) + ", which is no character of Windows-1252";
    }
    return std::nullopt;
}

std::string nome_linea_txt(const std::string& percorso) { return percorso + "_linea.txt"; }

std::string nome_treno_txt(const std::string& percorso, const std::string& treno) {
    return percorso + "_" + treno + "-.txt";
}

std::string nome_documento(const std::string& percorso, const std::string& treno, const std::string& tipo) {
    return percorso + "_" + treno + "_" + tipo + ".txt";
}

std::string nome_tracciato_dat(const std::string& percorso) { return percorso + "_linea.dat"; }

std::string nome_tabella_sim(const std::string& percorso, const std::string& treno) {
    return percorso + "_" + treno + ".sim";
}

std::string nome_celle_dat(const std::string& percorso, const std::string& treno) {
    return percorso + "_" + treno + ".dat";
}

std::filesystem::path in_cartella(const std::filesystem::path& cartella, const std::string& nome) {
    return cartella / nome_in_cammino(nome);
}

}  // namespace valmarena
