#!/usr/bin/env bash
# Runs each fuzz target for a bounded time over its seed corpus: the small committed inputs in
# fuzz/corpus/<target>/ and seeds made here from the scenario's own line and train files.
# Usage: fuzz/esegui.sh [seconds per target] [target...]   (default 60 s, every target)
# New interesting inputs collect in build-fuzz/corpus/<target>/, crashes in build-fuzz/reperti/.
# Exits non-zero when a target fails.
set -uo pipefail
cd "$(dirname "$0")/.."

secondi=${1:-${FUZZ_SECONDS:-60}}
shift || true
build=${FUZZ_BUILD:-build-fuzz}
bersagli=("$@")
if [ ${#bersagli[@]} -eq 0 ]; then
  for f in fuzz/*_fuzz.cpp; do bersagli+=("$(basename "$f" _fuzz.cpp)"); done
fi

contenuto=src/sources/contenuto
semi() {
  # Seeds from the scenario's own files, with the leading option byte of each target.
  local b=$1 d=$build/semi/$1
  rm -rf "$d" && mkdir -p "$d"
  case $b in
    lettore_linea)
      { printf '1'; cat $contenuto/linea.txt; } > "$d/linea_con_tracciato"
      { printf '0'; cat $contenuto/linea.txt; } > "$d/linea_senza_tracciato" ;;
    lettore_treno)
      { printf '0'; cat $contenuto/treno.txt; } > "$d/treno" ;;
    compilazione)
      { printf '1'; cat $contenuto/linea.txt; printf '\0'; cat $contenuto/treno.txt; } > "$d/scenario" ;;
    lettore_token)
      { printf '\x0c\x01\x02\x02\x00\x02\x02\x02\x02\x02\x02\x02\x02\x02'; head -c 3000 $contenuto/treno.txt; } > "$d/treno" ;;
  esac
}

lunghezza_max() {
  case $1 in
    lettore_token) echo 4096 ;;
    lettore_linea | lettore_treno) echo 20000 ;;
    compilazione) echo 40000 ;;
    *) echo 8192 ;;
  esac
}

esito=0
for b in "${bersagli[@]}"; do
  eseguibile=$build/fuzz/fuzz_$b
  if [ ! -x "$eseguibile" ]; then
    echo "fuzz: $eseguibile is not built" >&2
    esito=1
    continue
  fi
  semi "$b"
  mkdir -p "$build/corpus/$b" "$build/reperti/$b" fuzz/corpus/"$b"
  opzioni=(-max_total_time="$secondi" -max_len="$(lunghezza_max "$b")" -timeout=10 -rss_limit_mb=2048
           -print_final_stats=1 -artifact_prefix="$build/reperti/$b/")
  case $b in
    lettore_token | lettore_linea | lettore_treno | compilazione) opzioni+=(-dict=fuzz/parole.dict) ;;
    carico) opzioni+=(-dict=fuzz/carico.dict) ;;
  esac
  echo "fuzz: $b for $secondi s"
  log=$build/fuzz_$b.log
  "$eseguibile" "${opzioni[@]}" "$build/corpus/$b" fuzz/corpus/"$b" "$build/semi/$b" > "$log" 2>&1
  rc=$?
  grep -E '^#[0-9]+' "$log" | tail -1
  grep -E '^stat::number_of_executed_units' "$log"
  if [ $rc -ne 0 ]; then
    echo "fuzz: $b FAILED (status $rc); the input is in $build/reperti/$b/" >&2
    grep -E -A30 '^==[0-9]+==ERROR|runtime error|invariante|deadly signal|timeout' "$log" | head -60 >&2
    esito=1
  fi
done
exit $esito
