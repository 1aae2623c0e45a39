#!/usr/bin/env bash
# Load time and peak memory of a 24-megapixel JPEG and a 12-megapixel PNG,
# each loaded once per process, through the still-picture loader and through
# Qt's QImageReader, in one run. Prints a Markdown table: median wall time and
# CPU time of RUNS runs, peak resident memory, minor page faults, and the
# loader's wall time divided by each QImageReader row's. The last rows run QImageReader with
# glibc's huge-page malloc as well, for a like-for-like comparison of memory
# handling (the loader backs its large blocks with huge pages itself). The
# runs are interleaved (every load once, then again). With --tsv, prints one
# tab-separated line per file and reader for scripts/bench instead.
#   bench/picture_load.sh [--tsv] [BUILD_DIR] [RUNS]     (defaults: build, 5 runs)
set -euo pipefail
cd "$(dirname "$0")/.."
tsv=false
if [ "${1:-}" = --tsv ]; then
  tsv=true
  shift
fi
build="${1:-build}"
runs="${2:-5}"
bench="$PWD/$build/bin/picture_bench"
[ -x "$bench" ] || { echo "build the picture_bench target in $build first" >&2; exit 1; }
export QT_QPA_PLATFORM=offscreen

work=$(mktemp -d "${TMPDIR:-/var/tmp}/vls-picture-XXXXXX")
trap 'rm -rf "$work"' EXIT
"$bench" make "$work" 2>/dev/null
cat "$work"/* > /dev/null  # into the page cache

source bench/common.sh

files=(photo-24mp.jpg scan-12mp.png)
readers=(loader qt qt-hugepages)
for reader in loader qt; do  # an untimed load each: libraries and plug-ins into the cache
  "$bench" load "$reader" "$work/${files[0]}" >/dev/null 2>&1
done
for _ in $(seq "$runs"); do
  for file in "${files[@]}"; do
    for reader in "${readers[@]}"; do
      # glibc reads its tunables when the program starts; an empty one is none.
      tunable=""
      [ "$reader" = qt-hugepages ] && tunable=glibc.malloc.hugetlb=1
      GLIBC_TUNABLES=$tunable timed "$file $reader" /dev/null \
        "$bench" load "${reader%-hugepages}" "$work/$file"
    done
  done
done

keys=()
for file in "${files[@]}"; do
  for reader in "${readers[@]}"; do
    keys+=("$file $reader")
  done
done
summarise "${keys[@]}"

if $tsv; then
  printf 'file\tbytes\treader\twall_s\tcpu_s\tpeak_kib\tminor_faults\n'
  for file in "${files[@]}"; do
    for reader in "${readers[@]}"; do
      key="$file $reader"
      printf '%s\t%d\t%s\t%.4f\t%.3f\t%d\t%.0f\n' "$file" "$(stat -c %s "$work/$file")" "$reader" \
        "${wall[$key]}" "${cpu[$key]}" "${peak[$key]}" "${fault[$key]}"
    done
  done
  exit 0
fi

declare -A name=([loader]=loader [qt]=QImageReader [qt-hugepages]="QImageReader, huge pages")
echo "| file | reader | wall | CPU | peak memory | minor faults | loader ÷ this |"
echo "|---|---|---|---|---|---|---|"
for file in "${files[@]}"; do
  loader_wall=${wall[$file loader]}
  for reader in "${readers[@]}"; do
    key="$file $reader"
    ratio=""
    [ "$reader" != loader ] && ratio=$(printf '%.2f' "$(echo "$loader_wall / ${wall[$key]}" | bc -l)")
    printf '| %s | %s | %.3f s | %.3f s | %d MiB | %.0f | %s |\n' "$file" "${name[$reader]}" \
      "${wall[$key]}" "${cpu[$key]}" $((peak[$key] / 1024)) "${fault[$key]}" "$ratio"
  done
done
