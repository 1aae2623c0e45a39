#!/usr/bin/env bash
# Times veilstore-cli against peer tools on one file in the page cache, in one
# run, and prints a Markdown table: median wall time of RUNS runs, peak
# memory, and the ratio to the peer.
#   bench/io_compare.sh [SIZE_MIB] [RUNS]      (defaults: 1024 MiB, 3 runs)
set -euo pipefail
cd "$(dirname "$0")/.."
size_mib="${1:-1024}"
runs="${2:-3}"
cli="$PWD/build/bin/veilstore-cli"
[ -x "$cli" ] || { echo "build first: scripts/build" >&2; exit 1; }

work=$(mktemp -d "${TMPDIR:-/var/tmp}/vls-bench-XXXXXX")
trap 'rm -rf "$work"' EXIT
export XDG_DATA_HOME="$work/xdg" XDG_RUNTIME_DIR=
printf 'benchmark password\n' > "$work/pw"
head -c "$((size_mib * 1024 * 1024))" /dev/urandom > "$work/data.bin"
cat "$work/data.bin" > /dev/null  # into the page cache

# run LABEL PREPARE COMMAND: median seconds and max peak KiB over the runs.
declare -A seconds memory
run() {
  local label="$1" prepare="$2" command="$3" times=() peak=0
  for _ in $(seq "$runs"); do
    bash -c "$prepare"
    sync
    local start end kib
    start=$(date +%s.%N)
    /usr/bin/time -o "$work/time" -f '%M' bash -c "$command" >/dev/null 2>&1
    kib=$(tail -n 1 "$work/time")
    end=$(date +%s.%N)
    times+=("$(echo "$end - $start" | bc -l)")
    [ "$kib" -gt "$peak" ] && peak=$kib
  done
  seconds[$label]=$(printf '%s\n' "${times[@]}" | sort -g | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}')
  memory[$label]=$peak
}

d="$work"
run encrypt "rm -f $d/*.vld" "exec $cli encrypt --keep --password-file $d/pw $d/data.bin"
run encrypt-no-verify "rm -f $d/*.vld" "exec $cli encrypt --keep --no-verify --password-file $d/pw $d/data.bin"
run openssl-enc "rm -f $d/out" "exec openssl enc -aes-128-ctr -K 000102030405060708090a0b0c0d0e0f -iv 0 -in $d/data.bin -out $d/out"
run cat "rm -f $d/out" "cat $d/data.bin > $d/out"
run cat+fsync "rm -f $d/out" "dd if=$d/data.bin of=$d/out bs=1M conv=fsync status=none"
mv "$d/data.bin" "$d/original.bin"
run decrypt "rm -f $d/data.bin" "exec $cli decrypt --keep --password-file $d/pw $d/data.vld"
cmp "$d/original.bin" "$d/data.bin"
run wipe "cp $d/original.bin $d/victim" "exec $cli wipe --yes $d/victim"
run shred "cp $d/original.bin $d/victim" "exec shred -n 1 -u $d/victim"

row() {  # label peer
  local ratio
  ratio=$(echo "${seconds[$1]} / ${seconds[$2]}" | bc -l)
  printf '| %s | %.3f s | %d KiB | %s | %.3f s | %.2f |\n' "$1" "${seconds[$1]}" "${memory[$1]}" "$2" "${seconds[$2]}" "$ratio"
}
echo "File: ${size_mib} MiB of random bytes in the page cache; median of ${runs} runs."
echo
echo "| command | time | peak memory | peer | peer time | ratio |"
echo "|---|---|---|---|---|---|"
row encrypt openssl-enc
row encrypt-no-verify openssl-enc
row encrypt encrypt-no-verify
row encrypt cat
row encrypt cat+fsync
row decrypt openssl-enc
row decrypt cat
row decrypt cat+fsync
row wipe shred
