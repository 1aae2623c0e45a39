#!/usr/bin/env bash
# How each cost grows with the work: encryption (with its read-back check and
# group commit) of 1 to 100,000 files of 4 KiB, of one file of 1 KiB to 4 GiB,
# and "Add All" over 100 to 1,000,000 files. One timed run a point (the file
# counts and sizes span decades, so the trend shows above the noise; files of
# 1 GiB and more take the median of three, beside `dd conv=fsync`); prints
# one tab-separated line a point: series, n (files or bytes), wall seconds,
# peak resident KiB. scripts/bench turns it into the scale table with the
# slopes between points (log time over log work: 1 is linear).
#   bench/scale.sh [--quick]   (--quick: up to 10,000 files, 256 MiB, 100,000 rows)
set -euo pipefail
cd "$(dirname "$0")/.."
quick=false
[ "${1:-}" = --quick ] && quick=true
cli="$PWD/build/bin/veilstore-cli"
walk="$PWD/build/bin/worklist_bench"
for program in "$cli" "$walk"; do
  [ -x "$program" ] || { echo "build $program first" >&2; exit 1; }
done
work=$(mktemp -d "${TMPDIR:-/var/tmp}/vls-scale-XXXXXX")
trap 'rm -rf "$work"' EXIT
source bench/common.sh
printf 'scale password\n' > "$work/password"

point() {  # point SERIES N LABEL: prints the figures timed under LABEL
  summarise "$3"
  printf '%s\t%s\t%s\t%s\n' "$1" "$2" "${wall[$3]}" "${peak[$3]}"
}

printf 'series\tn\tseconds\tpeak_kib\n'

# Many small files, 1,000 a folder; xargs hands them over as the command
# line allows (several runs of the program for the largest counts).
counts=(1 10 100 1000 10000 100000)
$quick && counts=(1 10 100 1000 10000)
for n in "${counts[@]}"; do
  rm -rf "$work/files" && mkdir "$work/files"
  for ((d = 0; d * 1000 < n; d++)); do
    mkdir "$work/files/$d"
    in_folder=$((n - d * 1000 < 1000 ? n - d * 1000 : 1000))
    (cd "$work/files/$d" && seq -f "f%g.txt" 1 "$in_folder" | xargs -n 1000 truncate -s 4K)
  done
  find "$work/files" -type f -exec sh -c 'for f; do printf "%4096s" x > "$f"; done' _ {} + 
  sync
  timed "files-$n" /dev/null bash -c "find '$work/files' -type f -print0 |
    xargs -0 '$cli' encrypt --password-file '$work/password' > /dev/null"
  point files "$n" "files-$n"
done
rm -rf "$work/files"

# One file of each size, beside `dd conv=fsync` copying the same file (the
# disk's own floor at that size): from 1 GiB up, where one run swings with
# the disk's write burst and the kernel's dirty-page limit, three runs of
# each, interleaved, and their medians.
sizes=(1024 1048576 67108864 1073741824 4294967296)
$quick && sizes=(1024 1048576 67108864 268435456)
floor_points=""
make_file() {  # make_file SIZE: one.bin of SIZE bytes, written out
  head -c "$1" /dev/zero | tr '\0' 'v' > "$work/one.bin"
  sync
}
for size in "${sizes[@]}"; do
  rounds=1
  [ "$size" -ge 1073741824 ] && rounds=3
  for ((round = 0; round < rounds; round++)); do
    # Encryption wipes its source: each run gets a fresh file.
    make_file "$size"
    timed "one-$size" /dev/null "$cli" encrypt --password-file "$work/password" "$work/one.bin"
    rm -f "$work/one.vld"
    if [ "$size" -ge 1048576 ]; then
      make_file "$size"
      timed "dd-$size" /dev/null dd if="$work/one.bin" of="$work/copy.bin" bs=1M conv=fsync status=none
      rm -f "$work/copy.bin"
    fi
  done
  point one-file "$size" "one-$size"
  if [ "$size" -ge 1048576 ]; then
    floor_points+=$(point one-file-dd "$size" "dd-$size")$'\n'
  fi
done
printf '%s' "$floor_points"
rm -f "$work/one.bin"

# Add All over trees of empty files, 1,000 a folder.
rows=(100 1000 10000 100000 1000000)
$quick && rows=(100 1000 10000 100000)
for n in "${rows[@]}"; do
  rm -rf "$work/tree" && mkdir "$work/tree"
  for ((d = 0; d * 1000 < n; d++)); do
    mkdir "$work/tree/$d"
    in_folder=$((n - d * 1000 < 1000 ? n - d * 1000 : 1000))
    (cd "$work/tree/$d" && seq -f "f%g.txt" 1 "$in_folder" | xargs touch)
  done
  find "$work/tree" -type f > /dev/null
  timed "rows-$n" /dev/null "$walk" --add-all "$work/tree"
  point add-all "$n" "rows-$n"
done
