#!/usr/bin/env bash
# Times an encryption of FILES files of 4 KiB (the sources wiped, as by
# default), and the decryption of their containers (the containers deleted),
# with group commit and without it (--no-group-commit, which
# flushes each file on its own), each on the disk as it is and with every
# flush made 5 ms slower by the fault shim (FAULT_FLUSH_DELAY_MS=5), as on
# a spinning disk. The runs are interleaved (every command once, then
# again), with `sync` before each. A separate run of each under
# `strace -f -c` counts the flushes (fsync, fdatasync, syncfs,
# sync_file_range) per file. Prints a Markdown table: median wall and CPU
# (user + system) time of RUNS runs, peak memory (GNU time) and flushes per
# file, or with --tsv one tab-separated line per command for scripts/bench.
#   bench/group_commit.sh [--tsv] [FILES] [RUNS]   (defaults: 1000 files, 3 runs)
# VLS_CLI names another veilstore-cli than build/bin/veilstore-cli; VLS_SHIM
# another fault shim than build/lib/libfaultshim.so.
set -euo pipefail
cd "$(dirname "$0")/.."
tsv=false
if [ "${1:-}" = --tsv ]; then
  tsv=true
  shift
fi
files="${1:-1000}"
runs="${2:-3}"
cli="${VLS_CLI:-$PWD/build/bin/veilstore-cli}"
shim="${VLS_SHIM:-$PWD/build/lib/libfaultshim.so}"
[ -x "$cli" ] && [ -f "$shim" ] || { echo "build first: scripts/build (or set VLS_CLI, VLS_SHIM)" >&2; exit 1; }
command -v strace >/dev/null || { echo "strace is missing: run scripts/install-deps" >&2; exit 1; }

work=$(mktemp -d "${TMPDIR:-/var/tmp}/vls-group-XXXXXX")
trap 'rm -rf "$work"' EXIT
export XDG_DATA_HOME="$work/xdg" XDG_RUNTIME_DIR=
d="$work"
printf 'benchmark password\n' > "$d/pw"
# The sources, copied afresh before every run (the encryption wipes them).
mkdir "$d/src"
head -c "$((files * 4096))" /dev/urandom | split -b 4096 -a 5 -d --additional-suffix=.bin - "$d/src/f"
# Their containers, copied afresh before every decryption.
cp -r "$d/src" "$d/vld"
"$cli" encrypt --password-file "$d/pw" "$d/vld"/*.bin >/dev/null

source bench/common.sh

# Encryptions, then decryptions (labels starting "decrypt-").
labels=(group no-group group-slow no-group-slow
  decrypt-group decrypt-no-group decrypt-group-slow decrypt-no-group-slow)
declare -A option delay output
for label in "${labels[@]}"; do
  option[$label]="" delay[$label]=0
  [[ $label != *no-group* ]] || option[$label]="--no-group-commit"
  [[ $label != *-slow ]] || delay[$label]=5
done

# made LABEL, used LABEL: the extensions of what the label's command makes
# and of what it takes.
made() { [[ $1 == decrypt-* ]] && echo bin || echo vld; }
used() { [[ $1 == decrypt-* ]] && echo vld || echo bin; }
# fresh LABEL: the label's folder holds its files again, in the page cache.
fresh() {
  rm -rf "$d/$1"
  cp -r "$d/$(used "$1" | sed 's/bin/src/')" "$d/$1"
  cat "$d/$1"/*."$(used "$1")" > /dev/null
}
# command LABEL [PREFIX]: the label's encryption or decryption, run under the prefix.
command() {
  local preload="" verb=encrypt
  [ "${delay[$1]}" = 0 ] || preload="env LD_PRELOAD=$shim FAULT_FLUSH_DELAY_MS=${delay[$1]}"
  [[ $1 != decrypt-* ]] || verb=decrypt
  echo "exec ${2:-} $preload $cli $verb ${option[$1]} --password-file $d/pw $d/$1/*.$(used "$1")"
}
check() {  # LABEL: every file done, none of what it took left
  local made left
  made=$(find "$d/$1" -name "*.$(made "$1")" | wc -l)
  left=$(find "$d/$1" -name "*.$(used "$1")" | wc -l)
  [ "$made" = "$files" ] && [ "$left" = 0 ] ||
    { echo "$1 made $made files and left $left of the $files it took" >&2; exit 1; }
}

for _ in $(seq "$runs"); do
  for label in "${labels[@]}"; do
    fresh "$label"
    sync
    timed "$label" "$work/out" bash -c "$(command "$label")"
    check "$label"
  done
done
# The flushes, counted once per command (the shim's delay changes no count).
for label in group no-group decrypt-group decrypt-no-group; do
  fresh "$label"
  bash -c "$(command "$label" "strace -f -c -o $work/$label.strace -e trace=fsync,fdatasync,syncfs,sync_file_range")" \
    >/dev/null
  check "$label"
  output[$label]=$(awk '$NF ~ /^(fsync|fdatasync|syncfs|sync_file_range)$/ { n += $4 } END { print n + 0 }' \
    "$work/$label.strace")
  output[$label-slow]=${output[$label]}
done

summarise "${labels[@]}"

if $tsv; then
  printf 'command\twall_s\twall_min_s\twall_max_s\tcpu_s\tpeak_kib\tflushes\tflushes_per_file\n'
  for label in "${labels[@]}"; do
    printf '%s\t%.4f\t%.4f\t%.4f\t%.3f\t%d\t%d\t%.4f\n' "$label" "${wall[$label]}" "${low[$label]}" \
      "${high[$label]}" "${cpu[$label]}" "${peak[$label]}" "${output[$label]}" \
      "$(echo "${output[$label]} / $files" | bc -l)"
  done
  exit 0
fi

echo "$files files of 4 KiB encrypted in one run (sources wiped), and decrypted (containers" \
  "deleted); median of $runs interleaved runs;" \
  "slow: every flush 5 ms longer (fault shim)."
echo
echo "| command | time (fastest–slowest) | CPU | peak memory | flushes | per file |"
echo "|---|---|---|---|---|---|"
for label in "${labels[@]}"; do
  printf '| %s | %.3f s (%.3f–%.3f) | %.2f s | %d KiB | %d | %.3f |\n' "$label" "${wall[$label]}" \
    "${low[$label]}" "${high[$label]}" "${cpu[$label]}" "${peak[$label]}" "${output[$label]}" \
    "$(echo "${output[$label]} / $files" | bc -l)"
done
echo
for verb in "" decrypt-; do
  printf '%sgroup commit against one flush after another: %.2f times the time, %.2f times under the slow flushes\n' \
    "$verb" "$(echo "${wall[${verb}group]} / ${wall[${verb}no-group]}" | bc -l)" \
    "$(echo "${wall[${verb}group-slow]} / ${wall[${verb}no-group-slow]}" | bc -l)"
done
