#!/usr/bin/env bash
# Times veilstore-cli against peer tools on one file in the page cache, in one
# run: encrypt (with the read-back check, and with --no-verify), decrypt and
# wipe, next to `openssl enc -aes-128-ctr`, `cat`, `dd conv=fsync` and
# `shred -n 1 -u`. The runs are interleaved (every command once, then again),
# so a change of load touches all of them alike. Prints the median wall time
# of RUNS runs, the median CPU time (user + system), the peak memory of the
# runs (GNU time) and the ratio to the peers, as a Markdown table, or with
# --tsv one tab-separated line per command for scripts/bench.
#   bench/io_compare.sh [--tsv] [SIZE_MIB] [RUNS]   (defaults: 1024 MiB, 3 runs)
set -euo pipefail
cd "$(dirname "$0")/.."
tsv=false
if [ "${1:-}" = --tsv ]; then
  tsv=true
  shift
fi
size_mib="${1:-1024}"
runs="${2:-3}"
cli="$PWD/build/bin/veilstore-cli"
[ -x "$cli" ] || { echo "build first: scripts/build" >&2; exit 1; }

work=$(mktemp -d "${TMPDIR:-/var/tmp}/vls-bench-XXXXXX")
trap 'rm -rf "$work"' EXIT
export XDG_DATA_HOME="$work/xdg" XDG_RUNTIME_DIR=
d="$work"
mkdir "$d/enc" "$d/dec"
printf 'benchmark password\n' > "$d/pw"
head -c "$((size_mib * 1024 * 1024))" /dev/urandom > "$d/enc/data.bin"
# The container that every decryption restores (the copy is wiped by encrypt).
cp "$d/enc/data.bin" "$d/dec/data.bin"
"$cli" encrypt --password-file "$d/pw" "$d/dec/data.bin" >/dev/null
cat "$d/enc/data.bin" "$d/dec/data.vld" > /dev/null  # into the page cache

source bench/common.sh

labels=(encrypt encrypt-no-verify decrypt wipe openssl-enc cat dd-fsync shred)
declare -A prepare command
prepare[encrypt]="rm -f $d/enc/data.vld"
command[encrypt]="exec $cli encrypt --keep --password-file $d/pw $d/enc/data.bin"
prepare[encrypt-no-verify]="rm -f $d/enc/data.vld"
command[encrypt-no-verify]="exec $cli encrypt --keep --no-verify --password-file $d/pw $d/enc/data.bin"
prepare[decrypt]="rm -f $d/dec/data.bin"
command[decrypt]="exec $cli decrypt --keep --password-file $d/pw $d/dec/data.vld"
prepare[wipe]="cp $d/enc/data.bin $d/victim"
command[wipe]="exec $cli wipe --yes $d/victim"
prepare[openssl-enc]="rm -f $d/out"
command[openssl-enc]="exec openssl enc -aes-128-ctr -K 000102030405060708090a0b0c0d0e0f -iv 0 -in $d/enc/data.bin -out $d/out"
prepare[cat]="rm -f $d/out"
command[cat]="cat $d/enc/data.bin > $d/out"
prepare[dd-fsync]="rm -f $d/out"
command[dd-fsync]="exec dd if=$d/enc/data.bin of=$d/out bs=1M conv=fsync status=none"
prepare[shred]="cp $d/enc/data.bin $d/victim"
command[shred]="exec shred -n 1 -u $d/victim"

for _ in $(seq "$runs"); do
  for label in "${labels[@]}"; do
    bash -c "${prepare[$label]}"
    sync
    timed "$label" /dev/null bash -c "${command[$label]}"
  done
done
cmp "$d/enc/data.bin" "$d/dec/data.bin"

summarise "${labels[@]}"

if $tsv; then
  printf 'command\twall_s\twall_min_s\twall_max_s\tcpu_s\tpeak_kib\n'
  for label in "${labels[@]}"; do
    printf '%s\t%.4f\t%.4f\t%.4f\t%.3f\t%d\n' "$label" "${wall[$label]}" "${low[$label]}" \
      "${high[$label]}" "${cpu[$label]}" "${peak[$label]}"
  done
  exit 0
fi

row() {  # label peer
  printf '| %s | %.3f s | %.2f s | %d KiB | %s | %.3f s | %.2f |\n' "$1" "${wall[$1]}" "${cpu[$1]}" \
    "${peak[$1]}" "$2" "${wall[$2]}" "$(echo "${wall[$1]} / ${wall[$2]}" | bc -l)"
}
echo "File: ${size_mib} MiB of random bytes in the page cache; median of ${runs} interleaved runs."
echo
echo "| command | time | CPU | peak memory | peer | peer time | ratio |"
echo "|---|---|---|---|---|---|---|"
row encrypt openssl-enc
row encrypt-no-verify openssl-enc
row encrypt encrypt-no-verify
row encrypt cat
row encrypt dd-fsync
row decrypt openssl-enc
row decrypt cat
row decrypt dd-fsync
row wipe shred
