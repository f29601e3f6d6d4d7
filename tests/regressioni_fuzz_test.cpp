// The inputs the fuzzers found faults with, kept under tests/regressioni/<target>/, and the
// fuzzers' seed inputs under fuzz/corpus/<target>/, fed to the same entry points the fuzzers
// call. A broken invariant throws here instead of aborting; a sanitizer build catches the rest.

#define VALMARENA_FUZZ_IN_PROVA 1
#include "../fuzz/bersagli.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <fstream>
#include <iterator>

namespace valmarena {
namespace {

namespace fs = std::filesystem;

const fs::path radice = VALMARENA_SORGENTI;

struct bersaglio {
    const char* nome;
    std::function<int(const std::uint8_t*, std::size_t)> prova;
};

const bersaglio bersagli[] = {
    {"lettore_token", fuzz::prova_lettore_token},
    {"lettore_linea", fuzz::prova_lettore_linea},
    {"lettore_treno", fuzz::prova_lettore_treno},
    {"compilazione", fuzz::prova_compilazione},
    {"dump", fuzz::prova_dump},
    {"carico", fuzz::prova_carico},
};

std::string leggi_tutto(const fs::path& p) {
    std::ifstream f(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

int prova_cartella(const bersaglio& b, const fs::path& cartella) {
    int n = 0;
    std::error_code ec;
    if (!fs::is_directory(cartella, ec)) return 0;
    for (const auto& e : fs::directory_iterator(cartella)) {
        if (!e.is_regular_file()) continue;
        const std::string byte = leggi_tutto(e.path());
        EXPECT_NO_THROW(b.prova(reinterpret_cast<const std::uint8_t*>(byte.data()), byte.size()))
            << b.nome << ": " << e.path().filename().string();
        ++n;
    }
    return n;
}

TEST(RegressioniFuzz, InputSalvati) {
    int n = 0;
    for (const auto& b : bersagli) n += prova_cartella(b, radice / "tests" / "regressioni" / b.nome);
    EXPECT_GT(n, 0);
}

TEST(RegressioniFuzz, SemiDeiFuzzer) {
    for (const auto& b : bersagli) EXPECT_GT(prova_cartella(b, radice / "fuzz" / "corpus" / b.nome), 0) << b.nome;
}

}  // namespace
}  // namespace valmarena
