// The row description of the line and train files, and the keyword tests made from it.

#include "formato.h"

#include "lettore_token.h"

namespace valmarena {

namespace {

constexpr std::int64_t L_MIN = INT32_MIN;
constexpr std::int64_t L_MAX = INT32_MAX;
constexpr std::int64_t I_MIN = INT16_MIN;
constexpr std::int64_t I_MAX = INT16_MAX;
constexpr std::int64_t MAX_M = 1000000;

campo_riga posizione_punto(const char* significato) {
    return {"position", significato, "m", larghezza::long_, 0, MAX_M, 50, cella_di::punto, false};
}
campo_riga posizione_tratto(const char* significato) {
    return {"position", significato, "m", larghezza::long_, 0, MAX_M, 50, cella_di::tratto, false};
}
campo_riga numero(const char* nome, const char* significato, const char* unita, larghezza l, std::int64_t mi,
                  std::int64_t ma, int griglia = 0) {
    return {nome, significato, unita, l, mi, ma, griglia, cella_di::nessuna, false};
}
campo_riga byte_(const char* nome, const char* significato) {
    return numero(nome, significato, "", larghezza::byte_, 0, 255);
}
campo_riga intero(const char* nome, const char* significato) {
    return numero(nome, significato, "", larghezza::intero, I_MIN, I_MAX);
}
campo_riga cifra(const char* nome, const char* significato) {
    return numero(nome, significato, "", larghezza::long_, 0, 9);
}
campo_riga testo(const char* nome, const char* significato) {
    return {nome, significato, "", larghezza::testo, 0, 0, 0, cella_di::nessuna, false};
}
campo_riga riferimento(const char* nome, const char* significato) {
    return {nome, significato, "m", larghezza::long_, L_MIN, L_MAX, 50, cella_di::nessuna, true};
}

std::vector<descrizione_riga> costruisci() {
    using T = tipo_riga;
    const auto L = file_righe::linea;
    const auto R = file_righe::treno;
    const auto lg = larghezza::long_;
    std::vector<descrizione_riga> d;
    auto progressiva = [&d](T t, const char* nome, const char* parola, const char* quale) {
        d.push_back({t, L, true, nome, {nome}, {{parola, true}, {"progressiva", true}},
                     quale,
                     "a kilometric reference: where the kilometre posts start or restart (see Kilometre posts)",
                     {riferimento("position", "P, where the reference applies; a multiple of 50 (error 2 otherwise)"),
                      riferimento("value", "K, metres: the post is position + K (flag 0), or K at P counting on (flag 1); "
                                           "a multiple of 50 (error 2 otherwise)"),
                      numero("flag", "F, how K counts (0 or 1); with 1 the compile carries K + 100", "", lg, 0, 1)},
                     nullptr});
    };
    d.push_back({T::lunghezza, L, true, "lunghezza percorso", {"lunghezza percorso"},
                 {{"lunghezza", false}, {"percorso", false}},
                 "a keyword holding \"lunghezza\" and \"percorso\", in any letter case",
                 "the route length; the route cells reach 7000 m beyond it. It must come before every feature row",
                 {numero("length", "route length (error 1 above 1000000, error 104 below 0)", "m", lg, 0, MAX_M)},
                 "lunghezza percorso,    30000"});
    progressiva(T::progressiva_tre, "progressiva chilometrica tre", "tre",
                "a keyword holding \"progressiva\" and \"tre\", in exactly this letter case");
    progressiva(T::progressiva_due, "progressiva chilometrica due", "due",
                "a keyword holding \"progressiva\" and \"due\", in exactly this letter case");
    progressiva(T::progressiva_uno, "progressiva chilometrica uno", "uno",
                "a keyword holding \"progressiva\" and \"uno\", in exactly this letter case");
    d[1].esempio = "progressiva chilometrica tre,    0,    0,    0";
    d[2].esempio = "progressiva chilometrica due,    319000,    415100,    1";
    d[3].esempio = "progressiva chilometrica uno,    287550,    -287550,    0";
    auto sfondo = [&](T t, const char* nome, const char* parola, const char* esempio) {
        d.push_back({t, L, true, nome, {nome}, {{"sfondo", true}, {parola, true}},
                     nullptr, "a background setting, carried to the simulator unchanged",
                     {numero("value", "the setting", "", lg, L_MIN, L_MAX)}, esempio});
    };
    sfondo(T::sfondo_uno, "sfondo uno", "uno", "sfondo uno,    1");
    sfondo(T::sfondo_due, "sfondo due", "due", "sfondo due,    0");
    sfondo(T::sfondo_tre, "sfondo tre", "tre", "sfondo tre,    0");
    d.push_back({T::ripetizione, L, true, "ripetizione segnali 9 codici",
                 {"ripetizione segnali 9 codici", "ripetizione segnali 4 codici"},
                 {{"segnali", true}, {"ripetizione", true}},
                 "a keyword holding \"segnali\" and \"ripetizione\", in exactly this letter case, and the digit 4 or 9 "
                 "(error 5 without either)",
                 "the stretch with signal repetition of 4 or 9 codes; an end of 0 means none",
                 {{"start", "first position with repetition; a multiple of 50 (error 3 otherwise)", "m", lg, 0, MAX_M, 50,
                   cella_di::nessuna, true},
                  {"end", "last position with repetition; a multiple of 50 (error 4 otherwise)", "m", lg, 0, MAX_M, 50,
                   cella_di::nessuna, true}},
                 "ripetizione segnali 9 codici,    34300,    333750"});
    d.push_back({T::pendenza, L, false, "pendenza", {"pendenza"}, {{"pendenza", false}},
                 nullptr, "the gradient from this position on, to the next gradient row",
                 {posizione_tratto("where the gradient starts; rows in increasing position"),
                  numero("gradient", "per mille, rising when positive", "\xe2\x80\xb0", lg, -100, 155)},
                 "pendenza,  5650,   -18"});
    d.push_back({T::curva, L, false, "curva", {"curvas1", "curvas2", "curvas3", "curvas4", "curvas5", "curvas6",
                                                 "curvad1", "curvad2", "curvad3", "curvad4", "curvad5", "curvad6"},
                 {{"curva", false}},
                 "a keyword holding \"curva\", a side letter (\"s\" anywhere in the keyword: left; otherwise right) "
                 "and a class digit 1 to 6 (error 103 without one; with several, the smallest counts)",
                 "a curve of the track plan: curvas<class> turns left, curvad<class> turns right",
                 {numero("start", "where the curve starts; to the metre, no grid", "m", lg, 0, MAX_M),
                  numero("length", "how long it is", "m", lg, 1, MAX_M)},
                 "curvad6,  2800,  50"});
    d.push_back({T::montagna, L, false, "montagna", {"montagna"}, {{"montagna", false}}, nullptr,
                 "a mountain stretch: its kind is carried in the cells from start to end (at most 80 rows)",
                 {posizione_tratto("where the stretch starts"),
                  {"end", "where the stretch ends; after its start, inside the route (error 107)", "m", lg, 0, MAX_M, 50,
                   cella_di::nessuna, false},
                  numero("kind", "mountain kind (table below); kind + 10 also marks every fourth cell", "", lg, 1, 19)},
                 "montagna,   5950,  6200,  12"});
    d.push_back({T::indicatore, L, false, "indicatori_vmax", {"indicatori_vmax"}, {{"indicatori_v", false}},
                 nullptr, "a speed-indicator board: three speeds and stripes for each side (an empty field reads as 0)",
                 {posizione_punto("where the board stands"),
                  numero("speed_s_a", "side s, first speed", "km/h", lg, 0, 500),
                  numero("speed_s_b", "side s, second speed", "km/h", lg, 0, 500),
                  numero("speed_s_c", "side s, third speed", "km/h", lg, 0, 500),
                  numero("stripes_s", "side s stripes (table below)", "", lg, 0, 9),
                  numero("speed_d_a", "side d, first speed; a multiple of 5", "km/h", lg, 0, 500, 5),
                  numero("speed_d_b", "side d, second speed; a multiple of 5", "km/h", lg, 0, 500, 5),
                  numero("speed_d_c", "side d, third speed; a multiple of 5", "km/h", lg, 0, 500, 5),
                  numero("stripes_d", "side d stripes (table below)", "", lg, 0, 9)},
                 "indicatori_vmax,  65350,  100,  105,  110,  2,  100,  105,  110,  2"});
    d.push_back({T::cartello, L, false, "cartello_indicatore", {"cartello_indicatore"},
                 {{"indicat", false}, {"cartello", false}}, nullptr,
                 "a signboard: its text goes into the table (at most 80 signboards and stations together)",
                 {posizione_punto("where the signboard stands"),
                  testo("text", "one or two board lines, each in round brackets, blanks inside significant")},
                 "cartello_indicatore,  30000,   (  Cippo  )(Km 30+000)"});

    d.push_back({T::frenata, R, false, "percentuale massa frenata", {"percentuale massa frenata"},
                 {{"frenata", false}, {"massa", false}}, nullptr, "the braked-mass percentage",
                 {numero("percent", "braked mass", "%", lg, 0, 300)}, "percentuale massa frenata,    105"});
    d.push_back({T::vetture, R, false, "numero vetture", {"numero vetture"}, {{"vetture", false}}, nullptr,
                 "the number of coaches", {numero("coaches", "number of coaches", "", lg, 0, 100)},
                 "numero vetture,    15"});
    d.push_back({T::velocita, R, false, "velocita", {"velocita", "velocit\xe0"}, {{"velocit", false}}, nullptr,
                 "the speed limit from this position on; 0 before the first row",
                 {posizione_tratto("where the limit starts; rows in increasing position"),
                  numero("speed", "the limit; a multiple of 5", "km/h", lg, 0, 500, 5)},
                 "velocita,   93000,   140"});
    d.push_back({T::aderenza, R, false, "aderenza", {"aderenza"}, {{"aderenza", false}}, nullptr,
                 "the adhesion from this position on; 0 before the first row",
                 {posizione_tratto("where the value starts; rows in increasing position"),
                  numero("adhesion", "adhesion value", "", lg, 0, 100)},
                 "aderenza,       0,    95"});
    d.push_back({T::orologio, R, false, "orologio", {"orologio"}, {{"orologio", false}}, nullptr,
                 "the clock at the start of the run; blanks may stand for the commas",
                 {numero("hours", "hours", "h", larghezza::intero, 0, 23),
                  numero("minutes", "minutes", "min", larghezza::intero, 0, 59),
                  numero("seconds", "seconds", "s", larghezza::intero, 0, 59)},
                 "orologio,    10,    9,    30"});
    d.push_back({T::sabbia, R, false, "sabbia", {"sabbia"}, {{"sabbia", false}}, nullptr, "the sand on board",
                 {numero("sand", "sand", "", larghezza::intero, 0, I_MAX)}, "sabbia,    100"});
    d.push_back({T::segnale, R, false, "segnale", {"segnale"}, {{"segnale", false}}, nullptr,
                 "a signal, with approach marks 100 to 400 m before it",
                 {posizione_punto("where the signal stands"),
                  numero("sx", "side s kind (0 to 2); 2 keeps tempo", "", lg, 0, 2),
                  cifra("s1", "side s, first aspect digit"), cifra("s2", "side s, second aspect digit"),
                  cifra("s3", "side s, third aspect digit"), cifra("rapp", "the repetition digit"),
                  numero("dx", "side d kind (0 to 2)", "", lg, 0, 2),
                  cifra("d1", "side d, first aspect digit"), cifra("d2", "side d, second aspect digit"),
                  cifra("d3", "side d, third aspect digit"),
                  numero("tempo", "time value; 1 to 100 is raised to 101", "", lg, 0, 255)},
                 "segnale,    1050,   2, 3, 4,  1, 0,    2,  2,1,1, 0"});
    d.push_back({T::rallentamento, R, false, "rallentamento", {"rallentamento"}, {{"rallentamento", false}}, nullptr,
                 "a slowdown, with its warning point 1200 m before the start",
                 {posizione_punto("where the slowdown starts"),
                  numero("speed", "speed along the slowdown", "km/h", lg, 0, 500),
                  numero("length", "how long it is; its end lands in cell CLng((position + length) / 50 + 1), "
                         "which must not be its start's cell", "m", lg, 0, MAX_M),
                  numero("f_tt", "flag (table below)", "", lg, 0, 1), numero("f_ta", "flag (table below)", "", lg, 0, 1),
                  numero("d_v", "value (table below)", "", lg, 0, 500)},
                 "rallentamento,   16450,    45,  450, 0,  1,  45"});
    d.push_back({T::abbattimento, R, false, "abbattimento", {"abbattimento"}, {{"abbattimento", false}}, nullptr,
                 "a code abatement point",
                 {posizione_tratto("where the point stands"),
                  numero("code", "code value; below 1: a point without a value", "", lg, 0, I_MAX)},
                 "abbattimento,   34300,   270"});
    d.push_back({T::stazione, R, false, "stazione", {"stazione"}, {{"stazione", false}}, nullptr,
                 "a station: its entry in the table, its zone and stopping point",
                 {{"position", "station position; a multiple of 50 (error 8)", "m", lg, 0, MAX_M, 50, cella_di::nessuna,
                   true},
                  byte_("kind", "station kind (table below)"),
                  {"zone", "zone length; a multiple of 100 (error 9)", "m", lg, 0, MAX_M, 100, cella_di::nessuna, true},
                  byte_("dato1", "stored"), byte_("byte4", "stored; 0 for a zone below 600 m and the first station"),
                  byte_("byte3", "non-zero lengthens the zone by 50 m (kinds other than 5 to 8)"),
                  intero("intero1", "stored"), intero("intero2", "stored"), byte_("byte1", "stored"),
                  intero("intero3", "stored"), intero("intero4", "stored"), intero("intero5", "stored"),
                  byte_("byte2", "stored"), numero("hours", "time of the station (0, 0, 0: none)", "h", lg, 0, 23),
                  numero("minutes", "", "min", lg, 0, 59), numero("seconds", "", "s", lg, 0, 59),
                  testo("name", "the station's name: the rest of the line; no comma")},
                 "stazione,       0,  8,  500,  1, 0, 0,  5,1,0,  2,1,1,    1,  10, 9,30, Velmora"});
    return d;
}

}  // namespace

const std::vector<descrizione_riga>& descrizione_righe() {
    static const std::vector<descrizione_riga> d = costruisci();
    return d;
}

const descrizione_riga& descrizione(tipo_riga t) { return descrizione_righe()[static_cast<std::size_t>(t)]; }

bool riconosce(tipo_riga t, std::string_view token) {
    for (const auto& p : descrizione(t).parole)
        if (!(p.esatta ? contiene_esatto(token, p.testo) : contiene(token, p.testo))) return false;
    return true;
}

std::vector<const descrizione_riga*> righe_riconosciute(file_righe f, bool generale, std::string_view token) {
    std::vector<const descrizione_riga*> r;
    for (const auto& d : descrizione_righe())
        if (d.file == f && d.generale == (generale && f == file_righe::linea) && riconosce(d.tipo, token))
            r.push_back(&d);
    return r;
}

std::string grafia_attesa(tipo_riga t, std::string_view token) {
    std::string_view parola = token;
    while (!parola.empty() && (parola.front() == ' ' || parola.front() == '\t')) parola.remove_prefix(1);
    const descrizione_riga& d = descrizione(t);
    for (const auto& g : d.grafie)
        if (parola == g) return {};
    if (t == tipo_riga::curva) {
        int classe = 0;
        for (int k = 1; k <= 6 && classe == 0; ++k)
            if (parola.find(static_cast<char>('0' + k)) != std::string_view::npos) classe = k;
        if (classe == 0) return {};  // no class: the reader records error 103
        return std::string("curva") + (contiene(parola, "s") ? 's' : 'd') + static_cast<char>('0' + classe);
    }
    if (t == tipo_riga::ripetizione && !contiene(parola, "4") && !contiene(parola, "9")) return {};
    if (t == tipo_riga::ripetizione && !contiene(parola, "9")) return d.grafie[1];
    return d.canonica;
}

const std::vector<tabella_codici>& tabelle_codici() {
    static const std::vector<tabella_codici> t = {
        {"Station kinds (stazione, field kind)",
         {{"5, 6", "zone from position - zone to position + 150 m; a stopping point, no approach marks"},
          {"7, 8", "zone from position - zone to position + zone; stopping point and approach marks"},
          {"25 and above", "no stopping point and no approach marks in the cells"},
          {"any other below 25", "zone centred on the position; stopping point and approach marks"}}},
        {"Signal fields (segnale)",
         {{"sx, dx", "side kind 0, 1 or 2; packed with rapp as rapp * 10 + sx * 3 + dx"},
          {"s1..s3, d1..d3", "aspect digits 0 to 9, packed in pairs as s * 10 + d"},
          {"tempo", "kept only when sx is 2; 1 to 100 is raised to 101"}}},
        {"Mountain kinds (montagna, field kind)",
         {{"1 to 9", "the kind carried in every cell of the stretch"},
          {"11 to 19", "kind minus 10, and every fourth empty cell of the stretch gets a marker"},
          {"3", "given to a stretch that starts 150 m or less after the previous one ends"}}},
        {"Slowdown values (rallentamento)",
         {{"f_tt", "stored in the start and end cells"},
          {"f_ta", "1: four numbered cells before the warning point (only for a start beyond 1500 m)"},
          {"d_v", "when not 0, stored in the warning, start, end and numbered cells"}}},
        {"Board stripes (indicatori_vmax, stripes_s and stripes_d)",
         {{"0 to 9", "stripes on each side, packed as stripes_s * 10 + stripes_d; a board with stripes announces "
                     "one of the same speeds with one stripe fewer"}}},
        {"Sections",
         {{"[generale]", "everything before it is skipped; in the line file the general rows follow it up to the next "
                         "header"},
          {"any other [name]", "read as a token that matches no row; headers only help the reader of the file"},
          {"last line", "never acted on: end each file with a line such as [fine]"}}},
    };
    return t;
}

}  // namespace valmarena
