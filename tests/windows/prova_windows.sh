#!/usr/bin/env bash
# The Windows build under wine, on a virtual X screen:
#   1. every unit test (ctest over the Windows build);
#   2. valmarena.exe run twice in a fresh folder whose name has a blank and an accented letter,
#      started from another folder: it must leave there exactly the six files that the native
#      program leaves in its own fresh folder, byte for byte, and nothing else;
#   2b. a package of a small scenario made by scenario.exe (the stub valmarena.exe beside it),
#      run twice in a fresh folder: its six files, the binaries equal to scenario.exe compile's
#      and the generated documents equal to the native tool's; the same package cut short at
#      points of its program and of its scenario, or with a byte changed, writes nothing and
#      ends with status 3 (or, cut inside what the loader maps, is refused by the loader);
#   3. the window Form1: finestra_prova.exe shows it through the host layer and reports its
#      geometry and font; a screenshot of the screen must hold dark text inside the label on the
#      light face of the form and nothing dark elsewhere in the client area. At 96 DPI while
#      handling messages (kept as build-windows/finestra.png), at 96 DPI without handling any
#      message as the run does (finestra_senza_messaggi.png), and at 144 DPI (finestra_144dpi.png).
#
#   tests/windows/prova_windows.sh [windows build folder] [native build folder]
set -euo pipefail

radice=$(cd "$(dirname "$0")/../.." && pwd)
win=$(cd "${1:-$radice/build-windows}" && pwd)
nativa=$(cd "${2:-$radice/build}" && pwd)

# Everything runs inside a virtual X server of its own, whatever display the caller has.
if [ -z "${VALMARENA_SCHERMO_VIRTUALE:-}" ]; then
    export VALMARENA_SCHERMO_VIRTUALE=1
    exec xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp" bash "$0" "$win" "$nativa"
fi

export WINEPREFIX="$win/wine" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
lavoro=$(mktemp -d "${TMPDIR:-/tmp}/valmarena-windows.XXXXXX")
pulisci() {
    wineserver -k 2>/dev/null || true
    rm -rf "$lavoro"
}
trap pulisci EXIT

errori=0
sbaglio() {
    echo "FAIL: $*" >&2
    errori=$((errori + 1))
}
uguale() {  # what, found, expected
    if [ "$2" != "$3" ]; then sbaglio "$1: '$2', expected '$3'"; fi
}

inizio=$(date +%s)
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "-- Setting up the wine prefix $WINEPREFIX (the first time takes a while)"
    wine wineboot --init >/dev/null 2>&1 || true
    wineserver -w
fi
# One wine server for the whole script: each Windows program then starts in a fraction of a second.
# wineboot starts wine's own background processes now, away from any pipe: started later by a test,
# they would hold that test's output open for as long as the server lives.
wineserver -p
wine wineboot </dev/null >/dev/null 2>&1 || true
# With no window manager on the virtual screen wine draws the windows' frames itself, so that the
# screenshots show Form1's title bar; its buttons need wine's symbol font in the prefix.
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /t REG_SZ /d N /f >/dev/null
if [ -f /usr/share/wine/fonts/marlett.ttf ]; then
    cp /usr/share/wine/fonts/marlett.ttf "$WINEPREFIX/drive_c/windows/Fonts/"
fi

echo "-- 1. Unit tests under wine"
ctest --test-dir "$win" -j "${JOBS:-2}" --output-on-failure || sbaglio "unit tests under wine"

echo "-- 2. valmarena.exe against the native program"
errori_prima=$errori
cartella_win="$lavoro/Cartella di prova è"
cartella_nat="$lavoro/nativa"
mkdir -p "$cartella_win" "$cartella_nat" "$lavoro/altrove"
cp "$win/valmarena.exe" "$cartella_win/"
cp "$nativa/valmarena" "$cartella_nat/"
(cd "$lavoro/altrove" && "$cartella_nat/valmarena" 2>/dev/null) || sbaglio "native valmarena ended with status $?"

attesi=$(printf '%s\n' "Valmarena_RX 914.dat" "Valmarena_RX 914.sim" "Valmarena_RX 914_note.txt" \
    "Valmarena_RX 914_rallentamenti.txt" "Valmarena_RX 914_scheda_treno.txt" "Valmarena_linea.dat")
elenco() { (cd "$1" && find . -mindepth 1 -printf '%P\n' | { grep -v -x -e valmarena -e valmarena.exe || true; } | LC_ALL=C sort); }
uguale "files left by the native program" "$(elenco "$cartella_nat")" "$attesi"

for giro in 1 2; do
    stato=0
    (cd "$lavoro/altrove" && wine "$cartella_win/valmarena.exe") || stato=$?
    uguale "exit status of valmarena.exe, run $giro" "$stato" 0
    uguale "files left by valmarena.exe, run $giro" "$(elenco "$cartella_win")" "$attesi"
    while IFS= read -r f; do
        cmp -s "$cartella_nat/$f" "$cartella_win/$f" || sbaglio "run $giro: '$f' differs from the native program's"
    done <<<"$attesi"
done
uguale "files left in the folder it was started from" "$(ls -A "$lavoro/altrove")" ""
[ "$errori" -eq "$errori_prima" ] && echo "   six files identical to the native program's, twice; no source or temporary file left"

echo "-- 2b. A package of another scenario made and run under wine"
errori_prima=$errori
conf="$lavoro/confezione"
mkdir -p "$conf/strumento" "$conf/sorgenti" "$conf/corsa" "$conf/compilati" "$conf/documenti" "$conf/guasti"
cp "$win/scenario.exe" "$win/valmarena.exe" "$conf/strumento/"
printf '%s\r\n' "[generale]" "lunghezza percorso,    12000" \
    "progressiva chilometrica uno,    6000,    -6000,    0" "progressiva chilometrica due,    9000,    52000,    1" \
    "progressiva chilometrica tre,    0,    0,    0" "sfondo uno,    1" "sfondo due,    0" "sfondo tre,    0" \
    "ripetizione segnali 9 codici,    2000,    11000" "[curve]" "curvad3,  3000,  400" "[pendenze]" \
    "pendenza,  0,  5" "pendenza,  6000,  -3" "[fine]" >"$conf/sorgenti/Brenta_linea.txt"
printf '%s\r\n' "[generale]" "numero vetture,    6" "percentuale massa frenata,    110" "sabbia,    100" \
    "orologio,    8,  0,  0" "[aderenze]" "aderenza,       0,    95" "[vel_limite]" "velocita,   0,    60" \
    "velocita,    2500,    100" "velocita,    7000,    80" "[stazioni]" \
    "stazione,       0,  8,  400,  1, 0, 0,  5,1,0,  2,1,1,    1,  8, 0,0, Lago Nero" \
    "stazione,    5000,  4,  400,  1, 0, 0,  1,0,0,  1,1,0,    1,   8, 5,30, Pieve" \
    "stazione,   11000,  4,  400,  1, 0, 0,  1,0,0,  1,1,0,    1,   8, 12,0, Brenta" \
    "[rallentamenti]" "rallentamento,    3500,    30,  300, 1,  0,  0" \
    "[segnali]" "segnale,    1050,   2, 3, 4,  1, 0,    2,  2,1,1, 0" "[fine]" >"$conf/sorgenti/Brenta_R 21-.txt"
printf 'Note di prova \xe8\r\n' >"$conf/sorgenti/note.txt"
(cd "$conf" && wine strumento/scenario.exe package --line sorgenti/Brenta_linea.txt \
    --train "sorgenti/Brenta_R 21-.txt" --notes sorgenti/note.txt --out strumento/brenta.exe >/dev/null) ||
    sbaglio "scenario.exe package ended with status $?"
(cd "$conf" && wine strumento/scenario.exe compile --line sorgenti/Brenta_linea.txt \
    --train "sorgenti/Brenta_R 21-.txt" --route Brenta --train-name "R 21" --out compilati 2>/dev/null) ||
    sbaglio "scenario.exe compile ended with status $?"
"$nativa/scenario" documents --line "$conf/sorgenti/Brenta_linea.txt" --train "$conf/sorgenti/Brenta_R 21-.txt" \
    --out "$conf/documenti" || sbaglio "native scenario documents ended with status $?"
cp "$conf/strumento/brenta.exe" "$conf/corsa/"
attesi_brenta=$(printf '%s\n' "Brenta_R 21.dat" "Brenta_R 21.sim" "Brenta_R 21_note.txt" \
    "Brenta_R 21_rallentamenti.txt" "Brenta_R 21_scheda_treno.txt" "Brenta_linea.dat")
elenco_brenta() { (cd "$1" && find . -mindepth 1 -printf '%P\n' | { grep -v -x brenta.exe || true; } | LC_ALL=C sort); }
for giro in 1 2; do
    stato=0
    (cd "$lavoro/altrove" && wine "$conf/corsa/brenta.exe") || stato=$?
    uguale "exit status of brenta.exe, run $giro" "$stato" 0
    uguale "files left by brenta.exe, run $giro" "$(elenco_brenta "$conf/corsa")" "$attesi_brenta"
done
for f in "Brenta_R 21.dat" "Brenta_R 21.sim" "Brenta_linea.dat"; do
    cmp -s "$conf/compilati/$f" "$conf/corsa/$f" || sbaglio "'$f' of the package differs from scenario.exe compile's"
done
for f in "Brenta_R 21_rallentamenti.txt" "Brenta_R 21_scheda_treno.txt"; do
    cmp -s "$conf/documenti/$f" "$conf/corsa/$f" || sbaglio "'$f' of the package differs from the generated one"
done
cmp -s "$conf/sorgenti/note.txt" "$conf/corsa/Brenta_R 21_note.txt" || sbaglio "the notes are not the author's"
# Damaged copies: cut at points of the program and of the scenario, or with a byte changed in
# either. Each one runs in a folder of its own. A case marked "dice" runs and must say so itself
# in a message box titled "brenta" (xdotool presses its OK button), then end with status 3; a cut
# inside the sections the loader maps may instead be refused by the loader. None writes a file.
python3 - "$conf/strumento/valmarena.exe" "$conf/strumento/brenta.exe" "$conf/guasti" <<'PY'
import os, struct, sys
stub = os.path.getsize(sys.argv[1])
intero = open(sys.argv[2], "rb").read()
pe = struct.unpack_from("<I", intero, 0x3C)[0]
sezioni, opzionale = struct.unpack_from("<H", intero, pe + 6)[0], struct.unpack_from("<H", intero, pe + 20)[0]
tabella = pe + 24 + opzionale
caricate = max(struct.unpack_from("<I", intero, tabella + 40 * i + 20)[0] +
               struct.unpack_from("<I", intero, tabella + 40 * i + 16)[0] for i in range(sezioni))
carico = len(intero) - stub
casi = []
if caricate < stub:
    casi += [("dice", "program cut at %d" % t, intero[:t]) for t in
             (caricate + k * (stub - caricate) // 16 for k in range(16))]
    casi += [("tace", "program cut at %d" % t, intero[:t]) for t in (200, caricate // 3, 2 * caricate // 3, caricate - 1)]
else:
    casi += [("tace", "program cut at %d" % t, intero[:t]) for t in (200 + k * (stub - 200) // 20 for k in range(20))]
casi += [("dice", "scenario cut at %d" % d, intero[:stub + d]) for d in
         (1, 4, 8, 13, carico // 7, carico // 3, carico // 2, carico - 33, carico - 23, carico - 1)]
for dove in (stub // 2, stub - 1, len(intero) - 300):
    b = bytearray(intero)
    b[dove] ^= 0x10
    casi.append(("dice", "byte changed at %d" % dove, bytes(b)))
for n, (modo, nome, byte) in enumerate(casi):
    cartella = os.path.join(sys.argv[3], "%02d" % n)
    os.makedirs(cartella)
    open(os.path.join(cartella, "brenta.exe"), "wb").write(byte)
    open(os.path.join(cartella, "caso"), "w").write(modo + " " + nome + "\n")
PY
# Runs the damaged copy in folder $1 and checks what it does.
guasto_rifiutato() {
    local dir=$1 modo nome stato=0 scatola=
    read -r modo nome <"$dir/caso"
    rm "$dir/caso"
    setsid bash -c 'cd "$1" && exec wine "$2" </dev/null >/dev/null 2>&1' _ "$lavoro/altrove" "$dir/brenta.exe" &
    local pid=$!
    for _ in $(seq 150); do
        scatola=$(xdotool search --name '^brenta$' 2>/dev/null | head -1) && [ -n "$scatola" ] && break
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.2
    done
    uguale "files left by a damaged package ($nome) while it runs" "$(ls -A "$dir")" "brenta.exe"
    if [ -n "$scatola" ]; then
        xdotool windowactivate --sync "$scatola" key Return 2>/dev/null || xdotool key --window "$scatola" Return
        wait "$pid" || stato=$?
        uguale "exit status of a damaged package ($nome)" "$stato" 3
    elif kill -0 "$pid" 2>/dev/null; then
        sbaglio "a damaged package ($nome) neither ended nor showed a message box"
        kill -- -"$pid" 2>/dev/null || true
        wait "$pid" || true
    else
        wait "$pid" || stato=$?
        [ "$modo" = tace ] && [ "$stato" -ne 0 ] ||
            sbaglio "a damaged package ($nome) ended with status $stato and showed no message box"
    fi
    uguale "files left by a damaged package ($nome)" "$(ls -A "$dir")" "brenta.exe"
}
if command -v xdotool >/dev/null; then
    for dir in "$conf/guasti"/*; do guasto_rifiutato "$dir"; done
else
    echo "   (xdotool is not installed: the damaged packages' message boxes are not tried)"
fi
[ "$errori" -eq "$errori_prima" ] && echo "   package of another scenario: six files twice, binaries as compile's, damaged ones refused"

echo "-- 3. The window Form1 on the screen"
px() { echo $((($1 * $2 + 720) / 1440)); }  # twips to pixels, rounded as MulDiv does
scuri() {  # fraction of dark pixels in a rectangle: image, w, h, x, y
    convert "$1" -crop "$2x$3+$4+$5" +repage -colorspace Gray -threshold 50% -format '%[fx:1-mean]' info:
}
tra() { awk -v v="$1" -v a="$2" -v b="$3" 'BEGIN { exit !(v >= a && v <= b) }'; }

finestra() {  # dpi, mode (pompa|attesa), screenshot
    local dpi=$1 modo=$2 png=$3 rapporto="$lavoro/rapporto-$1-$2.txt" pid
    wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null
    wine "$win/tests/windows/finestra_prova.exe" 8 "$modo" >"$rapporto" &
    pid=$!
    for _ in $(seq 300); do
        grep -q '^pronta' "$rapporto" 2>/dev/null && break
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.2
    done
    sleep 2
    import -window root "$png"
    wait "$pid" || sbaglio "finestra_prova.exe ($dpi DPI, $modo) ended with status $?"
    tr -d '\r' <"$rapporto" >"$rapporto.txt"
    valore() { sed -n "s/^$1=//p" "$rapporto.txt" | head -1; }
    echo "   $dpi DPI, $modo: $(tr '\n' ';' <"$rapporto.txt")"
    grep -q '^pronta' "$rapporto.txt" || { sbaglio "no window reported ($dpi DPI, $modo)"; return; }

    local dx dy cx cy cw ch ex ey ew eh
    read -r dx dy <<<"$(valore dpi)"
    read -r cx cy cw ch <<<"$(valore cliente)"
    read -r ex ey ew eh <<<"$(valore etichetta)"
    uguale "screen DPI" "$dx $dy" "$dpi $dpi"
    uguale "title" "$(valore titolo)" "Form1"
    uguale "owner window" "$(valore proprietario)" 0
    uguale "controls" "$(valore controlli)" 1
    uguale "client area" "$cw x $ch" "$(px 4200 "$dx") x $(px 2688 "$dy")"
    uguale "label left, top" "$((ex - cx)) $((ey - cy))" "$(px 960 "$dx") $(px 960 "$dy")"
    uguale "label size" "$ew x $eh" "$(px 2652 "$dx") x $(px 792 "$dy")"
    uguale "label text" "$(valore testo)" "Attendere"
    uguale "label class" "$(valore classe_etichetta | tr 'A-Z' 'a-z')" "static"
    uguale "font weight" "$(valore peso)" 700
    uguale "font height" "$(valore altezza)" "-$(((24 * dy + 36) / 72))"
    uguale "italic, underline, strike-through" "$(valore stile)" "0 0 0"
    uguale "family of the face given" "$(valore famiglia_reale)" "swiss"
    [ "$(valore peso_reale)" -ge 700 ] || sbaglio "face given is not bold: weight $(valore peso_reale)"

    # Dark text inside the label, on a light face; nothing dark in the rest of the client area.
    local testo fuori chiaro
    testo=$(scuri "$png" "$ew" "$eh" "$ex" "$ey")
    fuori=$(convert "$png" -fill white -draw "rectangle $ex,$ey $((ex + ew - 1)),$((ey + eh - 1))" \
        -crop "${cw}x${ch}+${cx}+${cy}" +repage -colorspace Gray -threshold 50% -format '%[fx:1-mean]' info:)
    chiaro=$(convert "$png" -crop "${cw}x$(((ey - cy)))+${cx}+${cy}" +repage -colorspace Gray -format '%[fx:mean]' info:)
    echo "   dark pixels in the label $testo, elsewhere in the client area $fuori; face brightness $chiaro"
    tra "$testo" 0.03 0.6 || sbaglio "the label's rectangle holds no text ($dpi DPI, $modo): dark fraction $testo"
    tra "$fuori" 0 1e-9 || sbaglio "dark pixels outside the label ($dpi DPI, $modo): fraction $fuori"
    tra "$chiaro" 0.75 1 || sbaglio "the form's face is not light ($dpi DPI, $modo): brightness $chiaro"
}
finestra 96 pompa "$win/finestra.png"
finestra 96 attesa "$win/finestra_senza_messaggi.png"
finestra 144 pompa "$win/finestra_144dpi.png"
wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 96 /f >/dev/null

echo "-- Windows checks: $errori failed, in $(($(date +%s) - inizio)) s; screenshots in $win/finestra*.png"
[ "$errori" -eq 0 ]
