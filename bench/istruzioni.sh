#!/bin/sh
# The instructions the reading takes a row, counted by callgrind (the programs run on one thread,
# so the count is their work, the same from one run to the next): the longest route's compile
# and check, and the package run. The reading is everything under memorizza_dati (both source
# files read, the rows placed, the authors' diagnosis of each row); a row is a line of the two
# source files.
#
#   bench/istruzioni.sh [BUILD]      BUILD: the release build's folder, build-release by default
set -eu
B=${1:-build-release}
D=$(mktemp -d)
trap 'rm -rf "$D"' EXIT

"$B/banco" --sources "$D/lunga"
L="$D/lunga/Lunga_linea.txt"
T="$D/lunga/Lunga_T 1-.txt"
"$B/scenario" sources --out "$D/pacchetto" >/dev/null

righe() { cat "$@" | wc -l; }
# The first figure of the line that names the function, commas taken out.
cifra() { awk -v f="$2" 'index($0, f) { gsub(",", "", $1); print $1; exit }' "$1"; }

conta() {  # NAME ROWS COMMAND...
    nome=$1
    n=$2
    shift 2
    valgrind --tool=callgrind --callgrind-out-file="$D/$nome.out" "$@" >/dev/null 2>&1
    callgrind_annotate --inclusive=yes --threshold=100 "$D/$nome.out" >"$D/$nome.txt"
    tutto=$(cifra "$D/$nome.txt" "PROGRAM TOTALS")
    lettura=$(cifra "$D/$nome.txt" "memorizza_dati(")
    echo "$nome: $tutto instructions; reading $lettura for $n rows, $((lettura / n)) a row"
}

conta compile "$(righe "$L" "$T")" "$B/scenario" compile --line "$L" --train "$T" --out "$D/uscita"
conta check "$(righe "$L" "$T")" "$B/scenario" check --line "$L" --train "$T"
mkdir "$D/corsa"
cp "$B/valmarena" "$D/corsa/"
conta package "$(righe "$D/pacchetto/Valmarena_linea.txt" "$D/pacchetto/Valmarena_RX 914-.txt")" "$D/corsa/valmarena"
