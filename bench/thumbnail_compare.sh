#!/usr/bin/env bash
# Thumbnails of 100 24-megapixel JPEGs (6000 x 4000, about 4.5 MB each) into
# 160 x 120: the viewer's thumbnail strip over the pictures encrypted (each
# decrypted into memory and thumbnailed on the strip's worker thread) and
# DecodeThumbnail over each plain file's bytes read into memory, against
# QImageReader with a scaled size over the plain files, in one run. Each reader
# runs in a process of its own per round, the rounds interleaved; prints the
# median time for the 100 files (as the program measures it, start-up
# excluded), the time per file, the peak resident memory (getrusage) and each
# time divided by Qt's. The pictures are made once (about a minute)
# into CACHE and kept there. With --tsv, prints tab-separated lines instead.
#   bench/thumbnail_compare.sh [--tsv] [BUILD_DIR] [RUNS] [CACHE]
#       (defaults: build, 5 runs, BUILD_DIR/bench-cache/jpeg-24mp)
set -euo pipefail
cd "$(dirname "$0")/.."
source bench/common.sh
tsv=false
if [ "${1:-}" = --tsv ]; then
  tsv=true
  shift
fi
build="${1:-build}"
runs="${2:-5}"
cache="${3:-$build/bench-cache/jpeg-24mp}"
bench="$PWD/$build/bin/thumbnail_bench"
[ -x "$bench" ] || { echo "build the thumbnail_bench target in $build first" >&2; exit 1; }

"$bench" make "$cache" 100
cat "$cache"/*.jpg "$cache"/*.vlp > /dev/null  # into the page cache

readers=(strip loader qt)
declare -A seconds peak
for reader in "${readers[@]}"; do  # an untimed round each: libraries and plug-ins into the cache
  "$bench" run "$reader" "$cache" > /dev/null
done
for _ in $(seq "$runs"); do
  for reader in "${readers[@]}"; do
    read -r _ files took kib < <("$bench" run "$reader" "$cache")
    seconds[$reader]+="$took "
    [ "$kib" -gt "${peak[$reader]:-0}" ] && peak[$reader]=$kib
  done
done

declare -A took_median
for reader in "${readers[@]}"; do
  took_median[$reader]=$(echo "${seconds[$reader]}" | tr " " "\n" | grep . | median)
done

if $tsv; then
  printf 'reader\tfiles\tseconds\tpeak_kib\n'
  for reader in "${readers[@]}"; do
    printf '%s\t%d\t%.4f\t%d\n' "$reader" "$files" "${took_median[$reader]}" "${peak[$reader]}"
  done
  exit 0
fi

declare -A name=([strip]="the strip: decrypt into memory + thumbnail, worker thread"
                 [loader]="DecodeThumbnail (plain bytes in memory)" [qt]="QImageReader, scaled size")
echo "| reader | $files files | per file | peak memory | ÷ QImageReader |"
echo "|---|---|---|---|---|"
for reader in "${readers[@]}"; do
  this=$(awk -v a="${took_median[$reader]}" -v b="${took_median[qt]}" 'BEGIN { printf "%.2f", a / b }')
  awk -v name="${name[$reader]}" -v s="${took_median[$reader]}" -v n="$files" -v kib="${peak[$reader]}" \
    -v r="$this" 'BEGIN { printf "| %s | %.3f s | %.1f ms | %.1f MiB | %s |\n", name, s, 1000 * s / n, kib / 1024, r }'
done
